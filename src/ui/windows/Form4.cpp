#include "ui/windows/Form4.h"

#include <gdk/gdkkeysyms.h>

#include <tuple>

#include "core/app/Preferences.h"
#include "core/app/SharedRoutines.h"
#include "core/browser/AutoRefresh.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Programs.h"
#include "ui/app/App.h"

namespace {
const char* const kExeFilter = "Exe Files |*.EXE;*.Exe;*.exe|All Files |*.*";
const char* const kUnsavedQuestion = "Your Options Were Changed, But Not Saved.\nDo You Want To Save Them, Now?";

void InstallStyle() {
  AddStyle(
      "#skelvornax-options .panel { background-color: @theme_base_color; color: @theme_text_color; }"
      "#skelvornax-options .panel label.heading { font-weight: bold; }");
}

Gtk::Box* Panel(Gtk::Notebook& tabs, const char* caption) {
  auto* panel = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
  panel->set_border_width(12);
  panel->get_style_context()->add_class("panel");
  tabs.append_page(*panel, caption);
  return panel;
}
}  // namespace

Gtk::Box* Form4::AddTab(const char* caption) { return Panel(TabStrip1, caption); }

Form4::Form4(App& app, std::string currentPage)
    : Command1("Cancel"),
      Command2("Browse"),
      Command3("Browse"),
      Command4("Save All Changes And Exit"),
      Command5("Restore Defaults"),
      Command10("-"),
      Command11("+"),
      app_(app),
      currentPage_(std::move(currentPage)) {
  InstallStyle();
  set_name("skelvornax-options");
  BuildControls();
  ConnectEvents();
  Form_Load();
}

Form4::~Form4() {
  daysTimer_.disconnect();
  themeChange_.disconnect();
}

void Form4::BuildControls() {
  const std::string title = kAppTitle;
  set_title("Start Page & Options - " + title);
  set_default_size(620, 460);
  set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
  set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);

  // Start page.
  Gtk::Box* start = Panel(TabStrip1, "Default Start Page");
  Label1.set_text("Default Start Page");
  const char* const choices[] = {"", "Set To Default Blank Page",
                                 "Type A Default Start Page URL Address In The Text Box, Above.", "", "No Change"};
  for (std::size_t i = 0; i < Option1.size(); ++i) Option1[i].set_label(choices[i]);
  Option1[0].set_label("Set To " + title + " Intro-Help Page File On Your Computer");
  Option1[3].set_label("Set To The Page Currently Displayed In " + title + ".");
  start->pack_start(Label1, false, false);
  start->pack_start(Text1, false, false);
  for (auto& o : Option1) {
    if (&o != &Option1[0]) o.join_group(Option1[0]);
    start->pack_start(o, false, false);
  }

  // Options.
  Gtk::Box* options = Panel(TabStrip1, "Options");
  Label2.set_text("Options");
  Check1.set_label("Disable ToolTips");
  Check2.set_label("Disable Delete & Warn. Messages");
  Check3.set_label("Enable Back-Up In Edit Window");
  Check4.set_label("Set \"New Window\"  CheckBox To Hold Its Value When Set.");
  Check5.set_label("Use A Separate Category Selector And SiteList Selector");
  Check6.set_label("Store Duplicate URL's");
  Check7.set_label("Don't Log Secure (https) Pages");
  options->pack_start(Label2, false, false);
  for (Gtk::CheckButton* c : {&Check1, &Check2, &Check3, &Check4, &Check5, &Check6, &Check7})
    options->pack_start(*c, false, false);
  // The index is the mode: 0 never hides the toolbar, 1 on a click, 2 on its own.
  const char* const modes[] = {"Disable All Hide Controls", "Enable Manual Hide Controls", "Enable Auto-Hide Controls"};
  auto* modeBox = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 12));
  for (std::size_t i = 0; i < Option2.size(); ++i) {
    Option2[i].set_label(modes[i]);
    if (i > 0) Option2[i].join_group(Option2[0]);
    modeBox->pack_start(Option2[i], false, false);
  }
  options->pack_start(*modeBox, false, false);
  Label4.set_text("Days To Keep Pages In History");
  Text6.set_editable(false);
  Text6.set_width_chars(5);
  Text6.set_alignment(Gtk::ALIGN_END);
  Text6.get_accessible()->set_name("Days To Keep Pages In History");
  Command10.get_accessible()->set_name("Fewer Days (Ctrl: 10)");
  Command11.get_accessible()->set_name("More Days (Ctrl: 10)");
  auto* days = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
  for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{&Label4, &Text6, &Command10, &Command11})
    days->pack_start(*w, false, false);
  options->pack_start(*days, false, false);

  // Mail and messenger.
  Gtk::Box* mail = Panel(TabStrip1, "Mail - Messenger");
  Label5.set_text("Windows Messenger And Outlook Express");
  Label6.set_text("Change The Path/Filename To Windows Messenger And Outlook Express");
  Label7.set_text("Menu Caption            FullPath/Filename To Windows Messenger");
  Label8.set_text("Menu Caption                FullPath/Filename To Outlook Express");
  for (Gtk::Label* l : {&Label5, &Label6, &Label7, &Label8}) l->set_xalign(0);
  Label5.get_style_context()->add_class("heading");
  Text4.get_accessible()->set_name("Messenger Menu Caption");
  Text2.get_accessible()->set_name("Messenger Program");
  Text5.get_accessible()->set_name("Mail Menu Caption");
  Text3.get_accessible()->set_name("Mail Program");
  Command2.get_accessible()->set_name("Browse For The Messenger Program");
  Command3.get_accessible()->set_name("Browse For The Mail Program");
  auto row = [](Gtk::Entry& caption, Gtk::Entry& path, Gtk::Button& browse) {
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
    caption.set_width_chars(14);
    box->pack_start(caption, false, false);
    box->pack_start(path, true, true);
    box->pack_start(browse, false, false);
    return box;
  };
  mail->pack_start(Label5, false, false);
  mail->pack_start(Label6, false, false);
  mail->pack_start(Label7, false, false);
  mail->pack_start(*row(Text4, Text2, Command2), false, false);
  mail->pack_start(Label8, false, false);
  mail->pack_start(*row(Text5, Text3, Command3), false, false);

  BuildSearchTab();
  BuildAdBlockingTab();

  auto* buttons = Gtk::manage(new Gtk::ButtonBox(Gtk::ORIENTATION_HORIZONTAL));
  buttons->set_layout(Gtk::BUTTONBOX_END);
  buttons->set_spacing(6);
  for (Gtk::Button* b : {&Command5, &Command1, &Command4}) buttons->pack_start(*b);
  auto* outer = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
  outer->set_border_width(8);
  outer->pack_start(TabStrip1, true, true);
  outer->pack_start(*buttons, false, false);
  add(*outer);
}

void Form4::ConnectEvents() {
  signal_delete_event().connect([this](GdkEventAny*) { return Form_QueryUnload(); });
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form4::Form_KeyDown), false);
  signal_show().connect(sigc::mem_fun(*this, &Form4::Form_Activate));
  // Clicked, not toggled: a click on the option already chosen takes the
  // current text or page again.
  for (int i = 0; i < static_cast<int>(Option1.size()); ++i)
    Option1[i].signal_clicked().connect([this, i] {
      if (Option1[i].get_active()) Option1_Click(i);
    });
  for (int i = 0; i < static_cast<int>(Option2.size()); ++i)
    Option2[i].signal_toggled().connect([this, i] {
      if (Option2[i].get_active()) Option2_Click(i);
    });
  const std::pair<Gtk::CheckButton*, int16_t*> boxes[] = {
      {&Check1, &pending_.NoToolTips},        {&Check2, &pending_.NoDeleteWarnings},
      {&Check3, &pending_.BackupInEditor},    {&Check4, &pending_.HoldNewWindowBox},
      {&Check5, &pending_.SeparateSelectors}, {&Check6, &pending_.StoreDupUrls},
      {&Check7, &pending_.SkipSecurePages}};
  for (const auto& [box, value] : boxes)
    box->signal_toggled().connect([this, box = box, value = value] { Check_Click(*box, *value); });
  for (auto [button, delta] : {std::pair{&Command10, -1}, std::pair{&Command11, +1}}) {
    button->signal_button_press_event().connect(
        [this, delta = delta](GdkEventButton* e) { return DaysButton_Press(delta, e); }, false);
    button->signal_button_release_event().connect(sigc::mem_fun(*this, &Form4::DaysButton_Release), false);
  }
  for (Gtk::Entry* e : {&Text4, &Text5, &Text2, &Text3})
    e->signal_changed().connect([this] {
      if (!settingControls_) changed_ = true;
    });
  Command1.signal_clicked().connect(sigc::mem_fun(*this, &Form4::Command1_Click));
  Command2.signal_clicked().connect(sigc::mem_fun(*this, &Form4::Command2_Click));
  Command3.signal_clicked().connect(sigc::mem_fun(*this, &Form4::Command3_Click));
  Command4.signal_clicked().connect(sigc::mem_fun(*this, &Form4::Command4_Click));
  Command5.signal_clicked().connect(sigc::mem_fun(*this, &Form4::Command5_Click));
  // A new theme brings new colours while the window is open.
  themeChange_ = Gtk::Settings::get_default()->property_gtk_theme_name().signal_changed().connect(
      sigc::mem_fun(*this, &Form4::SissyColors2));
}

void Form4::Form_Load() {
  Module1State& m = Module1();
  busy_.emplace(m.BusyWindowOpen);
  optionsOpen_.emplace(m.OptionsOpen);
  pending_ = PendingFrom(m.Working);
  ShowPending();
  TabStrip1.set_current_page(0);
  show_all();
}

// The controls show the pending values; no handler takes that for an edit.
void Form4::ShowPending() {
  settingControls_ = true;
  Text1.set_text(pending_.StartPage);
  Option1[4].set_active(true);
  ShowOptionsTab();
  Text4.set_text(pending_.MessengerName);
  Text2.set_text(pending_.MessengerPath);
  Text5.set_text(pending_.MailName);
  Text3.set_text(pending_.MailPath);
  settingControls_ = false;
  ShowSearchTab(prefs::Current().SearchEngineId, prefs::Current().CustomSearchUrl);
}

// The "Options" tab alone: its "Restore Defaults" must leave the other tabs'
// unsaved edits as they are.
void Form4::ShowOptionsTab() {
  const bool wasSetting = settingControls_;
  settingControls_ = true;
  const std::pair<Gtk::CheckButton*, int16_t> boxes[] = {
      {&Check1, pending_.NoToolTips},       {&Check2, pending_.NoDeleteWarnings},  {&Check3, pending_.BackupInEditor},
      {&Check4, pending_.HoldNewWindowBox}, {&Check5, pending_.SeparateSelectors}, {&Check6, pending_.StoreDupUrls},
      {&Check7, pending_.SkipSecurePages}};
  for (const auto& [box, value] : boxes) box->set_active(value == 1);
  const int mode = pending_.HideControlsMode;
  Option2[mode >= 0 && mode < 3 ? mode : 0].set_active(true);
  ShowDays();
  settingControls_ = wasSetting;
}

void Form4::ShowDays() { Text6.set_text(std::to_string(pending_.HistoryDays)); }

void Form4::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  SissyColors2();
}

void Form4::SissyColors2() {
  // The theme's window colours: the panels draw with its base and text colours.
  for (int i = 0; i < TabStrip1.get_n_pages(); ++i) TabStrip1.get_nth_page(i)->get_style_context()->add_class("panel");
  queue_draw();
}

StartPagePlaces Form4::Places() const {
  const Module1State& m = Module1();
  return {m.AppDir + "/" + kAppTitle + "Help.htm", m.DefPagePath, Text1.get_text(), currentPage_,
          [](const std::string& p) { return FileTest(p) == 0; }};
}

void Form4::Option1_Click(int index) {
  if (settingControls_) return;
  const StartPageOutcome out = ChooseStartPage(static_cast<StartPageChoice>(index), Places());
  if (!out.changed) return;
  if (!out.missingMessage.empty()) MsgBox(out.missingMessage, MsgButtons::Ok, this);
  pending_.StartPage = out.page;
  Text1.set_text(out.page);
  MsgBox(kNewDefaultShownText, MsgButtons::Ok, this);
  changed_ = true;
}

void Form4::Option2_Click(int index) {
  if (settingControls_) return;
  pending_.HideControlsMode = static_cast<int16_t>(index);
  changed_ = true;
}

void Form4::Check_Click(Gtk::CheckButton& box, int16_t& pending) {
  if (settingControls_) return;
  pending = box.get_active() ? 1 : 0;
  changed_ = true;
}

// The day buttons step at once, again after 750 ms and then every 50 ms
// while held; Ctrl makes a step ten days.
bool Form4::DaysButton_Press(int delta, GdkEventButton* e) {
  if (e->button != 1 || e->type != GDK_BUTTON_PRESS) return false;
  daysDelta_ = delta;
  daysCtrl_ = (e->state & GDK_CONTROL_MASK) != 0;
  StepDays();
  daysTimer_.disconnect();
  daysTimer_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &Form4::RepeatDays), kFirstRepeatMs);
  return false;
}

bool Form4::RepeatDays() {
  StepDays();
  daysTimer_ =
      Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form4::StepDays), true), kNextRepeatMs);
  return false;
}

bool Form4::DaysButton_Release(GdkEventButton*) {
  daysTimer_.disconnect();
  return false;
}

void Form4::StepDays() {
  pending_.HistoryDays = StepHistoryDays(pending_.HistoryDays, daysDelta_, daysCtrl_);
  ShowDays();
  changed_ = true;
}

void Form4::BrowseProgram(Gtk::Entry& box) {
  OpenFilesRequest request;
  request.title = "Browse";
  request.filter = kExeFilter;
  // Programs live here on this system.
  request.folder = DirTest("/usr/bin") == 0 ? "/usr/bin" : "";
  request.parent = this;
  const auto files = ShowOpenFiles(request);
  if (files.empty()) return;
  box.set_text(files.front());
  changed_ = true;
}

void Form4::Command2_Click() { BrowseProgram(Text2); }
void Form4::Command3_Click() { BrowseProgram(Text3); }

void Form4::Command5_Click() {
  if (TabStrip1.get_nth_page(TabStrip1.get_current_page()) == searchTab_) {
    ShowSearchTab(prefs::kDefaultSearchEngine, SearchCustomUrl.get_text());
    MsgBox(kDefaultsRestoredText, MsgButtons::Ok, this);
    changed_ = true;
    return;
  }
  switch (RestoreAdBlockingDefaults() ? -1 : TabStrip1.get_current_page()) {
    case -1:
      break;
    case 0: {
      const RestoredStartPage r = RestoreStartPage(Places());
      if (!r.message.empty()) MsgBox(r.message, MsgButtons::Ok, this);
      pending_.StartPage = r.page;
      settingControls_ = true;
      Option1[static_cast<int>(r.choice)].set_active(true);
      Text1.set_text(r.page);
      settingControls_ = false;
      break;
    }
    case 1:
      RestoreOptionDefaults(pending_);
      ShowOptionsTab();
      break;
    default: {
      // The desktop's own mail program, and a messenger when one is installed.
      const DesktopProgram mail = DesktopMailProgram(), messenger = InstalledMessenger();
      settingControls_ = true;
      Text2.set_text(messenger.path);
      Text3.set_text(mail.path);
      Text4.set_text(messenger.name);
      Text5.set_text(mail.name);
      settingControls_ = false;
      break;
    }
  }
  MsgBox(kDefaultsRestoredText, MsgButtons::Ok, this);
  changed_ = true;
}

bool Form4::ApplyOptions() {
  if (SearchTabProblem()) return false;
  pending_.MessengerName = Text4.get_text();
  pending_.MessengerPath = Text2.get_text();
  pending_.MailName = Text5.get_text();
  pending_.MailPath = Text3.get_text();
  const Settings& now = Module1().Working;
  // Only a path typed or chosen here is checked: a setting kept as it was
  // (a program not installed yet) never blocks the other options.
  for (const auto& [caption, path, before] :
       {std::tuple{pending_.MessengerName, pending_.MessengerPath, now.MessengerPath},
        std::tuple{pending_.MailName, pending_.MailPath, now.MailPath}}) {
    if (path == before) continue;
    const std::string problem = ProgramPathProblem(caption, path, IsExecutableFile);
    if (!problem.empty()) {
      MsgBox(problem, MsgButtons::Ok, this);
      TabStrip1.set_current_page(2);
      return false;
    }
  }
  app_.ApplyOptions(ApplyPendingOptions(pending_, Module1().Working));
  ApplySearchTab();
  ApplyAdBlocking();
  return true;
}

void Form4::Command4_Click() {
  Command4.set_sensitive(false);
  const bool applied = ApplyOptions();
  Command4.set_sensitive(true);
  if (applied) Unload();
}

void Form4::Command1_Click() { Unload(); }

bool Form4::Form_KeyDown(GdkEventKey* key) {
  if (key->keyval != GDK_KEY_Escape) return false;
  Unload();
  return true;
}

bool Form4::Form_QueryUnload() {
  if (changed_) {
    switch (MsgBox(kUnsavedQuestion, MsgButtons::YesNoCancel, this)) {
      case MsgAnswer::Yes:
        if (!ApplyOptions()) return true;
        break;
      case MsgAnswer::No:
        break;
      default:
        return true;  // the window stays
    }
  }
  Unload();
  return true;
}

void Form4::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  daysTimer_.disconnect();
  busy_.reset();
  optionsOpen_.reset();
  hide();
  Unloaded.emit();
}

// ---- the Search tab ----

void Form4::BuildSearchTab() {
  searchTab_ = Panel(TabStrip1, "Search");
  auto* heading = Gtk::manage(new Gtk::Label("Search With", Gtk::ALIGN_START));
  heading->get_style_context()->add_class("heading");
  auto* note = Gtk::manage(
      new Gtk::Label("Words typed into the address box that are not an address are looked up with this search engine.",
                     Gtk::ALIGN_START));
  note->set_line_wrap(true);
  searchTab_->pack_start(*heading, false, false);
  searchTab_->pack_start(*note, false, false);
  for (const auto& engine : prefs::SearchEngines()) {
    auto* option = Gtk::manage(new Gtk::RadioButton(engine.name));
    if (!SearchEngineOption.empty()) option->join_group(*SearchEngineOption.front());
    option->signal_toggled().connect([this] {
      SearchCustomUrl.set_sensitive(SearchEngineOption.back()->get_active());
      if (!settingControls_) changed_ = true;
    });
    SearchEngineOption.push_back(option);
    searchTab_->pack_start(*option, false, false);
  }
  SearchEngineOption.back()->set_label("Custom Search Address (%s stands for the words):");
  SearchCustomUrl.set_placeholder_text("https://search.example/?q=%s");
  SearchCustomUrl.get_accessible()->set_name("Custom Search Address");
  SearchCustomUrl.signal_changed().connect([this] {
    if (!settingControls_) changed_ = true;
  });
  searchTab_->pack_start(SearchCustomUrl, false, false);
}

void Form4::ShowSearchTab(const std::string& engineId, const std::string& customUrl) {
  settingControls_ = true;
  const auto& engines = prefs::SearchEngines();
  for (std::size_t i = 0; i < engines.size(); ++i)
    if (engineId == engines[i].id) SearchEngineOption[i]->set_active(true);
  SearchCustomUrl.set_text(customUrl);
  SearchCustomUrl.set_sensitive(SearchEngineOption.back()->get_active());
  settingControls_ = false;
}

// A custom engine needs a place for the words.
bool Form4::SearchTabProblem() {
  if (!SearchEngineOption.back()->get_active() || SearchCustomUrl.get_text().find("%s") != Glib::ustring::npos)
    return false;
  MsgBox("The Custom Search Address Needs %s Where The Words Go.", MsgButtons::Ok, this);
  TabStrip1.set_current_page(TabStrip1.page_num(*searchTab_));
  SearchCustomUrl.grab_focus();
  return true;
}

void Form4::ApplySearchTab() {
  prefs::Preferences& p = prefs::Current();
  const auto& engines = prefs::SearchEngines();
  for (std::size_t i = 0; i < engines.size(); ++i)
    if (SearchEngineOption[i]->get_active()) p.SearchEngineId = engines[i].id;
  p.CustomSearchUrl = SearchCustomUrl.get_text();
  prefs::Save(Module1().UserDataDir, p);
}
