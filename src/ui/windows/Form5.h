// The full-screen window: a browser over the whole work area with a slim
// row of buttons (close, add page, a caption strip that moves the window,
// dock, refresh, back, forward) and a small panel that adds the page to a
// category of the site lists. A page's window requests open main windows.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>

#include "platform/WebBrowser.h"

class App;

class Form5 : public Gtk::Window {
 public:
  // Made by the application object, which owns it; Form_Load places it.
  Form5(App& app, std::unique_ptr<WebBrowser> browser);
  ~Form5() override;

  // Controls, by their names in the window's design.
  WebBrowser& WebBrowser1;
  Gtk::Button Picture2, Picture3, Picture5, Picture6, Picture7, Picture8;
  Gtk::EventBox Picture4;  // the caption strip
  Gtk::Label Label1;       // the page title on the strip
  Gtk::EventBox Picture1;  // the add-page panel
  Gtk::ComboBoxText ImageCombo2;
  Gtk::Entry Text1;
  Gtk::Button Command1;  // "Cancel"
  Gtk::Label Label2;     // what the last add did

  // Sets the tooltips, or clears them when tooltips are off.
  void F5ToolT();
  // Opens `url` (when not empty) and shows the window in front.
  void ShowPage(const std::string& url);
  void ShowTextSize();

  // Event handlers.
  void Form_Load();
  void Form_Activate();
  void Form_Deactivate();
  void Form_QueryUnload();  // unloads the window for good
  bool Form_KeyDown(GdkEventKey* key);
  bool Form_KeyUnhandled(GdkEventKey* key);  // after the page and the boxes had the key
  void ResetLayout();
  void Picture2_Click();
  void Picture3_Click();
  bool Picture4_MouseDown(GdkEventButton* e);
  void Picture5_Click();
  void Picture6_Click();
  void Picture7_Click();
  void Picture8_Click();
  void ImageCombo2_Click();
  void Command1_Click();
  bool Picture1_MouseDown(GdkEventButton* e);
  bool Picture1_MouseMove(GdkEventMotion* e);
  bool Picture1_MouseUp(GdkEventButton* e);
  void WebBrowser1_TitleChange(const std::string& text);
  void WebBrowser1_CommandStateChange(int command, bool enable);
  WebBrowser* WebBrowser1_NewWindow2();

  // State the tests read.
  const std::string& PageTitle() const { return pageTitle_; }
  bool PanelShown() const { return Picture1.get_visible(); }
  bool CaptionActive() const;
  void PanelPosition(int& x, int& y) const;

 private:
  void BuildControls();
  void ConnectEvents();
  void CoverWorkArea();
  void HidePanel();
  void MovePanel(int x, int y);

  App& app_;
  std::unique_ptr<WebBrowser> browser_;
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL, 0};
  Gtk::Box row_{Gtk::ORIENTATION_HORIZONTAL, 0};
  Gtk::Overlay area_;  // the page, with the panel above it
  Gtk::Grid panelGrid_;
  std::string pageTitle_;
  bool filling_ = false;
  bool unloaded_ = false;
  bool dragging_ = false;
  double dragX_ = 0, dragY_ = 0;  // pointer at the start of a panel drag (root)
  int panelX_ = 0, panelY_ = 0;   // panel position at the start of a drag
};
