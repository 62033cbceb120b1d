// The address box's completions: matching, ranking by visits and their age,
// both sources, and an index that follows logging and retention.
#include <gtest/gtest.h>

#include "core/browser/Completion.h"
#include "core/history/HistoryLog.h"
#include "core/history/HistoryRecord.h"
#include "core/sitelists/ListFiles.h"
#include "support/TestDirs.h"

namespace {

constexpr int64_t kToday = 46300;

std::vector<std::string> Urls(const std::vector<CompletionMatch>& matches) {
  std::vector<std::string> urls;
  for (const auto& m : matches) urls.push_back(m.url);
  return urls;
}

TEST(Completion, KeysIgnoreCaseSchemeAndWww) {
  const struct {
    const char* name;
    const char* text;
    const char* key;
  } rows[] = {
      {"plain", "Example.ORG/a", "example.org/a"},
      {"http", "http://www.example.org/", "example.org/"},
      {"https", "HTTPS://WWW.Example.org", "example.org"},
      {"www only", "www.ex", "ex"},
      {"other scheme kept", "ftp://www.x.org", "ftp://www.x.org"},
      {"www inside kept", "http://a.www.org", "a.www.org"},
      {"blanks", "  exa  ", "exa"},
  };
  for (const auto& r : rows) EXPECT_EQ(CompletionKey(r.text), r.key) << r.name;
}

TEST(Completion, MatchesAddressStartsAndTitlesWhateverTheCaseAndPrefix) {
  CompletionIndex index;
  index.AddVisits("Example Domain", "https://www.example.org/", kToday, 1);
  index.AddVisits("News about examples", "http://news.test/", kToday, 1);
  index.AddVisits("Other", "http://other.test/example", kToday, 1);
  for (const char* typed : {"exa", "EXA", "http://exa", "https://www.exa", "www.Exa"}) {
    SCOPED_TRACE(typed);
    const auto m = index.Find(typed);
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(Urls(m)[0], "https://www.example.org/");
  }
  // Titles match anywhere in them; addresses only from their start.
  const auto m = index.Find("example");
  EXPECT_EQ(m.size(), 2u);
  EXPECT_TRUE(index.Find("other.test/x").empty());
  EXPECT_TRUE(index.Find("").empty());
  // Where the bold part goes.
  EXPECT_EQ(m[0].url.substr(m[0].urlAt, 7), "example");
}

TEST(Completion, RanksByHowOftenAndHowRecently) {
  CompletionIndex index;
  // Generated history: "often" 10 visits a week ago, "once" 1 visit today,
  // "old" 20 visits half a year ago, "daily" 1 visit on each of 30 days.
  index.AddVisits("often", "http://site.test/often", kToday - 7, 10);
  index.AddVisits("once", "http://site.test/once", kToday, 1);
  index.AddVisits("old", "http://site.test/old", kToday - 180, 20);
  for (int d = 0; d < 30; ++d) index.AddVisits("daily", "http://site.test/daily", kToday - d, 1);
  EXPECT_EQ(Urls(index.Find("site")), (std::vector<std::string>{"http://site.test/daily", "http://site.test/often",
                                                                "http://site.test/once", "http://site.test/old"}));
}

TEST(Completion, OffersListsAndHistoryTogetherAndAtMostTen) {
  CompletionIndex index;
  index.AddListed("My Bank", "https://bank.test/login", kToday);
  index.AddVisits("Bank statement", "https://bank.test/statement", kToday - 1, 3);
  for (int i = 0; i < 30; ++i) index.AddVisits("Page", "http://bank.test/p" + std::to_string(i), kToday - 60, 1);
  const auto m = index.Find("bank");
  ASSERT_EQ(m.size(), CompletionIndex::kMaxMatches);
  EXPECT_EQ(m[0].url, "https://bank.test/statement");
  EXPECT_EQ(m[1].url, "https://bank.test/login");
  EXPECT_TRUE(m[1].listed);
  EXPECT_EQ(m[1].title, "My Bank");
  // A listed site visited keeps its list name.
  index.AddVisits("Login page", "https://bank.test/login", kToday, 5);
  EXPECT_EQ(index.Find("my bank")[0].title, "My Bank");
}

TEST(Completion, FollowsRetentionAndEditedLists) {
  CompletionIndex index;
  index.AddVisits("Gone", "http://gone.test/", kToday - 40, 50);
  index.AddVisits("Kept", "http://kept.test/", kToday - 40, 1);
  index.AddVisits("Kept", "http://kept.test/", kToday, 1);
  index.AddListed("Listed", "http://listed.test/", kToday);
  index.ForgetBefore(kToday - 30);
  EXPECT_TRUE(index.Find("gone").empty());
  EXPECT_EQ(Urls(index.Find("kept")), std::vector<std::string>{"http://kept.test/"});
  EXPECT_EQ(index.Find("listed").size(), 1u);  // no visits, but in the lists
  index.ReplaceListed({{"New", "http://new.test/"}}, kToday);
  EXPECT_TRUE(index.Find("listed").empty());
  EXPECT_EQ(index.Find("new").size(), 1u);
}

// The ordered index stops at the first matches; it must find what ranking
// every match would, also after the changes that move entries.
TEST(Completion, AnOrderedIndexFindsWhatRankingAllMatchesFinds) {
  CompletionIndex plain;
  for (int i = 0; i < 400; ++i) {
    const std::string url = "http://host" + std::to_string(i % 37) + ".test/page" + std::to_string(i);
    plain.AddVisits("Title " + std::to_string(i * 7919 % 400), url, kToday - (i * 31 % 90), 1 + i % 5);
  }
  plain.AddListed("Listed host", "http://host3.test/listed", kToday);
  CompletionIndex ordered = plain;
  ordered.Order();
  const char* const typed[] = {"h", "host1", "host3.test/p", "title 1", "listed", "nothing"};
  auto same = [&](const char* step) {
    for (const char* t : typed) EXPECT_EQ(Urls(ordered.Find(t)), Urls(plain.Find(t))) << step << ": " << t;
  };
  same("built");
  for (CompletionIndex* index : {&plain, &ordered}) {
    index->AddVisits("Title new", "http://host5.test/new", kToday, 40);    // a new entry to the top
    index->AddVisits("Title 9", "http://host9.test/page9", kToday, 3);     // one that climbs
    index->AddListed("Demoted", "http://host1.test/page1", kToday - 200);  // one that falls
  }
  same("changed");
  for (CompletionIndex* index : {&plain, &ordered}) index->ForgetBefore(kToday - 30);
  same("purged");
}

TEST(Completion, TheSharedIndexIsBuiltFromTheFilesAndFollowsLogging) {
  TempDir dir;
  MakeDirs(dir / "SiteLists");
  MakeDirs(dir / "History");
  ASSERT_TRUE(RewriteCategories(dir / "SiteLists/CatList.dab", {{"News", 1}}));
  ASSERT_TRUE(RewriteSites(dir / "SiteLists/" + SiteFileName(1), {{"Daily Paper", "http://paper.test/"}}));
  HistoryLogContext ctx;
  ctx.historyDir = dir / "History";
  ctx.now = dates::FromDayNumber(kToday - 2);
  ASSERT_TRUE(LogHistoryPage(ctx, "Paper archive", "http://paper.test/archive"));

  CompletionStore store;
  EXPECT_TRUE(store.Find("paper").empty());  // nothing until built
  store.StartBuilding(
      [&] { return BuildCompletionIndex(dir / "SiteLists/CatList.dab", dir / "SiteLists", dir / "History", kToday); });
  store.WaitUntilBuilt();
  EXPECT_EQ(store.Find("paper").size(), 2u);

  store.PageLogged("Paper today", "http://paper.test/today", kToday);
  store.PageLogged("Paper today", "http://paper.test/today", kToday);
  EXPECT_EQ(Urls(store.Find("paper"))[0], "http://paper.test/today");
  store.HistoryPurged(kToday - 1);
  EXPECT_EQ(Urls(store.Find("paper archive")), std::vector<std::string>{});
}

}  // namespace
