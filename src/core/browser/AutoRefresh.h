// The page auto-refresh countdown of a main window, apart from its timers
// and controls, so its rules can be tested with a pinned clock.
#pragma once

#include <cstdint>
#include <string>

constexpr int16_t kMinInterval = 1, kMaxInterval = 99;
constexpr int16_t kMaxStoredInterval = 10080;  // a week: the longest the settings keep
// Holding an interval button: one step at once, the next after 750 ms, then
// one every 50 ms while the button stays down.
constexpr int32_t kFirstRepeatMs = 750, kNextRepeatMs = 50;

struct AutoRefresh {
  int16_t interval = 1;  // minutes
  int16_t counter = 0;   // whole minutes since the last refresh
  bool on = false;       // the minute timer runs

  // One minute passed; true when the page is due for a refresh (the
  // counter then starts again).
  bool MinuteTick();
  // Minutes left, as the box beside the interval shows them.
  std::string MinutesLeftText() const;
  void StepInterval(int delta);  // stays within 1..99, or at a longer stored interval
  // After the interval buttons are released: the timer comes on, and true
  // when the shortened interval is already used up (refresh at once).
  bool IntervalChosen();
  void Restart() { counter = 0; }
};

// Refresh levels cycle 0 "Normal" -> 1 "If Expired" -> 3 "Completely" -> 0.
int16_t NextRefreshMode(int16_t mode);

// "Hh:Nn:Ss", with " UTC" in UTC mode.
std::string ClockText(int hour, int minute, int second, bool utc);
