#include "ui/app/App.h"

#include <algorithm>

#include "core/app/Module1.h"
#include "core/history/HistoryLog.h"
#include "platform/WebBrowser.h"
#include "ui/app/Form8.h"
#include "ui/browser/Form1.h"
#include "ui/history/Form6.h"
#include "ui/popups/Form10.h"
#include "ui/popups/Form7.h"
#include "ui/sitelists/Form2.h"

App::App() : toolkit_(Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE)) {
  // Registering runs the toolkit's start-up, which opens the display.
  toolkit_->signal_activate().connect([] {});
  toolkit_->register_application();
}

App::~App() {
  freeRetired_.disconnect();
  // Secondary windows first: their close sequences may still read main windows.
  dontKill_.reset();
  editor_.reset();
  history_.reset();
  mainWindows_.clear();
  retired_.clear();
  marker_.reset();
  boom_.reset();
}

int App::Run() {
  // Held until Quit(): the loop must not end while the last main window is
  // still saving after it was hidden.
  toolkit_->hold();
  held_ = true;
  return toolkit_->run();
}

void App::Quit() {
  if (held_) toolkit_->release();
  held_ = false;
  toolkit_->quit();
}

// ---- main windows ----

Form1& App::OpenMainWindow(std::unique_ptr<WebBrowser> browser) {
  mainWindows_.push_back(std::make_unique<Form1>(*this, std::move(browser)));
  Form1& window = *mainWindows_.back();
  window.Form_Load();
  return window;
}

std::vector<Form1*> App::MainWindows() const {
  std::vector<Form1*> windows;
  windows.reserve(mainWindows_.size());
  for (const auto& w : mainWindows_) windows.push_back(w.get());
  return windows;
}

Form1* App::ActiveMainWindow() const {
  for (const auto& w : mainWindows_)
    if (w->LabelMyId.get_text() == Module1().ActiveMainWindowId) return w.get();
  return mainWindows_.empty() ? nullptr : mainWindows_.front().get();
}

void App::ForEachMainWindow(const std::function<void(Form1&)>& action) const {
  // A copy: the action may open or close windows.
  for (Form1* w : MainWindows()) action(*w);
}

void App::RefillSelectors() const {
  const bool separate = Module1().Working.SeparateSelectors == 1;
  ForEachMainWindow([separate](Form1& w) {
    if (separate)
      w.LodCombos();
    else
      w.UniLodCombo();
  });
}

void App::OpenNewMainWindow() {
  if (!mainWindows_.empty()) mainWindows_.front()->NewApplWindo();
}

std::optional<MainWindowPage> App::PageOf(const Form1* preferred) const {
  Form1* window = nullptr;
  for (const auto& w : mainWindows_)
    if (w.get() == preferred) window = w.get();
  if (!window) window = ActiveMainWindow();
  if (!window) return std::nullopt;
  MainWindowPage page{window->PageTitle(), window->WebBrowser1.LocationURL()};
  window->get_position(page.x, page.y);
  return page;
}

void App::MainWindowUnloaded(Form1& window) {
  const auto at = std::find_if(mainWindows_.begin(), mainWindows_.end(),
                               [&window](const std::unique_ptr<Form1>& w) { return w.get() == &window; });
  if (at == mainWindows_.end()) return;
  std::unique_ptr<Form1> closed = std::move(*at);
  mainWindows_.erase(at);
  Retire(std::move(closed));
  if (mainWindows_.empty()) Quit();
}

void App::CloseSecondaryWindows() {
  CloseEditor();
  CloseHistory();
  if (dontKill_) dontKill_->Form_QueryUnload();
}

// ---- the list editor ----

void App::OpenEditor(Form1* opener) {
  if (editor_) {
    editor_->SetOpener(opener);
    editor_->present();
    return;
  }
  editor_ = std::make_unique<Form2>(*this, opener);
  editor_->Form_Load();
}

void App::CloseEditor() {
  if (editor_) editor_->Form_QueryUnload();
}

void App::EditorUnloaded() { Retire(std::move(editor_)); }

// ---- the don't-kill list ----

void App::OpenDontKillList(Gtk::Window* parent, const std::string& pageTitle, const std::string& pageUrl) {
  // One list window at a time: a second would overwrite the first one's file.
  if (dontKill_) {
    dontKill_->present();
    return;
  }
  dontKill_ = std::make_unique<Form10>(pageTitle, pageUrl);
  dontKill_->Unloaded.connect(sigc::mem_fun(*this, &App::DontKillListUnloaded));
  if (parent) {
    dontKill_->set_transient_for(*parent);
    dontKill_->set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
  }
  dontKill_->set_modal(true);
  dontKill_->show();
}

void App::DontKillListUnloaded() { Retire(std::move(dontKill_)); }

// ---- the History window ----

Form6& App::OpenHistory() {
  if (!history_) {
    history_ = std::make_unique<Form6>(*this);
    history_->Form_Load();
  }
  history_->present();
  return *history_;
}

void App::CloseHistory() {
  if (history_) history_->Form_QueryUnload();
}

void App::HistoryUnloaded() { Retire(std::move(history_)); }

void App::OpenEditorFromHistory(Gtk::Window& history) {
  Module1().AddFromHistory = 1;
  OpenEditor(nullptr);
  editor_->set_transient_for(history);
  editor_->set_modal(true);
  editor_->TakeHistoryItems();
  editor_->present();
}

void App::HistoryDaysLowered() {
  const Module1State& m = Module1();
  if (history_) {
    history_->DaysToKeepLowered();
    return;
  }
  const LocalDateTime now = dates::NowLocal();
  DumpOldHistory(m.HistoryDir, m.Working.HistoryDays, dates::DayNumber(now.year, now.month, now.day));
}

// ---- hidden windows ----

Form7& App::Boom() {
  if (!boom_) boom_ = std::make_unique<Form7>();
  return *boom_;
}

Form8& App::Marker() {
  if (!marker_) marker_ = std::make_unique<Form8>(*this);
  return *marker_;
}

// ---- freeing ----

void App::Retire(std::unique_ptr<Gtk::Window> window) {
  if (!window) return;
  retired_.push_back(std::move(window));
  if (!freeRetired_.connected())
    freeRetired_ = Glib::signal_idle().connect(sigc::bind_return(sigc::mem_fun(*this, &App::FreeRetired), false));
}

void App::FreeRetired() { retired_.clear(); }
