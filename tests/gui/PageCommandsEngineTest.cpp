// The page commands with the real engine on loopback pages: the find bar's
// count, wrap and missing words, the text-only zoom, save as (opened again),
// printing to a file, the properties of http and https pages, and a page of
// the full-screen window that opens a window.
#include <webkit2/webkit2.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/windows/FullScreenRules.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/WebKitBrowser.h"
#include "support/LoopbackServer.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form5.h"

namespace {

class PageCommands : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareProgram());
    Module1().TextSizeLevel = kDefaultTextSize;
    UseRealEngine();
    SetMsgAnswerer(answers.Answerer());
  }
  void TearDown() override {
    CloseAllMainWindows();
    RunFor(50);
    SetMsgAnswerer({});
    SetSaveFileChooser({});
    SetDetailsViewer({});
  }

  // A main window showing `url`, once the page is in.
  Form1* OpenAt(const std::string& url, const std::string& title) {
    Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
    w->WebBrowser1.Navigate(url);
    EXPECT_TRUE(RunUntil([&] { return w->PageTitle() == title && !w->Timer4Enabled(); })) << "waiting for " << title;
    return w;
  }

  // What a script gives back in the page, as text.
  static std::string Script(WebBrowser& browser, const std::string& script) {
    struct Answer {
      std::string text;
      bool done = false;
    } answer;
    webkit_web_view_evaluate_javascript(
        static_cast<WebKitBrowser&>(browser).view(), script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer p) {
          auto* a = static_cast<Answer*>(p);
          if (JSCValue* v = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, nullptr)) {
            gchar* s = jsc_value_to_string(v);
            a->text = s ? s : "";
            g_free(s);
            g_object_unref(v);
          }
          a->done = true;
        },
        &answer);
    EXPECT_TRUE(RunUntil([&] { return answer.done; }, 10000));
    return answer.text;
  }

  ScriptedAnswers answers;
  LoopbackServer server;
  TempDir scratch;
};

TEST_F(PageCommands, FindBarCountsWrapsReportsAMissingWordAndEscGivesThePageTheKeys) {
  server.TitledPage("/fruit", "Fruit", "<p id='p1'>apple one</p><p id='p2'>Apple two</p><p id='p3'>apple three</p>");
  Form1* w = OpenAt(server.Url("/fruit"), "Fruit");
  w->present();
  w->mnuEditFind.activate();
  FindBar& bar = w->FindBar1;
  auto showing = [&] {
    return Script(w->WebBrowser1, "var s = getSelection(); s.rangeCount ? s.anchorNode.parentNode.id : ''");
  };
  bar.Text1.set_text("apple");
  EXPECT_TRUE(RunUntil([&] { return bar.Count.get_text() == "1 of 3"; }, 10000)) << bar.Count.get_text();
  EXPECT_EQ(showing(), "p1");
  const char* const expected[] = {"p2", "p3", "p1"};  // the last one wraps round
  for (const char* id : expected) {
    bar.FindNext();
    const std::string count = std::string(id == std::string("p1") ? "1" : id + 1) + " of 3";
    EXPECT_TRUE(RunUntil([&] { return bar.Count.get_text() == count; }, 10000)) << bar.Count.get_text();
    EXPECT_EQ(showing(), id);
  }
  bar.FindPrevious();  // back round the top
  EXPECT_TRUE(RunUntil([&] { return bar.Count.get_text() == "3 of 3"; }, 10000)) << bar.Count.get_text();
  EXPECT_EQ(showing(), "p3");
  // A changed text starts at the top again, so that the count tells the truth.
  bar.Text1.set_text("appl");
  EXPECT_TRUE(RunUntil([&] { return bar.Count.get_text() == "1 of 3"; }, 10000)) << bar.Count.get_text();
  EXPECT_EQ(showing(), "p1");

  // The current match stands out from the others' pale marking, also while
  // the keys are in the find bar.
  const auto selectionColour = [&] {
    return Script(w->WebBrowser1, "getComputedStyle(document.getElementById('p1'), '::selection').backgroundColor");
  };
  EXPECT_EQ(selectionColour(), "rgb(255, 150, 50)");

  bar.Text1.set_text("zebra");
  EXPECT_TRUE(RunUntil([&] { return bar.Count.get_text() == "Not Found"; }, 10000));
  EXPECT_TRUE(bar.Text1.get_style_context()->has_class("not-found"));

  bar.Text1.grab_focus();
  GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
  key->key.window = GDK_WINDOW(g_object_ref(w->get_window()->gobj()));
  key->key.keyval = GDK_KEY_Escape;
  EXPECT_TRUE(w->Form_KeyDown(&key->key));
  gdk_event_free(key);
  EXPECT_NE(selectionColour(), "rgb(255, 150, 50)");  // the page's own look again
  EXPECT_FALSE(bar.get_visible());
  EXPECT_TRUE(w->WebBrowser1.Widget().is_focus());
}

TEST_F(PageCommands, TextSizeZoomsTheTextAndLeavesPicturesAlone) {
  server.TitledPage("/sized", "Sized",
                    "<span id='t' style='font-size:20px'>Some text</span>"
                    "<div id='box' style='width:200px;height:50px;background:#36c'></div>");
  Form1* w = OpenAt(server.Url("/sized"), "Sized");
  auto height = [&] { return std::stod(Script(w->WebBrowser1, "document.getElementById('t').offsetHeight")); };
  auto boxWidth = [&] { return Script(w->WebBrowser1, "document.getElementById('box').offsetWidth"); };
  const double medium = height();
  const std::string box = boxWidth();
  w->mnuLargest.activate();
  EXPECT_TRUE(RunUntil([&] { return height() > medium * 1.2; }, 10000)) << height() << " vs " << medium;
  EXPECT_EQ(boxWidth(), box);
  w->mnuSmallest.activate();
  EXPECT_TRUE(RunUntil([&] { return height() < medium; }, 10000));
  EXPECT_EQ(boxWidth(), box);
}

TEST_F(PageCommands, SavedPagesOpenAgainAsArchiveOrAsTheDocument) {
  server.TitledPage("/keep", "Keep Me", "<p>kept words</p>");
  Form1* w = OpenAt(server.Url("/keep"), "Keep Me");
  // The user's folder may hold a file shaped like a leftover of ours.
  const std::string notOurs = scratch / ".kept.html.tmp-abc123";
  WriteString(notOurs, "someone else's");
  for (const char* name : {"kept.mht", "kept.html"}) {
    SCOPED_TRACE(name);
    std::string path = scratch / name;
    SetSaveFileChooser([&](const SaveFileRequest& r) {
      EXPECT_EQ(r.suggestedName, "Keep Me.mht");
      return path;
    });
    w->mnuSaveAs.activate();
    EXPECT_TRUE(RunUntil([&] { return Exists(path) && !ReadBytes(path).empty(); }, 10000));
    EXPECT_TRUE(answers.shown.empty());
    Form1* again = OpenAt("file://" + path, "Keep Me");
    EXPECT_EQ(Script(again->WebBrowser1, "document.body.innerText.indexOf('kept words') >= 0"), "true");
    CloseWindow(again);
  }
  EXPECT_TRUE(Exists(notOurs));
}

TEST_F(PageCommands, PrintingToAFileWritesThePage) {
  server.TitledPage("/print", "Print Me", "<p>on paper</p>");
  Form1* w = OpenAt(server.Url("/print"), "Print Me");
  const std::string path = scratch / "page.pdf";
  int answered = 0;
  bool ok = false;
  w->WebBrowser1.PrintToFile(path, [&](bool printed) {
    ++answered;
    ok = printed;
  });
  ASSERT_TRUE(RunUntil([&] { return answered > 0; }, 20000));
  EXPECT_TRUE(ok);
  EXPECT_TRUE(RunUntil([&] { return ReadBytes(path).size() > 100; }, 10000));
  const auto bytes = ReadBytes(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "%PDF");
}

TEST_F(PageCommands, PropertiesOfAPlainPage) {
  const std::string body = "<!DOCTYPE html><html><head><title>Facts</title></head><body>12345</body></html>";
  server.Page("/facts", body);
  Form1* w = OpenAt(server.Url("/facts"), "Facts");
  DetailRows rows;
  SetDetailsViewer([&](const std::string&, const DetailRows& r) { rows = r; });
  w->mnuProps.activate();
  ASSERT_TRUE(RunUntil([&] { return !rows.empty(); }, 10000));
  EXPECT_EQ(rows, (DetailRows{{"Address", server.Url("/facts")},
                              {"Title", "Facts"},
                              {"Type", "text/html"},
                              {"Size", std::to_string(body.size()) + " bytes"},
                              {"Connection", "Not Encrypted"}}));
}

// The type a page arrived as, whatever else its answer said, also for a
// page shown again by Back and for a local file.
TEST_F(PageCommands, PropertiesNameTheTypeOfEveryWebPage) {
  server.Page("/charset", "<!DOCTYPE html><html><head><title>Charset</title></head><body>x</body></html>",
              "text/html; charset=utf-8");
  server.TitledPage("/first", "First");
  server.TitledPage("/second", "Second");
  const auto typeShown = [](Form1* w) {
    DetailRows rows;
    SetDetailsViewer([&](const std::string&, const DetailRows& r) { rows = r; });
    w->mnuProps.activate();
    EXPECT_TRUE(RunUntil([&] { return !rows.empty(); }, 10000));
    SetDetailsViewer({});
    for (const auto& [caption, value] : rows)
      if (caption == "Type") return value;
    return std::string("(missing)");
  };
  const auto showIn = [](Form1* w, const std::string& url, const std::string& title) {
    w->WebBrowser1.Navigate(url);
    return RunUntil([&] { return w->PageTitle() == title && !w->Timer4Enabled(); });
  };
  Form1* w = OpenAt(server.Url("/charset"), "Charset");
  EXPECT_EQ(typeShown(w), "text/html") << "Charset";
  const std::string local = scratch / "local.html";
  WriteString(local, "<!DOCTYPE html><html><head><title>Local</title></head><body>x</body></html>");
  ASSERT_TRUE(showIn(w, "file://" + local, "Local"));
  EXPECT_EQ(typeShown(w), "text/html") << "Local";
  ASSERT_TRUE(showIn(w, server.Url("/first"), "First"));
  ASSERT_TRUE(showIn(w, server.Url("/second"), "Second"));
  w->WebBrowser1.GoBack();
  ASSERT_TRUE(RunUntil([&] { return w->PageTitle() == "First" && !w->Timer4Enabled(); }));
  EXPECT_EQ(typeShown(w), "text/html") << "Back";
  w->WebBrowser1.Navigate(server.Url("/first") + "#part");
  RunFor(300);
  EXPECT_EQ(typeShown(w), "text/html") << "SameDocument";
  for (const int level : {0, 1, 3}) {
    const int requests = server.Requests("/first");
    w->WebBrowser1.Refresh2(level);
    RunUntil([&] { return server.Requests("/first") > requests && !w->Timer4Enabled(); }, 5000);
    RunFor(300);
    EXPECT_EQ(typeShown(w), "text/html") << "Refresh " << level;
  }
}

TEST_F(PageCommands, PropertiesOfASecurePageNameItsCertificate) {
  const char* const pem = SKELVORNAX_TEST_PAGES "/loopback-tls.pem";  // self-signed, valid until 2126
  LoopbackServer secure(pem);
  secure.TitledPage("/vault", "Vault");
  Form1* w = OpenWindow(std::make_unique<WebKitBrowser>());
  // This test's own certificate is let through, as the user's accept on the certificate page does.
  GTlsCertificate* certificate = g_tls_certificate_new_from_file(pem, nullptr);
  ASSERT_NE(certificate, nullptr);
  webkit_web_context_allow_tls_certificate_for_host(
      webkit_web_view_get_context(static_cast<WebKitBrowser&>(w->WebBrowser1).view()), certificate, "127.0.0.1");
  g_object_unref(certificate);
  w->WebBrowser1.Navigate(secure.Url("/vault"));
  ASSERT_TRUE(RunUntil([&] { return w->PageTitle() == "Vault"; }));
  DetailRows rows;
  SetDetailsViewer([&](const std::string&, const DetailRows& r) { rows = r; });
  w->mnuProps.activate();
  ASSERT_TRUE(RunUntil([&] { return !rows.empty(); }, 10000));
  auto value = [&](const std::string& caption) {
    for (const auto& [c, v] : rows)
      if (c == caption) return v;
    return std::string("(missing)");
  };
  EXPECT_EQ(value("Connection"), "Encrypted, Certificate Not Trusted");
  EXPECT_NE(value("Certificate Subject").find("CN=127.0.0.1"), std::string::npos) << value("Certificate Subject");
  EXPECT_NE(value("Certificate Issuer").find("skelvornax tests"), std::string::npos);
  EXPECT_EQ(value("Valid Until").substr(0, 4), "2126");
  EXPECT_NE(value("Certificate Problems").find("does not trust"), std::string::npos) << value("Certificate Problems");
}

TEST_F(PageCommands, AWindowOpenedByAFullScreenPageIsAMainWindow) {
  server.TitledPage("/opener", "Opener", "<script>window.open('/opened');</script>");
  server.TitledPage("/opened", "Opened");
  Form1* w = OpenAt(server.Url("/fruitless"), "Not Found");
  ASSERT_TRUE(RunUntil([&] { return w->get_mapped(); }));
  RunFor(300);  // the window has settled and saved where it is
  const Settings& s = Module1().Working;
  const float left = s.MainLeft, top = s.MainTop;
  w->OpenInFullScreen(server.Url("/opener"));
  ASSERT_TRUE(RunUntil([] { return MainWindows().size() == 2; }));
  Form1* opened = MainWindows()[1];
  EXPECT_TRUE(RunUntil([&] { return opened->PageTitle() == "Opened"; }));
  EXPECT_FLOAT_EQ(s.MainLeft, FullScreenCascadeStep(left));
  EXPECT_FLOAT_EQ(s.MainTop, FullScreenCascadeStep(top));
  ASSERT_NE(TheApp().FullScreenWindow(), nullptr);
  EXPECT_EQ(TheApp().FullScreenWindow()->PageTitle(), "Opener");
}

}  // namespace
