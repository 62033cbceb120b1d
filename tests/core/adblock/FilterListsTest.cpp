#include <gtest/gtest.h>

#include "core/adblock/FilterLists.h"
#include "core/records/FileOps.h"
#include "support/TestDirs.h"

namespace {

std::string AList(int filters) {
  std::string text = "[Adblock Plus 2.0]\n! Title: Test\n! Expires: 2 days\n";
  for (int i = 0; i < filters; ++i) text += "||ads" + std::to_string(i) + ".example^\n";
  return text;
}

TEST(FilterLists, ExpiresHeader) {
  struct Case {
    const char* name;
    std::string text;
    int hours;
  } cases[] = {
      {"days", "[Adblock Plus 2.0]\n! Expires: 6 days (update frequency)\n", 144},
      {"hours", "[Adblock Plus 2.0]\r\n! Expires: 12 hours\r\n", 12},
      {"missing", "[Adblock Plus 2.0]\n||a.com^\n", 96},
      {"zero", "! Expires: 0 days\n", 96},
      {"nonsense unit", "! Expires: 3 fortnights\n", 96},
      {"huge", "! Expires: 99999 days\n", 96},
      {"too far down", std::string(60, '\n') + "! Expires: 1 days\n", 96},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(adblock::ExpiresHours(c.text), c.hours);
  }
}

TEST(FilterLists, DownloadsThatAreNoFilterList) {
  struct Case {
    const char* name;
    std::string bytes;
    bool ok;
  } cases[] = {
      {"a list", AList(20), true},
      {"a list with a byte-order mark", "\xEF\xBB\xBF" + AList(20), true},
      {"an error page", "<html><body>502 Bad Gateway</body></html>", false},
      {"empty", "", false},
      {"header only", AList(2), false},
      {"binary", AList(20) + std::string("\0\1", 2), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string why;
    EXPECT_EQ(adblock::LooksLikeFilterList(c.bytes, &why), c.ok);
    EXPECT_EQ(why.empty(), c.ok);
  }
}

TEST(FilterLists, ABrokenDownloadKeepsTheCopyInUse) {
  TempDir program, user;
  const adblock::FilterList& list = adblock::FilterLists().front();
  MakeDirs(program / "FilterLists");
  WriteString(program / "FilterLists/" + list.file, AList(11));
  EXPECT_EQ(adblock::ReadList(program.path(), user.path(), list), AList(11));

  std::string why;
  ASSERT_TRUE(adblock::StoreDownloadedList(user.path(), list, AList(30), &why)) << why;
  EXPECT_EQ(adblock::ReadList(program.path(), user.path(), list), AList(30));

  EXPECT_FALSE(adblock::StoreDownloadedList(user.path(), list, "<html>captive portal</html>", &why));
  EXPECT_EQ(why, "the download is not a filter list");
  EXPECT_EQ(adblock::ReadList(program.path(), user.path(), list), AList(30));

  // A copy damaged on disk is passed over for the shipped one.
  WriteString(adblock::DownloadedListPath(user.path(), list), "garbage");
  EXPECT_EQ(adblock::ReadList(program.path(), user.path(), list), AList(11));
}

TEST(FilterLists, RulesIdFollowsTheListsText) {
  const std::string id = adblock::RulesId({"ab", "c"});
  EXPECT_EQ(id, adblock::RulesId({"ab", "c"}));
  EXPECT_NE(id, adblock::RulesId({"a", "bc"}));
  EXPECT_NE(id, adblock::RulesId({"ab", "d"}));
  EXPECT_EQ(id.rfind("ads-", 0), 0u);
}

TEST(FilterLists, HostOfAnAddress) {
  EXPECT_EQ(adblock::HostOf("https://User@WWW.Example.com:8443/a?b#c"), "www.example.com");
  EXPECT_EQ(adblock::HostOf("http://127.0.0.1:8080"), "127.0.0.1");
  EXPECT_EQ(adblock::HostOf("http://[::1]:80/x"), "[::1]");
  EXPECT_EQ(adblock::HostOf("file:///home/a.htm"), "");
  EXPECT_EQ(adblock::HostOf("about:blank"), "");
}

TEST(FilterLists, AllowedSitesCoverSubdomainsAndSurviveASave) {
  TempDir user;
  auto sites = adblock::AllowedSites::Load(user.path());
  EXPECT_FALSE(sites.Allows("example.com"));
  sites.Set("Example.com", true);
  sites.Set("example.com", true);
  sites.Set("other.org", true);
  ASSERT_TRUE(sites.Save(user.path()));
  auto back = adblock::AllowedSites::Load(user.path());
  EXPECT_EQ(back.Hosts(), (std::vector<std::string>{"example.com", "other.org"}));
  EXPECT_TRUE(back.Allows("news.EXAMPLE.com"));
  EXPECT_FALSE(back.Allows("badexample.com"));
  EXPECT_FALSE(back.Allows("example.com.evil.net"));
  back.Set("example.com", false);
  EXPECT_FALSE(back.Allows("news.example.com"));
  EXPECT_TRUE(back.Allows("other.org"));
}

TEST(FilterLists, AllowedSitesFileIgnoresCommentsAndBlanks) {
  const auto sites = adblock::AllowedSites::Parse("# mine\n\n  a.com \r\nb.com\n" + std::string(300, 'x') + "\n");
  EXPECT_EQ(sites.Hosts(), (std::vector<std::string>{"a.com", "b.com"}));
}

}  // namespace
