#include "core/browser/AutoRefresh.h"

#include <algorithm>
#include <cstdio>

bool AutoRefresh::MinuteTick() {
  ++counter;
  if (counter < interval) return false;
  counter = 0;
  return true;
}

std::string AutoRefresh::MinutesLeftText() const { return std::to_string(interval - counter); }

void AutoRefresh::StepInterval(int delta) {
  // The buttons reach 99 at most, but a longer interval kept in the settings
  // is neither cut by them nor raised further.
  if (delta > 0 && interval >= kMaxInterval) return;
  interval = static_cast<int16_t>(std::clamp<int>(interval + delta, kMinInterval, std::max(kMaxInterval, interval)));
}

bool AutoRefresh::IntervalChosen() {
  on = true;
  if (counter < interval) return false;
  counter = 0;
  return true;
}

int16_t NextRefreshMode(int16_t mode) {
  switch (mode) {
    case 0:
      return 1;
    case 1:
      return 3;
    default:
      return 0;
  }
}

std::string ClockText(int hour, int minute, int second, bool utc) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d%s", hour, minute, second, utc ? " UTC" : "");
  return text;
}
