// Form1: the auto-refresh timer, its interval buttons and boxes, and the
// refresh button with its level.
#include <gdk/gdkkeysyms.h>

#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/app/ToolTips.h"
#include "platform/Desktop.h"
#include "platform/Network.h"
#include "platform/Sound.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"

namespace {
constexpr unsigned kTimer1Ms = 60000;
constexpr unsigned kGuardMs = 600;

std::string ClickSound() { return Module1().AppDir + "/Images/Click.wav"; }
}  // namespace

void Form1::ConnectRefreshEvents() {
  refresh_.interval =
      static_cast<int16_t>(std::clamp<int>(Module1().Working.RefreshMinutes, kMinInterval, kMaxStoredInterval));
  Text2.set_text(std::to_string(refresh_.interval));
  OnPress(Command10, 1, [this] { Command10_Press(); });
  OnPress(Command11, 1, [this] { Command11_Press(); });
  for (Gtk::Button* b : {&Command10, &Command11})
    b->signal_button_release_event().connect(
        [this](GdkEventButton*) {
          IntervalButton_Release();
          return false;
        },
        false);
  OnPress(
      Text2, 1, [this] { Text2_DblClick(); }, Clicks::Double);
  OnPress(
      Text3, 1, [this] { Text3_DblClick(); }, Clicks::Double);
  // No context menu on the boxes: a right press only switches them off a moment.
  OnPress(
      Text2, 3, [this] { Text_RightPress(2); }, Clicks::Single, true);
  OnPress(
      Text3, 3, [this] { Text_RightPress(3); }, Clicks::Single, true);
  OnPress(Command2, 3, [this] { Command2_RightPress(); });
  Command13.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command13_Click));
  OnPress(Command13, 3, [this] { Command13_Click(); });
  SetTimerOn(false);
}

// The boxes look like input fields while the timer runs, like the toolbar
// when it is off.
void Form1::SetTimerOn(bool on) {
  refresh_.on = on;
  timer1_.disconnect();
  if (on)
    timer1_ =
        Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form1::Timer1_Timer), true), kTimer1Ms);
  for (Gtk::Entry* e : {&Text2, &Text3}) {
    auto style = e->get_style_context();
    if (on)
      style->remove_class("timer-off");
    else
      style->add_class("timer-off");
  }
}

void Form1::RestartCountdown() {
  refresh_.Restart();
  if (!refresh_.on) return;
  SetTimerOn(false);
  Text3.set_text(refresh_.MinutesLeftText());
  SetTimerOn(true);
}

void Form1::RefreshNow() {
  if (IsConnected()) {
    connectedByModem_ = IsMetered();
  } else if (connectedByModem_) {
    OpenNetworkSettings();
  }
  PlaySound(ClickSound());
  if (!WebBrowser1.LocationURL().empty()) WebBrowser1.Refresh2(Module1().Working.RefreshMode);
}

void Form1::Timer1_Timer() {
  if (refresh_.MinuteTick()) RefreshNow();
  Text3.set_text(refresh_.MinutesLeftText());
}

void Form1::Command10_Press() { IntervalButton_Press(-1); }
void Form1::Command11_Press() { IntervalButton_Press(+1); }
// Holding a button steps once at once, once more after 750 ms and then
// every 50 ms until it is let go; the release settles the interval.
void Form1::IntervalButton_Press(int delta) {
  if (buttonHeld_) return;
  buttonHeld_ = true;
  heldDelta_ = delta;
  StepHeldInterval();
  repeatTimer_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &Form1::RepeatHeldInterval), kFirstRepeatMs);
}

bool Form1::RepeatHeldInterval() {
  StepHeldInterval();
  repeatTimer_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &Form1::RepeatHeldInterval), kNextRepeatMs);
  return false;
}

void Form1::StepHeldInterval() {
  refresh_.StepInterval(heldDelta_);
  Text2.set_text(std::to_string(refresh_.interval));
}

void Form1::IntervalButton_Release() {
  if (!buttonHeld_) return;
  buttonHeld_ = false;
  repeatTimer_.disconnect();
  const bool wasOn = refresh_.on;
  const bool due = refresh_.IntervalChosen();
  if (!wasOn) SetTimerOn(true);
  if (Module1().Working.NoToolTips == 0)
    Text2.set_tooltip_text(std::to_string(refresh_.interval) + Module1().ToolTipTexts[tips::kRefreshInterval]);
  if (due) RefreshNow();
  Text3.set_text(refresh_.MinutesLeftText());
}

void Form1::Text2_DblClick() {
  if (refresh_.on) {
    SetTimerOn(false);
    refresh_.counter = 0;
    Text3.set_text("");
  } else {
    SetTimerOn(true);
    Text3.set_text(refresh_.MinutesLeftText());
  }
}

void Form1::Text3_DblClick() {
  RestartCountdown();
  Command6.grab_focus();
}

// A right press must not open the text box's own menu: the box is switched
// off for a moment instead.
void Form1::Text_RightPress(int guard) {
  (guard == 2 ? Text2 : Text3).set_sensitive(false);
  StartTimer5(kGuardMs, guard == 2 ? DeferredAction::EnableText2 : DeferredAction::EnableText3);
}

void Form1::Command2_Click() {
  if (WebBrowser1.LocationURL().empty()) return;
  PlaySound(ClickSound());
  RestartCountdown();
  // Only a local page's address is rewritten, as its path: typed text stays.
  const std::string url = WebBrowser1.LocationURL();
  if (url.compare(0, 8, "file:///") == 0) ShowAddress(MyComboTex(url));
  WebBrowser1.Refresh2(Module1().Working.RefreshMode);
}

void Form1::Command2_RightPress() {
  Module1State& m = Module1();
  m.Working.RefreshMode = NextRefreshMode(m.Working.RefreshMode);
  m.ToolTipTexts[tips::kRefresh] = RefreshToolTip(m.Working.RefreshMode);
  app_.ForEachMainWindow([](Form1& w) { w.F1ToolT(); });
}

void Form1::Command13_Click() { SedUpTimerButtons(1); }

void Form1::SedUpTimerButtons(int toggle) {
  if (toggle == 1) timerSwap_ = timerSwap_ == 0 ? 1 : 0;
  const bool timers = timerSwap_ == 0;
  const bool shown = !ToolbarHidden();
  for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{&Text2, &Text3, &Command10, &Command11})
    w->set_visible(shown && timers);
  Command12.set_visible(shown && !timers);
  Command9.set_visible(shown && !timers);
}
