#include "ui/browser/ReopenBar.h"

#include "core/app/Module1.h"

ReopenBar::ReopenBar() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6), Reopen("Reopen"), No("No") {
  get_style_context()->add_class("question-bar");
  set_name("skelvornax-reopenbar");
  get_accessible()->set_name("Reopen The Pages That Were Open");
  Text.set_xalign(0);
  Text.set_line_wrap(true);
  set_border_width(6);
  pack_start(Text, true, true);
  pack_start(Reopen, false, false);
  pack_start(No, false, false);
  set_halign(Gtk::ALIGN_FILL);
  set_valign(Gtk::ALIGN_START);
  show_all_children();
  set_no_show_all(true);
  Reopen.signal_clicked().connect([this] { Answer(true); });
  No.signal_clicked().connect([this] { Answer(false); });
}

void ReopenBar::Ask(std::size_t count, const std::string& pages) {
  const char* const were = count == 1 ? " page that was open?" : " pages that were open?";
  Text.set_text(std::string(kAppTitle) + " did not close normally. Reopen the " + std::to_string(count) + were);
  Text.set_tooltip_text(pages);
  Text.set_has_tooltip(!pages.empty());
  show();
  Reopen.grab_focus();
}

void ReopenBar::NewPageStarted() {
  if (Asking()) Answer(false);
}

void ReopenBar::Answer(bool reopen) {
  hide();
  if (reopen) {
    Reopened.emit();
  } else {
    Declined.emit();
  }
}
