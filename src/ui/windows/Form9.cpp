#include "ui/windows/Form9.h"

#include <gdk/gdkkeysyms.h>

#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/browser/Addresses.h"
#include "platform/Desktop.h"
#include "platform/Network.h"

namespace {
// Kept out of plain sight in the program file, as the other hidden texts are.
const char* const kHiddenAddress = "26115117103103101115116105111110115064115107101108118111114110097120046111114103";
const char* const kHiddenThanksStart =
    "37032032032032032032032084104097110107032089111117032070111114032072101108112105110103032084111032077097107101032";
const char* const kHiddenThanksEnd =
    "33032066101116116101114032070111114032069118101114121111110101032087104111032085115101115032073116046";

const char* const kDesignText =
    "       Please Click The \"Send\" Button, Below, To Open A Pre-Addressed New Mail Window.  Then You Can "
    "Compose Your Suggestion Or Bug Report Message And Send It To Us.\n"
    "       Your Input Can Be Very Useful And Help Us To Refine And Improve Our Software, Which Then, Can Be More "
    "Useful To You.\n"
    "       Your eMail Address And Information Will Not Be Given To Anyone For Any Purpose, And We Will Not Use Your "
    "eMail Address Or Information For Any Commercial Purpose Or Mailing Lists.";
}  // namespace

std::string SuggestionsAddress() { return DecodeHidden(kHiddenAddress); }

Form9::Form9() : Command1("Send Us An eMail") {
  set_title(kAppTitle);
  set_default_size(520, 360);
  set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
  set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
  Text1.set_editable(false);
  Text1.set_wrap_mode(Gtk::WRAP_WORD);
  Text1.set_left_margin(8);
  Text1.set_right_margin(8);
  Text1.get_accessible()->set_name("Suggestions And Bugs");
  Text1.get_buffer()->set_text(kDesignText);
  SetWidgetFont(Text1, Pango::FontDescription("Verdana 10"));
  Picture1.set_from_icon_name("mail-message-new", Gtk::ICON_SIZE_DIALOG);
  auto* scroller = Gtk::manage(new Gtk::ScrolledWindow);
  scroller->add(Text1);
  auto* inner = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
  inner->set_border_width(8);
  inner->pack_start(*scroller, true, true);
  auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
  row->pack_start(Picture1, false, false);
  row->pack_end(Command1, false, false);
  inner->pack_start(*row, false, false);
  Frame1.add(*inner);
  auto* outer = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL));
  outer->set_border_width(10);
  outer->pack_start(Frame1, true, true);
  add(*outer);
  Command1.signal_clicked().connect(sigc::mem_fun(*this, &Form9::Command1_Click));
  signal_show().connect(sigc::mem_fun(*this, &Form9::Form_Activate));
  signal_delete_event().connect([this](GdkEventAny*) {
    Form_QueryUnload();
    return true;
  });
  signal_key_press_event().connect(
      [this](GdkEventKey* key) {
        if (key->keyval != GDK_KEY_Escape) return false;
        Form_QueryUnload();
        return true;
      },
      false);
  Form_Load();
}

void Form9::Form_Load() {
  Frame1.set_label("Suggestions And Bugs");
  // The hidden texts come back trimmed; the blanks between are put back here.
  explanation_ = DecodeHidden(kHiddenThanksStart) + " " + kAppTitle + " " + DecodeHidden(kHiddenThanksEnd);
  show_all();
}

void Form9::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  auto buffer = Text1.get_buffer();
  buffer->insert(buffer->end(), "\n       " + explanation_);
}

// The desktop's mail program opens a new message to us; should anything fail,
// the window simply stays open.
void Form9::Command1_Click() { OpenWithDefaultHandler(MailtoUri(SuggestionsAddress(), "Suggestions And Bugs")); }

void Form9::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  hide();
  Unloaded.emit();
}
