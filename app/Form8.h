// The hidden marker window. A second start of the program finds it through
// the instance socket, writes its command line into the caption and resizes
// it; the resize handler then opens a new main window for that command line.
#pragma once

#include <gtkmm.h>

#include "app/Marker.h"

class Form8 : public Gtk::Window, public MarkerPort {
 public:
  Form8();  // loaded hidden, never shown

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
  MarkerState state_;
  int widthPx_ = kMarkerInitialWidthPx;
};
