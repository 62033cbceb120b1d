// What a page asks of the user, with the real engine and a loopback server:
// downloads, an untrusted certificate and permission requests.
#include <glib.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/browser/ErrorPages.h"
#include "core/history/HistoryRecord.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "platform/Network.h"
#include "platform/WebKitBrowser.h"
#include "support/Corruption.h"
#include "support/LoopbackServer.h"
#include "ui/browser/Form1.h"

namespace {

std::string Text(const corruption::Bytes& b) { return std::string(b.begin(), b.end()); }

class Prompts : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1().Working.HistoryDays = 7;
    UseRealEngine();
  }
  void TearDown() override {
    GoOnline([](bool) {});
    CloseAllMainWindows();
    RunFor(50);
  }
  static std::string Downloads() { return Home() + "/Downloads"; }
  static Form1* Browse(const std::string& url) {
    Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
    w->WebBrowser1.Navigate(url);
    return w;
  }
  static bool TitleIs(Form1* w, const std::string& title) {
    return RunUntil([&] { return w->PageTitle() == title; });
  }
  // Runs a script in the window's page, as the page itself would.
  static void RunScript(Form1* w, const std::string& script) {
    webkit_web_view_evaluate_javascript(static_cast<WebKitBrowser&>(w->WebBrowser1).view(), script.c_str(), -1, nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
  }
  std::vector<std::string> Logged() {
    std::vector<std::string> urls;
    for (const auto& r : ReadDayFile(Module1().HistoryDir + "/" + DayFileName(dates::NowLocal())))
      urls.push_back(r.URL);
    return urls;
  }
  LoopbackServer server;
};

// ---- downloads ----

TEST_F(Prompts, AnAttachmentArrivesWholeAndASecondOneNeverOverwritesIt) {
  const std::string body = Text(corruption::Garbage(3 * 1024 * 1024 + 17));
  server.Attachment("/report.bin", body, "report.bin");
  Form1* w = Browse(server.Url("/report.bin"));
  for (const char* name : {"report.bin", "report (1).bin"}) {
    SCOPED_TRACE(name);
    if (std::string(name) != "report.bin") w->WebBrowser1.Navigate(server.Url("/report.bin"));
    ASSERT_TRUE(RunUntil([&] { return w->DownloadDoneDialog() && w->DownloadDoneDialog()->get_visible(); }));
    EXPECT_EQ(Text(ReadBytes(Downloads() + "/" + name)), body);
    EXPECT_EQ(w->StatusBar1.Text(1), std::string("Downloaded ") + name + " to " + Downloads());
    w->DownloadDoneDialog()->response(Gtk::RESPONSE_CLOSE);
    EXPECT_FALSE(w->DownloadDoneDialog()->get_visible());
  }
  EXPECT_EQ(w->RunningDownloads(), 0u);
}

TEST_F(Prompts, ARunningDownloadShowsItsProgressAndEscOrGoingOfflineCancelsIt) {
  const std::string body = Text(corruption::Garbage(4 * 1000 * 1000));
  server.Attachment("/slow.bin", body, "slow.bin", true);
  server.Attachment("/slower.bin", body, "slower.bin", true);
  Form1* w = Browse(server.Url("/slow.bin"));
  ASSERT_TRUE(RunUntil([&] { return w->StatusBar1.Text(1).find("% of 4.0 MB") != std::string::npos; }));
  EXPECT_EQ(w->StatusBar1.Text(1).rfind("Downloading slow.bin: ", 0), 0u) << w->StatusBar1.Text(1);

  GdkEvent* esc = gdk_event_new(GDK_KEY_PRESS);
  esc->key.window = GDK_WINDOW(g_object_ref(w->get_window()->gobj()));
  esc->key.keyval = GDK_KEY_Escape;
  w->Form_KeyDown(&esc->key);
  gdk_event_free(esc);
  ASSERT_TRUE(RunUntil([&] { return w->StatusBar1.Text(1) == "Download of slow.bin cancelled"; }));

  w->WebBrowser1.Navigate(server.Url("/slower.bin"));
  ASSERT_TRUE(
      RunUntil([&] { return w->RunningDownloads() == 1u && w->StatusBar1.Text(1).find('%') != std::string::npos; }));
  w->mnuOffline_Click();
  ASSERT_TRUE(RunUntil([&] { return w->StatusBar1.Text(1) == "Download of slower.bin cancelled"; }));
  RunFor(200);
  // Nothing half-written is left behind.
  EXPECT_FALSE(Exists(Downloads() + "/slow.bin"));
  EXPECT_FALSE(Exists(Downloads() + "/slower.bin"));
  EXPECT_EQ(w->DownloadDoneDialog(), nullptr);
}

// Archives, installers and other files come from most servers without a
// Content-Disposition: whatever the engine cannot show is saved all the
// same (a PDF too, unless the engine shows it itself), and a download that
// cannot be saved says why.
TEST_F(Prompts, WhatTheEngineCannotShowIsSavedAndAFailedDownloadSaysWhy) {
  const std::string body = Text(corruption::Garbage(200 * 1024 + 3));
  server.TitledPage("/start", "Start");
  Form1* w = Browse(server.Url("/start"));
  ASSERT_TRUE(TitleIs(w, "Start"));
  const std::pair<const char*, const char*> rows[] = {
      {"setup.zip", "application/zip"}, {"tool.bin", "application/octet-stream"}, {"paper.pdf", "application/pdf"}};
  for (const auto& row : rows) {
    const std::string name = row.first, type = row.second;
    SCOPED_TRACE(name);
    const std::string path = std::string("/") + name;
    server.Page(path, body, type);
    w->WebBrowser1.Navigate(server.Url(path));
    const auto saved = [&] { return w->DownloadDoneDialog() && w->DownloadDoneDialog()->get_visible(); };
    // The engine's own PDF viewer, when it has one, shows the document instead.
    const auto viewed = [&] {
      return type == "application/pdf" && w->PageTitle() != "Start" && w->WebBrowser1.LocationURL() == server.Url(path);
    };
    ASSERT_TRUE(RunUntil([&] { return saved() || viewed(); })) << w->StatusBar1.Text(1);
    if (!saved()) {
      std::cout << "note: " << name << " was shown by the engine, as \"" << w->PageTitle() << "\"\n";
      continue;
    }
    EXPECT_TRUE(Text(ReadBytes(Downloads() + "/" + name)) == body);
    EXPECT_EQ(w->StatusBar1.Text(1), "Downloaded " + name + " to " + Downloads());
    w->DownloadDoneDialog()->response(Gtk::RESPONSE_CLOSE);
  }

  // No download folder can be made: a file has its name.
  ASSERT_EQ(::rename(Downloads().c_str(), (Downloads() + ".kept").c_str()), 0);
  WriteString(Downloads(), "not a folder");
  server.Page("/nowhere.zip", body, "application/zip");
  w->WebBrowser1.Navigate(server.Url("/nowhere.zip"));
  const std::string failed = "Download of nowhere.zip failed: ";
  EXPECT_TRUE(RunUntil([&] { return w->StatusBar1.Text(1).rfind(failed, 0) == 0; })) << w->StatusBar1.Text(1);
  EXPECT_GT(w->StatusBar1.Text(1).size(), failed.size());  // and why
  ::unlink(Downloads().c_str());
  ::rename((Downloads() + ".kept").c_str(), Downloads().c_str());
}

// The last window asks before a running download ends with the program, and
// the program does not end before the download's partial file is gone.
TEST_F(Prompts, ClosingTheLastWindowCancelsItsRunningDownloadAndLeavesNoPartialFile) {
  ScriptedAnswers answers;
  answers.answers = {MsgAnswer::Yes};
  SetMsgAnswerer(answers.Answerer());
  server.Attachment("/held.bin", Text(corruption::Garbage(4 * 1000 * 1000)), "held.bin", true);
  Form1* w = Browse(server.Url("/held.bin"));
  ASSERT_TRUE(RunUntil([&] { return w->StatusBar1.Text(1).find('%') != std::string::npos; }));
  w->Form_QueryUnload();
  EXPECT_EQ(answers.shown.size(), 1u);
  ASSERT_TRUE(RunUntil([] { return !TheApp().HasMainWindows(); }));
  SetMsgAnswerer({});
  // Nothing is waited for after the window has gone: the program could end here.
  EXPECT_FALSE(Exists(Downloads() + "/held.bin"));
  GError* error = nullptr;
  GDir* dir = g_dir_open(Downloads().c_str(), 0, &error);
  ASSERT_NE(dir, nullptr);
  std::vector<std::string> left;
  while (const char* entry = g_dir_read_name(dir)) left.emplace_back(entry);
  g_dir_close(dir);
  EXPECT_TRUE(std::find_if(left.begin(), left.end(), [](const std::string& n) { return n.rfind("held", 0) == 0; }) ==
              left.end())
      << left.size();
}

// ---- an untrusted certificate ----

// A self-signed certificate for 127.0.0.1, made for this test.
std::string SelfSignedPem(const std::string& dir) {
  const std::string key = dir + "/key.pem", cert = dir + "/cert.pem";
  const char* argv[] = {"openssl", "req",     "-x509",     "-newkey",       "rsa:2048",
                        "-nodes",  "-keyout", key.c_str(), "-out",          cert.c_str(),
                        "-days",   "2",       "-subj",     "/CN=127.0.0.1", nullptr};
  gint status = -1;
  const auto flags =
      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
  g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, flags, nullptr, nullptr, nullptr, nullptr, &status, nullptr);
  std::string both = dir + "/both.pem";
  WriteString(both, Text(ReadBytes(cert)) + Text(ReadBytes(key)));
  return both;
}

TEST_F(Prompts, AnUntrustedCertificateGetsItsOwnPageUntilTheUserAcceptsItForThisRun) {
  TempDir certs;
  LoopbackServer secure(SelfSignedPem(certs.path()));
  secure.TitledPage("/secret", "Secret Page", "the secret");
  Form1* w = Browse(secure.Url("/secret"));
  ASSERT_TRUE(TitleIs(w, kErrorTitleCertificate));
  EXPECT_EQ(secure.Requests("/secret"), 0);  // nothing of the page was fetched
  RunFor(400);
  EXPECT_TRUE(Logged().empty());  // nor is the certificate page a visit

  RunScript(w, "document.getElementById('accept').click()");
  ASSERT_TRUE(TitleIs(w, "Secret Page"));
  EXPECT_EQ(secure.Requests("/secret"), 1);

  // A new run of the program knows nothing of it.
  const std::string script = std::string(SKELVORNAX_SOURCE_DIR) + "/scripts/wait-for-window.sh";
  const std::string title = std::string(kErrorTitleCertificate) + " - skelvornax";
  const std::string url = secure.Url("/secret");
  const char* argv[] = {script.c_str(), title.c_str(), "30", SKELVORNAX_BROWSER_EXE, url.c_str(), nullptr};
  // Waited for in the main loop, which serves its requests meanwhile.
  GPid pid = 0;
  ASSERT_TRUE(g_spawn_async(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                            &pid, nullptr));
  std::pair<gint, bool> result{-1, false};  // status, ended
  g_child_watch_add(
      pid,
      [](GPid, gint status, gpointer p) {
        *static_cast<std::pair<gint, bool>*>(p) = {status, true};
      },
      &result);
  ASSERT_TRUE(RunUntil([&] { return result.second; }, 60000));
  EXPECT_TRUE(g_spawn_check_wait_status(result.first, nullptr)) << "the new run did not refuse the certificate";
}

// ---- permission requests ----

TEST_F(Prompts, APermissionIsAskedDeniedAndTheAnswerHoldsForTheHost) {
  server.TitledPage("/where", "Where",
                    "<script>navigator.geolocation.getCurrentPosition(() => document.title = 'allowed',"
                    " (e) => document.title = 'denied ' + e.code);</script>");
  Form1* w = Browse(server.Url("/where"));
  ASSERT_TRUE(RunUntil([&] { return w->PermissionBar.get_visible(); }));
  EXPECT_EQ(w->PermissionText.get_text(), "127.0.0.1 wants to use your location");
  EXPECT_EQ(w->PageTitle().find("denied"), std::string::npos);  // the page waits for the answer
  w->PermissionDeny.clicked();
  ASSERT_TRUE(TitleIs(w, "denied 1"));
  EXPECT_FALSE(w->PermissionBar.get_visible());

  // The answer holds for the host until the program ends: no second question.
  Form1* again = Browse(server.Url("/where"));
  ASSERT_TRUE(TitleIs(again, "denied 1"));
  EXPECT_FALSE(again->PermissionBar.get_visible());
}

TEST_F(Prompts, AnUnansweredQuestionIsANo) {
  server.TitledPage("/where", "Where",
                    "<script>navigator.geolocation.getCurrentPosition(() => document.title = 'allowed',"
                    " (e) => document.title = 'denied ' + e.code);</script>");
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  w->SetPermissionWaitForTest(300);
  w->WebBrowser1.Navigate(server.Url("/where"));
  ASSERT_TRUE(RunUntil([&] { return w->PermissionBar.get_visible(); }));
  ASSERT_TRUE(TitleIs(w, "denied 1"));
  EXPECT_FALSE(w->PermissionBar.get_visible());
}

}  // namespace
