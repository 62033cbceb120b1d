// The "Don't-Kill Pop-Up List" window: the addresses the pop-up killer
// spares. The list is read from DontKill.dab when the window opens and
// written back when it closes; nothing is written in between.
#pragma once

#include <gtkmm.h>

#include <optional>
#include <string>

#include "core/app/Module1.h"
#include "platform/ListView.h"

class Form10 : public Gtk::Window {
 public:
  // Makes and loads the window without showing it; the page title and
  // address fill the text boxes on first activation. Its owner shows it.
  Form10(const std::string& pageTitle, const std::string& pageUrl);

  // Controls, by their names in the window's design.
  ListView ListView1{1, true};
  Gtk::Label Label1, Label2;
  Gtk::Entry Text1, Text2;
  Gtk::Button Command1;
  Gtk::CheckButton Check1;
  Gtk::Menu mnuPop10;
  Gtk::MenuItem mnuLoadTexts, mnuSellAll, mnuDelete;
  Gtk::SeparatorMenuItem mnuSep1;

  // Sets the tooltips, or clears them when tooltips are off.
  void F10ToolT();

  // Event handlers.
  void Form_Load();
  void Form_Activate();
  void Form_QueryUnload();
  bool Form_KeyDown(GdkEventKey* key);
  void Command1_Click();
  void mnuLoadTexts_Click();
  void mnuSellAll_Click();
  void mnuDelete_Click();
  bool ListView1_MouseDown(GdkEventButton* e);
  bool ListView1_MouseUp(GdkEventButton* e);

  // The window has closed and written its list; its owner may free it.
  sigc::signal<void> Unloaded;

 private:
  void BuildControls();
  void ConnectEvents();
  void ApplyFonts();

  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL, 8};
  Gtk::Grid grid_;
  std::string pageTitle_, pageUrl_;
  bool activated_ = false;
  bool unloaded_ = false;
  std::optional<FlagScope> busy_;  // BusyWindowOpen while the window is loaded
};
