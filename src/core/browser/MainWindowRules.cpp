#include "core/browser/MainWindowRules.h"

#include <algorithm>

float CascadeStep(float position) {
  position -= 600;
  if (position < 0) position += 900;
  return position;
}

bool KeepsGeometry(bool normalState, bool scriptShaped, float widthTwips, float heightTwips) {
  return normalState && !scriptShaped && widthTwips >= kKeptMinWidth && heightTwips >= kKeptMinHeight;
}

TwipRect ScriptWindowRect(const PopupState& popup, const ScriptGeometryInput& in) {
  // The frame's 60 twips of width and the toolbar and status bar rows of
  // height are the window's, not the page's.
  const auto asked = [](float request, float current) { return request != kNoRequest ? request : current; };
  const float left = asked(popup.requestedLeft, in.window.left);
  const float top = asked(popup.requestedTop, in.window.top);
  float width = asked(popup.requestedWidth, in.window.width - 60);
  float height = asked(popup.requestedHeight, in.window.height - in.toolbar - in.status);
  width = std::min(width, in.area.width - 120);
  height = std::min(height, in.area.height - in.chrome - in.toolbar - in.status);
  return {left, top, width + 60, height + in.toolbar + in.status};
}

void RunTimer4Tick(PopupState& popup, PageLogMarks& marks, bool normalState, bool killMode, const Timer4Hooks& hooks) {
  if (popup.killState == kCondemned) {
    hooks.sendToKillPage();
    popup.ClearRequests();
    return;
  }
  if (normalState && (popup.geometryPending || popup.scriptShaped)) {
    hooks.applyGeometry();
    popup.geometryPending = false;
    const bool spared = hooks.spared();
    if (spared) popup.killState = kNotSuspected;
    marks.geometryAppliedThisTick = !spared;
  }
  hooks.logPageIfDue();
  if (popup.killState == kSuspected && killMode) {
    popup.killState = kCondemned;
    hooks.tickAgain();
  }
  popup.ClearRequests();
}
