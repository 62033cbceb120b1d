// The killer's rules: what page requests do to a window's state, the
// don't-kill match and the mode toggles.
#include <gtest/gtest.h>

#include "core/popups/PopupKiller.h"

namespace {

const WorkAreaTwips kArea{1280 * 15.f, 1000 * 15.f};

TEST(PopupRules, GeometryRequestsAreClampedAndMarkTheWindow) {
  struct Row {
    const char* name;
    int pixels;
    float expected;
  };
  const Row widths[] = {
      {"tiny width to the minimum", 100, 6720}, {"ordinary", 600, 9000}, {"wider than the screen", 5000, kArea.width}};
  for (const auto& row : widths) {
    PopupState s;
    WindowSetWidth(s, row.pixels, kArea, false);
    EXPECT_EQ(s.requestedWidth, row.expected) << row.name;
    EXPECT_TRUE(s.scriptShaped && s.geometryPending) << row.name;
    EXPECT_EQ(s.killState, 0) << "kill mode off: " << row.name;
  }
  const Row heights[] = {{"tiny height to the minimum", 50, 1500},
                         {"ordinary", 400, 6000},
                         {"taller than the screen", 3000, kArea.height}};
  for (const auto& row : heights) {
    PopupState s;
    WindowSetHeight(s, row.pixels, kArea, true);
    EXPECT_EQ(s.requestedHeight, row.expected) << row.name;
    EXPECT_EQ(s.killState, 1) << "kill mode on: " << row.name;
  }
  PopupState s;
  WindowSetLeft(s, -20, kArea, true);
  EXPECT_EQ(s.requestedLeft, 0);
  WindowSetLeft(s, 5000, kArea, true);
  EXPECT_EQ(s.requestedLeft, kArea.width - 6600);
  WindowSetTop(s, 5000, kArea, true);
  EXPECT_EQ(s.requestedTop, kArea.height - 1800);
}

TEST(PopupRules, OuterSizeFollowsAtOnce) {
  PopupState s;
  EXPECT_EQ(WindowSetWidth(s, 600, kArea, true), 9000 + 120);
  EXPECT_EQ(WindowSetWidth(s, 1270, kArea, true), kArea.width);  // no room for the frame
  EXPECT_EQ(WindowSetHeight(s, 400, kArea, true), 6000 + 1200);
}

TEST(PopupRules, StatusBarRequestAloneIsNoSuspicion) {
  PopupState s;
  OnToolBar(s, true, true);
  EXPECT_EQ(s.killState, 1);  // any toolbar request counts
  PopupState quiet;
  quiet.statusBarRequest = false;  // stored only
  EXPECT_EQ(quiet.killState, 0);
  EXPECT_FALSE(quiet.scriptShaped);
}

TEST(PopupRules, OpenFeatures) {
  const OpenFeatures f = ParseOpenFeatures(" Width=300, height = 200 ,toolbar=no,left=10;top=-5,status");
  EXPECT_EQ(f.width, 300);
  EXPECT_EQ(f.height, 200);
  EXPECT_EQ(f.left, 10);
  EXPECT_EQ(f.top, -5);
  EXPECT_EQ(f.toolbar, false);
  EXPECT_EQ(f.statusbar, true);
  const OpenFeatures plain = ParseOpenFeatures("noopener");
  EXPECT_FALSE(plain.width || plain.height || plain.left || plain.top || plain.toolbar);
  const OpenFeatures junk = ParseOpenFeatures("width=abc,height=99999999999999,toolbar=1");
  EXPECT_FALSE(junk.width);
  EXPECT_EQ(junk.height, 1000000);  // absurd sizes are capped, then clamped to the screen
  EXPECT_EQ(junk.toolbar, true);
}

TEST(PopupRules, DontKillMatchesPrefixesInAnyCase) {
  const std::vector<SiteRecord> list = {{"a", "  HTTP://Example.org/Shop  "}};
  EXPECT_TRUE(DontKillSpares("http://example.org/shop/cart", list));
  EXPECT_TRUE(DontKillSpares("http://EXAMPLE.org/Shop", list));
  EXPECT_FALSE(DontKillSpares("http://example.org/sho", list));  // shorter than the entry
  EXPECT_FALSE(DontKillSpares("http://other.org/", list));
  EXPECT_FALSE(DontKillSpares("http://example.org/shop", {}));
  const std::vector<SiteRecord> withBlank = {{"a", "http://example.org/shop"}, {"", "   "}};
  EXPECT_TRUE(DontKillSpares("http://other.org/", withBlank));  // a blank entry matches every address
  EXPECT_TRUE(DontKillSpares("", withBlank));
}

TEST(PopupRules, KillModeToggles) {
  int16_t kill = 0, boom = 0;
  ToggleKillBoomMode(kill, boom);
  EXPECT_TRUE(kill == 1 && boom == 1);
  ToggleKillMode(kill, boom);  // off: the boom setting stays for later
  EXPECT_TRUE(kill == 0 && boom == 1);
  ToggleKillMode(kill, boom);  // on again: plain killing
  EXPECT_TRUE(kill == 1 && boom == 0);
  ToggleKillBoomMode(kill, boom);
  ToggleKillBoomMode(kill, boom);
  EXPECT_TRUE(kill == 0 && boom == 0);
}

TEST(PopupRules, PanelTextsAndAllowances) {
  EXPECT_EQ(PopupPanelText(true, true), "Pops-Script");
  EXPECT_EQ(PopupPanelText(true, false), "Pop-Ups");
  EXPECT_EQ(PopupPanelText(false, true), "Script Msg");
  EXPECT_EQ(PopupPanelText(false, false), "");
  EXPECT_EQ(KilledCountText(1), "1 Pop-Up Window Killed");
  EXPECT_EQ(KilledCountText(3), "3 Pop-Up Windows Killed");
  EXPECT_EQ(ChromeAllowance(19), 405);
  EXPECT_EQ(ChromeAllowance(23), 465);
  EXPECT_EQ(ChromeAllowance(39), 660);
}

}  // namespace
