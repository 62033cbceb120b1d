// The About window: the program's icon, what it is and its version.
#pragma once

#include <gtkmm.h>

#include <optional>

#include "core/app/Module1.h"

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
  Gtk::Label LabelDefault;         // whether the desktop opens web pages here
  Gtk::Button CommandMakeDefault;  // "Make skelvornax The Default Browser"
  Gtk::Button Command1;            // "OK"

  void Form_Load();
  void Form_QueryUnload();
  bool Form_KeyDown(GdkEventKey* key);
  void CommandMakeDefault_Click();
  // Reads the desktop's default web handler again and shows it.
  void ShowDefaultBrowser();

 private:
  App& app_;
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL, 10};
  bool unloaded_ = false;
  std::optional<FlagScope> busy_;  // BusyWindowOpen while the window is loaded
};
