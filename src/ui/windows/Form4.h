// The "Start Page & Options" window: the start page, the program's options
// and the mail and messenger programs, on three tabs. Edits wait in the
// window until "Save All Changes And Exit"; Cancel and Esc drop them.
#pragma once

#include <gtkmm.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/app/Module1.h"
#include "core/app/Options.h"

class App;

class Form4 : public Gtk::Window {
 public:
  // `currentPage`: the address the main window showed when it opened this.
  Form4(App& app, std::string currentPage);
  ~Form4() override;

  // Controls, by their names in the window's design.
  Gtk::Notebook TabStrip1;
  Gtk::Label Label1, Label2, Label4, Label5, Label6, Label7, Label8;
  Gtk::Entry Text1, Text2, Text3, Text4, Text5, Text6;
  std::array<Gtk::RadioButton, 5> Option1;
  std::array<Gtk::RadioButton, 3> Option2;  // index = HideControlsMode
  Gtk::CheckButton Check1, Check2, Check3, Check4, Check5, Check6, Check7;
  Gtk::Button Command1, Command2, Command3, Command4, Command5, Command10, Command11;
  // The "Ad Blocking" tab (Form4AdBlocking.cpp).
  Gtk::CheckButton CheckBlockAds;
  Gtk::Label LabelFilterLists;
  Gtk::Button CommandUpdateLists;
  // The "Search" tab: one choice per engine, in the order of SearchEngines(),
  // and the custom search address.
  std::vector<Gtk::RadioButton*> SearchEngineOption;
  Gtk::Entry SearchCustomUrl;

  void SissyColors2();
  // Stores the pending values in the settings and makes every open window
  // follow them. False (nothing stored) when a program path is refused.
  bool ApplyOptions();

  // Event handlers.
  void Form_Load();
  void Form_Activate();
  bool Form_QueryUnload();  // the close box; true keeps the window
  bool Form_KeyDown(GdkEventKey* key);
  void Option1_Click(int index);
  void Option2_Click(int index);
  void Check_Click(Gtk::CheckButton& box, int16_t& pending);
  bool DaysButton_Press(int delta, GdkEventButton* e);
  bool DaysButton_Release(GdkEventButton* e);
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void CommandUpdateLists_Click();

  // State the tests read.
  const PendingOptions& Pending() const { return pending_; }
  bool Changed() const { return changed_; }

  sigc::signal<void> Unloaded;

 private:
  void BuildControls();
  Gtk::Box* AddTab(const char* caption);  // a tab page with the others' padding and colours
  void BuildAdBlockingTab();
  void ShowFilterLists();
  void ApplyAdBlocking();            // with the other options, on Save
  bool RestoreAdBlockingDefaults();  // false when another tab is on show
  Gtk::Box* adBlockingTab_ = nullptr;
  // The search engine tab: built, shown from the preferences, restored to the
  // default, checked and stored on saving.
  void BuildSearchTab();
  void ShowSearchTab(const std::string& engineId, const std::string& customUrl);
  bool SearchTabProblem();
  void ApplySearchTab();
  void ConnectEvents();
  void ShowPending();
  void ShowOptionsTab();
  void ShowDays();
  void StepDays();
  bool RepeatDays();
  void BrowseProgram(Gtk::Entry& box);
  StartPagePlaces Places() const;
  void Unload();

  App& app_;
  std::string currentPage_;
  PendingOptions pending_;
  bool changed_ = false;
  bool settingControls_ = false;  // the window sets its controls itself
  bool activated_ = false;
  bool unloaded_ = false;
  int daysDelta_ = 0;
  bool daysCtrl_ = false;
  sigc::connection daysTimer_, themeChange_;
  Gtk::Box* searchTab_ = nullptr;
  std::optional<FlagScope> busy_, optionsOpen_;
};
