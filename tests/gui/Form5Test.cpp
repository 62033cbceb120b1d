// The full-screen window over the fake engine: the add-page panel and its
// checks, back and forward, Close, the tooltips, dragging the panel and the
// main windows its pages open.
#include <gdk/gdkkeysyms.h>

#include <memory>
#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/app/SettingsRecord.h"
#include "core/app/SharedRoutines.h"
#include "core/sitelists/ListFiles.h"
#include "gui/GuiTest.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form5.h"

namespace {

class FullScreen : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1().Working.NoToolTips = 0;
    SetMsgAnswerer(answers.Answerer());
    main = OpenWindow(std::make_unique<FakeBrowser>());
    window = &TheApp().FullScreen(main->WebBrowser1);
    Fake().titles["http://a.example/"] = "Page A";
    Fake().titles["http://b.example/"] = "Page B";
  }
  void TearDown() override {
    CloseAllMainWindows();
    RunFor(20);
    SetMsgAnswerer({});
  }
  FakeBrowser& Fake() { return static_cast<FakeBrowser&>(window->WebBrowser1); }
  static void WriteCategories(const std::vector<CategoryRecord>& cats) {
    ASSERT_TRUE(RewriteCategories(Module1().CatListPath, cats));
  }
  static std::string SitePath(int16_t n) { return Module1().SiteListsDir + "/" + SiteFileName(n); }

  ScriptedAnswers answers;
  Form1* main = nullptr;
  Form5* window = nullptr;
};

TEST_F(FullScreen, WithNoCategoryTheAddButtonSaysSoAndThePanelStaysHidden) {
  WriteCategories({});
  window->ShowPage("http://a.example/");
  window->Picture3_Click();
  EXPECT_EQ(answers.shown, std::vector<std::string>{"Can't Add Page. No Categories Exist."});
  EXPECT_FALSE(window->PanelShown());
}

TEST_F(FullScreen, AddingAPageWhoseTitleIsListedStoresItNumberedAndUpdatesTheSelectors) {
  Module1().Working.SeparateSelectors = 0;
  WriteCategories({{"News", 41}, {"Fun", 91}});
  ASSERT_TRUE(RewriteSites(SitePath(91), {{"Page A", "http://old.example/"}}));
  window->ShowPage("http://a.example/");
  window->Picture3_Click();
  ASSERT_TRUE(window->PanelShown());
  EXPECT_EQ(window->Text1.get_text(), "Page A");
  EXPECT_EQ(window->ImageCombo2.get_active_row_number(), -1);  // nothing chosen yet
  window->ImageCombo2.set_active(1);
  EXPECT_TRUE(answers.shown.empty()) << answers.shown.front();
  EXPECT_EQ(ReadSites(SitePath(91)),
            (std::vector<SiteRecord>{{"Page A", "http://old.example/"}, {"Page A(1)", "http://a.example/"}}));
  EXPECT_EQ(window->Label2.get_text(), "Added As \"Page A(1)\" To Fun.");
  // The main window's selector shows it at once.
  bool listed = false;
  for (int i = 0; i < main->ListView2.RowCount(); ++i) listed = listed || main->ListView2.Text(i) == "Page A(1)";
  EXPECT_TRUE(listed);

  // Another name typed in the box is the name stored.
  window->Text1.set_text("Mine");
  window->ImageCombo2.set_active(0);
  EXPECT_EQ(ReadSites(SitePath(41)), (std::vector<SiteRecord>{{"Mine", "http://a.example/"}}));

  window->Command1_Click();  // Cancel
  EXPECT_FALSE(window->PanelShown());
  EXPECT_EQ(window->ImageCombo2.get_model()->children().size(), 0u);
}

// With separate selectors only a window showing the category the page went
// into reads it again; another keeps the category its user picked.
TEST_F(FullScreen, AddingAPageUpdatesOnlyTheSelectorsShowingItsCategory) {
  Module1().Working.SeparateSelectors = 1;
  WriteCategories({{"News", 41}, {"Fun", 91}, {"Misc", 7}});
  ASSERT_TRUE(RewriteSites(SitePath(41), {{"N1", "http://n1.example/"}}));
  ASSERT_TRUE(RewriteSites(SitePath(91), {{"F1", "http://f1.example/"}}));
  ASSERT_TRUE(RewriteSites(SitePath(7), {{"M1", "http://m1.example/"}}));
  Form1* funWindow = OpenWindow(std::make_unique<FakeBrowser>());
  Form1* miscWindow = OpenWindow(std::make_unique<FakeBrowser>());
  auto pick = [](Form1* w, int row) {
    w->ListView2.Select(row);
    w->ListView2.Click.emit();
  };
  pick(funWindow, 1);  // the first click after loading only opens the list
  pick(funWindow, 1);
  pick(miscWindow, 2);
  pick(miscWindow, 2);
  ASSERT_EQ(funWindow->ListView1.Text(0), "F1");
  ASSERT_EQ(miscWindow->ListView1.Text(0), "M1");

  window->ShowPage("http://a.example/");
  window->Picture3_Click();
  window->ImageCombo2.set_active(1);
  ASSERT_EQ(funWindow->ListView1.RowCount(), 2);
  EXPECT_EQ(funWindow->ListView1.Text(1), "Page A");
  EXPECT_EQ(funWindow->ListView2.SelectedIndex(), 1);
  EXPECT_EQ(miscWindow->ListView1.RowCount(), 1);
  EXPECT_EQ(miscWindow->ListView1.Text(0), "M1");
  EXPECT_EQ(miscWindow->ListView2.SelectedIndex(), 2);
  Module1().Working.SeparateSelectors = 0;
}

TEST_F(FullScreen, ACategoryListGoneAfterThePanelOpenedIsReported) {
  WriteCategories({{"News", 41}});
  std::remove(SitePath(41).c_str());
  window->ShowPage("http://a.example/");
  window->Picture3_Click();
  std::remove(Module1().CatListPath.c_str());
  window->ImageCombo2.set_active(0);
  EXPECT_EQ(answers.shown, std::vector<std::string>{"An Error Occurred Opening File And Adding Page"});
  EXPECT_NE(FileTest(SitePath(41)), 0);
}

TEST_F(FullScreen, BackAndForwardFollowTheHistory) {
  window->ShowPage("http://a.example/");
  EXPECT_FALSE(window->Picture7.get_sensitive());
  EXPECT_FALSE(window->Picture8.get_sensitive());
  window->WebBrowser1.Navigate("http://b.example/");
  EXPECT_TRUE(window->Picture7.get_sensitive());
  EXPECT_FALSE(window->Picture8.get_sensitive());
  window->Picture7_Click();
  EXPECT_EQ(Fake().LocationURL(), "http://a.example/");
  EXPECT_FALSE(window->Picture7.get_sensitive());
  EXPECT_TRUE(window->Picture8.get_sensitive());
  window->Picture8_Click();
  EXPECT_EQ(Fake().LocationURL(), "http://b.example/");
  window->Picture6_Click();
  EXPECT_EQ(Fake().refreshes, std::vector<int>{1});  // refresh if expired
}

// Close and Escape both put the layout back; only Close closes the window,
// while Escape, after the name box had it, keeps the page.
TEST_F(FullScreen, CloseAndEscapePutTheLayoutBackAndOnlyCloseCloses) {
  WriteCategories({{"News", 41}});
  for (const bool close : {true, false}) {
    SCOPED_TRACE(close ? "Close" : "Escape");
    window->ShowPage("http://a.example/");
    ASSERT_TRUE(RunUntil([&] { return window->get_mapped(); }));
    window->Picture3_Click();
    window->move(40, 50);
    if (close) {
      window->Picture2_Click();
    } else {
      window->Text1.grab_focus();
      GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
      key->key.window = GDK_WINDOW(g_object_ref(window->get_window()->gobj()));
      key->key.keyval = GDK_KEY_Escape;
      gtk_widget_event(GTK_WIDGET(window->gobj()), key);
      gdk_event_free(key);
    }
    EXPECT_EQ(window->get_visible(), !close);
    EXPECT_FALSE(window->PanelShown());
    EXPECT_EQ(window->ImageCombo2.get_model()->children().size(), 0u);
    EXPECT_EQ(Fake().navigations.back(), close ? Module1().DefPagePath : "http://a.example/");
    int x = 0, y = 0;
    window->get_position(x, y);
    const WorkArea a = PrimaryWorkArea();
    EXPECT_EQ(x, a.x);
    EXPECT_EQ(y, a.y);
    EXPECT_EQ(TheApp().FullScreenWindow(), window);  // ready to be shown again
  }
}

TEST_F(FullScreen, TooltipsNameTheButtonsAndThePageOrAreOff) {
  window->ShowPage("http://a.example/");
  window->F5ToolT();
  EXPECT_EQ(window->Picture4.get_tooltip_text(), "Page A - skelvornax - Full Screen Window");
  EXPECT_EQ(window->Picture2.get_tooltip_text(), "Close");
  EXPECT_EQ(window->Picture7.get_tooltip_text(), "Back");
  EXPECT_EQ(window->Picture8.get_tooltip_text(), "Forward");
  EXPECT_EQ(window->Picture5.get_tooltip_text(), "Dock Window Top-Left Corner");
  Module1().Working.NoToolTips = 1;
  window->F5ToolT();
  for (Gtk::Widget* w :
       std::initializer_list<Gtk::Widget*>{&window->Picture2, &window->Picture3, &window->Picture4, &window->Picture5,
                                           &window->Picture6, &window->Picture7, &window->Picture8})
    EXPECT_EQ(w->get_tooltip_text(), "");
  window->WebBrowser1.Navigate("http://b.example/");
  EXPECT_EQ(window->Picture4.get_tooltip_text(), "");
  EXPECT_EQ(window->Label1.get_text(), "Page B");
  Module1().Working.NoToolTips = 0;
}

TEST_F(FullScreen, ThePanelIsDraggedInsideThePage) {
  WriteCategories({{"News", 41}});
  window->ShowPage("http://a.example/");
  window->Picture3_Click();
  ASSERT_TRUE(RunUntil([&] { return window->Picture1.get_allocated_width() > 1; }));
  int x0 = 0, y0 = 0;
  window->PanelPosition(x0, y0);
  GdkEventButton press{};
  press.type = GDK_BUTTON_PRESS;
  press.button = 1;
  press.x_root = 500;
  press.y_root = 400;
  EXPECT_TRUE(window->Picture1_MouseDown(&press));
  GdkEventMotion motion{};
  motion.x_root = 550;
  motion.y_root = 430;
  window->Picture1_MouseMove(&motion);
  int x = 0, y = 0;
  window->PanelPosition(x, y);
  EXPECT_EQ(x, x0 + 50);
  EXPECT_EQ(y, y0 + 30);
  motion.x_root = -5000;
  motion.y_root = 90000;
  window->Picture1_MouseMove(&motion);
  window->PanelPosition(x, y);
  EXPECT_EQ(x, 0);  // not out past the left
  EXPECT_LE(y + window->Picture1.get_allocated_height(), window->WebBrowser1.Widget().get_allocated_height());
  GdkEventButton release = press;
  release.type = GDK_BUTTON_RELEASE;
  EXPECT_TRUE(window->Picture1_MouseUp(&release));
  motion.x_root = 700;
  window->Picture1_MouseMove(&motion);
  int after = 0;
  window->PanelPosition(after, y);
  EXPECT_EQ(after, x);  // no drag once released
}

TEST_F(FullScreen, APagesNewWindowIsAMainWindowUpAndLeft) {
  Settings& s = Module1().Working;
  s.MainLeft = 3000;
  s.MainTop = 300;
  window->ShowPage("http://a.example/");
  window->WebBrowser1.NavigateNewWindow("http://b.example/");
  ASSERT_EQ(MainWindows().size(), 2u);
  EXPECT_EQ(MainWindows()[1]->WebBrowser1.LocationURL(), "http://b.example/");
  EXPECT_FLOAT_EQ(s.MainLeft, 2400);
  EXPECT_FLOAT_EQ(s.MainTop, 600);  // past zero: back to 600
  EXPECT_EQ(TheApp().FullScreenWindow(), window);
}

}  // namespace
