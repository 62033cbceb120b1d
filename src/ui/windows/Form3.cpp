#include "ui/windows/Form3.h"

#include <gdk/gdkkeysyms.h>

#include "core/app/CommandLine.h"
#include "core/app/Module1.h"
#include "platform/DefaultBrowser.h"
#include "platform/Dialogs.h"
#include "ui/app/App.h"
#include "ui/app/ProgramIcon.h"

Form3::Form3(App& app) : app_(app) {
  set_title("About");
  set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
  set_resizable(false);
  set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
  Image1.set_from_icon_name(kProgramIconName, Gtk::ICON_SIZE_DIALOG);
  Image1.set_pixel_size(64);
  Image1.get_accessible()->set_name(std::string(kAppTitle) + " icon");
  auto* name = Gtk::manage(new Gtk::Label);
  name->set_markup(std::string("<span size=\"x-large\" weight=\"bold\">") + kAppTitle + "</span>");
  Label1.set_text("Enhanced Web Browser With Advanced Features  For General Web Browsing.");
  Label1.set_line_wrap(true);
  Label1.set_max_width_chars(40);
  Label1.set_justify(Gtk::JUSTIFY_CENTER);
  Label2.set_text("Vs. " + ProgramVersion());
  LabelDefault.set_line_wrap(true);
  LabelDefault.set_max_width_chars(40);
  LabelDefault.set_justify(Gtk::JUSTIFY_CENTER);
  CommandMakeDefault.set_label(std::string("Make ") + kAppTitle + " The Default Browser");
  CommandMakeDefault.set_halign(Gtk::ALIGN_CENTER);
  Frame1.pack_start(LabelDefault, false, false);
  Frame1.pack_start(CommandMakeDefault, false, false);
  Command1.set_label("_OK");
  Command1.set_use_underline(true);
  Command1.set_halign(Gtk::ALIGN_END);
  box_.set_border_width(18);
  box_.pack_start(Image1, false, false);
  box_.pack_start(*name, false, false);
  box_.pack_start(Label1, false, false);
  box_.pack_start(Label2, false, false);
  box_.pack_start(Frame1, false, false);
  box_.pack_end(Command1, false, false);
  add(box_);
  box_.show_all();

  Command1.signal_clicked().connect(sigc::mem_fun(*this, &Form3::Form_QueryUnload));
  CommandMakeDefault.signal_clicked().connect(sigc::mem_fun(*this, &Form3::CommandMakeDefault_Click));
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form3::Form_KeyDown), false);
  signal_delete_event().connect([this](GdkEventAny*) {
    Form_QueryUnload();
    return true;  // its owner frees it
  });
}

namespace {
const std::string kDesktopId = std::string(SKELVORNAX_APP_ID) + ".desktop";
}  // namespace

void Form3::Form_Load() {
  // Like the other secondary windows, it holds off hand-overs while open.
  busy_.emplace(Module1().BusyWindowOpen);
  ShowDefaultBrowser();
  show();
  Command1.grab_focus();
}

bool Form3::Form_KeyDown(GdkEventKey* key) {
  if (key->keyval != GDK_KEY_Escape) return false;
  Form_QueryUnload();
  return true;
}

void Form3::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  busy_.reset();
  hide();
  app_.AboutUnloaded();
}

void Form3::ShowDefaultBrowser() {
  const bool isDefault = IsDefaultBrowser(kDesktopId);
  LabelDefault.set_text(std::string(kAppTitle) + (isDefault ? " is" : " is not") + " your default web browser.");
  CommandMakeDefault.set_visible(!isDefault);
}

void Form3::CommandMakeDefault_Click() {
  std::string why;
  if (!MakeDefaultBrowser(kDesktopId, &why))
    MsgBox(std::string(kAppTitle) + " could not be made the default browser: " + why, MsgButtons::Ok, this);
  ShowDefaultBrowser();
  // Enter closes the window next, instead of trying again.
  Command1.grab_focus();
}
