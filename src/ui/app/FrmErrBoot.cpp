#include "ui/app/FrmErrBoot.h"

#include "core/app/Module1.h"
#include "platform/Desktop.h"

namespace {
const char* const kLabel1 =
    "The Error Shown Above Occurred Accessing The Apps Start-UP Settings And Data Files Directory.  This May Be An "
    "Unusual Error.  If So, Click The \"Okay\"  Button To Close This Window, Then Re-Open The Application In The "
    "Usual Way.";
const char* const kLabel2 =
    "If This Error Persists, Your System Administrator May Need To Change Your User Settings In Order For The App To "
    "Be Able To Access Its  Settings And Data Files Directory.";
}  // namespace

FrmErrBoot::FrmErrBoot() : Command1("Okay"), Label1(kLabel1), Label2(kLabel2) {
  set_title(kAppTitle);
  set_default_size(480, 300);
  set_position(Gtk::WIN_POS_CENTER);
  set_modal(true);
  Text1.set_editable(false);
  Text1.set_wrap_mode(Gtk::WRAP_WORD_CHAR);
  Text1.get_buffer()->set_text(Module1().BootErrorText);
  for (Gtk::Label* label : {&Label1, &Label2}) {
    label->set_line_wrap(true);
    label->set_xalign(0);
    SetWidgetFont(*label, Pango::FontDescription("Verdana 9"));
  }
  box_.set_border_width(12);
  box_.pack_start(Text1, true, true);
  box_.pack_start(Label1, false, false);
  box_.pack_start(Label2, false, false);
  box_.pack_start(Command1, false, false);
  add(box_);
  Command1.signal_clicked().connect(sigc::mem_fun(*this, &FrmErrBoot::Command1_Click));
  signal_focus_in_event().connect([this](GdkEventFocus*) {
    Form_Activate();
    return false;
  });
  show_all();
}

void FrmErrBoot::Form_Activate() { Text1.get_buffer()->set_text(Module1().BootErrorText); }

void FrmErrBoot::Command1_Click() { hide(); }
