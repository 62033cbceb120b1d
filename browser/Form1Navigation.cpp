// Form1: browser events, the page check timer and history logging.
#include "app/Module1.h"
#include "browser/Form1.h"

namespace {
constexpr unsigned kTimer4Ms = 250;

// The program's own pages, as paths and addresses; never logged.
std::vector<std::string> OwnPages(const Module1State& m) {
  return {m.Working.StartPage, m.StartPageUrl, m.KillPopPagePath, m.KillPopPageUrl, m.DefPagePath, m.DefPageUrl};
}
}  // namespace

void Form1::ConnectBrowser() {
  WebBrowser1.NavigateComplete2.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_NavigateComplete2));
  WebBrowser1.TitleChange.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_TitleChange));
  WebBrowser1.DownloadComplete.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_DownloadComplete));
  WebBrowser1.NavigateError.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_NavigateError));
  WebBrowser1.WindowClosing.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_WindowClosing));
  WebBrowser1.ReadyToShow.connect([this] { present(); });
  WebBrowser1.NewWindow2 = [this] { return WebBrowser1_NewWindow2(); };
}

void Form1::WebBrowser1_NavigateComplete2(const std::string&) {
  // A handed-over address is used once; later windows open the start page.
  Module1().CommandLineArg.clear();
}

void Form1::WebBrowser1_TitleChange(const std::string& text) {
  pageTitle_ = text;
  set_title(text + " - " + kAppTitle);
}

void Form1::WebBrowser1_DownloadComplete() {
  timer4_.disconnect();
  timer4_ = Glib::signal_timeout().connect([this] { Timer4_Timer(); return false; }, kTimer4Ms);
}

void Form1::WebBrowser1_NavigateError(const std::string&, int) { logMarks_.navigationError = true; }

void Form1::Timer4_Timer() {
  timer4_.disconnect();
  const Module1State& m = Module1();
  PageLogCheckInput check;
  check.historyLogOff = m.HistoryLogOff != 0;
  check.historyDays = m.Working.HistoryDays;
  check.pageTitle = pageTitle_;
  check.locationUrl = WebBrowser1.LocationURL();
  check.ownPages = OwnPages(m);
  if (!PageLogCheck(check, logMarks_)) return;
  HistoryLogContext ctx;
  ctx.historyDir = m.HistoryDir;
  ctx.HistoryDays = m.Working.HistoryDays;
  ctx.StoreDupUrls = m.Working.StoreDupUrls;
  ctx.SkipSecurePages = m.Working.SkipSecurePages;
  ctx.now = dates::NowLocal();
  LogHistoryPage(ctx, pageTitle_, check.locationUrl);
}

WebBrowser* Form1::WebBrowser1_NewWindow2() {
  if (Module1().MsgBoxOpen == 1) return nullptr;
  Form1* window = Open(WebBrowser1.CreateRelated());
  return &window->WebBrowser1;
}

void Form1::WebBrowser1_WindowClosing() { Form_QueryUnload(); }
