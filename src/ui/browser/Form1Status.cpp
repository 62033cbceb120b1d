// Form1: the status bar (page text, history switch, clock), the connection
// button, the offline mode and the two cycle buttons.
#include "core/app/Module1.h"
#include "core/app/ToolTips.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Network.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"

namespace {
const char* const kOfflineSuffix = " - [working offline]";

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string OfflineToolTip(bool offline) {
  return std::string("Working Offline - Now = ") + (offline ? "True" : "False") + " (Right-Click To Cycle)";
}
}  // namespace

void Form1::ConnectStatusEvents() {
  Command6.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command6_Click));
  Command9.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command9_Click));
  Command12.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command12_Click));
  OnPress(Command9, 3, [this] { Command9_RightPress(); });
  OnPress(Command12, 3, [this] { Command12_RightPress(); });
  StatusBar1.PanelDblClick.connect(sigc::mem_fun(*this, &Form1::StatusBar1_PanelDblClick));
  StatusBar1.RightPress.connect(sigc::mem_fun(*this, &Form1::StatusBar1_RightPress));
  BuildMailMenu();
}

// The mail button's menu: the twins of the main menu's mail entries.
void Form1::BuildMailMenu() {
  mnuPop2OpenMailApp.set_label("_Open Mail App");
  mnuPop2Mail.set_label("_Create New Mail");
  mnuPop2Quillbox.set_label("_Quillbox email");
  for (Gtk::MenuItem* item : {&mnuPop2OpenMailApp, &mnuPop2Mail, &mnuPop2Quillbox}) {
    item->set_use_underline(true);
    mnuPop2.append(*item);
  }
  mnuPop2.show_all();
  mnuPop2.attach_to_widget(Command9);
  mnuPop2OpenMailApp.signal_activate().connect(sigc::mem_fun(*this, &Form1::mnuOutlookOpen_Click));
  mnuPop2Mail.signal_activate().connect(sigc::mem_fun(*this, &Form1::mnuOutlookMail_Click));
  mnuPop2Quillbox.signal_activate().connect(sigc::mem_fun(*this, &Form1::mnuQuillbox_Click));
}

void Form1::Command6_Click() {
  if (IsConnected()) {
    MsgBox("You Are CONNECTED To The Internet", MsgButtons::Ok, this);
    connectedByModem_ = IsMetered();
    return;
  }
  const MsgAnswer answer =
      MsgBox("You Are NOT CONNECTED To The Internet\nDo You Want An iNet Dial-Up Window?", MsgButtons::YesNo, this);
  if (answer == MsgAnswer::Yes && !OpenNetworkSettings())
    MsgBox("No network settings program was found on this computer.", MsgButtons::Ok, this);
}

void Form1::ShowConnection() { ShowLabel(Command6, IsConnected() ? "iNet" : "Off"); }

void Form1::Timer2_Timer() {
  ShowConnection();
  ShowOfflineState();
  ShowAdBlocking();
  if (Module1().Working.HideControlsMode == 2) AutoHideToolbar();
  UpdateClock();
}

// The caption, the menu check and the Offline button follow the mode.
void Form1::ShowOfflineState() {
  const bool offline = IsOffline();
  const std::string caption = get_title();
  if (offline && !EndsWith(caption, kOfflineSuffix)) set_title(caption + kOfflineSuffix);
  if (!offline && EndsWith(caption, kOfflineSuffix))
    set_title(caption.substr(0, caption.size() - std::string(kOfflineSuffix).size()));
  // The menu's check follows the mode also when a switch failed.
  mnuOffline.set_active(offline);
  if (offline == shownOffline_) return;
  shownOffline_ = offline;
  Module1().ToolTipTexts[tips::kCycleOffline] = OfflineToolTip(offline);
  F1ToolT();
}

void Form1::UpdateClock() {
  const Settings& s = Module1().Working;
  if (s.ClockOn == 0) {
    StatusBar1.SetText(2, "");
    return;
  }
  const Glib::DateTime now = s.ClockMode == 1 ? Glib::DateTime::create_now_utc() : Glib::DateTime::create_now_local();
  StatusBar1.SetText(2, ClockText(now.get_hour(), now.get_minute(), now.get_second(), s.ClockMode == 1));
}

void Form1::StatusBar1_RightPress() {
  Settings& s = Module1().Working;
  s.ClockMode = s.ClockMode == 1 ? 0 : 1;
  UpdateClock();
}

void Form1::StatusBar1_PanelDblClick(int panel) {
  Module1State& m = Module1();
  if (panel == 1) {
    m.HistoryLogOff = m.HistoryLogOff ? 0 : 1;
    app_.ForEachMainWindow([](Form1& w) { w.ShowHistoryPicture(); });
  } else if (panel == 2) {
    m.Working.ClockOn = m.Working.ClockOn ? 0 : 1;
    UpdateClock();
  }
}

void Form1::ShowHistoryPicture() {
  // Red while history logging is off.
  StatusBar1.SetPicture(1, Module1().HistoryLogOff ? "media-record-symbolic" : "document-open-recent-symbolic");
  if (Module1().HistoryLogOff)
    StatusBar1.get_style_context()->add_class("history-off");
  else
    StatusBar1.get_style_context()->remove_class("history-off");
}

void Form1::mnuOffline_Click() {
  // The owner outlives every window, so the answer may come after this one closed.
  App& app = app_;
  const auto shown = [&app](bool) { app.ForEachMainWindow([](Form1& w) { w.ShowOfflineState(); }); };
  if (IsOffline()) {
    GoOnline(shown);
    return;
  }
  GoOffline([shown](bool ok) {
    shown(ok);
    // The windows stay online; the next click tries again.
    if (!ok) MsgBox("Work Offline Could Not Be Switched On; The Windows Stay Online");
  });
}

void Form1::Command9_RightPress() {
  cycleMode9_ = static_cast<int16_t>((cycleMode9_ + 1) % 3);
  F1ToolT();
}

void Form1::Command9_Click() {
  switch (cycleMode9_) {
    case 1:
      mnuPop2.popup_at_widget(&Command9, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST, nullptr);
      break;
    case 2:
      mnuOffline_Click();
      break;
    default:
      mnuHistList_Click();
      break;
  }
}

void Form1::Command12_RightPress() {
  cycleMode12_ = static_cast<int16_t>((cycleMode12_ + 1) % 3);
  F1ToolT();
}

void Form1::Command12_Click() {
  switch (cycleMode12_) {
    case 1:
      mnuEditFind_Click();
      break;
    case 2:
      mnuViewInFullScrn_Click();
      break;
    default:
      WebBrowser1.Stop();
      break;
  }
}
