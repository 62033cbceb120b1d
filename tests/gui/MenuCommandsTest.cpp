// The main window's menu commands over the fake engine: text size in every
// window, what a missing help page, add-in or program says, programs started
// with their paths as they are, the open dialogs and the target choice, save
// as, properties, fonts, the keys, the cycle button, the full-screen check
// box and the About window.
#include <gdk/gdkkeysyms.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/app/CommandLine.h"
#include "core/app/Module1.h"
#include "core/browser/MenuCommands.h"
#include "gui/GuiTest.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Network.h"
#include "platform/fakes/FakeBrowser.h"
#include "support/TestDirs.h"
#include "ui/app/ProgramIcon.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form3.h"
#include "ui/windows/Form4.h"
#include "ui/windows/Form5.h"
#include "ui/windows/Form9.h"

namespace {

class MenuCommands : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1State& m = Module1();
    m.TextSizeLevel = kDefaultTextSize;
    m.Working.HoldNewWindowBox = 0;
    m.Working.CycleMode12 = m.Working.CycleMode9 = m.Working.TimerSwapMode = 0;
    SetMsgAnswerer(answers.Answerer());
  }
  void TearDown() override {
    CloseAllMainWindows();
    RunFor(20);
    SetMsgAnswerer({});
    SetOpenFilesChooser({});
    SetSaveFileChooser({});
    SetFontChooser({});
    SetDetailsViewer({});
  }
  static Form1* Open(const std::string& url = "http://first.example/") {
    auto browser = std::make_unique<FakeBrowser>();
    browser->titles[url] = "My Page";
    Form1* w = OpenWindow(std::move(browser));
    if (!url.empty()) w->WebBrowser1.Navigate(url);
    return w;
  }
  static FakeBrowser& Fake(Form1* w) { return static_cast<FakeBrowser&>(w->WebBrowser1); }
  static FakeBrowser* FullScreenFake() {
    Form5* f = TheApp().FullScreenWindow();
    return f ? static_cast<FakeBrowser*>(&f->WebBrowser1) : nullptr;
  }
  // A key as the window sees it, before its controls do.
  static bool Key(Form1* w, guint keyval, guint state = 0) {
    GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
    key->key.window = GDK_WINDOW(g_object_ref(w->get_window()->gobj()));
    key->key.keyval = keyval;
    key->key.state = state;
    const bool handled = w->Form_KeyDown(&key->key);
    gdk_event_free(key);
    return handled;
  }
  // An executable that writes its own path and arguments to `marker`.
  static void WriteProgram(const std::string& path, const std::string& marker) {
    std::ofstream(path) << "#!/bin/sh\nprintf '%s|%s' \"$0\" \"$*\" > '" << marker << "'\n";
    chmod(path.c_str(), 0755);
  }
  static std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  ScriptedAnswers answers;
  TempDir scratch;
};

TEST_F(MenuCommands, TextSizeIsOneLevelForEveryPageAndOnlyItsItemIsChecked) {
  Form1* a = Open();
  Form1* b = Open();
  EXPECT_EQ(Fake(a).textSize, kDefaultTextSize);
  EXPECT_TRUE(a->mnuMedium.get_active());

  a->mnuLargest.activate();
  EXPECT_EQ(Module1().TextSizeLevel, 4);
  Form1* c = Open();  // a window opened later takes the level too
  for (Form1* w : {a, b, c}) {
    EXPECT_EQ(Fake(w).textSize, 4);
    const std::vector<bool> checks = {w->mnuLargest.get_active(), w->mnuLarge.get_active(), w->mnuMedium.get_active(),
                                      w->mnuSmall.get_active(), w->mnuSmallest.get_active()};
    EXPECT_EQ(checks, (std::vector<bool>{true, false, false, false, false}));
  }
  c->mnuSmallest.activate();
  for (Form1* w : {a, b, c}) {
    EXPECT_EQ(Fake(w).textSize, 0);
    EXPECT_TRUE(w->mnuSmallest.get_active());
    EXPECT_FALSE(w->mnuLargest.get_active());
  }
  // The full-screen window's page follows as well.
  a->mnuViewInFullScrn_Click();
  ASSERT_NE(FullScreenFake(), nullptr);
  EXPECT_EQ(FullScreenFake()->textSize, 0);
  b->mnuLarge.activate();
  EXPECT_EQ(FullScreenFake()->textSize, 3);
}

TEST_F(MenuCommands, SomethingMissingGivesItsMessageAndChangesNothingElse) {
  Module1State& m = Module1();
  const Settings saved = m.Working;
  const std::string appDir = m.AppDir, help = m.HelpPagePath;
  m.AppDir = scratch.path();  // no add-in here
  m.HelpPagePath = scratch / "NoHelp.htm";
  m.Working.MessengerName = "Chatter";
  m.Working.MessengerPath = scratch / "no such dir/chatter";
  m.Working.MailName = "Letters";
  m.Working.MailPath = "";
  Form1* w = Open();
  w->Form_Activate();
  EXPECT_FALSE(w->mnuQuillbox.get_visible());
  EXPECT_FALSE(w->mnuPop2Quillbox.get_visible());
  struct Row {
    const char* name;
    Gtk::MenuItem* item;
    std::string message;
  };
  const std::vector<Row> rows = {
      {"Help", &w->mnuHelp, "The skelvornax Help file Is Missing."},
      {"AddIn", &w->mnuQuillbox, ".../Quillbox/Quillbox Is Not Installed.\nIt Is A Separate Add-In Utility"},
      {"AddInFromTheMailButton", &w->mnuPop2Quillbox,
       ".../Quillbox/Quillbox Is Not Installed.\nIt Is A Separate Add-In Utility"},
      {"Messenger", &w->mnuWinMessenger,
       "Chatter Could Not Be Started.\nThe Program " + scratch.path() + "/no such dir/chatter Was Not Found."},
      {"MailProgramNotSet", &w->mnuOutlookOpen, "Letters Could Not Be Started.\nNo Program Is Set For It."},
      {"MailFromTheMailButton", &w->mnuPop2OpenMailApp, "Letters Could Not Be Started.\nNo Program Is Set For It."},
  };
  const auto navigations = Fake(w).navigations.size();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    answers.shown.clear();
    r.item->activate();
    EXPECT_EQ(answers.shown, std::vector<std::string>{r.message});
    EXPECT_EQ(Fake(w).navigations.size(), navigations);
    EXPECT_EQ(MainWindows().size(), 1u);
    EXPECT_EQ(TheApp().FullScreenWindow(), nullptr);
  }
  EXPECT_EQ(m.Working.MessengerPath, scratch / "no such dir/chatter");
  m.AppDir = appDir;
  m.HelpPagePath = help;
  m.Working = saved;
}

TEST_F(MenuCommands, ProgramsStartFromTheirWholePathWithoutAShell) {
  MakeDirs(scratch / "dir with blank");
  const std::string mail = scratch / "dir with blank/it's \"mail\" $(x)";
  const std::string messenger = scratch / "dir with blank/chat";
  WriteProgram(mail, scratch / "mail.out");
  WriteProgram(messenger, scratch / "chat.out");
  Module1State& m = Module1();
  const Settings saved = m.Working;
  m.Working.MailPath = mail;
  m.Working.MessengerPath = "\"" + messenger + "\"";  // typed in quotes, as a path with blanks often is
  Form1* w = Open();
  w->mnuOutlookOpen.activate();
  w->mnuWinMessenger.activate();
  EXPECT_TRUE(RunUntil([&] { return !ReadText(scratch / "mail.out").empty(); }, 10000));
  EXPECT_TRUE(RunUntil([&] { return !ReadText(scratch / "chat.out").empty(); }, 10000));
  EXPECT_EQ(ReadText(scratch / "mail.out"), mail + "|");
  EXPECT_EQ(ReadText(scratch / "chat.out"), messenger + "|");
  EXPECT_TRUE(answers.shown.empty());

  // The add-in appears once it is there, and starts.
  const std::string appDir = m.AppDir;
  m.AppDir = scratch / "dir with blank";
  MakeDirs(AddInPath(m.AppDir).substr(0, AddInPath(m.AppDir).rfind('/')));
  WriteProgram(AddInPath(m.AppDir), scratch / "addin.out");
  w->Form_Activate();
  EXPECT_TRUE(w->mnuQuillbox.get_visible());
  EXPECT_TRUE(w->mnuPop2Quillbox.get_visible());
  w->mnuQuillbox.activate();
  EXPECT_TRUE(RunUntil([&] { return !ReadText(scratch / "addin.out").empty(); }, 10000));
  EXPECT_EQ(ReadText(scratch / "addin.out"), AddInPath(m.AppDir) + "|");
  m.AppDir = appDir;
  m.Working = saved;
}

TEST_F(MenuCommands, NewMailGoesToTheDesktopsMailHandlerOrSaysThereIsNone) {
  std::vector<std::string> handed;
  bool handled = true;
  SetDefaultHandlerForTest([&](const std::string& uri) {
    handed.push_back(uri);
    return handled;
  });
  Form1* w = Open();
  w->mnuOutlookMail.activate();
  w->mnuPop2Mail.activate();
  EXPECT_EQ(handed, (std::vector<std::string>{"mailto:", "mailto:"}));
  EXPECT_TRUE(answers.shown.empty());
  handled = false;  // no mail program on this desktop
  w->mnuOutlookMail.activate();
  EXPECT_EQ(answers.shown, std::vector<std::string>{kNoMailHandlerText});
  SetDefaultHandlerForTest({});
}

TEST_F(MenuCommands, OpenAndFavoritesFollowTheTargetChoice) {
  const std::string page = scratch / "local page.html";
  WriteString(page, "<title>Local</title>");
  std::vector<OpenFilesRequest> asked;
  std::string answer = page;
  SetOpenFilesChooser([&](const OpenFilesRequest& r) {
    asked.push_back(r);
    return std::vector<std::string>{answer};
  });
  Form1* w = Open();
  w->mnuopen.activate();
  EXPECT_EQ(Fake(w).navigations.back(), page);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].filter, kDocumentFilter);

  w->Check1.set_active(true);  // a new window
  w->mnuopen.activate();
  ASSERT_EQ(MainWindows().size(), 2u);
  EXPECT_EQ(Fake(MainWindows()[1]).LocationURL(), page);
  EXPECT_FALSE(w->Check1.get_active());

  w->Check2.set_active(true);  // the full-screen window
  w->mnuopen.activate();
  ASSERT_NE(FullScreenFake(), nullptr);
  EXPECT_EQ(FullScreenFake()->LocationURL(), page);
  EXPECT_TRUE(TheApp().FullScreenWindow()->get_visible());
  EXPECT_FALSE(w->Check2.get_active());

  // A favourite opens its address; one that would run a script is refused.
  Module1().FavoritesDir = scratch.path();
  WriteString(scratch / "News.url", "[InternetShortcut]\r\nURL=http://news.example/\r\n");
  WriteString(scratch / "Evil.url", "[InternetShortcut]\r\nURL=javascript:alert(document.cookie)\r\n");
  answer = scratch / "News.url";
  w->mnuNavToIeFav.activate();
  EXPECT_EQ(Fake(w).navigations.back(), "http://news.example/");
  EXPECT_EQ(asked.back().filter, kFavoritesFilter);
  EXPECT_EQ(asked.back().folder, scratch.path());
  answer = scratch / "Evil.url";
  const auto before = Fake(w).navigations.size();
  w->mnuNavToIeFav.activate();
  EXPECT_EQ(Fake(w).navigations.size(), before);
  EXPECT_EQ(answers.shown, std::vector<std::string>{NotAShortcutText(scratch / "Evil.url")});
}

TEST_F(MenuCommands, SaveAsOffersTheTitleAndTellsWhenSavingFailed) {
  std::vector<SaveFileRequest> asked;
  std::string answer;
  SetSaveFileChooser([&](const SaveFileRequest& r) {
    asked.push_back(r);
    return answer;
  });
  Form1* w = Open();
  w->mnuSaveAs.activate();  // cancelled
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].suggestedName, "My Page.mht");
  EXPECT_TRUE(Fake(w).savedTo.empty());

  answer = scratch / "saved.mht";
  w->mnuSaveAs.activate();
  EXPECT_EQ(Fake(w).savedTo, std::vector<std::string>{answer});
  EXPECT_TRUE(answers.shown.empty());
  Fake(w).commandsSucceed = false;
  w->mnuSaveAs.activate();
  EXPECT_EQ(answers.shown, std::vector<std::string>{"The Page Could Not Be Saved As " + answer});
  w->mnuPrint.activate();
  EXPECT_EQ(answers.shown.back(), "The Page Could Not Be Printed.");
}

TEST_F(MenuCommands, PropertiesShowThePageAndItsCertificate) {
  std::vector<DetailRows> shown;
  SetDetailsViewer([&](const std::string& title, const DetailRows& rows) {
    EXPECT_EQ(title, "Properties");
    EXPECT_EQ(Module1().MsgBoxOpen, 1);  // no page window opens under it
    shown.push_back(rows);
  });
  Form1* w = Open("https://bank.example/");
  Fake(w).properties.secure = true;
  Fake(w).properties.certSubject = "CN=bank.example";
  w->mnuProps.activate();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0][0].second, "https://bank.example/");
  EXPECT_EQ(shown[0][1].second, "My Page");
  EXPECT_NE(std::find(shown[0].begin(), shown[0].end(),
                      std::pair<std::string, std::string>{"Certificate Subject", "CN=bank.example"}),
            shown[0].end());
  EXPECT_EQ(Module1().MsgBoxOpen, 0);
}

// However many rows, the details dialog fits on the screen with its Close
// button in reach.
TEST_F(MenuCommands, ALongDetailsDialogFitsOnTheScreen) {
  DetailRows rows;
  for (int i = 0; i < 150; ++i) rows.emplace_back("Row " + std::to_string(i), "value " + std::to_string(i));
  const WorkArea area = PrimaryWorkArea();
  bool checked = false;
  ScopedConnection watch{Glib::signal_timeout().connect(
      [&] {
        for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
          auto* dialog = dynamic_cast<Gtk::Dialog*>(window);
          if (!dialog || !dialog->get_mapped() || dialog->get_title() != "Properties") continue;
          int least = 0, natural = 0;  // what it needs to show everything, Close included
          dialog->get_preferred_height(least, natural);
          EXPECT_LE(natural, area.height);
          Gtk::Widget* close = dialog->get_widget_for_response(Gtk::RESPONSE_CLOSE);
          EXPECT_TRUE(close && close->get_mapped());
          checked = true;
          dialog->response(Gtk::RESPONSE_CLOSE);
          return false;
        }
        return true;
      },
      50)};
  ShowDetails("Properties", rows);
  EXPECT_TRUE(checked);
}

TEST_F(MenuCommands, AChosenFontIsTheListFontOfEveryWindowAtOnce) {
  Settings& s = Module1().Working;
  const Settings saved = s;
  s.ListFontName = "DejaVu Sans";
  s.ListFontBold = false;
  s.ListFontSize = 8;
  Form1* a = Open();
  Form1* b = Open();
  const float unitBefore = a->RowHeightUnit();
  std::vector<FontRequest> asked;
  SetFontChooser([&](const FontRequest& r) {
    asked.push_back(r);
    return std::optional<FontChoice>(FontChoice{"DejaVu Serif", true, 16});
  });
  a->mnuFonts.activate();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].preset.family, "DejaVu Sans");
  EXPECT_FLOAT_EQ(asked[0].preset.size, 8);
  EXPECT_EQ(s.ListFontName, "DejaVu Serif");
  EXPECT_TRUE(s.ListFontBold);
  EXPECT_FLOAT_EQ(s.ListFontSize, 16);
  // The row height is measured with the new font, in both windows.
  EXPECT_GT(a->RowHeightUnit(), unitBefore * 1.5f);
  EXPECT_FLOAT_EQ(b->RowHeightUnit(), a->RowHeightUnit());

  SetFontChooser([](const FontRequest&) { return std::optional<FontChoice>(); });  // cancelled
  a->mnuFonts.activate();
  EXPECT_EQ(s.ListFontName, "DejaVu Serif");
  s = saved;
}

TEST_F(MenuCommands, KeysReachTheFindBarPrintTheFullScreenWindowAndThePage) {
  Form1* w = Open();
  ASSERT_TRUE(RunUntil([&] { return w->get_mapped(); }));
  w->present();
  EXPECT_TRUE(Key(w, GDK_KEY_f, GDK_CONTROL_MASK));
  EXPECT_TRUE(w->FindBar1.get_visible());
  EXPECT_TRUE(w->FindBar1.Text1.is_focus());
  const int finishes = Fake(w).findFinishes;
  EXPECT_TRUE(Key(w, GDK_KEY_Escape));
  EXPECT_FALSE(w->FindBar1.get_visible());
  EXPECT_EQ(Fake(w).findFinishes, finishes + 1);
  EXPECT_TRUE(w->WebBrowser1.Widget().is_focus());
  EXPECT_EQ(Fake(w).stops, 0);  // Esc closed the bar; the next one stops the page
  Key(w, GDK_KEY_Escape);
  EXPECT_EQ(Fake(w).stops, 1);

  EXPECT_TRUE(Key(w, GDK_KEY_P, GDK_CONTROL_MASK));
  EXPECT_EQ(Fake(w).printDialogs, 1);

  // Ctrl with another key: the page's, unless a text box has the keys.
  w->Text1.grab_focus();
  EXPECT_FALSE(Key(w, GDK_KEY_a, GDK_CONTROL_MASK));
  EXPECT_TRUE(w->Text1.is_focus());
  w->Command1.grab_focus();
  EXPECT_FALSE(Key(w, GDK_KEY_a, GDK_CONTROL_MASK));
  EXPECT_TRUE(w->WebBrowser1.Widget().is_focus());

  EXPECT_TRUE(Key(w, GDK_KEY_F11));
  ASSERT_NE(FullScreenFake(), nullptr);
  EXPECT_EQ(FullScreenFake()->LocationURL(), "http://first.example/");
  EXPECT_TRUE(TheApp().FullScreenWindow()->get_visible());
}

// Ctrl+L and F6 take the focus to the address, all of it selected for
// typing over; Ctrl+W closes the window as its close button does.
TEST_F(MenuCommands, KeysForTheAddressBoxAndClosing) {
  Form1* w = Open();
  ASSERT_TRUE(RunUntil([&] { return w->get_mapped(); }));
  for (const auto& [name, keyval, state] : {std::tuple<const char*, guint, guint>{"CtrlL", GDK_KEY_l, GDK_CONTROL_MASK},
                                            {"CtrlShiftlessL", GDK_KEY_L, GDK_CONTROL_MASK},
                                            {"F6", GDK_KEY_F6, 0}}) {
    SCOPED_TRACE(name);
    w->Text1.set_text("http://first.example/");
    w->WebBrowser1.Widget().grab_focus();
    PressKey(*w, keyval, state);
    EXPECT_TRUE(w->Text1.is_focus());
    int from = -1, to = -1;
    EXPECT_TRUE(w->Text1.get_selection_bounds(from, to));
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, w->Text1.get_text_length());
  }
  // Also while typing in the address box.
  PressKey(*w, GDK_KEY_w, GDK_CONTROL_MASK);
  EXPECT_TRUE(RunUntil([&] { return MainWindows().empty(); }));
}

TEST_F(MenuCommands, FindBarCountsMatchesWrapsAndColoursAMissingText) {
  Form1* w = Open();
  Fake(w).texts["http://first.example/"] = "apple pie, Apple tart, apple juice";
  w->mnuEditFind.activate();
  FindBar& bar = w->FindBar1;
  struct Step {
    const char* name;
    std::function<void()> act;
    const char* count;
  };
  const std::vector<Step> steps = {
      {"Typed", [&] { bar.Text1.set_text("apple"); }, "1 of 3"},
      {"Next", [&] { bar.Next.clicked(); }, "2 of 3"},
      {"NextAgain", [&] { bar.Next.clicked(); }, "3 of 3"},
      {"NextWraps", [&] { bar.Next.clicked(); }, "1 of 3"},
      {"PreviousWraps", [&] { bar.Previous.clicked(); }, "3 of 3"},
      {"MatchCase", [&] { bar.MatchCase.set_active(true); }, "1 of 2"},
      {"Missing", [&] { bar.Text1.set_text("zebra"); }, "Not Found"},
      {"Cleared", [&] { bar.Text1.set_text(""); }, ""},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    s.act();
    EXPECT_EQ(bar.Count.get_text(), s.count);
    EXPECT_EQ(bar.Text1.get_style_context()->has_class("not-found"), std::string(s.count) == "Not Found");
  }
  EXPECT_EQ(Fake(w).finds.back().matchCase, true);
  EXPECT_GE(Fake(w).findFinishes, 1);  // clearing the text takes the highlight away
}

// Each window cycles its own buttons: a click does what its button shows,
// whatever another window's button shows.
TEST_F(MenuCommands, CycleButtonStopsFindsOrGoesFullScreen) {
  Form1* w = Open();
  Form1* other = Open();
  w->Command12_Click();
  EXPECT_EQ(Fake(w).stops, 1);
  w->Command12_RightPress();
  EXPECT_EQ(w->Command12.get_label(), "Find");
  w->Command12_Click();
  EXPECT_TRUE(w->FindBar1.get_visible());
  EXPECT_EQ(TheApp().FullScreenWindow(), nullptr);
  w->Command9_RightPress();
  w->Command13_Click();
  other->Form_Activate();
  EXPECT_EQ(other->Command12.get_label(), "Stop");
  EXPECT_EQ(other->Command9.get_label(), "History");
  EXPECT_FALSE(other->Command12.get_visible());  // its timer controls stay
  other->Command12_Click();
  EXPECT_EQ(Fake(other).stops, 1);
  w->Form_Activate();
  EXPECT_TRUE(w->Command12.get_visible());
  w->Command12_RightPress();
  EXPECT_EQ(w->Command12.get_label(), "Full");
  w->Command12_Click();
  ASSERT_NE(FullScreenFake(), nullptr);
  EXPECT_EQ(FullScreenFake()->LocationURL(), "http://first.example/");
  EXPECT_EQ(Fake(w).stops, 1);
  w->Form_QueryUnload();  // a closing window stores its own states
  EXPECT_EQ(Module1().Working.CycleMode12, 2);
  EXPECT_EQ(Module1().Working.CycleMode9, 1);
  EXPECT_EQ(Module1().Working.TimerSwapMode, 1);
}

TEST_F(MenuCommands, FullScreenBoxSendsTheNextPageTypedOrFollowedToTheFullScreenWindow) {
  Form1* w = Open();
  EXPECT_TRUE(w->Check2.get_sensitive());
  w->Check2.set_active(true);
  w->Text1.set_text("http://typed.example/");
  w->Command1_Click();
  ASSERT_NE(FullScreenFake(), nullptr);
  EXPECT_EQ(FullScreenFake()->LocationURL(), "http://typed.example/");
  EXPECT_EQ(Fake(w).LocationURL(), "http://first.example/");
  EXPECT_FALSE(w->Check2.get_active());

  // A link in the page: the page's window request gets a fresh full-screen window.
  w->Check1.set_active(true);
  w->Check2.set_active(true);
  Fake(w).ClickLink("http://link.example/");
  ASSERT_NE(FullScreenFake(), nullptr);
  EXPECT_EQ(FullScreenFake()->LocationURL(), "http://link.example/");
  EXPECT_EQ(Fake(w).LocationURL(), "http://first.example/");
  EXPECT_EQ(MainWindows().size(), 1u);
  EXPECT_FALSE(w->Check2.get_active());
  EXPECT_FALSE(w->Check1.get_active());  // not held
}

TEST_F(MenuCommands, AboutShowsTheDescriptionAndTheBuildsVersion) {
  Form1* w = Open();
  w->mnuAbout.activate();
  Form3* about = TheApp().About();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->get_title(), "About");
  EXPECT_EQ(about->Label1.get_text(), "Enhanced Web Browser With Advanced Features  For General Web Browsing.");
  EXPECT_EQ(about->Label2.get_text(), "Vs. " + ProgramVersion());
  EXPECT_TRUE(std::regex_match(ProgramVersion(), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));  // major.minor.revision
  // The program's own icon, found as the program finds it.
  EXPECT_EQ(about->Image1.get_icon_name(), kProgramIconName);
  UseProgramIcon(Module1().AppDir);
  EXPECT_TRUE(Gtk::IconTheme::get_default()->has_icon(kProgramIconName));
  w->mnuAbout.activate();  // one About window
  EXPECT_EQ(TheApp().About(), about);
  ASSERT_TRUE(RunUntil([&] { return about->get_mapped(); }));
  EXPECT_TRUE(about->Command1.is_focus());
  GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
  key->key.keyval = GDK_KEY_Escape;
  EXPECT_TRUE(about->Form_KeyDown(&key->key));
  gdk_event_free(key);
  EXPECT_EQ(TheApp().About(), nullptr);
}

// A private desktop where the program's entry is installed and is not the
// default yet; the system's folders stay, for the icons and file types the
// window needs. Set before anything asks the desktop, which reads its entries once.
class AboutOnADesktop : public MenuCommands {
 protected:
  AboutOnADesktop() {
    setenv("XDG_DATA_HOME", (desktop / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (desktop / "config").c_str(), 1);
    MakeDirs(desktop / "data/applications");
    MakeDirs(desktop / "config");
    MakeDirs(desktop / "bin");
    WriteString(desktop / "bin/skelvornax", "#!/bin/sh\n");
    ::chmod((desktop / "bin/skelvornax").c_str(), 0755);
    const std::string path = getenv("PATH") ? getenv("PATH") : "/usr/bin";
    setenv("PATH", (desktop / "bin:" + path).c_str(), 1);
    std::ifstream entry(std::string(SKELVORNAX_SOURCE_DIR) + "/data/org.skelvornax.Browser.desktop");
    std::stringstream text;
    text << entry.rdbuf();
    WriteString(desktop / "data/applications/org.skelvornax.Browser.desktop", text.str());
  }
  TempDir desktop;
};

TEST_F(AboutOnADesktop, MakesTheProgramTheDefaultBrowserAndSaysSo) {
  Form1* w = Open();
  w->mnuAbout.activate();
  Form3* about = TheApp().About();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->LabelDefault.get_text(), "skelvornax is not your default web browser.");
  ASSERT_TRUE(about->CommandMakeDefault.get_visible());
  EXPECT_EQ(about->CommandMakeDefault.get_label(), "Make skelvornax The Default Browser");
  about->CommandMakeDefault.clicked();
  EXPECT_EQ(about->LabelDefault.get_text(), "skelvornax is your default web browser.");
  EXPECT_FALSE(about->CommandMakeDefault.get_visible());
  EXPECT_EQ(answers.shown.size(), 0u);

  // Each test runs in its own process, so the changed environment goes with it.
  // Without its entry the desktop cannot take it: the reason is shown and nothing claims success.
  about->Form_QueryUnload();
  RunFor(20);
  std::remove((desktop / "data/applications/org.skelvornax.Browser.desktop").c_str());
  std::remove((desktop / "config/mimeapps.list").c_str());
  w->mnuAbout.activate();
  about = TheApp().About();
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(RunUntil([&] { return about->get_mapped(); }));
  about->CommandMakeDefault.grab_focus();
  PressKey(*about, GDK_KEY_Return);  // the button with the focus
  ASSERT_TRUE(RunUntil([&] { return !answers.shown.empty(); }, 5000));
  EXPECT_NE(answers.shown[0].find("could not be made the default browser"), std::string::npos);
  EXPECT_EQ(about->LabelDefault.get_text(), "skelvornax is not your default web browser.");
  // The next Enter closes the window instead of trying again.
  PressKey(*about, GDK_KEY_Return);
  EXPECT_TRUE(RunUntil([&] { return TheApp().About() == nullptr; }, 5000));
  EXPECT_EQ(answers.shown.size(), 1u);
}

TEST_F(MenuCommands, OptionsAndSuggestionsOpenFromTheirEntries) {
  Form1* w = Open("http://shown.example/");
  w->mnuDefStartPage.activate();
  EXPECT_NE(TheApp().Options(), nullptr);
  // Both sit in the menu, under their submenus.
  EXPECT_EQ(w->mnuDefStartPage.get_parent(), w->mnuMainOptions.get_submenu());
  EXPECT_EQ(w->mnuBugsSuggest.get_parent(), w->mnuMhelp.get_submenu());
  w->mnuBugsSuggest.activate();
  EXPECT_NE(TheApp().Suggestions(), nullptr);
}

}  // namespace
