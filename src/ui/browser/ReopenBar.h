// The bar above the first window's page after a run that did not end
// normally: it offers the pages that were open back. "Reopen" and "No" are
// buttons the keyboard reaches (Reopen has the focus when the bar shows).
#pragma once

#include <gtkmm.h>

#include <cstddef>
#include <string>

class ReopenBar : public Gtk::Box {
 public:
  ReopenBar();

  Gtk::Label Text;
  Gtk::Button Reopen, No;

  // Shows the question for `count` pages; the text's tooltip names them.
  void Ask(std::size_t count, const std::string& pages);
  bool Asking() const { return get_visible(); }
  // The user started a new page while the bar asks: that is a no.
  void NewPageStarted();

  sigc::signal<void> Reopened, Declined;

 private:
  void Answer(bool reopen);
};
