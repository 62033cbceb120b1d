#include "ui/popups/Form7.h"

#include "core/app/Module1.h"
#include "platform/Sound.h"

namespace {
constexpr unsigned kTimer1Ms = 100;
}

Form7::Form7() { set_title("Boom"); }

void Form7::Boom() {
  timer1_.disconnect();
  timer1_ =
      Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form7::Timer1_Timer), false), kTimer1Ms);
}

void Form7::Timer1_Timer() {
  timer1_.disconnect();
  PlaySound(Module1().AppDir + "/Images/Kill-Popz.wav");
}
