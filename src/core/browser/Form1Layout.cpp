#include "core/browser/Form1Layout.h"

#include <algorithm>

using namespace form1_layout;

namespace {

// One button of the row, `left` from the window's edge, raised with the toolbar.
TwipRect Row(float left, float width, float offset) { return {left, kRowTop - offset, width, kRowHeight}; }

}  // namespace

Form1Layout ComputeForm1Layout(const Form1LayoutState& s) {
  Form1Layout l;
  const float offset = s.toolbarHidden ? kToolbarHiddenOffset : 0;
  const float cb = s.checkBoxesHidden ? kCheckBoxAllowance : 0;
  const float status = s.statusBarHidden ? kStatusAllowance : 0;
  const float w = s.innerWidth, h = s.innerHeight;

  l.Picture1 = {0, s.toolbarHidden ? -375.f : -15.f, w, 450};
  const float stripWidth = s.toolbarHidden ? w + 15 : (s.checkBoxesHidden ? 4755 : 5070);
  l.Command7 = {0, 0, stripWidth, kRowTop};

  l.Command8 = Row(0, 600, offset);
  l.Command6 = Row(600, 480, offset);
  l.Text2 = Row(1080, 390, offset);
  l.Command10 = Row(1470, 225, offset);
  l.Command11 = Row(1695, 225, offset);
  l.Text3 = Row(1920, 390, offset);
  l.Command12 = Row(1080, 615, offset);
  l.Command9 = Row(1695, 615, offset);
  l.Command13 = Row(2310, 180, offset);
  l.Command5 = Row(2490, 480, offset);
  l.Command2 = Row(2970, 420, offset);
  l.Command3 = Row(3390, 420, offset);
  l.Command4 = Row(3810, 420, offset);
  l.Check1 = Row(4230, 210, offset);
  l.Check2 = Row(4440, 210, offset);
  l.Label3 = s.checkBoxesHidden ? TwipRect{4290, 60 - offset, 120, 285} : TwipRect{4650, 60 - offset, 120, 285};
  l.Command14 = Row(4770 - cb, 315, offset);
  l.Text1 = Row(5100 - cb, w - (5805 - cb), offset);
  l.Command15 = Row(l.Text1.right() + 15, 315, offset);
  l.Command1 = Row(w - 360, 345, offset);

  l.Browser = {-30, kToolbarHeight - offset, w + 60, h - 705 + status + offset};
  l.StatusBar1 = {0, h - 270, w, 270};
  l.Panel1Width = w - 2820;
  l.ProgressBar1 = {std::max(0.f, l.Panel1Width - 1560), h - 225, 1500, 180};
  l.innerWidth = w;
  l.innerHeight = h;
  return l;
}

float SelectorHeight(int rows, float rowUnit, float top, float innerHeight) {
  const float factor = rows > 8 ? 1.4f : rows < 6 ? 2.0f : 1.7f;
  float height = std::max(rowUnit * factor * static_cast<float>(rows), kSelectorMinHeight);
  return std::min(height, innerHeight - top - kSelectorBottomMargin);
}

float SelectorTop(const TwipRect& text1) { return std::max(text1.bottom(), kToolbarHeight); }
