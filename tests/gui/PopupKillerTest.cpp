// The pop-up killer with the real engine: pages on a loopback server open
// windows in different ways, and the windows that shape themselves go.
#include <algorithm>

#include "core/app/Module1.h"
#include "core/history/HistoryRecord.h"
#include "core/records/Coding.h"
#include "core/sitelists/ListFiles.h"
#include "gui/GuiTest.h"
#include "platform/WebKitBrowser.h"
#include "support/LoopbackServer.h"
#include "ui/browser/Form1.h"

namespace {

class PopupKiller : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1().Working.KillPopUps = 1;
    Module1().Working.HistoryDays = 7;
    RewriteDontKill(Module1().DontKillPath, {});
    UseRealEngine();
    server.TitledPage("/child", "Child");
    server.TitledPage("/shaper", "Shaper", "<script>window.resizeTo(400, 300);</script>");
  }

  void TearDown() override {
    CloseAllMainWindows();
    RunFor(50);
  }

  // Opens a page whose script opens `target` with `features`; returns the
  // window that came of it once its first page is in.
  Form1* OpenPopup(const std::string& target, const std::string& features) {
    server.TitledPage("/opener", "Opener", "<script>window.open('" + target + "', 'w', '" + features + "');</script>");
    Form1* opener = OpenWindow(std::make_unique<WebKitBrowser>());
    opener->WebBrowser1.Navigate(server.Url("/opener"));
    EXPECT_TRUE(RunUntil([] { return MainWindows().size() == 2; })) << "no window for " << features;
    return MainWindows().size() == 2 ? MainWindows().back() : nullptr;
  }

  static bool Killed() {
    return RunUntil([] { return MainWindows().size() == 1; });
  }

  // A window that lives past its page checks is not going to be killed.
  static bool Survives(Form1* w, const std::string& title) {
    if (!RunUntil([&] { return w->PageTitle() == title && !w->Timer4Enabled(); })) return false;
    RunFor(800);
    return MainWindows().size() == 2 && w->get_visible();  // a window being closed is hidden first
  }

  std::vector<std::string> LoggedUrls() {
    std::vector<std::string> urls;
    for (const auto& r : ReadDayFile(Module1().HistoryDir + "/" + DayFileName(dates::NowLocal())))
      urls.push_back(r.URL);
    return urls;
  }

  LoopbackServer server;
};

TEST_F(PopupKiller, PlainWindowOpenIsNeverKilled) {
  Form1* child = OpenPopup("/child", "");
  ASSERT_TRUE(child);
  EXPECT_TRUE(Survives(child, "Child"));
  EXPECT_EQ(child->Popup().killState, 0);
}

TEST_F(PopupKiller, SizedWindowIsKilledAndLeavesNoHistory) {
  const int killedBefore = Module1().PopUpsKilled;
  ASSERT_TRUE(OpenPopup("/child", "width=300,height=200"));
  EXPECT_TRUE(Killed());
  EXPECT_EQ(Module1().PopUpsKilled, killedBefore + 1);
  const auto urls = LoggedUrls();
  EXPECT_EQ(std::count(urls.begin(), urls.end(), server.Url("/child")), 0);
  EXPECT_EQ(MainWindows().front()->StatusBar1.Text(3), "Pop-Ups");
}

TEST_F(PopupKiller, WindowWithoutToolbarIsKilled) {
  ASSERT_TRUE(OpenPopup("/child", "toolbar=no"));
  EXPECT_TRUE(Killed());
}

TEST_F(PopupKiller, WindowWhosePageResizesItselfIsKilled) {
  ASSERT_TRUE(OpenPopup("/shaper", ""));
  EXPECT_TRUE(Killed());
}

TEST_F(PopupKiller, DontKillEntrySparesAddressesBeginningWithIt) {
  // Any letter case; the entry is a prefix of the page's address.
  RewriteDontKill(Module1().DontKillPath, {{"ours", coding::ToUpper(server.Url("/CHI"))}});
  Form1* child = OpenPopup("/child", "width=300,height=200");
  ASSERT_TRUE(child);
  EXPECT_TRUE(Survives(child, "Child"));
}

TEST_F(PopupKiller, LongerDontKillEntryDoesNotSpare) {
  RewriteDontKill(Module1().DontKillPath, {{"too long", server.Url("/children")}});
  ASSERT_TRUE(OpenPopup("/child", "width=300,height=200"));
  EXPECT_TRUE(Killed());
}

TEST_F(PopupKiller, NothingIsKilledWithTheKillModeOff) {
  Module1().Working.KillPopUps = 0;
  Form1* child = OpenPopup("/child", "width=300,height=200");
  ASSERT_TRUE(child);
  EXPECT_TRUE(Survives(child, "Child"));
}

TEST_F(PopupKiller, PageInTheUsersOwnWindowCannotGetItKilled) {
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  w->WebBrowser1.Navigate(server.Url("/shaper"));
  ASSERT_TRUE(RunUntil([&] { return w->PageTitle() == "Shaper" && !w->Timer4Enabled(); }));
  RunFor(800);
  EXPECT_EQ(MainWindows().size(), 1u);
  EXPECT_FALSE(w->Popup().scriptShaped);
}

}  // namespace
