// The record of open pages over the fake browser: what it lists while the
// program runs, that a normal end removes it, and the offer a record found at
// start-up makes in the first window's bar.
#include <atk/atk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/app/OpenPages.h"
#include "gui/GuiTest.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/app/Form8.h"
#include "ui/app/OpenPagesKeeper.h"
#include "ui/browser/Form1.h"

namespace {

using openpages::Pages;

const Pages kLastRun = {{"http://example.com/one", "One"}, {"https://example.com/two", "Two"}};

class OpenPagesWindow : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    path_ = Module1().UserDataDir + "/" + openpages::kFileName;
  }
  void TearDown() override { CloseAllMainWindows(); }

  // The program starting with `lastRun` left in the data folder.
  void StartWith(const Pages& lastRun) {
    ASSERT_TRUE(lastRun.empty() || openpages::Write(path_, lastRun));
    Keeper().Start(Module1().UserDataDir);
  }
  static OpenPagesKeeper& Keeper() { return TheApp().OpenPages(); }
  static FakeBrowser& Fake(Form1* w) { return static_cast<FakeBrowser&>(w->WebBrowser1); }
  static Form1* OpenOn(const std::string& url, const std::string& title) {
    auto browser = std::make_unique<FakeBrowser>();
    browser->titles[url] = title;
    Form1* w = OpenWindow(std::move(browser));
    if (!url.empty()) Fake(w).Navigate(url);
    return w;
  }
  Pages OnDisk() {
    Keeper().Flush();
    return openpages::Read(path_);
  }
  static std::vector<std::string> Addresses() {
    std::vector<std::string> urls;
    for (Form1* w : MainWindows()) urls.push_back(w->WebBrowser1.LocationURL());
    return urls;
  }
  std::string path_;
};

TEST_F(OpenPagesWindow, ARunThatEndsWithTwoWindowsLeavesNoRecordAfterANormalClose) {
  StartWith(kLastRun);  // an offer left unanswered goes too
  OpenOn("http://example.com/a", "A");
  Form1* second = OpenOn("http://example.com/b", "B");
  EXPECT_EQ(OnDisk(), (Pages{{"http://example.com/a", "A"}, {"http://example.com/b", "B"}, kLastRun[0], kLastRun[1]}));
  Fake(second).ClickLink("http://example.com/c");
  EXPECT_EQ(OnDisk(), (Pages{{"http://example.com/a", "A"}, {"http://example.com/c", "c"}, kLastRun[0], kLastRun[1]}));
  CloseAllMainWindows();
  Keeper().Flush();
  EXPECT_FALSE(Exists(path_));
}

TEST_F(OpenPagesWindow, AClosedWindowAPrivateWindowAndTheBlankPageAreNotListed) {
  StartWith({});
  Form1* first = OpenOn("http://example.com/a", "A");
  Form1* hidden = OpenOn("", "");
  Fake(hidden).isPrivate = true;
  Fake(hidden).Navigate("http://example.com/private");
  OpenOn("http://example.com/b", "B");
  OpenOn(Module1().DefPageUrl, "Pre-Navigate Default Page");
  EXPECT_EQ(OnDisk(), (Pages{{"http://example.com/a", "A"}, {"http://example.com/b", "B"}}));
  CloseWindow(first);
  EXPECT_EQ(OnDisk(), (Pages{{"http://example.com/b", "B"}}));
}

TEST_F(OpenPagesWindow, ARecordAtStartShowsTheBarInTheFirstWindowOnly) {
  StartWith(kLastRun);
  Form1* first = OpenOn("", "");
  Keeper().Offer(*first);
  ReopenBar& bar = first->ReopenBar1;
  ASSERT_TRUE(bar.Asking());
  EXPECT_EQ(bar.Text.get_text(), "skelvornax did not close normally. Reopen the 2 pages that were open?");
  EXPECT_EQ(bar.Text.get_tooltip_text(), "One\nTwo");
  EXPECT_TRUE(bar.Reopen.is_focus());  // Enter reopens, Tab reaches "No"
  EXPECT_TRUE(bar.No.get_can_focus());
  for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{&bar, &bar.Reopen, &bar.No})
    EXPECT_STRNE(atk_object_get_name(w->get_accessible()->gobj()), "");
  // Until the user answers, the offered pages stay in the record with this run's.
  Fake(first).Navigate("http://example.com/now");
  EXPECT_EQ(OnDisk().size(), 3u);

  // A second start while running is a hand-over, never an offer.
  Module1().CommandLineArg = "http://example.com/handed";
  TheApp().OpenNewMainWindow();
  ASSERT_EQ(MainWindows().size(), 2u);
  EXPECT_FALSE(MainWindows().back()->ReopenBar1.Asking());
  EXPECT_TRUE(bar.Asking());
}

TEST_F(OpenPagesWindow, ReopenOpensOneWindowPerPageInOrder) {
  StartWith(kLastRun);
  Form1* first = OpenOn("http://example.com/start", "Start");
  Keeper().Offer(*first);
  first->ReopenBar1.Reopen.clicked();
  EXPECT_FALSE(first->ReopenBar1.Asking());
  EXPECT_EQ(Addresses(), (std::vector<std::string>{"http://example.com/start", "http://example.com/one",
                                                   "https://example.com/two"}));
  EXPECT_TRUE(Keeper().Offered().empty());
  EXPECT_EQ(OnDisk().size(), 3u);
  // A later new window opens the start page again, not an offered one.
  TheApp().OpenNewMainWindow();
  EXPECT_EQ(Fake(MainWindows().back()).navigations.front(), Module1().Working.StartPage);
}

TEST_F(OpenPagesWindow, NoOrANewPageForgetsTheRecord) {
  struct Case {
    const char* name;
    std::function<void(Form1*)> answer;
    Pages left;  // what the record lists afterwards
  };
  const Case cases[] = {
      {"No", [](Form1* w) { w->ReopenBar1.No.clicked(); }, {}},
      {"a link followed",
       [](Form1* w) { Fake(w).ClickLink("http://example.com/new"); },
       {{"http://example.com/new", "new"}}},
      {"an address typed",
       [](Form1* w) {
         w->Text1.set_text("http://example.com/typed");
         w->Command1_Click();
       },
       {{"http://example.com/typed", "typed"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartWith(kLastRun);
    Form1* first = OpenOn("", "");
    Keeper().Offer(*first);
    c.answer(first);
    EXPECT_FALSE(first->ReopenBar1.Asking());
    EXPECT_EQ(MainWindows().size(), 1u);
    EXPECT_EQ(OnDisk(), c.left);
    EXPECT_EQ(Exists(path_), !c.left.empty());
    CloseAllMainWindows();
  }
}

TEST_F(OpenPagesWindow, ADamagedOrEmptyRecordMakesNoOffer) {
  for (const std::string& text : {std::string("{\"pages\": [{\"url\": "), std::string(), std::string("\x00\xff", 2)}) {
    WriteString(path_, text);
    Keeper().Start(Module1().UserDataDir);
    Form1* first = OpenOn("", "");
    Keeper().Offer(*first);
    EXPECT_FALSE(first->ReopenBar1.Asking());
    CloseAllMainWindows();
  }
}

}  // namespace
