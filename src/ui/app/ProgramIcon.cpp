#include "ui/app/ProgramIcon.h"

#include "core/app/Module1.h"

Glib::RefPtr<Gdk::Pixbuf> ProgramIcon(int size) {
  try {
    return Gdk::Pixbuf::create_from_file(Module1().AppDir + "/skelvornax.svg", size, size);
  } catch (const Glib::Error&) {
    return {};
  }
}
