// Auto-refresh and the offline mode with the real engine and a loopback
// server that counts what reaches it.
#include <sys/stat.h>
#include <webkit2/webkit2.h>

#include "core/app/Module1.h"
#include "core/records/FileOps.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "platform/Network.h"
#include "platform/WebKitBrowser.h"
#include "platform/fakes/FakeBrowser.h"
#include "support/LoopbackServer.h"
#include "ui/browser/Form1.h"

namespace {

class OfflineRefresh : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    UseRealEngine();
    server.TitledPage("/r", "Refreshed");
    server.Page("/img.png", "not really a picture", "image/png");
    server.Page("/data", "{}", "application/json");
  }

  void TearDown() override {
    GoOnline([](bool) {});
    CloseAllMainWindows();
    RunFor(50);
  }

  Form1* OpenAt(const std::string& url, const std::string& title) {
    Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
    w->WebBrowser1.Navigate(url);
    EXPECT_TRUE(RunUntil([&] { return w->PageTitle() == title; })) << "waiting for " << title;
    return w;
  }

  // A local page that reaches for the server in four ways and says when
  // every attempt has ended.
  std::string LocalPageReachingOut() {
    const std::string path = Home() + "/reach.htm";
    const std::string ws = "ws" + server.Url("/ws").substr(4);
    WriteString(path,
                "<!DOCTYPE html><html><head><title>Local</title></head><body>"
                "<img id='i' src='" +
                    server.Url("/img.png") +
                    "'>"
                    "<iframe src='" +
                    server.Url("/r") +
                    "'></iframe><script>"
                    "let left = 3; function one() { if (--left == 0) document.title = 'Local done'; }"
                    "document.getElementById('i').onerror = one; document.getElementById('i').onload = one;"
                    "fetch('" +
                    server.Url("/data") +
                    "').then(one, one);"
                    "try { const s = new WebSocket('" +
                    ws +
                    "'); s.onerror = s.onclose = one; } catch (e) { one(); }"
                    "</script></body></html>");
    return "file://" + path;
  }

  LoopbackServer server;
};

TEST_F(OfflineRefresh, RefreshButtonAndMinuteTickReachTheServerAgain) {
  Form1* w = OpenAt(server.Url("/r"), "Refreshed");
  ASSERT_EQ(server.Requests("/r"), 1);
  Module1().Working.RefreshMode = 3;  // "Completely": past the cache
  w->Command2_Click();
  EXPECT_TRUE(RunUntil([&] { return server.Requests("/r") == 2; }));

  // An interval of one minute: the next tick refreshes and starts again.
  w->Text2_DblClick();
  ASSERT_TRUE(w->Timer1Enabled());
  w->Timer1_Timer();
  EXPECT_TRUE(RunUntil([&] { return server.Requests("/r") == 3; }));
  EXPECT_EQ(w->Refresh().counter, 0);
  EXPECT_EQ(w->Text3.get_text(), "1");
}

TEST_F(OfflineRefresh, BlankWindowNeverRefreshesButItsCountStartsAgain) {
  Form1* w = OpenWindow(std::make_unique<FakeBrowser>());
  auto& fake = static_cast<FakeBrowser&>(w->WebBrowser1);
  w->Text2_DblClick();  // timer on, interval 1
  w->Timer1_Timer();
  EXPECT_TRUE(fake.refreshes.empty());
  EXPECT_EQ(w->Refresh().counter, 0);
}

TEST_F(OfflineRefresh, NothingReachesTheNetworkWhileOffline) {
  Form1* w = OpenAt(server.Url("/r"), "Refreshed");
  const int before = server.TotalRequests();
  // Through the menu, right after start-up: the offline rules may still be
  // compiling, and the mode comes when they are done.
  w->mnuOffline_Click();
  ASSERT_TRUE(RunUntil([] { return IsOffline(); }));
  EXPECT_TRUE(w->mnuOffline.get_active());
  // Every window's caption shows the mode within one status tick.
  EXPECT_TRUE(RunUntil([&] { return w->get_title() == "Refreshed - skelvornax - [working offline]"; }, 2500));

  // A local page still loads; its picture, frame, fetch and socket do not.
  w->WebBrowser1.Navigate(LocalPageReachingOut());
  EXPECT_TRUE(RunUntil([&] { return w->PageTitle() == "Local done"; }));
  // A typed address gets the offline page instead.
  w->Text1.set_text(server.Url("/r"));
  w->Command1_Click();
  EXPECT_TRUE(RunUntil([&] { return w->PageTitle() == "Web page unavailable while offline"; }));
  w->Command2_Click();  // nor does a refresh
  RunFor(300);
  EXPECT_EQ(server.TotalRequests(), before);

  w->mnuOffline_Click();
  ASSERT_FALSE(IsOffline());
  w->Text1.set_text(server.Url("/r"));
  w->Command1_Click();
  EXPECT_TRUE(RunUntil([&] { return server.Requests("/r") == 2 && w->PageTitle() == "Refreshed"; }));
  EXPECT_TRUE(RunUntil([&] { return w->get_title() == "Refreshed - skelvornax"; }, 2500));
}

// The offline rules cannot be compiled (here a file stands where their
// folder should be): the user is told, the windows stay online, and the
// next try compiles them again.
TEST_F(OfflineRefresh, AFilterThatCannotBeMadeIsReportedAndTriedAgain) {
  Form1* w = OpenAt(server.Url("/r"), "Refreshed");
  ScriptedAnswers answers;
  SetMsgAnswerer(answers.Answerer());
  const std::string blocked = Home() + "/blocked";
  WriteString(blocked, "a file, not a folder");
  ASSERT_TRUE(RunUntil([&] { return WebKitBrowser::SetOfflineFilterFolderForTest(blocked + "/filters"); }));
  w->mnuOffline.activate();
  EXPECT_TRUE(RunUntil([&] { return !answers.shown.empty(); }));
  EXPECT_EQ(answers.shown, std::vector<std::string>{"Work Offline Could Not Be Switched On; The Windows Stay Online"});
  EXPECT_FALSE(IsOffline());
  EXPECT_FALSE(w->mnuOffline.get_active());

  ASSERT_TRUE(WebKitBrowser::SetOfflineFilterFolderForTest(Home() + "/filters-again"));
  w->mnuOffline.activate();
  EXPECT_TRUE(RunUntil([] { return IsOffline(); }));
  EXPECT_TRUE(w->mnuOffline.get_active());
  SetMsgAnswerer({});
  EXPECT_EQ(answers.shown.size(), 1u);
}

// The offline rules are compiled once and kept: the next run loads them
// instead of compiling them again, and a compile removes what the rules of
// an earlier version left.
TEST_F(OfflineRefresh, TheCompiledOfflineRulesAreKeptForTheNextRun) {
  const std::string dir = Home() + "/kept-filters";
  WebKitUserContentFilterStore* store = webkit_user_content_filter_store_new(dir.c_str());
  const std::string rules = R"([{"trigger":{"url-filter":"^http:"},"action":{"type":"block"}}])";
  GBytes* older = g_bytes_new_static(rules.data(), rules.size());
  bool planted = false;
  webkit_user_content_filter_store_save(
      store, "skelvornax-offline", older, nullptr,
      [](GObject* s, GAsyncResult* r, gpointer p) {
        WebKitUserContentFilter* f =
            webkit_user_content_filter_store_save_finish(WEBKIT_USER_CONTENT_FILTER_STORE(s), r, nullptr);
        *static_cast<bool*>(p) = f != nullptr;
        if (f) webkit_user_content_filter_unref(f);
      },
      &planted);
  g_bytes_unref(older);
  ASSERT_TRUE(RunUntil([&] { return planted; }));
  g_object_unref(store);

  const auto goOffline = [] {
    std::optional<bool> result;
    WebKitBrowser::SetOfflineMode(true, [&result](bool ok) { result = ok; });
    EXPECT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result.value_or(false));
    WebKitBrowser::SetOfflineMode(false, [](bool) {});
  };
  ASSERT_TRUE(RunUntil([&] { return WebKitBrowser::SetOfflineFilterFolderForTest(dir); }));
  goOffline();
  ASSERT_TRUE(RunUntil([&] { return fileops::ListFiles(dir).size() == 1; }));
  const std::string kept = fileops::Join(dir, fileops::ListFiles(dir).front());
  struct stat before {};
  ASSERT_EQ(::stat(kept.c_str(), &before), 0);

  ASSERT_TRUE(WebKitBrowser::SetOfflineFilterFolderForTest(dir));  // as on the next run
  goOffline();
  struct stat after {};
  ASSERT_EQ(::stat(kept.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(fileops::ListFiles(dir).size(), 1u);
}

}  // namespace
