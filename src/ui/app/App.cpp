#include "ui/app/App.h"

#include <algorithm>

#include "core/app/Module1.h"
#include "core/app/Options.h"
#include "core/app/ToolTips.h"
#include "core/browser/Completion.h"
#include "core/history/HistoryLog.h"
#include "platform/ModalLoop.h"
#include "platform/SiteData.h"
#include "platform/WebBrowser.h"
#include "ui/app/Form8.h"
#include "ui/app/OpenPagesKeeper.h"
#include "ui/browser/Form1.h"
#include "ui/history/Form6.h"
#include "ui/popups/Form10.h"
#include "ui/popups/Form7.h"
#include "ui/sitelists/Form2.h"
#include "ui/windows/ClearDataWindow.h"
#include "ui/windows/Form3.h"
#include "ui/windows/Form4.h"
#include "ui/windows/Form5.h"
#include "ui/windows/Form9.h"

namespace {
int64_t Today() {
  const LocalDateTime now = dates::NowLocal();
  return dates::DayNumber(now.year, now.month, now.day);
}
}  // namespace

App::App()
    : toolkit_(Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE)),
      openPages_(std::make_unique<OpenPagesKeeper>(*this)) {
  // Registering runs the toolkit's start-up, which opens the display.
  toolkit_->signal_activate().connect([] {});
  toolkit_->register_application();
}

App::~App() {
  // Secondary windows first: their close sequences may still read main windows.
  suggestions_.reset();
  clearData_.reset();
  options_.reset();
  dontKill_.reset();
  fullScreen_.reset();
  about_.reset();
  editor_.reset();
  history_.reset();
  mainWindows_.clear();
  retired_.clear();
  marker_.reset();
  boom_.reset();
  openPages_.reset();
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
  openPages_->Changed();
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
  ForEachMainWindow([](Form1& w) { w.FillSelectors(); });
  const Module1State& m = Module1();
  SharedCompletion().ListsChanged(ListedSites(m.CatListPath, m.SiteListsDir), Today());
}

void App::SiteFileChanged(int16_t fileNumber) const {
  ForEachMainWindow([fileNumber](Form1& w) { w.SiteFileChanged(fileNumber); });
}

void App::ShowTextSizeEverywhere() const {
  ForEachMainWindow([](Form1& w) { w.ShowTextSize(); });
  if (fullScreen_) fullScreen_->ShowTextSize();
}

void App::OpenNewMainWindow() {
  // A handed-over address opens as a normal window while one is there to
  // open it: a private window would make it private.
  for (const auto& w : mainWindows_)
    if (!w->WebBrowser1.IsPrivate()) {
      w->NewApplWindo();
      return;
    }
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
  if (!mainWindows_.empty()) {
    openPages_->Changed();
    return;
  }
  openPages_->Ended();  // a normal end: nothing to offer next time
  Quit();
}

void App::CloseSecondaryWindows() {
  CloseEditor();
  CloseHistory();
  if (about_) about_->Form_QueryUnload();
  if (options_) options_->Command1_Click();  // unsaved options go, as with Cancel
  if (fullScreen_) fullScreen_->Form_QueryUnload();
  if (dontKill_) dontKill_->Form_QueryUnload();
  if (suggestions_) suggestions_->Form_QueryUnload();
  if (clearData_) clearData_->Form_QueryUnload();
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

// ---- the options and suggestions windows ----

void App::OpenOptions(Gtk::Window* parent, const std::string& currentPage) {
  if (options_) {
    options_->present();
    return;
  }
  options_ = std::make_unique<Form4>(*this, currentPage);
  options_->Unloaded.connect([this] { Retire(std::move(options_)); });
  if (parent) options_->set_transient_for(*parent);
  options_->present();
}

void App::ApplyOptions(const AppliedOptions& applied) {
  Module1State& m = Module1();
  m.ToolTipTexts[tips::kCycleMail] = MailToolTip(m.Working.MailName);
  if (applied.selectorsChanged) RefillSelectors();
  if (applied.historyShortened) PurgeHistory();
  // The tooltips follow the new texts and switch; the captions of the programs too.
  ForEachMainWindow([](Form1& w) { w.F1ToolT(); });
  if (applied.toolTipsChanged && dontKill_) dontKill_->F10ToolT();
  if (applied.toolTipsChanged && fullScreen_) fullScreen_->F5ToolT();
  if (applied.toolTipsChanged && history_) history_->F6ToolT();
}

void App::PurgeHistory() {
  const Module1State& m = Module1();
  // The open History window purges and shows what is left.
  if (history_)
    history_->DaysToKeepLowered();
  else
    DumpOldHistory(m.HistoryDir, m.Working.HistoryDays, Today());
  SharedCompletion().HistoryPurged(Today() + 1 - m.Working.HistoryDays);
}

void App::OpenSuggestions(Gtk::Window* parent) {
  Module1State& m = Module1();
  if (m.MailWindowMode != 0) {
    if (suggestions_) suggestions_->present();
    return;
  }
  m.MailWindowMode = 1;
  suggestions_ = std::make_unique<Form9>();
  suggestions_->Unloaded.connect([this] {
    Module1().MailWindowMode = 0;
    Retire(std::move(suggestions_));
  });
  if (parent) suggestions_->set_transient_for(*parent);
  suggestions_->present();
}

// ---- clearing browsing data ----

void App::OpenClearData(Gtk::Window* parent, std::unique_ptr<SiteData> data) {
  if (clearData_) {
    clearData_->present();
    return;
  }
  clearData_ = std::make_unique<ClearDataWindow>(*this, std::move(data));
  clearData_->Unloaded.connect([this] { Retire(std::move(clearData_)); });
  if (parent) clearData_->set_transient_for(*parent);
  clearData_->present();
}

void App::HistoryCleared() {
  if (history_) {
    history_->DaysToKeepLowered();
    history_->LoadTodayList();
  }
  const Module1State& m = Module1();
  SharedCompletion().Rebuild([cat = m.CatListPath, lists = m.SiteListsDir, history = m.HistoryDir] {
    return BuildCompletionIndex(cat, lists, history, Today());
  });
}

// ---- the About window and the full-screen window ----

void App::OpenAbout(Gtk::Window* parent) {
  if (!about_) {
    about_ = std::make_unique<Form3>(*this);
    // Before it is shown, so that it opens centred over the window it came from.
    if (parent) about_->set_transient_for(*parent);
    about_->Form_Load();
  }
  about_->present();
}

void App::AboutUnloaded() { Retire(std::move(about_)); }

Form5& App::FullScreen(WebBrowser& source) {
  // A private window's page never shows in a normal full-screen window, nor
  // the other way round.
  if (fullScreen_ && fullScreen_->WebBrowser1.IsPrivate() != source.IsPrivate()) fullScreen_->Form_QueryUnload();
  if (!fullScreen_) {
    fullScreen_ = std::make_unique<Form5>(*this, source.CreateRelated());
    fullScreen_->Form_Load();
  }
  return *fullScreen_;
}

WebBrowser* App::FullScreenForRequest(WebBrowser& source) {
  // The engine fills a fresh browser with the requested page, so the window
  // that showed another page makes way for a new one.
  if (fullScreen_) fullScreen_->Form_QueryUnload();
  Form5& window = FullScreen(source);
  window.ShowPage("");
  return &window.WebBrowser1;
}

void App::FullScreenUnloaded() {
  Retire(std::move(fullScreen_));
  openPages_->Changed();
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
  if (freeScheduled_) return;
  freeScheduled_ = true;
  AfterModalLoops(sigc::mem_fun(*this, &App::FreeRetired));
}

void App::FreeRetired() {
  freeScheduled_ = false;
  retired_.clear();
}
