// "Boom": the hidden window that sounds when a pop-up is killed.
#pragma once

#include <gtkmm.h>

class Form7 : public Gtk::Window {
 public:
  Form7();      // loaded hidden, never shown
  void Boom();  // plays the sound on the next tick of Timer1
  void Timer1_Timer();

 private:
  sigc::connection timer1_;
};
