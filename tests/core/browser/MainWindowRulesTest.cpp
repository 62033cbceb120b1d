// The main window's rules without a window: layout of the selector, the
// cascade of new windows, which geometry is kept, where a page's requests
// put its window, and the post-download timer's judgement of pop-ups.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/browser/Form1Layout.h"
#include "core/browser/MainWindowRules.h"

namespace {

TEST(MainWindowLayout, SelectorHeightAndTop) {
  struct Row {
    const char* name;
    int rows;
    float unit, top, inner, expected;
  };
  const Row rows[] = {
      {"FiveRowsDouble", 5, 200, 435, 9000, 2000},
      {"SixRowsUseOnePointSeven", 6, 200, 435, 9000, 2040},
      {"EightRowsUseOnePointSeven", 8, 200, 435, 9000, 2720},
      {"NineRowsUseOnePointFour", 9, 200, 435, 9000, 2520},
      {"ShortListKeepsMinimum", 2, 200, 435, 9000, 1560},
      {"LongListStopsAboveBottom", 40, 200, 435, 6000, 4965},
      {"LowWindowMarginBeatsMinimum", 2, 200, 435, 2000, 965},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_NEAR(SelectorHeight(r.rows, r.unit, r.top, r.inner), r.expected, 0.5);
  }
  EXPECT_EQ(SelectorTop({5100, 75, 6000, 345}), 435);  // below the toolbar
  EXPECT_EQ(SelectorTop({5100, 75, 6000, 600}), 675);  // or a taller address box
}

TEST(MainWindowRules, ProgressBarShowsTheFractionOnlyWhileRunning) {
  struct Row {
    const char* name;
    int64_t progress, maximum;
    std::optional<double> shown;
  };
  const Row rows[] = {
      {"NotStarted", 0, 1000, std::nullopt},
      {"LoadFinished", -1, 1000, std::nullopt},
      {"Quarter", 250, 1000, 0.25},
      {"AlmostDone", 999, 1000, 0.999},
      {"Done", 1000, 1000, std::nullopt},
      {"BeyondTheMaximum", 1200, 1000, std::nullopt},
      {"DownloadOfUnknownSize", 4096, 0, std::nullopt},
      {"LargeDownload", int64_t{3} << 32, int64_t{4} << 32, 0.75},
  };
  for (const Row& r : rows) EXPECT_EQ(ProgressShown(r.progress, r.maximum), r.shown) << r.name;
}

TEST(MainWindowRules, CascadeStepsThePositionForTheNextWindow) {
  struct Row {
    const char* name;
    float from, to;
  };
  const Row rows[] = {
      {"WrapsBelowZero", 500, 800},
      {"StepsBack", 1000, 400},
      {"ReachesZero", 600, 0},
      {"FromZero", 0, 300},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(CascadeStep(r.from), r.to);
  }
}

TEST(MainWindowRules, GeometryIsKeptOnlyForPlainLargeEnoughWindows) {
  struct Row {
    const char* name;
    bool normal, shaped;
    float width, height;
    bool kept;
  };
  const Row rows[] = {
      {"AtTheMinimum", true, false, 8010, 3000, true},     {"OneTwipNarrower", true, false, 8009, 3000, false},
      {"OneTwipLower", true, false, 8010, 2999, false},    {"MaximisedOrMinimised", false, false, 12000, 9000, false},
      {"ShapedByItsPage", true, true, 12000, 9000, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(KeepsGeometry(r.normal, r.shaped, r.width, r.height), r.kept);
  }
}

TEST(MainWindowRules, AFreshProfileGetsAUsefulCentredFirstWindow) {
  const TwipRect screen{0, 0, 1920 * 15, 1050 * 15};  // 1920 x 1050 pixels of work area
  const auto fresh = FirstWindowRect(7095, 5445, screen);
  ASSERT_TRUE(fresh.has_value());
  EXPECT_EQ(fresh->width, 1344 * 15);
  EXPECT_EQ(fresh->height, 735 * 15);
  EXPECT_EQ(fresh->left, 288 * 15);
  EXPECT_EQ(fresh->top, 158 * 15);  // 157.5 rounded
  // A work area that does not start at the corner (a panel on the left).
  EXPECT_EQ(FirstWindowRect(7095, 5445, {64 * 15, 0, 1856 * 15, 1050 * 15})->left, (64 + 278) * 15);
  // A tiny screen never gets less than the smallest window.
  const auto tiny = FirstWindowRect(7095, 5445, {0, 0, 600 * 15, 400 * 15});
  EXPECT_EQ(tiny->width, 7095);
  EXPECT_EQ(tiny->height, 5445);
  EXPECT_EQ(tiny->left, 64 * 15);  // still centred
  // A saved size, even in one direction only, holds.
  EXPECT_FALSE(FirstWindowRect(8010, 5445, screen).has_value());
  EXPECT_FALSE(FirstWindowRect(7095, 6000, screen).has_value());
}

TEST(MainWindowRules, ScriptGeometryKeepsWhatWasNotAskedAndStaysOnTheScreen) {
  ScriptGeometryInput in;
  in.window = {1500, 3000, 9060, 6000};
  in.area = {19200, 15360};
  in.chrome = 450;
  in.toolbar = 435;
  in.status = 270;
  struct Row {
    const char* name;
    float left, top, width, height;
    TwipRect expected;
  };
  const Row rows[] = {
      {"NothingAsked", kNoRequest, kNoRequest, kNoRequest, kNoRequest, {1500, 3000, 9060, 6000}},
      {"PlaceOnly", 0, 150, kNoRequest, kNoRequest, {0, 150, 9060, 6000}},
      {"PageSize", kNoRequest, kNoRequest, 4500, 3000, {1500, 3000, 4560, 3705}},
      {"WiderThanTheScreen", kNoRequest, kNoRequest, 30000, 3000, {1500, 3000, 19140, 3705}},
      {"TallerThanTheScreen", kNoRequest, kNoRequest, 4500, 30000, {1500, 3000, 4560, 15360 - 450}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PopupState p;
    p.requestedLeft = r.left, p.requestedTop = r.top, p.requestedWidth = r.width, p.requestedHeight = r.height;
    const TwipRect got = ScriptWindowRect(p, in);
    EXPECT_FLOAT_EQ(got.left, r.expected.left);
    EXPECT_FLOAT_EQ(got.top, r.expected.top);
    EXPECT_FLOAT_EQ(got.width, r.expected.width);
    EXPECT_FLOAT_EQ(got.height, r.expected.height);
  }
}

// Runs one tick and tells the hooks it called, in order.
struct Tick {
  PopupState popup;
  PageLogMarks marks;
  bool spared = false;
  std::vector<std::string> calls;
  void Run(bool normalState, bool killMode) {
    Timer4Hooks h;
    h.sendToKillPage = [this] { calls.emplace_back("kill page"); };
    h.applyGeometry = [this] { calls.emplace_back("geometry"); };
    h.spared = [this] {
      calls.emplace_back("judge");
      return spared;
    };
    h.logPageIfDue = [this] { calls.emplace_back("log"); };
    h.tickAgain = [this] { calls.emplace_back("again"); };
    RunTimer4Tick(popup, marks, normalState, killMode, h);
  }
};
using Calls = std::vector<std::string>;

TEST(MainWindowTimer4, ASuspectedPopUpIsCondemnedThenSentToTheKillPage) {
  Tick t;
  t.popup.scriptShaped = true;
  t.popup.geometryPending = true;
  t.popup.killState = kSuspected;
  t.popup.requestedWidth = 4500;
  t.Run(true, true);
  EXPECT_EQ(t.calls, (Calls{"geometry", "judge", "log", "again"}));
  EXPECT_EQ(t.popup.killState, kCondemned);
  EXPECT_TRUE(t.marks.geometryAppliedThisTick);  // so the log check skips this page
  EXPECT_FALSE(t.popup.geometryPending);
  EXPECT_EQ(t.popup.requestedWidth, kNoRequest);

  t.calls.clear();
  t.Run(true, true);
  EXPECT_EQ(t.calls, (Calls{"kill page"}));
}

TEST(MainWindowTimer4, SparedKillModeOffAndPlainWindows) {
  struct Row {
    const char* name;
    bool shaped, normal, killMode, spared;
    int killState;
    Calls calls;
    int after;
  };
  const Row rows[] = {
      {"SparedByTheList", true, true, true, true, kSuspected, {"geometry", "judge", "log"}, kNotSuspected},
      {"KillModeOff", true, true, false, false, kSuspected, {"geometry", "judge", "log"}, kSuspected},
      {"MaximisedIsNotShaped", true, false, true, false, kSuspected, {"log", "again"}, kCondemned},
      {"PlainWindowIsOnlyLogged", false, true, true, false, kNotSuspected, {"log"}, kNotSuspected},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Tick t;
    t.popup.scriptShaped = r.shaped;
    t.popup.killState = r.killState;
    t.spared = r.spared;
    t.Run(r.normal, r.killMode);
    EXPECT_EQ(t.calls, r.calls);
    EXPECT_EQ(t.popup.killState, r.after);
    EXPECT_EQ(t.marks.geometryAppliedThisTick, r.shaped && r.normal && !r.spared);
  }
}

}  // namespace
