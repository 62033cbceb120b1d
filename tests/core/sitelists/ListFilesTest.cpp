#include <gtest/gtest.h>

#include <filesystem>

#include "core/records/Coding.h"
#include "core/sitelists/ListFiles.h"
#include "support/Corruption.h"
#include "support/TestDirs.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& s, std::size_t width, unsigned char pad = ' ') {
  Bytes b(s.begin(), s.end());
  b.resize(width, pad);
  return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ListFiles, HandLaidRecords) {
  TempDir dir;
  const Bytes cats = Cat({Text("News", 158), {0x03, 0x00}, Text("Caf\xE9", 158), {0x02, 0x01}});
  WriteBytes(dir / "CatList.dab", cats);
  EXPECT_EQ(ReadCategories(dir / "CatList.dab"), (std::vector<CategoryRecord>{{"News", 3}, {"Caf\xC3\xA9", 258}}));
  ASSERT_TRUE(RewriteCategories(dir / "Out.dab", {{"News", 3}, {"Caf\xC3\xA9", 258}, {"Z", 32767}}));
  EXPECT_EQ(ReadBytes(dir / "Out.dab"), Cat({cats, Text("Z", 158), {0xFF, 0x7F}}));

  // Blank padded name, NUL-ended address.
  WriteBytes(dir / "Sites00001.dab", Cat({Text("My Site", 140), Text("http://a.example/X", 260, 0)}));
  EXPECT_EQ(ReadSites(dir / "Sites00001.dab"), (std::vector<SiteRecord>{{"My Site", "http://a.example/X"}}));
  ASSERT_TRUE(RewriteSites(dir / "Sites00002.dab", {{"My Site", "http://a.example/X"}}));
  EXPECT_EQ(ReadBytes(dir / "Sites00002.dab"), Cat({Text("My Site", 140), Text("http://a.example/X", 260)}));
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"CatList.dab", "Out.dab", "Sites00001.dab", "Sites00002.dab"}));
}

TEST(ListFiles, FileNamesAndNumbers) {
  for (const int n : {1, 123, 32767}) EXPECT_EQ(FileNumberFromName(SiteFileName(n)), n);
  EXPECT_EQ(SiteFileName(123), "Sites00123.dab");
  for (const char* bad : {"Sites40000.dab", "Sites0012.dab", "Sites", ""}) EXPECT_EQ(FileNumberFromName(bad), 0) << bad;

  TempDir dir;
  EXPECT_EQ(NewSiteFileNumber(dir / "CatList.dab"), "00001");
  ASSERT_TRUE(RewriteCategories(dir / "CatList.dab", {{"A", 4}, {"B", 1}, {"C", 2}}));
  EXPECT_EQ(NewSiteFileNumber(dir / "CatList.dab"), "00003");
}

TEST(ListFiles, AppendSiteAddsLastWithUniqueName) {
  EXPECT_EQ(UniqueSiteName("News", {"News(1)"}), "News");
  TempDir dir;
  const std::string path = dir / "Sites00002.dab";
  ASSERT_TRUE(RewriteSites(path, {{"News", "http://a/"}, {"Mail", "http://b/"}}));
  EXPECT_EQ(AppendSite(path, "News", "http://c/"), "News(1)");
  EXPECT_EQ(AppendSite(path, "News", "http://d/"), "News(2)");
  EXPECT_EQ(AppendSite(path, "NEWS", "http://e/"), "NEWS");  // names differing in case do not clash
  EXPECT_EQ(ReadSites(path), (std::vector<SiteRecord>{{"News", "http://a/"},
                                                      {"Mail", "http://b/"},
                                                      {"News(1)", "http://c/"},
                                                      {"News(2)", "http://d/"},
                                                      {"NEWS", "http://e/"}}));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Sites00002.dab"});
}

// The file is replaced whole; the records already there stay byte for byte,
// also bytes a reader ignores (after a NUL).
TEST(ListFiles, AppendSiteKeepsTheOtherRecordsAsTheyWere) {
  TempDir dir;
  const std::string path = dir / "Sites00002.dab";
  Bytes odd = Cat({Text(std::string("News\0\x7Fold", 8), 140, 0), Text("http://a/", 260)});
  WriteBytes(path, Cat({odd, Text("cut off", 150)}));  // a partial record, counted as none
  EXPECT_EQ(AppendSite(path, "News", "http://b/"), "News(1)");
  EXPECT_EQ(ReadBytes(path), Cat({odd, EncodeSite({"News(1)", "http://b/"})}));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Sites00002.dab"});
}

TEST(ListFiles, LongNames) {
  TempDir dir;
  const std::string name150(150, 'n');
  EXPECT_EQ(AppendSite(dir / "s.dab", name150, "http://a/"), name150.substr(0, 140));
  EXPECT_EQ(ReadSites(dir / "s.dab").at(0).Name, name150.substr(0, 140));
  ASSERT_TRUE(RewriteCategories(dir / "c.dab", {{name150, 9}}));
  EXPECT_EQ(ReadCategories(dir / "c.dab").at(0).Name, name150);

  // A clash at full field width must still store a different name, and report it.
  const auto second = AppendSite(dir / "s.dab", name150, "http://b/");
  const auto sites = ReadSites(dir / "s.dab");
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_NE(sites[1].Name, sites[0].Name);
  EXPECT_EQ(second, sites[1].Name);
}

TEST(ListFiles, EmptyRewrites) {
  TempDir dir;
  for (const char* name : {"CatList.dab", "DontKill.dab", "Sites00001.dab"})
    WriteString(dir / name, std::string(400, 'x'));
  EXPECT_TRUE(RewriteCategories(dir / "CatList.dab", {}));
  EXPECT_TRUE(RewriteDontKill(dir / "DontKill.dab", {}));
  EXPECT_TRUE(RewriteDontKill(dir / "Never.dab", {}));
  EXPECT_TRUE(RewriteSites(dir / "Sites00001.dab", {}));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Sites00001.dab"}));
  EXPECT_TRUE(ReadBytes(dir / "Sites00001.dab").empty());
}

TEST(ListFiles, PartialAndDamagedFiles) {
  TempDir dir;
  const std::string longUrl = "http://c/" + std::string(200, 'c');
  const Bytes sites = Cat({Text("A", 140), Text("http://a/", 260), Text("B", 140), Text("http://b/", 260),
                           Text("C", 140), Text(longUrl, 260)});
  // More than half of a third record counts as one; what it lacks is missing.
  WriteBytes(dir / "s26.dab", corruption::Truncated(sites, 1040));
  const auto s26 = ReadSites(dir / "s26.dab");
  ASSERT_EQ(s26.size(), 3u);
  EXPECT_EQ(s26[2], (SiteRecord{"C", longUrl.substr(0, 100)}));
  // Less than half does not, and the next site is written after the whole ones.
  WriteBytes(dir / "s24.dab", corruption::Truncated(sites, 960));
  EXPECT_EQ(ReadDontKill(dir / "s24.dab").size(), 2u);
  EXPECT_EQ(AppendSite(dir / "s24.dab", "D", "http://d/"), "D");
  EXPECT_EQ(ReadSites(dir / "s24.dab").back(), (SiteRecord{"D", "http://d/"}));
  EXPECT_EQ(ReadBytes(dir / "s24.dab").size(), 1200u);
  EXPECT_TRUE(ReadCategories(dir.path()).empty());  // a folder is no list
}

TEST(ListFiles, EveryReaderSurvivesDamagedFiles) {
  TempDir dir;
  const Bytes sites = Cat({Text("A", 140), Text("http://a/", 260), Text("B", 140), Text("http://b/", 260),
                           Text("C", 140), Text("http://c/", 260)});
  const std::vector<SiteRecord> goodSites = {{"A", "http://a/"}, {"B", "http://b/"}, {"C", "http://c/"}};
  const Bytes cats = Cat({Text("News", 158), Bytes{1, 0}, Text("Sport", 158), Bytes{2, 0}});
  const std::vector<CategoryRecord> goodCats = {{"News", 1}, {"Sport", 2}};
  for (const auto& damage : corruption::DamagedCopies(sites, 400)) {
    SCOPED_TRACE(damage.name);
    WriteBytes(dir / "Sites00001.dab", damage.bytes);
    for (const auto& read : {ReadSites(dir / "Sites00001.dab"), ReadDontKill(dir / "Sites00001.dab")}) {
      EXPECT_EQ(read.size(), coding::RecordCount(damage.bytes.size(), 400));
      for (std::size_t i = 0; i < damage.wholeRecords && i < read.size(); ++i) EXPECT_EQ(read[i], goodSites[i]);
    }
    EXPECT_TRUE(AppendSite(dir / "Sites00001.dab", "x", "http://x/").has_value());
    EXPECT_EQ(ReadSites(dir / "Sites00001.dab").back(), (SiteRecord{"x", "http://x/"}));
  }
  for (const auto& damage : corruption::DamagedCopies(cats, 160)) {
    SCOPED_TRACE(damage.name);
    WriteBytes(dir / "CatList.dab", damage.bytes);
    const auto read = ReadCategories(dir / "CatList.dab");
    EXPECT_EQ(read.size(), coding::RecordCount(damage.bytes.size(), 160));
    for (std::size_t i = 0; i < damage.wholeRecords && i < read.size(); ++i) EXPECT_EQ(read[i], goodCats[i]);
    EXPECT_TRUE(NewSiteFileNumber(dir / "CatList.dab").has_value());
  }
}

}  // namespace
