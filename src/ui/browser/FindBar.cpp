#include "ui/browser/FindBar.h"

#include <gdk/gdkkeysyms.h>

#include "platform/Desktop.h"

namespace {
void IconButton(Gtk::Button& b, const char* icon, const char* name) {
  b.set_image_from_icon_name(icon, Gtk::ICON_SIZE_MENU);
  b.set_relief(Gtk::RELIEF_NONE);
  b.set_tooltip_text(name);
  b.get_accessible()->set_name(name);
}
}  // namespace

FindBar::FindBar(WebBrowser& browser) : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4), browser_(browser) {
  AddStyle(
      ".findbar { background: @theme_bg_color; border: 1px solid @borders; border-top: none;"
      " border-radius: 0 0 5px 5px; padding: 2px 6px; }"
      ".findbar entry.not-found { background: #f8d7d7; color: #8a0000; }");
  get_style_context()->add_class("findbar");
  set_name("skelvornax-findbar");
  Text1.set_placeholder_text("Find On This Page");
  Text1.get_accessible()->set_name("Find On This Page");
  Text1.set_width_chars(12);
  IconButton(Previous, "go-up-symbolic", "Previous Match (Shift+Enter)");
  IconButton(Next, "go-down-symbolic", "Next Match (Enter)");
  IconButton(Close, "window-close-symbolic", "Close The Find Bar (Esc)");
  MatchCase.set_label("Match _Case");
  MatchCase.set_use_underline(true);
  Count.set_width_chars(9);
  Count.set_xalign(0);
  for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{&Text1, &Previous, &Next, &MatchCase, &Count, &Close})
    pack_start(*w, false, false);
  show_all_children();
  set_no_show_all(true);

  Text1.signal_changed().connect(sigc::mem_fun(*this, &FindBar::Text1_Changed));
  Text1.signal_key_press_event().connect(sigc::mem_fun(*this, &FindBar::Text1_KeyPress), false);
  Previous.signal_clicked().connect(sigc::mem_fun(*this, &FindBar::FindPrevious));
  Next.signal_clicked().connect(sigc::mem_fun(*this, &FindBar::FindNext));
  Close.signal_clicked().connect(sigc::mem_fun(*this, &FindBar::Shut));
  MatchCase.signal_toggled().connect([this] { Search(FindStep::First); });
  browser_.FindFound.connect(sigc::mem_fun(*this, &FindBar::Browser_Found));
  browser_.FindFailed.connect(sigc::mem_fun(*this, &FindBar::Browser_Failed));
  // A new page in the window: the count is counted there again.
  browser_.DocumentComplete.connect([this](const std::string&) {
    if (!get_visible()) return;
    asked_.clear();  // what was asked of the page that has gone gets no answer
    Search(FindStep::First);
  });
}

void FindBar::Open() {
  show();
  Text1.grab_focus();  // selects the text, so typing replaces it
  Search(FindStep::First);
}

void FindBar::Shut() {
  if (!get_visible()) return;
  browser_.FindFinish();
  asked_.clear();
  hide();
  Closed.emit();
}

void FindBar::FindNext() { Search(FindStep::Next); }
void FindBar::FindPrevious() { Search(FindStep::Previous); }

void FindBar::Search(FindStep step) {
  const std::string text = Text1.get_text();
  if (text.empty()) {
    browser_.FindFinish();
    asked_.clear();
    counter_.Clear();
    ShowCount();
    return;
  }
  // Stepping before anything was found is a new search.
  if (counter_.Total() == 0) step = FindStep::First;
  asked_.push_back(step);
  browser_.Find(text, MatchCase.get_active(), step);
}

void FindBar::Text1_Changed() { Search(FindStep::First); }

bool FindBar::Text1_KeyPress(GdkEventKey* key) {
  if (key->keyval != GDK_KEY_Return && key->keyval != GDK_KEY_KP_Enter) return false;
  if (key->state & GDK_SHIFT_MASK)
    FindPrevious();
  else
    FindNext();
  return true;
}

void FindBar::Browser_Found(unsigned matches) {
  if (asked_.empty()) return;  // an answer to a search that was given up
  const FindStep step = asked_.front();
  asked_.pop_front();
  counter_.Found(step, matches);
  ShowCount();
}

void FindBar::Browser_Failed() {
  if (asked_.empty()) return;
  asked_.pop_front();
  counter_.NotFound();
  ShowCount();
}

void FindBar::ShowCount() {
  Count.set_text(counter_.Text());
  auto style = Text1.get_style_context();
  if (counter_.Missing())
    style->add_class("not-found");
  else
    style->remove_class("not-found");
}
