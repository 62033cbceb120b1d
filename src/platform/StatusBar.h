// A status bar of panels, each a picture and a text, with the mouse events
// the main window listens to.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>
#include <vector>

class StatusBar : public Gtk::Box {
 public:
  explicit StatusBar(int panels);

  void SetText(int panel, const std::string& text);  // panels count from 1
  std::string Text(int panel) const;
  void SetWidth(int panel, int pixels);
  void SetToolTip(int panel, const std::string& text);
  void SetPicture(int panel, const std::string& iconName);  // "" clears it
  std::string Picture(int panel) const;
  int PanelLeft(int panel) const;  // pixels from the bar's left edge, as laid out

  sigc::signal<void, int> PanelClick;     // panel number
  sigc::signal<void, int> PanelDblClick;  // panel number
  sigc::signal<void> RightPress;

 private:
  struct Panel {
    Gtk::EventBox box;
    Gtk::Frame frame;
    Gtk::Box inner{Gtk::ORIENTATION_HORIZONTAL, 3};
    Gtk::Image picture;
    Gtk::Label text;
    std::string pictureName;
  };
  Panel& At(int panel) const;
  std::vector<std::unique_ptr<Panel>> panels_;
};
