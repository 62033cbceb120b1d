#include <gtest/gtest.h>

#include "core/app/Preferences.h"
#include "core/records/FileOps.h"
#include "support/TestDirs.h"

namespace {

struct DamagedCase {
  const char* name;
  std::string text;
};

TEST(Preferences, DamagedOrMissingTextGivesDefaults) {
  const DamagedCase cases[] = {
      {"empty", ""},
      {"not json", "searchEngine=google"},
      {"truncated", R"({"searchEngine": "goo)"},
      {"array", R"(["google"])"},
      {"bad utf8", "{\"searchEngine\": \"\xff\xfe\"}"},
      {"nul inside", std::string("{\"a\":1}\0garbage", 15)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto p = prefs::Parse(c.text);
    EXPECT_EQ(p.SearchEngineId, prefs::kDefaultSearchEngine);
    EXPECT_TRUE(p.BlockAdsInPages);
  }
}

TEST(Preferences, AWrongValueGivesOnlyThatValuesDefault) {
  const auto p = prefs::Parse(R"({"searchEngine": "altavista", "blockAdsInPages": false,
                                  "customSearchUrl": 7})");
  EXPECT_EQ(p.SearchEngineId, prefs::kDefaultSearchEngine);
  EXPECT_FALSE(p.BlockAdsInPages);
  EXPECT_EQ(p.CustomSearchUrl, "");
}

TEST(Preferences, RoundTripKeepsKeysOfOtherVersions) {
  TempDir dir;
  auto p = prefs::Parse(R"({"futureOption": {"x": [1, 2]}, "searchEngine": "bing"})");
  p.BlockAdsInPages = false;
  p.CustomSearchUrl = "http://s.example/?q=%s";
  ASSERT_TRUE(prefs::Save(dir.path(), p));
  const auto back = prefs::Load(dir.path());
  EXPECT_EQ(back.SearchEngineId, "bing");
  EXPECT_FALSE(back.BlockAdsInPages);
  EXPECT_EQ(back.CustomSearchUrl, "http://s.example/?q=%s");
  EXPECT_NE(prefs::Serialize(back).find("futureOption"), std::string::npos);
}

TEST(Preferences, MissingFileGivesDefaults) {
  TempDir dir;
  EXPECT_EQ(prefs::Load(dir.path()).SearchEngineId, prefs::kDefaultSearchEngine);
}

TEST(Preferences, SearchUrlEncodesTheQueryAndFallsBack) {
  prefs::Preferences p;
  EXPECT_EQ(prefs::SearchUrl(p, "what is c++"), "https://duckduckgo.com/?q=what+is+c%2B%2B");
  p.SearchEngineId = "wikipedia";
  EXPECT_EQ(prefs::SearchUrl(p, "a&b=c"), "https://en.wikipedia.org/w/index.php?search=a%26b%3Dc");
  p.SearchEngineId = prefs::kCustomSearchEngine;
  p.CustomSearchUrl = "http://s.example/find/%s/now";
  EXPECT_EQ(prefs::SearchUrl(p, "x y"), "http://s.example/find/x+y/now");
  p.CustomSearchUrl = "http://s.example/without-placeholder";
  EXPECT_EQ(prefs::SearchUrl(p, "x"), "https://duckduckgo.com/?q=x");
}

}  // namespace
