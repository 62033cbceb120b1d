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
  const bool question = buttons == MsgButtons::YesNo;
  Gtk::MessageDialog dialog(text, false, question ? Gtk::MESSAGE_QUESTION : Gtk::MESSAGE_INFO,
                            question ? Gtk::BUTTONS_YES_NO : Gtk::BUTTONS_OK, true);
  dialog.set_title(title.empty() ? kAppTitle : title);
  if (parent) dialog.set_transient_for(*parent);
  // A message box truly waits: the handler that asks goes on with the answer,
  // as every caller's order of steps requires. Windows keep drawing meanwhile.
  const int response = dialog.run();
  if (!question) return MsgAnswer::Ok;
  return response == Gtk::RESPONSE_YES ? MsgAnswer::Yes : MsgAnswer::No;
}

MsgAnswerer ScriptedAnswers::Answerer() {
  return [this](const std::string& text, MsgButtons buttons) {
    shown.push_back(text);
    if (!answers.empty()) {
      const MsgAnswer a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
  };
}
