#include "browser/Form1.h"

#include <algorithm>

#include "app/Module1.h"
#include "app/SharedRoutines.h"
#include "platform/Desktop.h"

namespace {

std::vector<Form1*>& Registry() {
  static std::vector<Form1*> windows;
  return windows;
}

int Px(float twips) { return static_cast<int>(twips / kTwipsPerPixel); }

}  // namespace

const std::vector<Form1*>& Form1::Loaded() { return Registry(); }

Form1* Form1::Open(std::unique_ptr<WebBrowser> browser) {
  auto* window = new Form1(std::move(browser));
  Registry().push_back(window);
  window->Form_Load();
  return window;
}

Form1::Form1(std::unique_ptr<WebBrowser> browser) : WebBrowser1(*browser), browser_(std::move(browser)) {
  set_title(kAppTitle);
  LabelMyId.set_text(MakeWindowId());
  LabelMyId.set_no_show_all(true);
  layout_.pack_start(WebBrowser1.Widget(), true, true);
  layout_.pack_start(LabelMyId, false, false);
  add(layout_);
  ConnectBrowser();
  signal_focus_in_event().connect([this](GdkEventFocus*) { Form_Activate(); return false; });
  signal_delete_event().connect([this](GdkEventAny*) { Form_QueryUnload(); return true; });
}

Form1::~Form1() { timer4_.disconnect(); }

void Form1::Form_Load() {
  const Settings& s = Module1().Working;
  move(Px(s.MainLeft), Px(s.MainTop));
  resize(Px(s.MainWidth), Px(s.MainHeight));
  Module1State& m = Module1();
  if (m.StartPageFlag == 0) {
    m.StartPageFlag = 1;
    const std::string& first = m.CommandLineArg.empty() ? m.Working.StartPage : m.CommandLineArg;
    if (!first.empty()) WebBrowser1.Navigate(first);
  }
  show_all();
}

void Form1::Form_Activate() { Module1().ActiveMainWindowId = LabelMyId.get_text(); }

bool Form1::IsNormalState() const {
  auto w = get_window();
  if (!w) return true;
  const auto state = w->get_state();
  return !(state & (Gdk::WINDOW_STATE_ICONIFIED | Gdk::WINDOW_STATE_MAXIMIZED | Gdk::WINDOW_STATE_FULLSCREEN));
}

void Form1::SaveWindowState() {
  int x = 0, y = 0, w = 0, h = 0;
  get_position(x, y);
  get_size(w, h);
  Settings& s = Module1().Working;
  const float width = static_cast<float>(w * kTwipsPerPixel), height = static_cast<float>(h * kTwipsPerPixel);
  // Only a plain, reasonably sized window is worth reopening at its place.
  if (IsNormalState() && !scriptShaped_ && width >= 8010 && height >= 3000) {
    s.MainLeft = static_cast<float>(x * kTwipsPerPixel);
    s.MainTop = static_cast<float>(y * kTwipsPerPixel);
    s.MainWidth = width;
    s.MainHeight = height;
  }
}

void Form1::Form_QueryUnload() {
  if (unloading_) return;
  unloading_ = true;
  SaveWindowState();
  hide();
  // Leave the page for the blank local page, so it stops what it is doing.
  WebBrowser1.Navigate(Module1().DefPagePath);
  WaitMs(750);
  SaveSettings(Module1().UserIniPath, Module1().Working);
  Unload();
}

void Form1::Unload() {
  timer4_.disconnect();
  auto& windows = Registry();
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
  const bool last = windows.empty();
  // Freed from the main loop: this may run inside one of our own handlers.
  Glib::signal_idle().connect_once([this] { delete this; });
  if (last) Gtk::Main::quit();
}
