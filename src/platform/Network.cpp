#include "platform/Network.h"

#include <giomm.h>
#include <glibmm.h>

#include "platform/WebKitBrowser.h"

// The C calls: giomm's get_default() drops a reference it never took.
bool IsConnected() { return g_network_monitor_get_network_available(g_network_monitor_get_default()); }
bool IsMetered() { return g_network_monitor_get_network_metered(g_network_monitor_get_default()); }

void GoOffline(const std::function<void(bool)>& done) { WebKitBrowser::SetOfflineMode(true, done); }
void GoOnline(const std::function<void(bool)>& done) { WebKitBrowser::SetOfflineMode(false, done); }
bool IsOffline() { return WebKitBrowser::OfflineMode(); }

bool LaunchProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || Glib::find_program_in_path(argv.front()).empty()) return false;
  try {
    Glib::spawn_async("", argv, Glib::SPAWN_SEARCH_PATH);
    return true;
  } catch (const Glib::Error&) {
    return false;
  }
}

namespace {
// Starts the first of the tools that is installed.
bool LaunchFirst(const std::vector<std::vector<std::string>>& tools) {
  for (const auto& argv : tools)
    if (LaunchProgram(argv)) return true;
  return false;
}
}  // namespace

bool OpenNetworkSettings() {
  return LaunchFirst(
      {{"nm-connection-editor"}, {"gnome-control-center", "network"}, {"systemsettings", "kcm_networkmanagement"}});
}

bool OpenInternetSettings() {
  // The proxy settings first: they are what every program's connections use.
  return LaunchFirst({{"gnome-control-center", "network"},
                      {"systemsettings", "kcm_proxy"},
                      {"xfce4-settings-manager"},
                      {"nm-connection-editor"}});
}

namespace {
std::function<bool(const std::string&)>& TestHandler() {
  static std::function<bool(const std::string&)> handler;
  return handler;
}
}  // namespace

void SetDefaultHandlerForTest(std::function<bool(const std::string&)> handler) { TestHandler() = std::move(handler); }

bool OpenWithDefaultHandler(const std::string& uri) {
  if (TestHandler()) return TestHandler()(uri);
  try {
    return Gio::AppInfo::launch_default_for_uri(uri);
  } catch (const Glib::Error&) {
    return false;
  }
}
