// Where the main window's controls go, in twips (15 per pixel), computed
// from the client area and the window's show/hide states.
#pragma once

struct TwipRect {
  float left = 0, top = 0, width = 0, height = 0;
  float right() const { return left + width; }
  float bottom() const { return top + height; }
};

namespace form1_layout {
constexpr float kMinWidth = 6600, kMinHeight = 3600;  // smaller windows are enlarged
constexpr float kToolbarHeight = 435;
constexpr float kToolbarHiddenOffset = 360;
constexpr float kStatusAllowance = 270;          // while the status bar is hidden
constexpr float kCheckBoxAllowance = 315;        // while the check boxes are hidden
constexpr float kRowTop = 75, kRowHeight = 345;  // the button row under the strip
constexpr float kSelectorMinHeight = 1560, kSelectorBottomMargin = 600;
}  // namespace form1_layout

struct Form1LayoutState {
  float innerWidth = 0, innerHeight = 0;  // client area, twips
  bool checkBoxesHidden = false;
  bool toolbarHidden = false;    // toolbar offset 360 while hidden
  bool statusBarHidden = false;  // status allowance 270 while hidden
};

struct Form1Layout {
  TwipRect Picture1, Command7, Command8, Command6, Text2, Command10, Command11, Text3, Command12, Command9, Command13,
      Command5, Command2, Command3, Command4, Check1, Check2, Label3, Command14, Text1, Command15, Command1, Browser,
      StatusBar1, ProgressBar1;
  float Panel1Width = 0;
  float innerWidth = 0, innerHeight = 0;
};

Form1Layout ComputeForm1Layout(const Form1LayoutState& s);

// Height of a drop-down selector list of n rows: the row unit times 1.4
// (more than 8 rows), 2.0 (fewer than 6) or 1.7, at least 1560 twips and
// ending at least 600 twips above the window's bottom.
float SelectorHeight(int rows, float rowUnit, float top, float innerHeight);
// A selector list hangs from the address box, never above the toolbar's foot.
float SelectorTop(const TwipRect& text1);
