#include "ui/app/Main.h"

#include <gdk/gdk.h>
#include <gtk/gtk.h>

#include "core/app/CommandLine.h"

int main(int argc, char** argv) {
  // Window placement needs X11 (also under XWayland).
  gdk_set_allowed_backends("x11,*");
  // Takes the toolkit's own options out of argv without opening the display:
  // a second start hands over and ends without ever connecting to it.
  gtk_parse_args(&argc, &argv);
  return Main(JoinArguments(argc, argv));
}
