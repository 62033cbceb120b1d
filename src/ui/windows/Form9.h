// The "Suggestions And Bugs" window: what it is for, and a button that opens
// a new, pre-addressed message in the desktop's mail program.
#pragma once

#include <gtkmm.h>

class Form9 : public Gtk::Window {
 public:
  Form9();

  // Controls, by their names in the window's design.
  Gtk::Frame Frame1;
  Gtk::TextView Text1;
  Gtk::Button Command1;
  Gtk::Image Picture1;

  void Form_Load();
  void Form_Activate();
  void Form_QueryUnload();
  void Command1_Click();

  sigc::signal<void> Unloaded;

 private:
  std::string explanation_;
  bool activated_ = false;
  bool unloaded_ = false;
};

// Where suggestions go, decoded from the program's hidden text.
std::string SuggestionsAddress();
