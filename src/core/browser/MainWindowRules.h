// Rules of the main window that need no display: where the next window
// goes, which geometry is worth keeping, where a page's requests put its
// window, and what one tick of the post-download timer does.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/browser/Form1Layout.h"
#include "core/history/HistoryLog.h"
#include "core/popups/PopupKiller.h"

// What the status bar's progress bar shows for a load or a download that
// got `progress` of `maximum` (a maximum below 1 counts as 1): the fraction
// done, or nullopt to hide the bar, before it starts and once it is done.
std::optional<double> ProgressShown(int64_t progress, int64_t maximum);

// The shared position (twips) for the next new window: 600 twips back,
// wrapping round by 900 once it would pass zero.
float CascadeStep(float position);

// Only a plain window (not minimised, maximised or full screen), not shaped
// by its page, and at least 8010 x 3000 twips is worth reopening at its place.
constexpr float kKeptMinWidth = 8010, kKeptMinHeight = 3000;
bool KeepsGeometry(bool normalState, bool scriptShaped, float widthTwips, float heightTwips);

// Where the first window of a run goes when the settings hold no saved size
// (a fresh profile: the load rules' floor): about 70 % of the work area
// (twips, from its origin), centred. nullopt: the saved geometry holds.
constexpr float kFirstWindowShare = 0.7f;
std::optional<TwipRect> FirstWindowRect(float savedWidth, float savedHeight, const TwipRect& workArea);

struct ScriptGeometryInput {
  TwipRect window;     // outer position and size now
  WorkAreaTwips area;  // the screen's work area
  float chrome = 0;    // title bar and frame, ChromeAllowance()
  float toolbar = 0;   // what the toolbar takes while it shows
  float status = 0;    // what the status bar takes when the page asked for one
};
// Where a page's geometry requests put its window (outer rect, twips):
// what was not asked keeps its current value, and the page area never
// grows past the work area.
TwipRect ScriptWindowRect(const PopupState& popup, const ScriptGeometryInput& in);

// One tick of Timer4, the check after a page finished loading.
struct Timer4Hooks {
  std::function<void()> sendToKillPage;  // navigate to the kill page
  std::function<void()> applyGeometry;   // put the window where its page asked
  std::function<bool()> spared;          // the don't-kill list spares the page
  std::function<void()> logPageIfDue;    // the history check
  std::function<void()> tickAgain;       // one more tick, 250 ms on
};
// A condemned window goes to the kill page and nothing else happens. Else a
// shaped window in its normal state takes its geometry and is judged (a
// spared one is no longer suspected and may be logged), the page is logged
// when due, and a suspected window is condemned for the next tick while the
// kill mode is on. The geometry requests are spent either way.
void RunTimer4Tick(PopupState& popup, PageLogMarks& marks, bool normalState, bool killMode, const Timer4Hooks& hooks);
