#include <gdk/gdk.h>
#include <gtkmm.h>

#include "app/Main.h"

int main(int argc, char** argv) {
  // Window placement needs X11 (also under XWayland).
  gdk_set_allowed_backends("x11,*");
  Gtk::Main kit(argc, argv);
  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
  return Main(commandLine);
}
