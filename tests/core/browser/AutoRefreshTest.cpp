// The refresh countdown and the interval buttons, on a pinned clock.
#include <gtest/gtest.h>

#include <vector>

#include "core/browser/Addresses.h"
#include "core/browser/AutoRefresh.h"

namespace {

TEST(AutoRefresh, IntervalStaysWithinOneAndNinetyNine) {
  AutoRefresh r;
  r.interval = 1;
  r.StepInterval(-1);
  EXPECT_EQ(r.interval, 1);
  r.interval = 98;
  r.StepInterval(+1);
  r.StepInterval(+1);
  EXPECT_EQ(r.interval, 99);
  r.interval = 500;  // kept in the settings: neither cut to 99 nor raised
  r.StepInterval(+1);
  EXPECT_EQ(r.interval, 500);
  r.StepInterval(-1);
  EXPECT_EQ(r.interval, 499);
}

TEST(AutoRefresh, RefreshesWhenTheCountReachesTheInterval) {
  AutoRefresh r;
  r.interval = 3;
  r.on = true;
  EXPECT_FALSE(r.MinuteTick());
  EXPECT_EQ(r.MinutesLeftText(), "2");
  EXPECT_FALSE(r.MinuteTick());
  EXPECT_TRUE(r.MinuteTick());
  EXPECT_EQ(r.counter, 0);
  EXPECT_EQ(r.MinutesLeftText(), "3");
}

TEST(AutoRefresh, ShorteningBelowTheCountedMinutesRefreshesAtRelease) {
  AutoRefresh r;
  r.interval = 10;
  r.on = true;
  for (int i = 0; i < 5; ++i) r.MinuteTick();
  r.interval = 4;
  EXPECT_TRUE(r.IntervalChosen());
  EXPECT_EQ(r.counter, 0);

  AutoRefresh longer;
  longer.interval = 10;
  for (int i = 0; i < 5; ++i) longer.MinuteTick();
  longer.interval = 12;
  EXPECT_FALSE(longer.IntervalChosen());
  EXPECT_TRUE(longer.on);  // releasing the button switches the timer on
  EXPECT_EQ(longer.MinutesLeftText(), "7");
}

TEST(AutoRefresh, LevelCycleSkipsTwo) {
  int16_t mode = 0;
  std::vector<int16_t> seen;
  for (int i = 0; i < 6; ++i) seen.push_back(mode = NextRefreshMode(mode));
  EXPECT_EQ(seen, (std::vector<int16_t>{1, 3, 0, 1, 3, 0}));
  EXPECT_EQ(NextRefreshMode(2), 0);  // a damaged setting comes back to Normal
}

TEST(AutoRefresh, ClockText) {
  EXPECT_EQ(ClockText(8, 4, 9, false), "08:04:09");
  EXPECT_EQ(ClockText(23, 59, 0, true), "23:59:00 UTC");
}

TEST(Addresses, TypedTextGetsAScheme) {
  struct Row {
    const char* name;
    const char* typed;
    const char* address;
  } rows[] = {
      {"bare host", "example.org", "http://example.org"},
      {"host and port", "localhost:8080/x", "http://localhost:8080/x"},
      {"with scheme", "https://example.org/A", "https://example.org/A"},
      {"local path keeps case", "/home/u/My Page.htm", "file:///home/u/My%20Page.htm"},
      {"about page", "about:blank", "about:blank"},
      {"blanks around", "  example.org  ", "http://example.org"},
      {"empty", "   ", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(CompleteAddress(row.typed), row.address) << row.name;
}

TEST(Addresses, AddressBoxShowsLocalFilesAsPaths) {
  EXPECT_EQ(AddressBoxText("HTTP:///"), "http://");
  EXPECT_EQ(AddressBoxText("file:///tmp/a%20b.htm"), "/tmp/a b.htm");
  EXPECT_EQ(AddressBoxText("https://x.org/a%20b"), "https://x.org/a%20b");
}

}  // namespace
