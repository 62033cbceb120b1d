#include "platform/Programs.h"

#include <gio/gio.h>
#include <glib.h>

namespace {
std::string OrEmpty(const char* s) { return s ? s : ""; }

// A command's full path: as given when it has a folder, else from PATH.
std::string FullPath(const std::string& command) {
  if (command.empty()) return "";
  gchar* found = g_find_program_in_path(command.c_str());
  std::string path = OrEmpty(found);
  g_free(found);
  return path;
}
}  // namespace

DesktopProgram DesktopMailProgram() {
  GAppInfo* info = g_app_info_get_default_for_uri_scheme("mailto");
  if (!info) return {};
  DesktopProgram p{OrEmpty(g_app_info_get_name(info)), FullPath(OrEmpty(g_app_info_get_executable(info)))};
  g_object_unref(info);
  if (p.path.empty()) return {};
  return p;
}

DesktopProgram InstalledMessenger() {
  static const DesktopProgram kKnown[] = {{"Pidgin", "pidgin"},         {"Telegram", "telegram-desktop"},
                                          {"Signal", "signal-desktop"}, {"Element", "element-desktop"},
                                          {"HexChat", "hexchat"},       {"Empathy", "empathy"}};
  for (const auto& known : kKnown) {
    const std::string path = FullPath(known.path);
    if (!path.empty()) return {known.name, path};
  }
  return {};
}

bool IsExecutableFile(const std::string& path) {
  return g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR) && g_file_test(path.c_str(), G_FILE_TEST_IS_EXECUTABLE);
}
