// Cookies with the real engine across two runs of the program in one home:
// a site's lasting cookie comes back after a restart; a private window's
// cookie reaches neither a normal window nor the next run, and its pages no
// day file. Each run is this test program started again (CookieRun.Child),
// while the loopback server lives here.
#include <glibmm.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/app/Module1.h"
#include "core/history/HistoryRecord.h"
#include "gui/GuiTest.h"
#include "platform/WebKitBrowser.h"
#include "support/LoopbackServer.h"
#include "ui/browser/Form1.h"

namespace {

constexpr const char* kVisitsVar = "SKELVORNAX_COOKIE_VISITS";
constexpr const char* kPrivateMark = "private:";

// One run: each address of the list in a window of its own, opened in turn
// (a "private:" one in a private window), then every window closed.
class CookieRun : public GuiTest {};

TEST_F(CookieRun, Child) {
  const char* visits = getenv(kVisitsVar);
  if (!visits) GTEST_SKIP() << "a run of the cookie test, started by it";
  ASSERT_TRUE(PrepareProgram());
  Module1().Working.HistoryDays = 7;
  UseRealEngine();
  std::istringstream list(visits);
  std::string url;
  while (list >> url) {
    const bool isPrivate = url.rfind(kPrivateMark, 0) == 0;
    if (isPrivate) url.erase(0, std::string(kPrivateMark).size());
    Form1* w = OpenWindow(isPrivate ? WebKitBrowser::NewPrivate() : std::make_unique<WebKitBrowser>());
    ASSERT_EQ(w->WebBrowser1.IsPrivate(), isPrivate);
    int finished = 0;
    const ScopedConnection c{w->WebBrowser1.DocumentComplete.connect([&](const std::string&) { ++finished; })};
    w->Text1.set_text(url);
    w->Command1_Click();
    ASSERT_TRUE(RunUntil([&] { return finished > 0 && w->WebBrowser1.LocationURL() == url; }));
    ASSERT_TRUE(RunUntil([&] { return !w->Timer4Enabled(); }));
  }
  CloseAllMainWindows();
}

class Cookies : public GuiTest {
 protected:
  // Runs the program once in `home` over the addresses; true when it ended well.
  static bool Run(const std::string& home, const std::vector<std::string>& visits) {
    std::string list;
    for (const auto& v : visits) list += v + " ";
    std::vector<std::string> env = Glib::listenv();
    std::vector<std::string> envp;
    for (const auto& name : env)
      if (name != "SKELVORNAX_TEST_HOME" && name != kVisitsVar) envp.push_back(name + "=" + Glib::getenv(name));
    envp.push_back("SKELVORNAX_TEST_HOME=" + home);
    envp.push_back(std::string(kVisitsVar) + "=" + list);
    const std::vector<std::string> argv{std::filesystem::read_symlink("/proc/self/exe").string(),
                                        "--gtest_filter=CookieRun.Child"};
    Glib::Pid pid{};
    Glib::spawn_async("", argv, envp, Glib::SPAWN_DO_NOT_REAP_CHILD, Glib::SlotSpawnChildSetup(), &pid);
    int status = -1;
    bool ended = false;
    Glib::signal_child_watch().connect(
        [&](Glib::Pid, int s) {
          status = s;
          ended = true;
        },
        pid);
    // The server answers from this loop while the run goes on.
    if (!RunUntil([&] { return ended; }, 90000)) return false;
    Glib::spawn_close_pid(pid);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

TEST_F(Cookies, ALastingCookieOutlivesTheProgramAndPrivateOnesLeaveNoTrace) {
  LoopbackServer server;
  for (const char* path : {"/set", "/private", "/same-run", "/next-run"}) server.TitledPage(path, "Done");
  server.SetsCookie("/set", "kept=1; Max-Age=86400; Path=/");
  server.SetsCookie("/private", "secret=1; Max-Age=86400; Path=/");
  TempDir home;

  ASSERT_TRUE(Run(home.path(), {server.Url("/set"), kPrivateMark + server.Url("/private"), server.Url("/same-run")}));
  EXPECT_EQ(server.Requests("/private"), 1);
  EXPECT_EQ(server.CookieSent("/same-run"), "kept=1");  // not the private window's
  EXPECT_TRUE(Exists(home / ".local/share/skelvornax/WebData/cookies.sqlite"));

  ASSERT_TRUE(Run(home.path(), {server.Url("/next-run")}));
  EXPECT_EQ(server.CookieSent("/next-run"), "kept=1");

  std::vector<std::string> logged;
  for (const HistoryRecord& r : ReadDayFile(home / ".local/share/skelvornax/History/" + DayFileName(dates::NowLocal())))
    logged.push_back(r.URL);
  EXPECT_EQ(logged, (std::vector<std::string>{server.Url("/set"), server.Url("/same-run"), server.Url("/next-run")}));
}

// Two sites on one loopback server: 127.0.0.1 and 127.0.0.2.
class SiteCookies : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    UseRealEngine();
  }
  void TearDown() override { CloseAllMainWindows(); }
  // The address changes as the load starts: its end is what counts.
  static void Visit(Form1* w, const std::string& url) {
    int finished = 0;
    const ScopedConnection c{w->WebBrowser1.DocumentComplete.connect([&](const std::string&) { ++finished; })};
    w->WebBrowser1.Navigate(url);
    ASSERT_TRUE(RunUntil([&] { return finished > 0 && w->WebBrowser1.LocationURL() == url; }));
  }
};

TEST_F(SiteCookies, RemovingOneSitesCookiesLeavesAnothers) {
  LoopbackServer server;
  for (const char* path : {"/set", "/check"}) server.TitledPage(path, "Done");
  server.SetsCookie("/set", "login=1; Max-Age=86400; Path=/");
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  Visit(w, server.Url("/set"));
  Visit(w, server.UrlOn("127.0.0.2", "/set"));
  EXPECT_EQ(server.Requests("/set"), 2);

  const auto data = w->WebBrowser1.CreateSiteData();
  std::vector<std::string> sites;
  bool listed = false;
  data->SitesWithCookies([&](std::vector<std::string> s) {
    sites = std::move(s);
    listed = true;
  });
  ASSERT_TRUE(RunUntil([&] { return listed; }));
  EXPECT_EQ(sites, (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));

  bool removed = false, done = false;
  data->RemoveCookiesOf("127.0.0.1", [&](bool ok) {
    removed = ok;
    done = true;
  });
  ASSERT_TRUE(RunUntil([&] { return done; }));
  EXPECT_TRUE(removed);
  Visit(w, server.Url("/check"));
  EXPECT_EQ(server.CookieSent("/check"), "");
  Visit(w, server.UrlOn("127.0.0.2", "/check"));
  EXPECT_EQ(server.CookieSent("/check"), "login=1");
}

TEST_F(SiteCookies, AFramesCookieFromAnotherSiteIsRefused) {
  LoopbackServer server;
  server.TitledPage("/tracker", "Done");
  server.SetsCookie("/tracker", "track=1; Max-Age=86400; Path=/");
  server.TitledPage("/check", "Done");
  server.TitledPage("/outer", "Done", "<iframe src=\"" + server.UrlOn("127.0.0.2", "/tracker") + "\"></iframe>");
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  Visit(w, server.Url("/outer"));
  ASSERT_TRUE(RunUntil([&] { return server.Requests("/tracker") == 1; }));
  Visit(w, server.UrlOn("127.0.0.2", "/check"));
  EXPECT_EQ(server.CookieSent("/check"), "");
}

}  // namespace
