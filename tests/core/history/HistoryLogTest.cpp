#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

#include "core/history/HistoryLog.h"
#include "support/TestDirs.h"

namespace {

class Recorder : public TodayListListener {
 public:
  void TodayCleared() override { events.emplace_back("cleared"); }
  void HitsChanged(std::size_t n, int32_t hits) override {
    events.push_back("hits " + std::to_string(n) + " " + std::to_string(hits));
  }
  void RowAppended(const HistoryRecord& r, std::size_t rows) override {
    events.push_back("row " + std::to_string(rows) + " " + r.URL);
  }
  std::vector<std::string> events;
};

class HistoryLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.historyDir = dir.path();
    ctx.now = {2026, 12, 5, 10, 30, 0};
    ctx.listener = &rec;
  }
  std::vector<HistoryRecord> Day(const char* name = "WB_12052026.hiz") { return ReadDayFile(dir / name); }

  TempDir dir;
  Recorder rec;
  HistoryLogContext ctx;
};

TEST_F(HistoryLogTest, FirstPageThenRepeatVisit) {
  LogHistoryPage(ctx, "Home", "http://example.com/");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"cleared", "row 1 http://example.com/"}));
  ctx.now.hour = 11;
  LogHistoryPage(ctx, "Home again", "http://example.com/");
  const auto recs = Day();  // the first visit's time and title are kept
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(
      std::make_tuple(recs[0].VisitTime, recs[0].Hits, recs[0].Title, recs[0].Host),
      std::make_tuple(dates::DayNumber(2026, 12, 5) + 0.4375, 2, std::string("Home"), std::string("example.com")));
  EXPECT_EQ(rec.events.back(), "hits 1 2");
  EXPECT_EQ(ReadBytes(dir / "WB_12052026.hiz").size(), 512u);
}

TEST_F(HistoryLogTest, WhenANewRecordIsMade) {
  ctx.StoreDupUrls = 1;
  LogHistoryPage(ctx, "A", "http://example.com/a");
  LogHistoryPage(ctx, "A", "http://example.com/a");
  ctx.StoreDupUrls = 0;
  LogHistoryPage(ctx, "A", "http://example.com/A");
  const std::string longUrl = "http://example.com/" + std::string(200, 'q');
  LogHistoryPage(ctx, "", longUrl);
  LogHistoryPage(ctx, "", longUrl);
  const auto recs = Day();
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(recs[2].URL, "http://example.com/A");
  EXPECT_EQ(recs[3].Title, "(no title)");
  EXPECT_EQ(recs[4].URL, longUrl.substr(0, 192));
  EXPECT_EQ(rec.events.back(), "row 5 " + longUrl);
}

TEST_F(HistoryLogTest, MidnightStartsANewFile) {
  ctx.now = {2026, 12, 5, 23, 59, 59};
  LogHistoryPage(ctx, "A", "http://example.com/");
  ctx.now = {2026, 12, 6, 0, 0, 0};
  LogHistoryPage(ctx, "A", "http://example.com/");
  EXPECT_EQ(Day("WB_12052026.hiz").size(), 1u);
  EXPECT_EQ(Day("WB_12062026.hiz").size(), 1u);
  EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "cleared"), 2);
}

// An empty host: nothing is logged, not even a file is made.
TEST_F(HistoryLogTest, HostsAndAddressesNotLogged) {
  struct Row {
    const char* url;
    int16_t skipSecure;
    int32_t days;
    const char* host;
  };
  const Row rows[] = {{"http://www.Example.com/a", 0, 7, "example.com"},
                      {"http://example.com:8080", 0, 7, "example.com:8080"},
                      {"ftp://ftp.x.org/f", 0, 7, "ftp.x.org"},
                      {"file:///home/u/a.htm", 0, 7, "my computer"},
                      {"https://www.x.org/", 0, 7, "x.org"},
                      {"https://www.x.org/", 1, 7, ""},
                      {"about:blank", 0, 7, ""},
                      {"http://www./", 0, 7, ""},
                      {"", 0, 7, ""},
                      {"http://a.org/", 0, 0, ""},
                      {"http://a.org/", 0, -3, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.url) + " days " + std::to_string(row.days));
    TempDir day;
    HistoryLogContext c = ctx;
    c.historyDir = day.path();
    c.SkipSecurePages = row.skipSecure;
    c.HistoryDays = row.days;
    LogHistoryPage(c, "T", row.url);
    const auto recs = ReadDayFile(day / "WB_12052026.hiz");
    if (*row.host == '\0') {
      EXPECT_TRUE(std::filesystem::is_empty(day.path()));
    } else {
      ASSERT_EQ(recs.size(), 1u);
      EXPECT_EQ(recs[0].Host, row.host);
      EXPECT_EQ(recs[0].URL, row.url);
    }
  }
}

// A crash in the middle of an append leaves the first bytes of a record.
TEST_F(HistoryLogTest, TornAppendIsNeverAPageAndIsCutOffByTheNextLog) {
  const auto a = EncodeHistoryRecord({46361.1, 4, "A", "http://a.org/", "a.org"});
  const auto b = EncodeHistoryRecord({46361.2, 1, "B", "http://b.org/", "b.org"});
  const auto torn = EncodeHistoryRecord({46361.3, 1, "T", "http://torn.org/", "torn.org"});
  struct Row {
    const char* name;
    std::size_t tornBytes;
    const char* url;  // what the next page is
    std::vector<std::string> events;
  };
  const Row rows[] = {
      {"OneByte", 1, "http://c.org/", {"row 3 http://c.org/"}},
      {"JustUnderHalf", 255, "http://c.org/", {"row 3 http://c.org/"}},
      {"Half", 256, "http://c.org/", {"row 3 http://c.org/"}},
      {"JustOverHalf", 257, "http://c.org/", {"row 3 http://c.org/"}},
      {"AllButOneByte", 511, "http://c.org/", {"row 3 http://c.org/"}},
      {"RepeatVisitOnATornFile", 300, "http://a.org/", {"hits 1 5"}},
      // The torn record's address is all there, yet it is no visit to count.
      {"AddressOfTheTornRecord", 400, "http://torn.org/", {"row 3 http://torn.org/"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir day;
    HistoryLogContext c = ctx;
    c.historyDir = day.path();
    Recorder events;
    c.listener = &events;
    std::vector<unsigned char> file = a;
    file.insert(file.end(), b.begin(), b.end());
    file.insert(file.end(), torn.begin(), torn.begin() + static_cast<long>(row.tornBytes));
    const std::string path = day / "WB_12052026.hiz";
    WriteBytes(path, file);
    ASSERT_EQ(ReadDayFile(path).size(), 2u);

    LogHistoryPage(c, "C", row.url);
    EXPECT_EQ(events.events, row.events);
    const auto bytes = ReadBytes(path);
    const bool appended = row.events[0].rfind("row", 0) == 0;
    ASSERT_EQ(bytes.size(), appended ? 1536u : 1024u);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), bytes.begin() + 512));
    const auto recs = ReadDayFile(path);
    if (appended) {
      EXPECT_EQ(recs[2].URL, row.url);
      EXPECT_EQ(recs[2].Hits, 1);
      EXPECT_EQ(recs[2].Title, "C");
    } else {
      EXPECT_EQ(recs[0].Hits, 5);
    }
  }
}

// Bytes a reader ignores (after a NUL, odd padding) are what another program
// may have left: counting a visit must not rewrite them.
TEST_F(HistoryLogTest, RepeatVisitWritesOnlyTheCounter) {
  std::vector<unsigned char> file = EncodeHistoryRecord({46361.1, 41, "", "http://a.org/", ""});
  const std::string title = std::string("Home\0\x01\xFFleft over", 16);
  std::copy(title.begin(), title.end(), file.begin() + 12);
  std::fill(file.begin() + 320, file.end(), 0);  // host padded with NULs
  file[511] = 0x7E;
  const auto second = EncodeHistoryRecord({46361.2, 1, "B", "http://b.org/", "b.org"});
  file.insert(file.end(), second.begin(), second.end());
  WriteBytes(dir / "WB_12052026.hiz", file);

  LogHistoryPage(ctx, "Other title", "http://a.org/");
  auto want = file;
  want[8] = 42;
  EXPECT_EQ(ReadBytes(dir / "WB_12052026.hiz"), want);
  EXPECT_EQ(rec.events, std::vector<std::string>{"hits 1 42"});
}

// A counter at its highest stays there.
TEST_F(HistoryLogTest, FullCounterIsLeftAlone) {
  const auto full = EncodeHistoryRecord({46361.1, 2147483647, "A", "http://a.org/", "a.org"});
  WriteBytes(dir / "WB_12052026.hiz", full);
  LogHistoryPage(ctx, "A", "http://a.org/");
  EXPECT_EQ(ReadBytes(dir / "WB_12052026.hiz"), full);
  EXPECT_TRUE(rec.events.empty());
}

// A day file that cannot be read is not overwritten by a first record.
TEST_F(HistoryLogTest, UnreadableFileIsLeftAlone) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = dir / "WB_12052026.hiz";
  const auto a = EncodeHistoryRecord({46361.1, 1, "A", "http://a.org/", "a.org"});
  WriteBytes(path, a);
  ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
  LogHistoryPage(ctx, "B", "http://b.org/");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(ReadBytes(path), a);
  EXPECT_TRUE(rec.events.empty());
}

TEST(PageLogCheck, StopsOnEachConditionInOrder) {
  struct Row {
    const char* name;
    bool logOff;
    int32_t days;
    const char* title;
    std::string url;
    bool geometry, navError;
    bool want, geometryAfter, navErrorAfter;
  };
  const std::string page = "http://example.com/";
  const Row rows[] = {
      {"Loggable", false, 7, "Example", page, false, false, true, false, false},
      {"LogOff", true, 7, "Example", page, true, true, false, true, true},
      {"GeometryMark", false, 7, "Example", page, true, true, false, false, true},
      {"DaysZero", false, 0, "Example", page, false, false, false, false, false},
      {"DaysNegative", false, -1, "Example", page, false, false, false, false, false},
      {"CannotFindServer", false, 7, "CANNOT find Server", page, false, true, false, false, false},
      {"OfflinePage", false, 7, "Web Page Unavailable While Offline", page, false, true, false, false, false},
      {"AutoSearch", false, 7, "Example", kAutoSearchPrefix + std::string("q=a"), false, true, false, false, true},
      {"OwnPage", false, 7, "Example", "FILE:///App/DefPage.HTM", false, true, false, false, true},
      {"NavigationError", false, 7, "Example", page, false, true, false, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PageLogCheckInput in;
    in.historyLogOff = row.logOff;
    in.historyDays = row.days;
    in.pageTitle = row.title;
    in.locationUrl = row.url;
    in.ownPages = {"", "/app/DefPage.htm", "file:///app/DefPage.htm"};
    PageLogMarks marks{row.geometry, row.navError};
    EXPECT_EQ(PageLogCheck(in, marks), row.want);
    EXPECT_EQ(std::make_pair(marks.geometryAppliedThisTick, marks.navigationError),
              std::make_pair(row.geometryAfter, row.navErrorAfter));
    if (row.navError && !row.navErrorAfter) {
      in.pageTitle = "Next page";
      EXPECT_TRUE(PageLogCheck(in, marks));  // cleared: the next page is logged
    }
  }
}

TEST(DumpOldHistory, KeepsThePeriodAndTouchesNothingElse) {
  const std::vector<std::string> dayFiles = {"WB_11272026.hiz", "WB_11282026.hiz", "WB_11292026.hiz", "WB_12042026.hiz",
                                             "WB_12052026.hiz", "WB_12062026.hiz", "WB_03012027.hiz"};
  const std::vector<std::string> others = {"WB_12052026.hiz.bak", "WB_1205202.hiz",
                                           "XB_12052026.hiz",     "WB_12052026.HIZ",
                                           "WB_120520260.hiz",    "WB_01012020.hiz"};  // the last is a folder
  struct Row {
    const char* name;
    int32_t days;
    std::vector<std::string> kept;
  };
  // Files dated after today (a clock set back) are kept by every period.
  const Row rows[] = {
      {"Week", 7, {"WB_11292026.hiz", "WB_12042026.hiz", "WB_12052026.hiz", "WB_12062026.hiz", "WB_03012027.hiz"}},
      {"EightDays",
       8,
       {"WB_11282026.hiz", "WB_11292026.hiz", "WB_12042026.hiz", "WB_12052026.hiz", "WB_12062026.hiz",
        "WB_03012027.hiz"}},
      {"OneDay", 1, {"WB_12052026.hiz", "WB_12062026.hiz", "WB_03012027.hiz"}},
      {"ZeroDaysDeletesEveryDayFile", 0, {}},
      {"Negative", -2, dayFiles},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    for (const auto& n : dayFiles) WriteString(dir / n, "x");
    for (const auto& n : others) n == "WB_01012020.hiz" ? MakeDirs(dir / n) : WriteString(dir / n, "x");
    const int deleted = DumpOldHistory(dir.path(), row.days, dates::DayNumber(2026, 12, 5));
    EXPECT_EQ(deleted, static_cast<int>(dayFiles.size() - row.kept.size()));
    std::set<std::string> want(row.kept.begin(), row.kept.end()), left;
    want.insert(others.begin(), others.end());
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) left.insert(e.path().filename());
    EXPECT_EQ(left, want);
  }
}

TEST(DumpOldHistory, AClockSetBackAYearKeepsTheWholeHistory) {
  TempDir dir;
  const std::vector<std::string> dayFiles = {"WB_11292026.hiz", "WB_12042026.hiz", "WB_12052026.hiz"};
  for (const auto& n : dayFiles) WriteString(dir / n, "x");
  EXPECT_EQ(DumpOldHistory(dir.path(), 7, dates::DayNumber(2025, 12, 5)), 0);
  for (const auto& n : dayFiles) EXPECT_TRUE(std::filesystem::exists(dir / n)) << n;
}

}  // namespace
