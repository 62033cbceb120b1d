// Form1: the pop-up killer. A window a page opened and then shaped (a size,
// a position, no toolbar) is sent to the kill page and closes itself while
// the kill mode is on, unless the don't-kill list spares its address.
#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/browser/MainWindowRules.h"
#include "core/records/Coding.h"
#include "platform/Desktop.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"
#include "ui/popups/Form7.h"

using namespace form1_layout;

namespace {
bool KillMode() { return Module1().Working.KillPopUps != 0; }
}  // namespace

void Form1::ConnectPopupEvents() {
  WebBrowser1.WindowSetLeft.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_WindowSetLeft));
  WebBrowser1.WindowSetTop.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_WindowSetTop));
  WebBrowser1.WindowSetWidth.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_WindowSetWidth));
  WebBrowser1.WindowSetHeight.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_WindowSetHeight));
  WebBrowser1.OnToolBar.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_OnToolBar));
  WebBrowser1.OnStatusBar.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_OnStatusBar));
  WebBrowser1.DocumentComplete.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_DocumentComplete));
}

WorkAreaTwips Form1::WorkAreaNow() {
  const WorkArea a = PrimaryWorkArea();
  return {static_cast<float>(a.width * kTwipsPerPixel), static_cast<float>(a.height * kTwipsPerPixel)};
}

// Only a window that a page opened may be shaped by its page; a page in
// the user's own window cannot move it, nor get it killed.
void Form1::WebBrowser1_WindowSetLeft(int pixels) {
  if (WebBrowser1.OpenedByPage()) WindowSetLeft(popup_, pixels, WorkAreaNow(), KillMode());
}

void Form1::WebBrowser1_WindowSetTop(int pixels) {
  if (WebBrowser1.OpenedByPage()) WindowSetTop(popup_, pixels, WorkAreaNow(), KillMode());
}

void Form1::WebBrowser1_WindowSetWidth(int pixels) {
  if (!WebBrowser1.OpenedByPage()) return;
  const float outer = WindowSetWidth(popup_, pixels, WorkAreaNow(), KillMode());
  int w = 0, h = 0;
  get_size(w, h);
  resize(Px(outer), h);
}

void Form1::WebBrowser1_WindowSetHeight(int pixels) {
  if (!WebBrowser1.OpenedByPage()) return;
  const float outer = WindowSetHeight(popup_, pixels, WorkAreaNow(), KillMode());
  int w = 0, h = 0;
  get_size(w, h);
  resize(w, std::max(1, Px(outer) - CaptionHeight(*this)));
}

void Form1::WebBrowser1_OnToolBar(bool visible) {
  if (WebBrowser1.OpenedByPage()) OnToolBar(popup_, visible, KillMode());
}

void Form1::WebBrowser1_OnStatusBar(bool visible) { popup_.statusBarRequest = visible; }

// Puts the window where its page asked, with room for the toolbar and the
// status bar it asked for.
void Form1::ApplyScriptGeometry() {
  if (!popup_.toolbarRequest && !ToolbarHidden() && Module1().Working.HideControlsMode != 0) Command7_Click();
  statusAllowance_ = popup_.statusBarRequest ? 0 : kStatusAllowance;
  StatusBar1.set_visible(statusAllowance_ == 0);
  ScriptGeometryInput in;
  int x = 0, y = 0, w = 0, h = 0;
  get_position(x, y);
  get_size(w, h);
  in.window = {Tw(x), Tw(y), Tw(w), Tw(h)};
  in.area = WorkAreaNow();
  in.chrome = ChromeAllowance(CaptionHeight(*this));
  in.toolbar = kToolbarHeight - toolbarOffset_;
  in.status = popup_.statusBarRequest ? kStatusAllowance : 0;
  const TwipRect r = ScriptWindowRect(popup_, in);
  move(Px(r.left), Px(r.top));
  resize(Px(r.width), Px(r.height));
  ApplyLayout();
}

void Form1::Timer4_Timer() {
  timer4_.disconnect();
  const Module1State& m = Module1();
  Timer4Hooks hooks;
  hooks.sendToKillPage = [this, &m] { WebBrowser1.Navigate(m.KillPopPagePath); };
  hooks.applyGeometry = [this] { ApplyScriptGeometry(); };
  hooks.spared = [this, &m] {
    return FileTest(m.DontKillPath) == 0 && DontKillSpares(WebBrowser1.LocationURL(), ReadDontKill(m.DontKillPath));
  };
  hooks.logPageIfDue = [this] { LogPageIfDue(); };
  hooks.tickAgain = [this] { StartTimer4(); };
  RunTimer4Tick(popup_, logMarks_, IsNormalState(), KillMode(), hooks);
}

void Form1::WebBrowser1_DocumentComplete(const std::string&) {
  if (!KillMode() || popup_.killed || coding::ToLower(WebBrowser1.LocationName()) != "killpopups.htm") return;
  popup_.killed = true;
  Module1State& m = Module1();
  ++m.PopUpsKilled;
  if (m.Working.BoomOnKill == 1) app_.Boom().Boom();
  app_.ForEachMainWindow([](Form1& w) { w.ShowPopupModes(); });
  // Closed from the main loop: this handler runs inside the engine's event.
  Glib::signal_idle().connect_once(sigc::mem_fun(*this, &Form1::Form_QueryUnload));
}

void Form1::ShowPopupModes() {
  const Module1State& m = Module1();
  const bool kill = m.Working.KillPopUps != 0;
  // Setting a check mark fires the item; the guard keeps that from toggling.
  syncingMenus_ = true;
  mnuKillPops.set_active(kill && m.Working.BoomOnKill == 0);
  mnuKillPopsBoom.set_active(m.Working.BoomOnKill != 0);
  mnuScriptErr.set_active(m.ScriptMessagesOff != 0);
  syncingMenus_ = false;
  StatusBar1.SetText(3, PopupPanelText(kill, m.ScriptMessagesOff != 0));
  const bool quiet = m.ScriptMessagesOff != 0;
  StatusBar1.SetPicture(3, kill ? "window-close-symbolic" : quiet ? "notifications-disabled-symbolic" : "");
  StatusBar1.SetToolTip(3, KilledCountText(m.PopUpsKilled));
}

void Form1::mnuKillPops_Click() {
  Settings& s = Module1().Working;
  ToggleKillMode(s.KillPopUps, s.BoomOnKill);
  app_.ForEachMainWindow([](Form1& w) { w.ShowPopupModes(); });
}

void Form1::mnuKillPopsBoom_Click() {
  Settings& s = Module1().Working;
  ToggleKillBoomMode(s.KillPopUps, s.BoomOnKill);
  app_.ForEachMainWindow([](Form1& w) { w.ShowPopupModes(); });
}

void Form1::mnuScriptErr_Click() {
  Module1State& m = Module1();
  m.ScriptMessagesOff = m.ScriptMessagesOff ? 0 : 1;
  m.Working.ScriptErrMode = static_cast<int16_t>(m.ScriptMessagesOff);  // saved as it is at exit
  app_.ForEachMainWindow([&m](Form1& w) {
    w.WebBrowser1.SetSilent(m.ScriptMessagesOff != 0);
    w.ShowPopupModes();
  });
}

void Form1::mnuDontKillPopsEdit_Click() {
  selectorInUse_ = false;
  StartTimer5(250, DeferredAction::OpenDontKillList);
}
