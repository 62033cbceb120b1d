#include "gui/GuiTest.h"

#include <gdk/gdk.h>

#include <cstdlib>

std::unique_ptr<TempDir> GuiTest::home_;

void GuiTest::SetUpTestSuite() {
  if (home_) return;
  home_ = std::make_unique<TempDir>();
  const std::string h = home_->path();
  setenv("HOME", h.c_str(), 1);
  setenv("XDG_DATA_HOME", (h + "/.local/share").c_str(), 1);
  setenv("XDG_CACHE_HOME", (h + "/.cache").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (h + "/.config").c_str(), 1);
  gdk_set_allowed_backends("x11,*");
  static Gtk::Main kit;
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
