#include "ui/app/ProgramIcon.h"

#include <gtkmm.h>

#ifndef SKELVORNAX_APP_ID
#error "SKELVORNAX_APP_ID: the program's desktop id, which names its icon"
#endif

const char* const kProgramIconName = SKELVORNAX_APP_ID;

void UseProgramIcon(const std::string& appDir) {
  auto theme = Gtk::IconTheme::get_default();
  theme->append_search_path(appDir + "/icons");
  theme->append_search_path(appDir + "/../icons");
  Gtk::Window::set_default_icon_name(kProgramIconName);
}
