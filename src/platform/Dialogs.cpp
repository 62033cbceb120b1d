#include "platform/Dialogs.h"

#include <algorithm>

#include "core/app/Module1.h"
#include "platform/Desktop.h"
#include "platform/ModalLoop.h"

namespace {
MsgAnswerer& CurrentAnswerer() {
  static MsgAnswerer answerer;
  return answerer;
}
DetailsViewer& CurrentViewer() {
  static DetailsViewer viewer;
  return viewer;
}
}  // namespace

void SetDetailsViewer(DetailsViewer viewer) { CurrentViewer() = std::move(viewer); }

void ShowDetails(const std::string& title, const DetailRows& rows, Gtk::Window* parent) {
  const ModalLoopScope modal;
  const FlagScope open(Module1().MsgBoxOpen);
  if (CurrentViewer()) {
    CurrentViewer()(title, rows);
    return;
  }
  Gtk::Dialog dialog(title, true);
  if (parent) dialog.set_transient_for(*parent);
  dialog.add_button("_Close", Gtk::RESPONSE_CLOSE);
  dialog.set_default_response(Gtk::RESPONSE_CLOSE);
  Gtk::Grid grid;
  grid.set_row_spacing(6);
  grid.set_column_spacing(12);
  grid.set_border_width(12);
  int row = 0;
  for (const auto& [caption, value] : rows) {
    auto* name = Gtk::manage(new Gtk::Label(caption + ":"));
    name->set_halign(Gtk::ALIGN_END);
    name->set_valign(Gtk::ALIGN_START);
    auto* text = Gtk::manage(new Gtk::Label(value));
    text->set_halign(Gtk::ALIGN_START);
    text->set_selectable(true);
    text->set_line_wrap(true);
    text->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    text->set_max_width_chars(60);
    text->set_xalign(0);
    name->set_mnemonic_widget(*text);
    grid.attach(*name, 0, row, 1, 1);
    grid.attach(*text, 1, row, 1, 1);
    ++row;
  }
  // A long list of rows (a certificate's) scrolls instead of growing the
  // dialog past the screen, Close and all.
  Gtk::ScrolledWindow scroller;
  scroller.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
  scroller.set_propagate_natural_height(true);
  scroller.set_max_content_height(std::max(120, PrimaryWorkArea().height * 2 / 3));
  scroller.add(grid);
  dialog.get_content_area()->pack_start(scroller, true, true);
  dialog.show_all();
  // Not the first value: a selectable label taking the focus selects its text.
  if (Gtk::Widget* close = dialog.get_widget_for_response(Gtk::RESPONSE_CLOSE)) close->grab_focus();
  // Like a message box, the dialog waits for its Close.
  dialog.run();
}

void SetMsgAnswerer(MsgAnswerer answerer) { CurrentAnswerer() = std::move(answerer); }

MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, Gtk::Window* parent, const std::string& title) {
  const ModalLoopScope modal;
  const FlagScope open(Module1().MsgBoxOpen);
  if (CurrentAnswerer()) return CurrentAnswerer()(text, buttons);
  const bool question = buttons != MsgButtons::Ok;
  Gtk::MessageDialog dialog(text, false, question ? Gtk::MESSAGE_QUESTION : Gtk::MESSAGE_INFO,
                            question ? Gtk::BUTTONS_YES_NO : Gtk::BUTTONS_OK, true);
  if (buttons == MsgButtons::YesNoCancel) dialog.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
  dialog.set_title(title.empty() ? kAppTitle : title);
  if (parent) dialog.set_transient_for(*parent);
  // A message box truly waits: the handler that asks goes on with the answer,
  // as every caller's order of steps requires. Windows keep drawing meanwhile.
  const int response = dialog.run();
  if (!question) return MsgAnswer::Ok;
  if (response == Gtk::RESPONSE_YES) return MsgAnswer::Yes;
  // Closing the box is no choice: with a Cancel button it cancels.
  if (buttons == MsgButtons::YesNoCancel && response != Gtk::RESPONSE_NO) return MsgAnswer::Cancel;
  return MsgAnswer::No;
}

MsgAnswerer ScriptedAnswers::Answerer() {
  return [this](const std::string& text, MsgButtons buttons) {
    shown.push_back(text);
    if (!answers.empty()) {
      const MsgAnswer a = answers.front();
      answers.pop_front();
      return a;
    }
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Cancel : MsgAnswer::No;
  };
}
