// Form1: the completions under the address box. The index is the program's
// one CompletionStore; typing only looks it up.
#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "core/app/Dates.h"
#include "core/app/Module1.h"
#include "core/records/Coding.h"
#include "ui/browser/Form1.h"

namespace {

// The text with the typed part (at `at`, `length` bytes) bold.
std::string Marked(const std::string& text, std::size_t at, std::size_t length) {
  if (at == std::string::npos || at + length > text.size()) return Glib::Markup::escape_text(text);
  return Glib::Markup::escape_text(text.substr(0, at)) + "<b>" + Glib::Markup::escape_text(text.substr(at, length)) +
         "</b>" + Glib::Markup::escape_text(text.substr(at + length));
}

}  // namespace

void Form1::ConnectCompletion() {
  CompletionPopup.set_relative_to(Text1);
  CompletionPopup.set_position(Gtk::POS_BOTTOM);
  CompletionPopup.set_modal(false);  // the keys stay in the address box
  CompletionPopup.add(CompletionList);
  CompletionList.set_selection_mode(Gtk::SELECTION_SINGLE);
  CompletionList.set_activate_on_single_click(true);
  CompletionList.get_accessible()->set_name("Address Completions");
  CompletionList.signal_row_activated().connect(sigc::mem_fun(*this, &Form1::CompletionList_RowActivated));
  Text1.signal_changed().connect(sigc::mem_fun(*this, &Form1::Text1_Change));
  Text1.signal_focus_out_event().connect([this](GdkEventFocus*) {
    // A click on a row moves the focus too; the row's activation comes first.
    Glib::signal_idle().connect_once(sigc::mem_fun(*this, &Form1::HideCompletions));
    return false;
  });
}

void Form1::StartCompletionIndex() {
  const Module1State& m = Module1();
  const LocalDateTime now = dates::NowLocal();
  const int64_t today = dates::DayNumber(now.year, now.month, now.day);
  SharedCompletion().StartBuilding([cat = m.CatListPath, lists = m.SiteListsDir, history = m.HistoryDir, today] {
    return BuildCompletionIndex(cat, lists, history, today);
  });
}

void Form1::Text1_Change() {
  // Every other change is the user's: typed (through an input method too),
  // pasted or dropped.
  if (showingAddress_) return;
  const std::string typed = Text1.get_text();
  ShowCompletions(SharedCompletion().Find(typed), typed);
}

void Form1::ShowCompletions(const std::vector<CompletionMatch>& matches, const std::string& typed) {
  completions_ = matches;
  // The rows the list made go with their labels once taken out.
  for (Gtk::Widget* row : CompletionList.get_children()) CompletionList.remove(*row);
  if (completions_.empty()) {
    CompletionPopup.hide();
    return;
  }
  const std::string words = coding::TrimBlanks(typed);
  const std::size_t keyLength = CompletionKey(typed).size();
  for (const CompletionMatch& m : completions_) {
    auto* label = Gtk::manage(new Gtk::Label);
    label->set_markup(Marked(m.title, m.titleAt, words.size()) + "\n<small>" + Marked(m.url, m.urlAt, keyLength) +
                      "</small>");
    label->set_xalign(0);
    label->set_ellipsize(Pango::ELLIPSIZE_END);
    label->set_max_width_chars(80);
    CompletionList.append(*label);
  }
  CompletionList.unselect_all();
  CompletionList.show_all();
  // Under the start of the text, where the typing is.
  CompletionPopup.set_pointing_to(Gdk::Rectangle(0, 0, 48, Text1.get_allocated_height()));
  CompletionPopup.show();
}

void Form1::ShowAddress(const std::string& text) {
  showingAddress_ = true;
  Text1.set_text(text);
  showingAddress_ = false;
  HideCompletions();  // they were for the text that has gone
}

void Form1::HideCompletions() {
  completions_.clear();
  CompletionPopup.hide();
}

bool Form1::Completion_KeyDown(GdkEventKey* key) {
  if (completions_.empty() || !CompletionPopup.get_visible()) return false;
  Gtk::ListBoxRow* selected = CompletionList.get_selected_row();
  const int at = selected ? selected->get_index() : -1;
  const int count = static_cast<int>(completions_.size());
  switch (key->keyval) {
    case GDK_KEY_Down:
    case GDK_KEY_Up: {
      const int next = key->keyval == GDK_KEY_Down ? std::min(at + 1, count - 1) : at - 1;
      if (next < 0)
        CompletionList.unselect_all();
      else
        CompletionList.select_row(*CompletionList.get_row_at_index(next));
      return true;
    }
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      if (!selected) return false;  // the typed text opens as it is
      CompletionList_RowActivated(selected);
      return true;
    case GDK_KEY_Escape:
      HideCompletions();  // the text stays
      return true;
    case GDK_KEY_Tab:
    case GDK_KEY_Right: {
      if (key->keyval == GDK_KEY_Right && Text1.get_position() < static_cast<int>(Text1.get_text_length()))
        return false;
      const std::string url = completions_[at < 0 ? 0 : at].url;  // the list goes with the text
      ShowAddress(url);
      Text1.set_position(-1);
      return true;
    }
    default:
      return false;
  }
}

void Form1::CompletionList_RowActivated(Gtk::ListBoxRow* row) {
  if (!row || row->get_index() < 0 || row->get_index() >= static_cast<int>(completions_.size())) return;
  const std::string url = completions_[row->get_index()].url;
  ShowAddress(url);
  Command1_Click();
}
