#include "platform/DefaultBrowser.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace {
const char* const kWebTypes[] = {"x-scheme-handler/http", "x-scheme-handler/https", "text/html",
                                 "application/xhtml+xml"};

bool HandlesScheme(const char* scheme, const std::string& desktopId) {
  GAppInfo* info = g_app_info_get_default_for_uri_scheme(scheme);
  if (!info) return false;
  const char* id = g_app_info_get_id(info);
  const bool ours = id && desktopId == id;
  g_object_unref(info);
  return ours;
}
}  // namespace

bool IsDefaultBrowser(const std::string& desktopId) {
  return HandlesScheme("http", desktopId) && HandlesScheme("https", desktopId);
}

bool MakeDefaultBrowser(const std::string& desktopId, std::string* why) {
  GDesktopAppInfo* app = g_desktop_app_info_new(desktopId.c_str());
  if (!app) {
    if (why) *why = "The desktop does not know skelvornax: its launcher entry " + desktopId + " is not installed.";
    return false;
  }
  bool ok = true;
  for (const char* type : kWebTypes) {
    GError* error = nullptr;
    if (!g_app_info_set_as_default_for_type(G_APP_INFO(app), type, &error)) {
      if (why && ok) *why = error && error->message ? error->message : "The desktop's settings could not be changed.";
      ok = false;
    }
    g_clear_error(&error);
  }
  g_object_unref(app);
  return ok;
}
