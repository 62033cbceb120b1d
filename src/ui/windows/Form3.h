// The About window: the program's icon, what it is and its version.
#pragma once

#include <gtkmm.h>

class App;

class Form3 : public Gtk::Window {
 public:
  explicit Form3(App& app);

  // Controls, by their names in the window's design.
  Gtk::Image Image1;  // the program's icon
  Gtk::Label Label1;  // the description
  Gtk::Label Label2;  // "Vs." and the version
  // Room below the version for more about the program on this desktop.
  Gtk::Box Frame1{Gtk::ORIENTATION_VERTICAL, 6};
  Gtk::Button Command1;  // "OK"

  void Form_Load();
  void Form_QueryUnload();
  bool Form_KeyDown(GdkEventKey* key);

 private:
  App& app_;
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL, 10};
  bool unloaded_ = false;
};
