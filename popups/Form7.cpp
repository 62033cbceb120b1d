#include "popups/Form7.h"

#include "app/Module1.h"
#include "platform/Sound.h"

Form7& Form7::Instance() {
  static Form7* boom = new Form7;  // lives as long as the program
  return *boom;
}

Form7::Form7() { set_title("Boom"); }

void Form7::Boom() {
  timer1_.disconnect();
  timer1_ = Glib::signal_timeout().connect([this] { Timer1_Timer(); return false; }, 100);
}

void Form7::Timer1_Timer() {
  timer1_.disconnect();
  PlaySound(Module1().AppDir + "/Images/Kill-Popz.wav");
}
