// The main window over the fake browser: the site selector, the address box,
// the layout after resizing, the toolbar strip, closing and new windows.
#include <atk/atk.h>
#include <gdk/gdkkeysyms.h>
#include <glib.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/app/SettingsRecord.h"
#include "core/app/Startup.h"
#include "core/browser/MainWindowRules.h"
#include "core/sitelists/ListFiles.h"
#include "gui/GuiTest.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/browser/Form1.h"

namespace {

constexpr float kTol = 15;                           // one pixel
using Table = std::vector<std::vector<SiteRecord>>;  // the pages of each category

class Form1Window : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1State& m = Module1();
    Settings& s = m.Working;
    s.MainLeft = 0, s.MainTop = 0, s.MainWidth = 7095, s.MainHeight = 5445;
    s.SeparateSelectors = 0, s.HideControlsMode = 0, s.CheckBoxesToggle = 0, s.StatusBarHidden = 0;
    s.HoldNewWindowBox = 0;
  }
  void TearDown() override { CloseAll(); }
  static void CloseAll() {
    CloseAllMainWindows();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
  }

  // Categories "Cat1".. in site files 1.. with the given pages.
  static void WriteLists(const Table& table) {
    std::vector<CategoryRecord> cats;
    for (std::size_t i = 0; i < table.size(); ++i) {
      const auto n = static_cast<int16_t>(i + 1);
      cats.push_back({"Cat" + std::to_string(n), n});
      ASSERT_TRUE(RewriteSites(Module1().SiteListsDir + "/" + SiteFileName(n), table[i]));
    }
    ASSERT_TRUE(RewriteCategories(Module1().CatListPath, cats));
  }
  // Each category with that many pages "Page<c>.<p>".
  static Table Pages(const std::vector<int>& counts) {
    Table t;
    for (std::size_t c = 0; c < counts.size(); ++c) {
      t.emplace_back();
      for (int p = 0; p < counts[c]; ++p) {
        const std::string id = std::to_string(c + 1) + "." + std::to_string(p + 1);
        t.back().push_back({"Page" + id, "http://example.com/" + id});
      }
    }
    return t;
  }
  using GuiTest::OpenWindow;
  static Form1* OpenWindow() { return OpenWindow(std::make_unique<FakeBrowser>()); }
  static FakeBrowser& Fake(Form1* w) { return static_cast<FakeBrowser&>(w->WebBrowser1); }
};

TEST_F(Form1Window, SelectorListsCategoriesWithTheirPagesAndSizesToThem) {
  struct Row {
    const char* name;
    std::vector<int> pages;
    float innerHeight, factor;
    bool marginWins;
  };
  const Row rows[] = {
      {"SevenRows", {2, 2, 1}, 9000, 1.7f, false},
      {"NineCategoriesInLowWindow", {1, 1, 1, 1, 1, 1, 1, 1, 1}, 4000, 1.4f, true},
  };
  Form1* w = OpenWindow();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Table table = Pages(r.pages);
    WriteLists(table);
    w->SetInnerSizeForTest(12000, r.innerHeight);
    w->UniLodCombo();
    std::vector<std::string> shown, expected;  // each category heading is keyed "<n>C", its pages follow
    for (int i = 0; i < w->ListView2.RowCount(); ++i) shown.push_back(w->ListView2.Key(i) + " " + w->ListView2.Text(i));
    for (std::size_t c = 0; c < table.size(); ++c) {
      expected.push_back(std::to_string(c + 1) + "C Cat" + std::to_string(c + 1));
      for (const auto& page : table[c]) expected.push_back(" " + page.Name);
    }
    ASSERT_EQ(shown, expected);
    const float natural = w->RowHeightUnit() * r.factor * static_cast<float>(shown.size());
    ASSERT_GT(natural, 1560) << "the row would not tell the factors apart";
    const float limit = w->Layout().innerHeight - std::max(w->Layout().Text1.bottom(), 435.f) - 600;
    ASSERT_EQ(natural > limit, r.marginWins) << "unit " << w->RowHeightUnit();
    const TwipRect placed = w->PlacedRect(w->ListView2);
    EXPECT_NEAR(placed.height, std::min(natural, limit), kTol);
    EXPECT_NEAR(placed.top, 435, kTol);
  }
}

// Deferred actions started close together each still run: both timer boxes
// a right press switched off come back, and the header click hides its list.
TEST_F(Form1Window, EveryDeferredActionRuns) {
  WriteLists(Pages({1}));
  Form1* w = OpenWindow();
  w->Command14_Click();
  ASSERT_TRUE(w->ListView2.get_visible());
  w->Text_RightPress(2);
  w->Text_RightPress(3);
  w->ListView_ColumnClick(DeferredAction::HideCategoryList);
  EXPECT_FALSE(w->Text2.get_sensitive());
  EXPECT_FALSE(w->Text3.get_sensitive());
  EXPECT_TRUE(RunUntil([&] { return w->Text2.get_sensitive() && w->Text3.get_sensitive(); }));
  EXPECT_FALSE(w->ListView2.get_visible());
}

// A download that runs until it is cancelled.
class HeldDownload : public FileDownload {
 public:
  std::string Name() const override { return "big.zip"; }
  std::string Path() const override { return "/tmp/big.zip"; }
  uint64_t Received() const override { return 10; }
  uint64_t Total() const override { return 100; }
  bool Running() const override { return running; }
  void Cancel() override {
    running = false;
    Failed.emit(kDownloadCancelled);
  }
  bool running = true;
};

// Panel 1's double click toggles history logging; its first click is only
// half of that and must not cancel a running download. Esc does.
TEST_F(Form1Window, AClickOnTheStatusPanelNeverCancelsADownload) {
  Form1* w = OpenWindow();
  const auto download = std::make_shared<HeldDownload>();
  w->WebBrowser1.DownloadStarted.emit(download);
  const int16_t logging = Module1().HistoryLogOff;
  w->StatusBar1.PanelClick.emit(1);
  w->StatusBar1.PanelDblClick.emit(1);
  EXPECT_TRUE(download->running);
  EXPECT_NE(Module1().HistoryLogOff, logging);
  w->StatusBar1.PanelDblClick.emit(1);
  GdkEventKey esc{};
  esc.type = GDK_KEY_PRESS;
  esc.keyval = GDK_KEY_Escape;
  w->Form_KeyDown(&esc);
  EXPECT_FALSE(download->running);
}

// The script-message switch shows on panel 3 with a picture of its own even
// with the pop-up killer off, and is stored as it stands at exit.
TEST_F(Form1Window, ScriptMessagesOffShowsItsPanelStateAndIsSaved) {
  Module1State& m = Module1();
  m.Working.KillPopUps = 0, m.Working.BoomOnKill = 0, m.ScriptMessagesOff = 0;
  Form1* w = OpenWindow();
  w->mnuScriptErr_Click();
  EXPECT_EQ(w->StatusBar1.Text(3), "Script Msg");
  EXPECT_FALSE(w->StatusBar1.Picture(3).empty());
  EXPECT_EQ(m.Working.ScriptErrMode, 1);
  w->mnuScriptErr_Click();
  EXPECT_EQ(w->StatusBar1.Picture(3), "");
  EXPECT_EQ(m.Working.ScriptErrMode, 0);
}

// The refresh button shows a local page's address as its path, but leaves
// what the user typed over a web page's address alone.
TEST_F(Form1Window, RefreshKeepsTypedTextOverAWebPage) {
  Form1* w = OpenWindow();
  w->WebBrowser1.Navigate("http://example.com/");
  w->Text1.set_text("half typed");
  w->Command2_Click();
  EXPECT_EQ(w->Text1.get_text(), "half typed");
  w->WebBrowser1.Navigate("file:///home/u/My%20Page.htm");
  w->Text1.set_text("half typed");
  w->Command2_Click();
  EXPECT_EQ(w->Text1.get_text(), "/home/u/My Page.htm");
}

TEST_F(Form1Window, SelectorClicks) {
  WriteLists({{{"Plain", "http://example.com/a"}, {"NoAddress", ""}, {"Local", "file:///home/u/My%20Page.htm"}}});
  Form1* w = OpenWindow();
  FakeBrowser& fake = Fake(w);
  fake.autoComplete = false;  // the address box shows what the click put there
  auto click = [w](int row) {
    w->ListView2.Select(row);
    w->ListView2.Click.emit();
  };
  ASSERT_EQ(w->ListView2.RowCount(), 4);

  click(1);  // the click that opened the list
  EXPECT_TRUE(fake.navigations.empty());
  click(1);
  EXPECT_EQ(fake.navigations, std::vector<std::string>{"http://example.com/a"});
  EXPECT_EQ(w->Text1.get_text(), "http://example.com/a");

  w->Text1.set_text("typed");
  click(0);  // category heading
  click(2);  // page without an address
  EXPECT_EQ(fake.navigations.size(), 1u);
  EXPECT_EQ(w->Text1.get_text(), "typed");

  click(3);
  EXPECT_EQ(fake.navigations.back(), "file:///home/u/My%20Page.htm");
  EXPECT_EQ(w->Text1.get_text(), "/home/u/My Page.htm");

  w->UniLodCombo();  // a fresh fill swallows its first click again
  click(1);
  EXPECT_EQ(fake.navigations.size(), 2u);
}

// From the keyboard: the drop-down button, a row highlighted, Enter. The
// first click after a fill stays swallowed; Enter is no such click.
TEST_F(Form1Window, EnterOnAHighlightedSelectorRowOpensIt) {
  WriteLists({{{"Plain", "http://example.com/a"}, {"Other", "http://example.com/b"}}});
  const auto highlight = [](ListView& list, int row) {
    Gtk::TreeModel::Path path;
    path.push_back(row);
    list.Tree().set_cursor(path);
  };
  for (const int16_t separate : {0, 1}) {
    SCOPED_TRACE(separate ? "SeparateSelectors" : "SingleSelector");
    Module1().Working.SeparateSelectors = separate;
    Form1* w = OpenWindow();
    FakeBrowser& fake = Fake(w);
    // The lists take keys only in the active window.
    w->present();
    ASSERT_TRUE(RunUntil([&] { return w->is_active(); }));
    w->Command14_Click();
    ASSERT_TRUE(w->ListView2.Tree().has_focus());
    if (separate) {
      highlight(w->ListView2, 0);  // the category
      PressKey(*w, GDK_KEY_Return);
      ASSERT_TRUE(w->ListView1.get_visible());
      w->ListView1.Tree().grab_focus();
      highlight(w->ListView1, 0);  // its first page
    } else {
      highlight(w->ListView2, 1);  // the first page under the heading
    }
    PressKey(*w, GDK_KEY_Return);
    EXPECT_EQ(fake.navigations, std::vector<std::string>{"http://example.com/a"});
    CloseWindow(w);
  }
}

TEST_F(Form1Window, ProgressBarShowsTheFractionLeftOfTheClockAndGoesWhenDone) {
  Form1* w = OpenWindow();
  ASSERT_TRUE(RunUntil([&] { return w->get_mapped(); }));
  for (const int width : {600, 1000}) {
    SCOPED_TRACE(width);
    w->resize(width, 500);
    w->WebBrowser1.ProgressChange.emit(250, 1000);
    EXPECT_TRUE(w->ProgressBar1.get_visible());
    EXPECT_DOUBLE_EQ(w->ProgressBar1.get_fraction(), 0.25);
    ASSERT_TRUE(RunUntil([&] { return w->ProgressBar1.get_mapped() && w->get_allocated_width() == width; }));
    RunFor(100);
    int x = 0, y = 0;
    ASSERT_TRUE(w->ProgressBar1.translate_coordinates(w->StatusBar1, 0, 0, x, y));
    EXPECT_LE(x + w->ProgressBar1.get_allocated_width(), w->StatusBar1.PanelLeft(2));  // the clock
    w->WebBrowser1.ProgressChange.emit(1000, 1000);
    EXPECT_FALSE(w->ProgressBar1.get_visible());
  }
}

TEST_F(Form1Window, AddressCaptionAndHistoryButtonsFollowLoads) {
  Form1* w = OpenWindow();
  FakeBrowser& fake = Fake(w);
  fake.titles["http://example.com/x%20y"] = "Example";
  fake.titles["file:///tmp/a%20b.htm"] = "Local";
  struct Step {
    const char* name;
    std::function<void()> act;
    std::string text, caption;
    bool back, forward;
  };
  const Step steps[] = {
      {"LocalPage", [&] { fake.CompleteLoad("file:///tmp/a%20b.htm"); }, "/tmp/a b.htm", "Local - skelvornax", false,
       false},
      {"WebPageKeepsEscapes", [&] { fake.CompleteLoad("http://example.com/x%20y"); }, "http://example.com/x%20y",
       "Example - skelvornax", true, false},
      {"Back", [&] { w->Command3_Click(); }, "/tmp/a b.htm", "Local - skelvornax", false, true},
      {"Forward", [&] { w->Command4_Click(); }, "http://example.com/x%20y", "Example - skelvornax", true, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    s.act();
    EXPECT_EQ(w->Text1.get_text(), s.text);
    EXPECT_EQ(w->get_title(), s.caption);
    EXPECT_EQ(w->Command3.get_sensitive(), s.back);
    EXPECT_EQ(w->Command4.get_sensitive(), s.forward);
  }
}

// The toolbar row and the page area for a 12000 x 8000 twip client area.
void ExpectLayout(Form1* w, float allowance, float statusAllowance, float toolbarOffset) {
  const float width = 12000, height = 8000;
  const TwipRect text1 = w->PlacedRect(w->Text1), browser = w->PlacedRect(w->WebBrowser1.Widget());
  EXPECT_NEAR(text1.left, 5100 - allowance, kTol);
  EXPECT_NEAR(text1.top, 75 - toolbarOffset, kTol);
  EXPECT_NEAR(text1.width, width - (5805 - allowance), kTol);
  EXPECT_NEAR(w->PlacedRect(w->Command14).left, 4770 - allowance, kTol);
  EXPECT_NEAR(w->PlacedRect(w->Command1).left, width - 360, kTol);
  EXPECT_NEAR(browser.top, 435 - toolbarOffset, kTol);
  EXPECT_NEAR(browser.width, width + 60, kTol);
  EXPECT_NEAR(browser.height, height - 705 + statusAllowance + toolbarOffset, kTol);
}

TEST_F(Form1Window, LayoutAfterResizeFollowsCheckBoxesAndStatusBar) {
  struct Row {
    const char* name;
    int16_t toggle, statusHidden;
    float allowance, statusAllowance;
  };
  const Row rows[] = {
      {"CheckBoxesHidden", 0, 0, 315, 0},
      {"CheckBoxesShownStatusBarHidden", 1, 1, 0, 270},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Module1().Working.CheckBoxesToggle = r.toggle;
    Module1().Working.StatusBarHidden = r.statusHidden;
    Form1* w = OpenWindow();
    w->SetInnerSizeForTest(12000, 8000);
    EXPECT_EQ(w->CheckBoxesHidden(), r.allowance > 0);
    EXPECT_EQ(w->Check1.get_visible(), r.allowance == 0);
    ExpectLayout(w, r.allowance, r.statusAllowance, 0);
    w->Label3_Click();  // the other way round
    EXPECT_EQ(w->Check1.get_visible(), r.allowance > 0);
    EXPECT_EQ(Module1().Working.CheckBoxesToggle, r.allowance > 0 ? 1 : 0);
    ExpectLayout(w, 315 - r.allowance, r.statusAllowance, 0);
    CloseWindow(w);
  }
}

TEST_F(Form1Window, ToolbarStripHidesAndShows) {
  Module1().Working.HideControlsMode = 1;
  Form1* w = OpenWindow();
  w->SetInnerSizeForTest(12000, 8000);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    w->Command7_Click();
    ASSERT_TRUE(w->ToolbarHidden());
    ExpectLayout(w, 315, 270, 360);
    EXPECT_NEAR(w->PlacedRect(w->Command7).width, 12015, kTol);
    EXPECT_FALSE(w->StatusBar1.get_visible());
    EXPECT_FALSE(w->Text1.get_visible());
    w->Command7_MouseMove();  // the pointer is still on the strip it just clicked
    EXPECT_TRUE(w->ToolbarHidden());
    w->Timer3_Timer();
    if (round == 0) {
      // The pointer moves on the strip it never left.
      GdkEvent* move = gdk_event_new(GDK_MOTION_NOTIFY);
      move->motion.window = GDK_WINDOW(g_object_ref(w->get_window()->gobj()));
      gtk_widget_event(GTK_WIDGET(w->Command7.gobj()), move);
      gdk_event_free(move);
    } else {
      w->Command7_Click();
    }
    ASSERT_FALSE(w->ToolbarHidden());
    ExpectLayout(w, 315, 0, 0);
    EXPECT_NEAR(w->PlacedRect(w->Command7).width, 4755, kTol);
    EXPECT_TRUE(w->StatusBar1.get_visible());
    EXPECT_TRUE(w->Text1.get_visible());
  }
  Module1().Working.HideControlsMode = 0;
  w->Command7_Click();
  EXPECT_FALSE(w->ToolbarHidden());
  ExpectLayout(w, 315, 0, 0);
}

TEST_F(Form1Window, CloseSavesGeometryOfLargeEnoughWindows) {
  struct Row {
    const char* name;
    int widthPx, heightPx;
    bool shapedByPage, saved;
  };
  const Row rows[] = {
      {"ExactlyMinimumWidth", 534, 400, false, true},
      {"OnePixelNarrower", 533, 400, false, false},
      {"ShapedByItsPage", 600, 400, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Settings& s = Module1().Working;
    s.MainWidth = 7095, s.MainHeight = 5445;
    Form1* w = OpenWindow();
    if (r.shapedByPage) {
      Fake(w).openedByPage = true;
      w->WebBrowser1_WindowSetLeft(10);  // a page placed its window
    }
    w->resize(r.widthPx, r.heightPx);
    ASSERT_TRUE(
        RunUntil([&] { return w->get_allocated_width() == r.widthPx && w->get_allocated_height() == r.heightPx; }));
    // The window has its geometry by now; these stay unless closing saves it.
    s.MainLeft = 4321, s.MainTop = 1234, s.MainWidth = 12345, s.MainHeight = 6789;
    CloseWindow(w);
    const auto saved = LoadSettings(Module1().UserIniPath);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->MainWidth, r.saved ? static_cast<float>(r.widthPx * 15) : 12345.f);
    EXPECT_EQ(saved->MainHeight, r.saved ? static_cast<float>(r.heightPx * 15) : 6789.f);
    EXPECT_EQ(saved->MainLeft == 4321 && saved->MainTop == 1234, !r.saved);
  }
}

TEST_F(Form1Window, ASettingsRecordThatCannotBeWrittenIsReported) {
  ScriptedAnswers answers;
  SetMsgAnswerer(answers.Answerer());
  Module1State& m = Module1();
  const std::string ini = m.UserIniPath;
  m.UserIniPath = Home() + "/no-such-folder/skelvorn.ini";
  CloseWindow(OpenWindow());
  const std::vector<std::string> want = {"An Error Occurred Saving The Settings To " + m.UserIniPath};
  m.UserIniPath = ini;
  SetMsgAnswerer({});
  EXPECT_EQ(answers.shown, want);
}

// Collects the critical messages GTK logs while a scope runs.
struct CriticalCounter {
  int count = 0;
  guint id;
  CriticalCounter() {
    id = g_log_set_handler(
        "Gtk", static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL),
        [](const gchar*, GLogLevelFlags, const gchar*, gpointer self) { ++static_cast<CriticalCounter*>(self)->count; },
        this);
  }
  ~CriticalCounter() { g_log_remove_handler("Gtk", id); }
};

TEST_F(Form1Window, ClosingOneOfTwoKeepsTheOtherAndTheLastClosesCleanly) {
  Form1* first = OpenWindow();
  Form1* second = OpenWindow();
  CloseWindow(first);
  EXPECT_EQ(MainWindows(), std::vector<Form1*>{second});
  CriticalCounter criticals;
  second->Form_QueryUnload();
  EXPECT_EQ(MainWindows(), std::vector<Form1*>{second});  // loaded until its page had time to stop
  CloseWindow(second);
  EXPECT_TRUE(MainWindows().empty());
  EXPECT_EQ(criticals.count, 0);
}

TEST_F(Form1Window, AFreshProfilesFirstWindowTakesMostOfTheScreenAndTheNextCascades) {
  Settings& s = Module1().Working;
  s.MainLeft = 0, s.MainTop = 0, s.MainWidth = kMainFloorWidth, s.MainHeight = kMainFloorHeight;
  Form1* first = OpenWindow();
  ASSERT_TRUE(RunUntil([&] { return first->get_mapped(); }));
  const WorkArea a = PrimaryWorkArea();
  int w = 0, h = 0, x = 0, y = 0;
  first->get_size(w, h);
  first->get_position(x, y);
  EXPECT_NEAR(w, a.width * 0.7, 2);
  EXPECT_NEAR(h, a.height * 0.7, 2);
  EXPECT_NEAR(x, a.x + (a.width - w) / 2.0, 2);
  // The next window cascades from the first one's place and keeps its size.
  first->Check1.set_active(true);
  first->Text1.set_text("http://example.com/next");
  first->Command1_Click();
  ASSERT_EQ(MainWindows().size(), 2u);
  EXPECT_EQ(s.MainLeft, CascadeStep(Tw(x)));
  EXPECT_EQ(s.MainWidth, Tw(w));
}

TEST_F(Form1Window, NewWindowBoxOpensTypedAddressInSecondWindow) {
  struct Row {
    const char* name;
    int16_t hold;
    int msgBox;
    bool opens, tickedAfter;
  };
  const Row rows[] = {
      {"BoxUntickedAfterwards", 0, 0, true, false},
      {"BoxHeld", 1, 0, true, true},
      {"NoneUnderMessageBox", 0, 1, false, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Module1State& m = Module1();
    m.Working.HoldNewWindowBox = r.hold;
    m.MsgBoxOpen = r.msgBox;
    m.Working.MainLeft = 500, m.Working.MainTop = 1000;
    m.Working.MainWidth = 9000;  // a saved size: the first window keeps its place
    Form1* w = OpenWindow();
    w->Check1.set_active(true);
    w->Text1.set_text("http://example.com/new");
    w->Command1_Click();
    EXPECT_TRUE(Fake(w).navigations.empty());
    ASSERT_EQ(MainWindows().size(), r.opens ? 2u : 1u);
    if (r.opens) {
      EXPECT_EQ(Fake(MainWindows().back()).navigations, std::vector<std::string>{"http://example.com/new"});
    }
    EXPECT_EQ(w->Check1.get_active(), r.tickedAfter);
    EXPECT_EQ(m.Working.MainLeft, r.opens ? 800.f : 500.f);
    EXPECT_EQ(m.Working.MainTop, r.opens ? 400.f : 1000.f);
    CloseAll();
    m.MsgBoxOpen = 0;
  }
}

// True while a menu has grabbed the seat's pointer and keyboard.
bool HoldsPointerAndKeyboard() {
  GdkDisplay* display = gdk_display_get_default();
  GdkSeat* seat = gdk_display_get_default_seat(display);
  return gdk_display_device_is_grabbed(display, gdk_seat_get_pointer(seat)) &&
         gdk_display_device_is_grabbed(display, gdk_seat_get_keyboard(seat));
}

// The names of an accessible object's children.
std::vector<std::string> AccessibleChildNames(AtkObject* parent) {
  std::vector<std::string> names;
  for (int i = 0; i < atk_object_get_n_accessible_children(parent); ++i) {
    AtkObject* child = atk_object_ref_accessible_child(parent, i);
    const char* name = child ? atk_object_get_name(child) : nullptr;
    names.emplace_back(name ? name : "");
    if (child) g_object_unref(child);
  }
  return names;
}

TEST_F(Form1Window, MenuOpensForAssistiveToolsTheKeyboardAndThePointerAlike) {
  Form1* w = OpenWindow();
  ASSERT_TRUE(RunUntil([&] { return w->get_mapped(); }));
  AtkObject* button = gtk_widget_get_accessible(GTK_WIDGET(w->Command8.gobj()));
  EXPECT_STREQ(atk_object_get_name(button), "Menu");
  // The items are the button's accessible children, by their captions.
  const auto items = AccessibleChildNames(button);
  for (const char* item : {"New Browser Window", "Work Offline", "Close"})
    EXPECT_NE(std::find(items.begin(), items.end(), item), items.end()) << item;

  for (int round = 0; round < 2; ++round) {  // a second time: nothing is left half open
    SCOPED_TRACE(round);
    ASSERT_TRUE(ATK_IS_ACTION(button));
    ASSERT_TRUE(atk_action_do_action(ATK_ACTION(button), 0));
    ASSERT_TRUE(RunUntil([&] { return w->mnuPop1.get_mapped(); }, 5000));
    EXPECT_TRUE(HoldsPointerAndKeyboard());  // so the keys reach the menu, not the page
    w->mnuPop1.deactivate();                 // what Esc or a choice does
    EXPECT_TRUE(RunUntil([&] { return !w->mnuPop1.get_mapped() && !w->Command8.get_active(); }, 5000));
    EXPECT_TRUE(RunUntil([] { return !HoldsPointerAndKeyboard(); }, 5000));
  }

  GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
  key->key.window = GDK_WINDOW(g_object_ref(w->get_window()->gobj()));
  key->key.keyval = GDK_KEY_m;
  key->key.state = GDK_MOD1_MASK;  // Alt with any key
  EXPECT_TRUE(w->Form_KeyDown(&key->key));
  gdk_event_free(key);
  EXPECT_TRUE(RunUntil([&] { return w->mnuPop1.get_mapped(); }, 5000));
  EXPECT_TRUE(HoldsPointerAndKeyboard());
  w->mnuPop1.deactivate();
  EXPECT_TRUE(RunUntil([&] { return !w->Command8.get_active(); }, 5000));
}

// A window a page opened closes without a question when its page says so,
// and pages do that from events that fire while a dialog of the window waits
// (on blur, as the dialog takes the focus). The handler that opened the
// dialog goes on with the window once the dialog is answered, so the window,
// its page and its browser must all still be there: the close waits.
TEST_F(Form1Window, APageClosingItsWindowUnderOneOfItsDialogsClosesItAfterTheDialog) {
  TempDir scratch;
  std::string saved = scratch / "page.mht", local = scratch / "local.htm";
  WriteString(local, "<title>Local</title>");
  const std::string page = "http://closes-itself.example/";
  Form1* opener = OpenWindow();
  Form1* popup = nullptr;
  bool closedUnderDialog = false, pageKeptUnderDialog = false;
  // What the page does while the dialog is up: it closes its window, and the
  // main loop runs on well past the close sequence's pause.
  const auto pageClosesItsWindow = [&] {
    Fake(popup).WindowClosing.emit();
    RunFor(1200);
    const auto loaded = MainWindows();
    closedUnderDialog = std::find(loaded.begin(), loaded.end(), popup) == loaded.end();
    pageKeptUnderDialog = !closedUnderDialog && Fake(popup).LocationURL() == page;  // gone: never touched
  };
  struct Row {
    const char* name;
    std::function<void(Form1*)> handler;
    std::function<bool(Form1*)> done;  // what the handler did after its dialog
  };
  ScriptedAnswers answers;
  const Row rows[] = {
      {"save as",
       [&](Form1* w) {
         SetSaveFileChooser([&](const SaveFileRequest&) {
           pageClosesItsWindow();
           return saved;
         });
         w->mnuSaveAs_Click();
       },
       [&](Form1* w) { return Fake(w).savedTo == std::vector<std::string>{saved}; }},
      {"open",
       [&](Form1* w) {
         SetOpenFilesChooser([&](const OpenFilesRequest&) {
           pageClosesItsWindow();
           return std::vector<std::string>{local};
         });
         w->mnuopen_Click();
       },
       [&](Form1* w) { return Fake(w).navigations.back() == local; }},
      {"fonts",
       [&](Form1* w) {
         SetFontChooser([&](const FontRequest&) {
           pageClosesItsWindow();
           return std::optional<FontChoice>(FontChoice{"DejaVu Sans", false, 9});
         });
         w->mnuFonts_Click();
       },
       [](Form1*) { return Module1().Working.ListFontName == "DejaVu Sans"; }},
      {"message box",
       [&](Form1* w) {
         SetMsgAnswerer([&](const std::string&, MsgButtons) {
           pageClosesItsWindow();
           return MsgAnswer::No;
         });
         w->Command6_Click();
       },
       [](Form1*) { return true; }},
      {"properties",
       [&](Form1* w) {
         SetDetailsViewer([&](const std::string&, const DetailRows&) { pageClosesItsWindow(); });
         w->mnuProps_Click();
       },
       [](Form1*) { return true; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    popup = OpenWindow();
    Fake(popup).openedByPage = true;
    Fake(popup).Navigate(page);
    closedUnderDialog = true;
    pageKeptUnderDialog = false;
    row.handler(popup);
    SetSaveFileChooser({});
    SetOpenFilesChooser({});
    SetFontChooser({});
    SetMsgAnswerer({});
    SetDetailsViewer({});
    EXPECT_FALSE(closedUnderDialog);
    EXPECT_TRUE(pageKeptUnderDialog);
    EXPECT_TRUE(row.done(popup));
    // Once the dialog is gone, the page's close goes through.
    EXPECT_TRUE(RunUntil([&] { return MainWindows() == std::vector<Form1*>{opener}; }, 5000));
  }
}

// A download outlives the window that started it: another window takes it
// over and says how it ends. The last window asks before the program ends
// with a download running; a no keeps the window and its download.
TEST_F(Form1Window, ARunningDownloadOutlivesItsWindowAndTheLastWindowAsksBeforeEndingIt) {
  ScriptedAnswers answers;
  SetMsgAnswerer(answers.Answerer());
  Form1* first = OpenWindow();
  Form1* second = OpenWindow();
  auto big = std::make_shared<FakeDownload>("big.zip", "/tmp/dl/big.zip");
  Fake(first).DownloadStarted.emit(big);
  EXPECT_EQ(first->StatusBar1.Text(1).rfind("Downloading big.zip", 0), 0u);
  CloseWindow(first);
  EXPECT_TRUE(answers.shown.empty());  // another window is left: no question
  EXPECT_TRUE(big->Running());
  EXPECT_EQ(second->RunningDownloads(), 1u);
  EXPECT_EQ(second->StatusBar1.Text(1).rfind("Downloading big.zip", 0), 0u);
  big->Finish();
  EXPECT_EQ(second->StatusBar1.Text(1), "Downloaded big.zip to /tmp/dl");
  ASSERT_NE(second->DownloadDoneDialog(), nullptr);
  second->DownloadDoneDialog()->response(Gtk::RESPONSE_CLOSE);

  // One fails while another runs: the failure is told beside the progress.
  auto song = std::make_shared<FakeDownload>("song.ogg", "/tmp/dl/song.ogg");
  auto setup = std::make_shared<FakeDownload>("setup.bin", "/tmp/dl/setup.bin");
  Fake(second).DownloadStarted.emit(song);
  Fake(second).DownloadStarted.emit(setup);
  setup->Fail("No space left on device");
  EXPECT_NE(second->StatusBar1.Text(1).find("Download of setup.bin failed: No space left on device"), std::string::npos)
      << second->StatusBar1.Text(1);
  EXPECT_EQ(second->StatusBar1.Text(1).rfind("Downloading song.ogg", 0), 0u);

  answers.answers = {MsgAnswer::No};
  second->Form_QueryUnload();
  ASSERT_EQ(answers.shown.size(), 1u);
  EXPECT_EQ(answers.shown[0],
            "A Download Is Still Running (song.ogg).\nClosing The Last Window Cancels It. Close Anyway?");
  RunFor(1000);
  EXPECT_EQ(MainWindows(), std::vector<Form1*>{second});
  EXPECT_TRUE(song->Running());

  answers.answers = {MsgAnswer::Yes};
  second->Form_QueryUnload();
  EXPECT_FALSE(song->Running());  // cancelled, which takes its partial file away
  EXPECT_TRUE(RunUntil([] { return MainWindows().empty(); }, 5000));
  SetMsgAnswerer({});
}

}  // namespace
