// Browsing with the real engine against a loopback server: what the window
// shows, and what ends up in today's history file.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/app/Module1.h"
#include "core/history/HistoryRecord.h"
#include "gui/GuiTest.h"
#include "platform/WebKitBrowser.h"
#include "support/LoopbackServer.h"
#include "ui/browser/Form1.h"

namespace {

class Navigation : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1().Working.HistoryDays = 7;
    UseRealEngine();
    for (const char* p : {"/a", "/b", "/c", "/d", "/e", "/f"}) server.TitledPage(p, std::string("Page ") + (p + 1));
  }

  void TearDown() override {
    CloseAllMainWindows();
    RunFor(50);
  }

  // Does something that loads a page, then waits until the page is in and its
  // check timer has run.
  void Visit(Form1* w, const std::function<void()>& action, const std::string& title) {
    int finished = 0;
    sigc::connection c = w->WebBrowser1.DownloadComplete.connect([&] { ++finished; });
    action();
    EXPECT_TRUE(RunUntil([&] { return finished > 0 && w->PageTitle() == title && !w->Timer4Enabled(); }))
        << "waiting for " << title;
    c.disconnect();
  }

  void Type(Form1* w, const std::string& address) {
    w->Text1.set_text(address);
    w->Command1_Click();
  }

  // An address where nothing listens.
  static std::string ClosedPortUrl() {
    GSocket* s = g_socket_new(G_SOCKET_FAMILY_IPV4, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_TCP, nullptr);
    GInetAddress* lo = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
    GSocketAddress* any = g_inet_socket_address_new(lo, 0);
    g_socket_bind(s, any, TRUE, nullptr);
    GSocketAddress* bound = g_socket_get_local_address(s, nullptr);
    const int port = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(bound));
    for (GObject* o : {G_OBJECT(bound), G_OBJECT(any), G_OBJECT(lo), G_OBJECT(s)}) g_object_unref(o);
    return "http://127.0.0.1:" + std::to_string(port) + "/nothing";
  }

  std::vector<HistoryRecord> Today() {
    return ReadDayFile(Module1().HistoryDir + "/" + DayFileName(dates::NowLocal()));
  }

  LoopbackServer server;
};

TEST_F(Navigation, BrowsingShowsPagesAndLogsExactlyTheVisitedOnes) {
  Module1().StartPageFlag = 0;  // the first window opens the start page (never logged)
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  ASSERT_TRUE(RunUntil([&] { return w->PageTitle() == "skelvornax Help" && !w->Timer4Enabled(); }));
  long bestProgress = 0;
  const ScopedConnection progress{
      w->WebBrowser1.ProgressChange.connect([&](long p, long) { bestProgress = std::max(bestProgress, p); })};

  Visit(
      w, [&] { Type(w, server.Url("/a")); }, "Page a");
  EXPECT_EQ(w->get_title(), "Page a - skelvornax");
  EXPECT_EQ(w->Text1.get_text(), server.Url("/a"));
  EXPECT_EQ(bestProgress, 1000);
  Visit(
      w, [&] { Type(w, server.Url("/b")); }, "Page b");
  EXPECT_TRUE(w->Command3.get_sensitive());
  EXPECT_FALSE(w->Command4.get_sensitive());
  Visit(
      w, [&] { w->Command3_Click(); }, "Page a");
  EXPECT_TRUE(RunUntil([&] { return w->Command4.get_sensitive(); }));

  // A page the server does not have: not logged, and it spends the error mark.
  Visit(
      w, [&] { Type(w, server.Url("/missing")); }, "Not Found");
  Visit(
      w, [&] { Type(w, server.Url("/c")); }, "Page c");
  // No server at all: the program's own error page, never logged; it spends
  // the error mark, so the next page is logged again.
  Visit(
      w, [&] { Type(w, ClosedPortUrl()); }, "Cannot find server");
  Visit(
      w, [&] { Type(w, server.Url("/d")); }, "Page d");
  Visit(
      w, [&] { Type(w, server.Url("/e")); }, "Page e");

  const auto day = Today();
  std::vector<std::string> urls;
  for (const auto& r : day) urls.push_back(r.URL);
  EXPECT_EQ(urls, (std::vector<std::string>{server.Url("/a"), server.Url("/b"), server.Url("/c"), server.Url("/d"),
                                            server.Url("/e")}));
  ASSERT_FALSE(day.empty());
  EXPECT_EQ(day[0].Hits, 2);  // went back to it once
  EXPECT_EQ(day[0].Title, "Page a");
  EXPECT_EQ(day[0].Host, "127.0.0.1:" + server.Url("").substr(17));
}

// The engine's page processes started by this test program.
std::vector<pid_t> WebProcesses() {
  std::vector<pid_t> pids;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string pid, comm, state;
    pid_t parent = 0;
    if (stat >> pid >> comm >> state >> parent && parent == getpid() &&
        comm.find("WebKitWebProces") != std::string::npos)
      pids.push_back(static_cast<pid_t>(std::stol(pid)));
  }
  return pids;
}

// Windows opened from a window (as a second start's are) share its page
// process: when it dies, each shows the error page and comes back on reload.
TEST_F(Navigation, CrashedPageProcessLeavesEveryWindowItSharedAnErrorPageThatReloads) {
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  Visit(
      w, [&] { Type(w, server.Url("/a")); }, "Page a");
  w->Check1.set_active(true);
  Type(w, server.Url("/f"));
  ASSERT_TRUE(RunUntil([&] { return MainWindows().size() == 2 && MainWindows().back()->PageTitle() == "Page f"; }));
  Form1* opened = MainWindows().back();
  const auto pids = WebProcesses();
  ASSERT_EQ(pids.size(), 1u);
  kill(pids.front(), SIGKILL);
  EXPECT_TRUE(RunUntil([&] {
    return w->PageTitle() == "This page stopped working" && opened->PageTitle() == "This page stopped working";
  }));
  EXPECT_EQ(w->WebBrowser1.LocationURL(), server.Url("/a"));
  EXPECT_EQ(opened->WebBrowser1.LocationURL(), server.Url("/f"));
  w->WebBrowser1.Refresh2(1);
  opened->WebBrowser1.Refresh2(1);
  EXPECT_TRUE(RunUntil([&] { return w->PageTitle() == "Page a" && opened->PageTitle() == "Page f"; }));
}

TEST_F(Navigation, BlockedPortShowsTheErrorPageNotABlankWindow) {
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  const std::size_t logged = Today().size();
  Visit(
      w, [&] { Type(w, "http://127.0.0.1:1/"); }, "Cannot find server");
  EXPECT_EQ(w->WebBrowser1.LocationURL(), "http://127.0.0.1:1/");
  EXPECT_EQ(Today().size(), logged);
}

TEST_F(Navigation, NewWindowBoxOpensTheAddressInASecondWindow) {
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  w->Check1.set_active(true);
  Type(w, server.Url("/f"));
  ASSERT_TRUE(RunUntil([&] { return MainWindows().size() == 2; }));
  Form1* fresh = MainWindows().back();
  EXPECT_TRUE(RunUntil([&] { return fresh->PageTitle() == "Page f" && !fresh->Timer4Enabled(); }));
  EXPECT_FALSE(w->Check1.get_active());
  EXPECT_TRUE(w->WebBrowser1.LocationURL().empty());
  EXPECT_EQ(server.Requests("/f"), 1);

  // Closing the second window leaves the first one running.
  CloseWindow(fresh);
  EXPECT_EQ(MainWindows(), std::vector<Form1*>{w});
}

TEST_F(Navigation, PageOpenedWindowAppearsAsAMainWindow) {
  server.TitledPage("/opener", "Opener",
                    "<a id='l' href='/b' target='_blank'>b</a>"
                    "<script>window.open('/c', 'plain');</script>");
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  Visit(
      w, [&] { Type(w, server.Url("/opener")); }, "Opener");
  ASSERT_TRUE(RunUntil([&] { return MainWindows().size() == 2; }));
  EXPECT_TRUE(RunUntil([&] { return MainWindows().back()->PageTitle() == "Page c"; }));
}

}  // namespace
