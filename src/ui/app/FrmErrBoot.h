// The window that tells why start-up could not prepare the data directory.
#pragma once

#include <gtkmm.h>

class FrmErrBoot : public Gtk::Window {
 public:
  FrmErrBoot();

  Gtk::TextView Text1;
  Gtk::Button Command1;
  Gtk::Label Label1, Label2;

  void Command1_Click();

 private:
  void Form_Activate();
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL, 10};
};
