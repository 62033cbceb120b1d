#include "gui/GuiTest.h"

#include <gdk/gdk.h>

#include <algorithm>
#include <cstdlib>

#include "core/app/Module1.h"
#include "platform/WebKitBrowser.h"
#include "ui/app/Main.h"
#include "ui/browser/Form1.h"

std::unique_ptr<TempDir> GuiTest::home_;
std::string GuiTest::homePath_;
std::unique_ptr<App> GuiTest::app_;

void GuiTest::SetUpTestSuite() {
  if (!home_) SetUpHome();
  if (!app_) app_ = std::make_unique<App>();
}

void GuiTest::SetUpHome() {
  home_ = std::make_unique<TempDir>();
  // A test that runs the program twice hands its home to both runs.
  const char* given = getenv("SKELVORNAX_TEST_HOME");
  homePath_ = given && *given ? given : home_->path();
  const std::string h = homePath_;
  setenv("HOME", h.c_str(), 1);
  setenv("XDG_DATA_HOME", (h + "/.local/share").c_str(), 1);
  setenv("XDG_CACHE_HOME", (h + "/.cache").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (h + "/.config").c_str(), 1);
  gdk_set_allowed_backends("x11,*");
}

Form1* GuiTest::OpenWindow(std::unique_ptr<WebBrowser> browser) { return &app_->OpenMainWindow(std::move(browser)); }

void GuiTest::CloseWindow(Form1* window) {
  window->Form_QueryUnload();
  RunUntil([window] {
    const auto windows = app_->MainWindows();
    return std::find(windows.begin(), windows.end(), window) == windows.end();
  });
}

void GuiTest::CloseAllMainWindows() {
  for (Form1* w : app_->MainWindows()) w->Form_QueryUnload();
  RunUntil([] { return !app_->HasMainWindows(); });
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
}

void PressKey(Gtk::Window& window, guint keyval, guint state) {
  GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
  key->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
  key->key.keyval = keyval;
  key->key.state = state;
  key->key.time = GDK_CURRENT_TIME;
  // Key bindings are looked up by the key's code on the keyboard.
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &keys, &count) &&
      count > 0)
    key->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  gdk_event_set_device(key, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
  // Through the main loop's dispatch, so that handlers see it as the current event.
  gtk_main_do_event(key);
  gdk_event_free(key);
}

bool RunUntil(const std::function<bool()>& condition, int timeoutMs) {
  const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
  while (!condition()) {
    if (g_get_monotonic_time() > deadline) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
  }
  return true;
}

void RunFor(int ms) {
  const gint64 end = g_get_monotonic_time() + static_cast<gint64>(ms) * 1000;
  while (g_get_monotonic_time() < end)
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
}

StartupInputs GuiTest::ProgramInputs() {
  StartupInputs in = GatherStartupInputs("");
  in.appDir = SKELVORNAX_PROGRAM_DIR;
  return in;
}

::testing::AssertionResult GuiTest::PrepareProgram() {
  Module1State& m = Module1();
  if (!PrepareStart(ProgramInputs(), m)) return ::testing::AssertionFailure() << m.BootErrorText;
  m.StartPageFlag = 1;
  m.CommandLineArg.clear();
  m.MsgBoxOpen = 0;
  return ::testing::AssertionSuccess();
}

int GuiTest::RunWholeProgram(int seconds) {
  sigc::connection guard = Glib::signal_timeout().connect_seconds(
      [] {
        ADD_FAILURE() << "the program did not end";
        TheApp().Quit();
        return false;
      },
      seconds);
  const int code = RunProgram(TheApp(), ProgramInputs());
  guard.disconnect();
  return code;
}

void GuiTest::UseRealEngine() {
  WebKitBrowser::ConfigureEngine(Module1().UserDataDir + "/WebData", Home() + "/.cache/skelvornax");
}
