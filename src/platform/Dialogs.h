// Message boxes, all through one place so tests can answer them by script.
#pragma once

#include <gtkmm.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

// Shows a modal message box titled with the program's title; MsgBoxOpen is
// 1 while it shows.
MsgAnswer MsgBox(const std::string& text, MsgButtons buttons = MsgButtons::Ok, Gtk::Window* parent = nullptr,
                 const std::string& title = "");

// A modal dialog of captioned rows, such as a page's properties; the values
// can be selected and copied. MsgBoxOpen is 1 while it shows.
using DetailRows = std::vector<std::pair<std::string, std::string>>;
void ShowDetails(const std::string& title, const DetailRows& rows, Gtk::Window* parent = nullptr);
// Tests install a viewer that sees the rows instead of the dialog.
using DetailsViewer = std::function<void(const std::string& title, const DetailRows& rows)>;
void SetDetailsViewer(DetailsViewer viewer);  // empty function: the real dialog again

// Tests install an answerer; it sees each text and returns the answer.
using MsgAnswerer = std::function<MsgAnswer(const std::string& text, MsgButtons buttons)>;
void SetMsgAnswerer(MsgAnswerer answerer);  // empty function: real dialogs again

// A ready-made answerer: answers from a queue and records every text shown.
struct ScriptedAnswers {
  std::deque<MsgAnswer> answers;  // when empty: Ok / No / Cancel
  std::vector<std::string> shown;
  MsgAnswerer Answerer();
};
