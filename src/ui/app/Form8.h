// The hidden marker window. A second start of the program finds it through
// the instance socket, writes its command line into the caption and resizes
// it; the resize handler then opens a new main window for that command line.
#pragma once

#include <gtkmm.h>

#include "core/app/Marker.h"

class App;

class Form8 : public Gtk::Window, public MarkerPort {
 public:
  explicit Form8(App& app);  // loaded hidden, never shown

  // Runs on every size change of the window.
  void Form_Resize();
  void Form_Activate();

  // The marker as the instance socket sees it.
  std::string MarkerWindowCaption() const override { return state_.caption; }
  void SetMarkerWindowCaption(const std::string& caption) override;
  int MarkerWindowWidth() const override { return widthPx_; }
  void ResizeMarkerWindow(int widthPx) override;

  const MarkerState& State() const { return state_; }

 private:
  bool Form_QueryUnload();
  void ShowCaption();
  App& app_;
  MarkerState state_;
  int widthPx_ = kMarkerInitialWidthPx;
};
