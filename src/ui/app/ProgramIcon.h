// The program's icon, drawn from the shipped picture.
#pragma once

#include <gdkmm/pixbuf.h>

// The icon at `size` pixels square; empty when the picture cannot be read.
Glib::RefPtr<Gdk::Pixbuf> ProgramIcon(int size);
