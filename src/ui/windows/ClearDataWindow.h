// "Clear Browsing Data": cookies and site data, the cache and the history of
// the last hour, today or all time; and the cookies of one site.
#pragma once

#include <gtkmm.h>

#include <array>
#include <memory>
#include <string>

#include "platform/SiteData.h"

class App;

class ClearDataWindow : public Gtk::Window {
 public:
  ClearDataWindow(App& app, std::unique_ptr<SiteData> data);
  ~ClearDataWindow() override;

  Gtk::CheckButton CheckCookies, CheckCache, CheckHistory;
  std::array<Gtk::RadioButton, 3> OptionPeriod;  // index = ClearPeriod
  Gtk::Button CommandClear, CommandRemoveSite, CommandClose;
  Gtk::ComboBoxText ComboSites;
  Gtk::Label LabelStatus;

  void CommandClear_Click();
  void CommandRemoveSite_Click();
  void Form_QueryUnload();
  // Fills the site list anew from the engine.
  void LoadSites();

  sigc::signal<void> Unloaded;

 private:
  void BuildControls();
  std::weak_ptr<int> Alive() const { return alive_; }

  App& app_;
  std::unique_ptr<SiteData> data_;
  bool unloaded_ = false;
  // The engine answers later; an answer for a closed window is dropped.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
