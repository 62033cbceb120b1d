// "Boom": the hidden window that sounds when a pop-up is killed.
#pragma once

#include <gtkmm.h>

class Form7 : public Gtk::Window {
 public:
  static Form7& Instance();
  void Boom();  // plays the sound on the next tick of Timer1
  void Timer1_Timer();

 private:
  Form7();
  sigc::connection timer1_;
};
