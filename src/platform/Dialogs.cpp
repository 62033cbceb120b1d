#include "platform/Dialogs.h"

#include "core/app/Module1.h"

namespace {
MsgAnswerer& CurrentAnswerer() {
  static MsgAnswerer answerer;
  return answerer;
}
}  // namespace

void SetMsgAnswerer(MsgAnswerer answerer) { CurrentAnswerer() = std::move(answerer); }

MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, Gtk::Window* parent, const std::string& title) {
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
