#include "platform/Dialogs.h"

#include "app/Module1.h"

namespace {
MsgAnswerer& CurrentAnswerer() {
  static MsgAnswerer answerer;
  return answerer;
}
}  // namespace

void SetMsgAnswerer(MsgAnswerer answerer) { CurrentAnswerer() = std::move(answerer); }

MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, Gtk::Window* parent, const std::string& title) {
  Module1().MsgBoxOpen = 1;
  MsgAnswer answer;
  if (CurrentAnswerer()) {
    answer = CurrentAnswerer()(text, buttons);
  } else {
    const bool question = buttons == MsgButtons::YesNo;
    Gtk::MessageDialog dialog(text, false, question ? Gtk::MESSAGE_QUESTION : Gtk::MESSAGE_INFO,
                              question ? Gtk::BUTTONS_YES_NO : Gtk::BUTTONS_OK, true);
    dialog.set_title(title.empty() ? kAppTitle : title);
    if (parent) dialog.set_transient_for(*parent);
    const int response = dialog.run();
    answer = !question ? MsgAnswer::Ok : response == Gtk::RESPONSE_YES ? MsgAnswer::Yes : MsgAnswer::No;
  }
  Module1().MsgBoxOpen = 0;
  return answer;
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
