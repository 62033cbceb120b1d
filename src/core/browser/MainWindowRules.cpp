#include "core/browser/MainWindowRules.h"

#include <algorithm>
#include <cmath>

#include "core/app/SettingsRecord.h"

std::optional<double> ProgressShown(int64_t progress, int64_t maximum) {
  const int64_t max = std::max<int64_t>(maximum, 1);
  if (progress < 1 || progress >= max) return std::nullopt;
  return static_cast<double>(progress) / static_cast<double>(max);
}

float CascadeStep(float position) {
  position -= 600;
  if (position < 0) position += 900;
  return position;
}

bool KeepsGeometry(bool normalState, bool scriptShaped, float widthTwips, float heightTwips) {
  return normalState && !scriptShaped && widthTwips >= kKeptMinWidth && heightTwips >= kKeptMinHeight;
}

std::optional<TwipRect> FirstWindowRect(float savedWidth, float savedHeight, const TwipRect& workArea) {
  if (savedWidth > kMainFloorWidth || savedHeight > kMainFloorHeight) return std::nullopt;
  const float width = std::max(kMainFloorWidth, workArea.width * kFirstWindowShare);
  const float height = std::max(kMainFloorHeight, workArea.height * kFirstWindowShare);
  // Whole pixels, so that the window lands where it was put.
  const auto px = [](float twips) { return std::round(twips / 15) * 15; };
  return TwipRect{px(workArea.left + std::max(0.f, (workArea.width - width) / 2)),
                  px(workArea.top + std::max(0.f, (workArea.height - height) / 2)), px(width), px(height)};
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
