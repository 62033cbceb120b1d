#include "ui/app/Main.h"

#include <gdk/gdk.h>
#include <glib.h>
#include <gtk/gtk.h>

#include <iostream>

#include "core/app/CommandLine.h"
#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/app/StartupTrace.h"

int main(int argc, char** argv) {
  startuptrace::Mark("main");
  // Window placement needs X11 (also under XWayland).
  gdk_set_allowed_backends("x11,*");
  // The desktop matches windows to the launcher entry by this name.
  g_set_prgname(kAppTitle);
  // Takes the toolkit's own options out of argv without opening the display:
  // a second start hands over and ends without ever connecting to it.
  gtk_parse_args(&argc, &argv);
  const StartRequest request =
      ParseStartArguments(ArgumentsOf(argc, argv), [](const std::string& p) { return FileTest(p) == 0; });
  switch (request.kind) {
    case StartRequest::Kind::Help:
      std::cout << HelpText();
      return 0;
    case StartRequest::Kind::Version:
      std::cout << VersionText();
      return 0;
    case StartRequest::Kind::BadOption:
      std::cerr << BadOptionText(request.badOption);
      return 2;
    case StartRequest::Kind::Browse:
      break;
  }
  return Main(request.addresses);
}
