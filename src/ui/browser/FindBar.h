// The find bar of a main window: a text box, previous and next, match case,
// the match count and a close button, over the engine's find on the page.
// Typing searches at once; Enter finds the next match, Shift+Enter the one
// before. A text that is not on the page colours the box.
#pragma once

#include <gtkmm.h>

#include <deque>

#include "core/browser/PageCommands.h"
#include "platform/WebBrowser.h"

class FindBar : public Gtk::Box {
 public:
  explicit FindBar(WebBrowser& browser);

  Gtk::Entry Text1;
  Gtk::Button Previous, Next, Close;
  Gtk::CheckButton MatchCase;
  Gtk::Label Count;  // "3 of 12", "Not Found"

  // Shows the bar with its text selected for typing over, and searches it again.
  void Open();
  // Takes the highlighting away and hides the bar; Closed follows.
  void Shut();
  void FindNext();
  void FindPrevious();
  const FindCounter& Counter() const { return counter_; }

  sigc::signal<void> Closed;

 private:
  void Search(FindStep step);
  void Text1_Changed();
  bool Text1_KeyPress(GdkEventKey* key);
  void Browser_Found(unsigned matches);
  void Browser_Failed();
  void ShowCount();

  WebBrowser& browser_;
  FindCounter counter_;
  std::deque<FindStep> asked_;  // searches the engine has not answered yet, oldest first
};
