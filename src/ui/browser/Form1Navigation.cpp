// Form1: the address box, browser events, new windows and the page check
// timer that writes the history.
#include <gdk/gdkkeysyms.h>

#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/browser/Addresses.h"
#include "core/browser/MainWindowRules.h"
#include "core/records/Coding.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Sound.h"
#include "ui/app/App.h"
#include "ui/app/OpenPagesKeeper.h"
#include "ui/browser/Form1.h"

namespace {
constexpr unsigned kTimer4Ms = 250;

// The program's own pages, as paths and addresses; never logged.
std::vector<std::string> OwnPages(const Module1State& m) {
  return {m.Working.StartPage, m.StartPageUrl, m.KillPopPagePath, m.KillPopPageUrl, m.DefPagePath, m.DefPageUrl};
}

std::string ClickSoundPath() { return Module1().AppDir + "/Images/Click.wav"; }

// A new main window opens a step right of and below the last one.
void CascadeNextWindow() {
  Module1State& m = Module1();
  m.Working.MainLeft = CascadeStep(m.Working.MainLeft);
  m.Working.MainTop = CascadeStep(m.Working.MainTop);
}

const char* const kPrivateSuffix = " (Private Window)";
}  // namespace

void Form1::ConnectBrowser() {
  WebBrowser1.BeforeNavigate2.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_BeforeNavigate2));
  WebBrowser1.NavigateComplete2.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_NavigateComplete2));
  WebBrowser1.TitleChange.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_TitleChange));
  WebBrowser1.StatusTextChange.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_StatusTextChange));
  WebBrowser1.ProgressChange.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_ProgressChange));
  WebBrowser1.CommandStateChange.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_CommandStateChange));
  WebBrowser1.DownloadComplete.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_DownloadComplete));
  WebBrowser1.NavigateError.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_NavigateError));
  WebBrowser1.WindowClosing.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_WindowClosing));
  WebBrowser1.ReadyToShow.connect([this] { present(); });
  WebBrowser1.NewWindow2 = [this] { return WebBrowser1_NewWindow2(); };
}

// Opens an address in the place the check boxes choose.
void Form1::OpenPage(const std::string& url) {
  ReopenBar1.NewPageStarted();
  if (Check1.get_active()) {
    WebBrowser1.NavigateNewWindow(url);
  } else if (Check2.get_active()) {
    Check2.set_active(false);
    OpenInFullScreen(url);
  } else {
    WebBrowser1.Navigate(url);
  }
}

void Form1::Command1_Click() {
  HideCompletions();
  PlaySound(ClickSoundPath());
  RestartCountdown();
  const std::string typed = Text1.get_text();
  if (!typed.empty()) OpenPage(AddressForTyped(typed, prefs::Current()));
}

bool Form1::Text1_KeyPress(GdkEventKey* key) {
  if (key->keyval == GDK_KEY_Return || key->keyval == GDK_KEY_KP_Enter) {
    Command1_Click();
    return true;
  }
  return false;
}

void Form1::Command3_Click() { WebBrowser1.GoBack(); }
void Form1::Command4_Click() { WebBrowser1.GoForward(); }

void Form1::WebBrowser1_BeforeNavigate2(const std::string& url, int flags, bool& cancel) {
  // With script messages off, pages run quietly; a mail link may still ask.
  if (Module1().ScriptMessagesOff) WebBrowser1.SetSilent(coding::ToUpper(url).find("MAILTO:") == std::string::npos);
  if (flags & kNavigateByUser) ReopenBar1.NewPageStarted();
  // A link followed while "New Window" or "Full Screen" is ticked opens in a
  // window of its own.
  if (!(flags & kNavigateByUser) || !(Check1.get_active() || Check2.get_active())) return;
  cancel = true;
  WebBrowser1.Stop();
  WebBrowser1.NavigateNewWindow(url);
}

void Form1::WebBrowser1_NavigateComplete2(const std::string&) {
  DenyPendingPermissions();
  ShowAddress(AddressBoxText(WebBrowser1.LocationURL()));
  RestartCountdown();
  // A handed-over address is used once; later windows open the start page.
  Module1().CommandLineArg.clear();
}

void Form1::WebBrowser1_TitleChange(const std::string& text) {
  if (text != "KillPopUps.htm") Module1().LastPageTitle = text;
  pageTitle_ = text;
  set_title(Caption(text));
}

// A running download keeps its line while the pointer is on no link.
void Form1::WebBrowser1_StatusTextChange(const std::string& text) {
  StatusBar1.SetText(1, text.empty() ? downloadStatus_ : text);
}

void Form1::WebBrowser1_ProgressChange(long progress, long maximum) { ShowProgress(progress, maximum); }

void Form1::ShowProgress(int64_t progress, int64_t maximum) {
  const auto fraction = ProgressShown(progress, maximum);
  ProgressBar1.set_fraction(fraction.value_or(0));
  ProgressBar1.set_visible(fraction && StatusBar1.get_visible());
}

void Form1::WebBrowser1_CommandStateChange(int command, bool enable) {
  if (command == kCommandForward) Command4.set_sensitive(enable);
  if (command == kCommandBack) Command3.set_sensitive(enable);
}

void Form1::WebBrowser1_DownloadComplete() {
  StartTimer4();
  app_.OpenPages().Changed();
}

void Form1::StartTimer4() {
  timer4_.disconnect();
  timer4_ =
      Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form1::Timer4_Timer), false), kTimer4Ms);
}

void Form1::WebBrowser1_NavigateError(const std::string&, int) { logMarks_.navigationError = true; }

void Form1::LogPageIfDue() {
  const Module1State& m = Module1();
  PageLogCheckInput check;
  check.historyLogOff = m.HistoryLogOff != 0;
  check.historyDays = m.Working.HistoryDays;
  check.pageTitle = pageTitle_;
  check.locationUrl = WebBrowser1.LocationURL();
  check.ownPages = OwnPages(m);
  // A private window leaves no trace in the history.
  if (!PageLogCheck(check, logMarks_) || WebBrowser1.IsPrivate()) return;
  StartCompletionIndex();
  HistoryLogContext ctx;
  ctx.historyDir = m.HistoryDir;
  ctx.HistoryDays = m.Working.HistoryDays;
  ctx.StoreDupUrls = m.Working.StoreDupUrls;
  ctx.SkipSecurePages = m.Working.SkipSecurePages;
  ctx.now = dates::NowLocal();
  ctx.listener = TodayList();
  if (LogHistoryPage(ctx, pageTitle_, check.locationUrl))
    SharedCompletion().PageLogged(pageTitle_, check.locationUrl,
                                  dates::DayNumber(ctx.now.year, ctx.now.month, ctx.now.day));
}

WebBrowser* Form1::WebBrowser1_NewWindow2() {
  Module1State& m = Module1();
  if (m.MsgBoxOpen != 0) return nullptr;  // no window opens under a message box
  CascadeNextWindow();
  if (m.Working.HoldNewWindowBox == 0) Check1.set_active(false);
  if (Check2.get_active()) {
    Check2.set_active(false);
    return app_.FullScreenForRequest(WebBrowser1);
  }
  return &app_.OpenMainWindow(WebBrowser1.CreateRelated()).WebBrowser1;
}

namespace {
std::string NewWindowPage() {
  const Module1State& m = Module1();
  std::string url = m.Working.StartPage;
  if (url.empty() && FileTest(m.DefPagePath) == 0) url = m.DefPagePath;
  if (!m.CommandLineArg.empty()) url = m.CommandLineArg;
  return url;
}
}  // namespace

void Form1::mnuNewPrivateWind_Click() {
  if (Module1().MsgBoxOpen == 1) return;
  const std::string url = NewWindowPage();
  CascadeNextWindow();
  Form1& window = app_.OpenMainWindow(WebBrowser1.CreatePrivate());
  if (!url.empty()) window.WebBrowser1.Navigate(url);
}

// A private window looks different at a glance: a violet toolbar and a mask
// in the address box, besides its caption.
void Form1::ShowPrivateCue() {
  AddStyle("#skelvornax-main.private .toolbar { background: linear-gradient(#e6dcf7, #c9b6ec); }");
  get_style_context()->add_class("private");
  Text1.set_icon_from_icon_name("security-high-symbolic", Gtk::ENTRY_ICON_PRIMARY);
  Text1.set_icon_tooltip_text("Private Window: no history, cookies and site data go when the program ends",
                              Gtk::ENTRY_ICON_PRIMARY);
  set_title(std::string(kAppTitle) + kPrivateSuffix);
}

std::string Form1::Caption(const std::string& pageTitle) const {
  return pageTitle + " - " + kAppTitle + (WebBrowser1.IsPrivate() ? kPrivateSuffix : "");
}

void Form1::NewApplWindo() {
  const std::string url = NewWindowPage();
  Check1.set_active(false);
  Check2.set_active(false);
  int& startPageFlag = Module1().StartPageFlag;
  const int flagBefore = startPageFlag;
  startPageFlag = 0;
  if (WebBrowser1.NavigateNewWindow(url)) return;
  // Refused (a message box is open): the next window, perhaps a page's
  // pop-up, must not open this address or take the start page for it.
  startPageFlag = flagBefore;
  Module1().CommandLineArg.clear();
}

void Form1::WebBrowser1_WindowClosing() {
  // A window the page itself opened may close; the user's own window asks.
  if (!WebBrowser1.OpenedByPage() && MsgBox("The Web Page Script Is Attempting  To Close This Window. Okay?",
                                            MsgButtons::YesNo, this) != MsgAnswer::Yes)
    return;
  Form_QueryUnload();
}
