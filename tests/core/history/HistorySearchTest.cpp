#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <new>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/history/DayChart.h"
#include "core/history/HistoryPeriods.h"
#include "core/history/HistorySearch.h"
#include "core/records/FileOps.h"
#include "support/TestDirs.h"

namespace {

// Saturday, 5 December 2026.
const int64_t kToday = dates::DayNumber(2026, 12, 5);

std::string NameDaysAgo(int64_t ago) { return DayFileName(dates::FromDayNumber(kToday - ago)); }

std::string FakeShortDate(int64_t day) {
  const LocalDateTime d = dates::FromDayNumber(day);
  return std::to_string(d.month) + "/" + std::to_string(d.day);
}

struct Page {
  std::string title, url, host;
  int32_t hits = 1;
};

void WriteDay(const TempDir& dir, int64_t ago, const std::vector<Page>& pages, std::size_t extraBytes = 0) {
  std::vector<unsigned char> bytes;
  int second = 0;
  for (const auto& p : pages) {
    HistoryRecord r;
    r.VisitTime = static_cast<double>(kToday - ago) + 0.5 + (second++) / 86400.0;
    r.Hits = p.hits;
    r.Title = p.title;
    r.URL = p.url;
    r.Host = p.host;
    const auto rec = EncodeHistoryRecord(r);
    bytes.insert(bytes.end(), rec.begin(), rec.end());
  }
  bytes.insert(bytes.end(), extraBytes, 'x');
  WriteBytes(dir / NameDaysAgo(ago), bytes);
}

std::vector<std::string> Texts(const std::vector<PeriodEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.text);
  return out;
}

std::vector<std::string> Urls(const SearchResult& r) {
  std::vector<std::string> out;
  for (const auto& row : r.rows) out.push_back(row.header ? "# " + row.host : row.url);
  return out;
}

TEST(PeriodSelector, FilesZeroOneAndNineDaysAgoWithAWeekKept) {
  const std::vector<std::string> names = {NameDaysAgo(9), NameDaysAgo(0), "notes.txt", NameDaysAgo(1)};
  const auto files = DayFilesNewestFirst(names, kToday);
  EXPECT_EQ(Texts(PeriodEntries(files, kToday, 7, true, FakeShortDate)),
            (std::vector<std::string>{"0-7 Days Ago", "0-6 Days Ago", "7-13 Days Ago", "0 Days Ago 12/5 <>",
                                      "1 Day Ago 12/4 <>", "9 Days Ago 11/26 <>"}));
}

TEST(PeriodSelector, WhichFilesAreListed) {
  struct Row {
    const char* name;
    std::vector<std::string> names;
    std::vector<std::string> want;
  };
  const Row rows[] = {
      {"EmptyFolderNoEntries", {}, {}},
      {"OtherFilesOnlyTheKeptPeriod", {"readme", "WB_1205202.hiz"}, {"0-7 Days Ago"}},
      // 35 November rolls over into 5 December: two files of one date, each listed.
      {"EqualDatesEach",
       {"WB_11352026.hiz", NameDaysAgo(0)},
       {"0-7 Days Ago", "0-6 Days Ago", "0 Days Ago 12/5 <>", "0 Days Ago 12/5 <>"}},
      {"FutureNeverListed", {NameDaysAgo(-1), NameDaysAgo(3)}, {"0-7 Days Ago", "0-6 Days Ago", "3 Days Ago 12/2 <>"}},
      {"OnlyFutureFiles", {NameDaysAgo(-1)}, {"0-7 Days Ago"}},
      // A week without files has no entry, the weeks around it do.
      {"EmptyWeekLeftOut",
       {NameDaysAgo(20), NameDaysAgo(2)},
       {"0-7 Days Ago", "0-6 Days Ago", "14-20 Days Ago", "2 Days Ago 12/3 <>", "20 Days Ago 11/15 <>"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(
        Texts(PeriodEntries(DayFilesNewestFirst(row.names, kToday), kToday, 7, !row.names.empty(), FakeShortDate)),
        row.want);
  }
}

TEST(PeriodSelector, PeriodsCoverTheirDaysOnly) {
  const auto files = DayFilesNewestFirst({NameDaysAgo(0), NameDaysAgo(6), NameDaysAgo(7), NameDaysAgo(13)}, kToday);
  const auto entries = PeriodEntries(files, kToday, 7, true, FakeShortDate);
  auto namesIn = [&](const std::string& text) {
    std::vector<std::string> out;
    for (const auto& e : entries)
      if (e.text == text)
        for (const auto& f : FilesInPeriod(files, kToday, e)) out.push_back(f.name);
    return out;
  };
  EXPECT_EQ(namesIn("0-6 Days Ago"), (std::vector<std::string>{NameDaysAgo(0), NameDaysAgo(6)}));
  EXPECT_EQ(namesIn("7-13 Days Ago"), (std::vector<std::string>{NameDaysAgo(7), NameDaysAgo(13)}));
  EXPECT_EQ(namesIn("0-7 Days Ago"), (std::vector<std::string>{NameDaysAgo(0), NameDaysAgo(6), NameDaysAgo(7)}));
  EXPECT_EQ(namesIn("6 Days Ago 11/29 <>"), (std::vector<std::string>{NameDaysAgo(6)}));
}

// Three days: a page of a.com on each, b.com on the first two, c.com today.
class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteDay(dir, 2, {{"Alpha ABC", "http://a.com/1", "a.com"}, {"Beta", "http://b.com/x", "b.com"}});
    WriteDay(dir, 1, {{"Beta two", "http://b.com/y", "b.com", 7}, {"Alpha ABC", "http://a.com/1", "a.com"}});
    WriteDay(dir, 0, {{"gamma abc", "http://c.com/z", "c.com"}, {"Alpha ABC", "http://a.com/1", "a.com", 3}});
    WriteString(dir / "unrelated.hiz", "not a day file");
  }
  SearchResult Run(SearchMode mode, const std::string& text = "", bool dupes = false) {
    SearchRequest req;
    req.historyDir = dir.path();
    req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
    req.mode = mode;
    req.text = text;
    req.host = mode == SearchMode::HostPages ? text : "";
    req.dupes = dupes;
    return SearchHistory(req, cancel);
  }
  TempDir dir;
  std::atomic<bool> cancel{false};
};

TEST_F(SearchTest, EachModeOnTheSameFiles) {
  struct Row {
    const char* name;
    SearchMode mode;
    std::string text;
    bool dupes;
    std::vector<std::string> want;
  };
  const Row rows[] = {
      {"DateSort",
       SearchMode::DateSort,
       "",
       false,
       {"http://a.com/1", "http://b.com/x", "http://b.com/y", "http://c.com/z"}},
      {"DateSortDupes",
       SearchMode::DateSort,
       "",
       true,
       {"http://a.com/1", "http://b.com/x", "http://b.com/y", "http://a.com/1", "http://c.com/z", "http://a.com/1"}},
      {"HostSortFirstAppearance",
       SearchMode::HostSort,
       "",
       false,
       {"# a.com", "http://a.com/1", "# b.com", "http://b.com/x", "http://b.com/y", "# c.com", "http://c.com/z"}},
      {"HostSortDupes",
       SearchMode::HostSort,
       "",
       true,
       {"# a.com", "http://a.com/1", "http://a.com/1", "http://a.com/1", "# b.com", "http://b.com/x", "http://b.com/y",
        "# c.com", "http://c.com/z"}},
      {"HostListOnly", SearchMode::HostListOnly, "", false, {"# a.com", "# b.com", "# c.com"}},
      {"TitlesIgnoreCase", SearchMode::TitlesText, "ABC", false, {"http://a.com/1", "http://c.com/z"}},
      {"TitlesBlankCounts", SearchMode::TitlesText, "abc ", false, {}},
      {"Urls", SearchMode::UrlsText, "B.COM/", false, {"http://b.com/x", "http://b.com/y"}},
      {"BothTitleOrUrl", SearchMode::BothText, "two", false, {"http://b.com/y"}},
      {"BothEither", SearchMode::BothText, "/z", false, {"http://c.com/z"}},
      {"HostPages", SearchMode::HostPages, "b.com", false, {"http://b.com/x", "http://b.com/y"}},
      {"HostPagesExactHost", SearchMode::HostPages, "b.co", false, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const SearchResult r = Run(row.mode, row.text, row.dupes);
    EXPECT_EQ(r.status, SearchResult::Status::Done);
    EXPECT_EQ(Urls(r), row.want);
  }
}

TEST_F(SearchTest, RowsHeadersAndCaptions) {
  const SearchResult host = Run(SearchMode::HostSort);
  ASSERT_EQ(host.rows.size(), 7u);
  const HistoryRow& header = host.rows[0];
  EXPECT_EQ(header.text, "......a.com" + std::string(141, '.'));
  EXPECT_EQ(header.hits, std::string(47, '.'));
  EXPECT_EQ(header.date, std::string(47, '.'));
  EXPECT_EQ(header.url, "");
  EXPECT_EQ(ReturnsCaption(SearchMode::HostSort, host.rows.size(), host.pages, host.hosts), "4 Page Titles    3 Hosts");
  // Without dupes a page is listed at its earliest visit, with that day's hits.
  const HistoryRow& page = host.rows[1];
  EXPECT_EQ(page.text, "Alpha ABC");
  EXPECT_EQ(page.hits, "1");
  EXPECT_EQ(page.date, "Thu Dec 03 26");
  EXPECT_EQ(host.rows[4].hits, "7");

  const SearchResult date = Run(SearchMode::DateSort);
  EXPECT_EQ(ReturnsCaption(SearchMode::DateSort, date.rows.size(), date.pages, date.hosts), "4 Page Titles");
  EXPECT_EQ(TodayCaption(0), "Page Titles");
  EXPECT_EQ(TodayCaption(12), "12 Page Titles");
}

TEST(SearchRows, DateText) {
  const double t = dates::ToOleDate({2026, 12, 5, 8, 46, 58});
  EXPECT_EQ(DateText(t, false), "Sat Dec 05 26 08:46:58");
  EXPECT_EQ(DateText(t, true), "Sat Dec 05 26");
  EXPECT_EQ(DateText(dates::ToOleDate({2000, 1, 2, 0, 0, 0}), false), "Sun Jan 02 00 00:00:00");
}

TEST_F(SearchTest, CancelLeavesNoRows) {
  SearchRequest req;
  req.historyDir = dir.path();
  req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
  req.mode = SearchMode::DateSort;
  // Cancelled after the first day's records: what was gathered is dropped.
  std::size_t calls = 0;
  const SearchResult r = SearchHistory(req, cancel, [&](const SearchProgress& p) {
    ++calls;
    EXPECT_EQ(p.recordsDone, 2u);
    cancel = true;
  });
  EXPECT_EQ(calls, 1u);
  EXPECT_EQ(r.status, SearchResult::Status::Cancelled);
  EXPECT_TRUE(r.rows.empty());
  EXPECT_EQ(r.pages, 0u);
}

// Memory running out half-way (here thrown from the progress report, which
// runs where the search allocates) ends the search with an error, not the
// program: the search runs on a thread where an exception would abort.
TEST_F(SearchTest, RunningOutOfMemoryIsAFailedSearch) {
  SearchRequest req;
  req.historyDir = dir.path();
  req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
  req.mode = SearchMode::HostSort;
  SearchResult r;
  ASSERT_NO_THROW(r = SearchHistory(req, cancel, [](const SearchProgress&) { throw std::bad_alloc(); }));
  EXPECT_EQ(r.status, SearchResult::Status::FileError);
  EXPECT_TRUE(r.rows.empty());
}

TEST(SearchFiles, TodayGrowingDuringTheSearch) {
  // Pages logged while a search runs: today's file is read after it grew
  // well past the size the search planned for, and every address still
  // comes once, in both host and date order.
  TempDir dir;
  // Empty days between, so today's file is beyond what is read ahead when
  // the first file is done.
  const auto ago = static_cast<int64_t>(kSearchReadAhead) + 1;
  WriteDay(dir, ago, {{"Old", "http://o.com/", "o.com"}, {"Same", "http://s.com/", "s.com"}});
  for (int64_t empty = 1; empty < ago; ++empty) WriteDay(dir, empty, {});
  WriteDay(dir, 0, {{"Same", "http://s.com/", "s.com"}});
  std::vector<Page> grown{{"Same", "http://s.com/", "s.com"}};
  for (int i = 0; i < 500; ++i) {
    const std::string host = i % 2 ? "n.com" : "o.com";
    grown.push_back({"Page " + std::to_string(i), "http://" + host + "/" + std::to_string(i), host});
  }
  grown.push_back({"Old", "http://o.com/", "o.com"});  // seen long before
  for (const SearchMode mode : {SearchMode::DateSort, SearchMode::HostSort}) {
    WriteDay(dir, 0, {{"Same", "http://s.com/", "s.com"}});
    SearchRequest req;
    req.historyDir = dir.path();
    req.mode = mode;
    req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
    std::atomic<bool> cancel{false};
    const SearchResult r = SearchHistory(req, cancel, [&](const SearchProgress& p) {
      if (p.filesDone == 1) WriteDay(dir, 0, grown);
    });
    ASSERT_EQ(r.status, SearchResult::Status::Done);
    EXPECT_EQ(r.pages, 502u);
    const std::vector<std::string> urls = Urls(r);
    if (mode == SearchMode::DateSort) {
      ASSERT_EQ(urls.size(), 502u);
      EXPECT_EQ(urls[1], "http://s.com/");
      EXPECT_EQ(urls[501], "http://n.com/499");
    } else {
      ASSERT_EQ(urls.size(), 505u);  // three hosts, in the order first seen
      EXPECT_EQ(urls[0], "# o.com");
      EXPECT_EQ(urls[1], "http://o.com/");
      EXPECT_EQ(urls[2], "http://o.com/0");
      EXPECT_EQ(urls[252], "# s.com");
      EXPECT_EQ(urls[254], "# n.com");
      EXPECT_EQ(urls[504], "http://n.com/499");
    }
  }
}

TEST(SearchFiles, DamagedAndVanishedFiles) {
  TempDir dir;
  // A torn last append (half a record) is no page.
  WriteDay(dir, 1, {{"Whole", "http://w.com/", "w.com"}}, 300);
  SearchRequest req;
  req.historyDir = dir.path();
  req.mode = SearchMode::DateSort;
  req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
  // Listed, then deleted before the search reached it: left out quietly.
  req.files.insert(req.files.begin(), DayFile{NameDaysAgo(0), kToday});
  std::atomic<bool> cancel{false};
  SearchResult r = SearchHistory(req, cancel);
  EXPECT_EQ(r.status, SearchResult::Status::Done);
  EXPECT_EQ(Urls(r), (std::vector<std::string>{"http://w.com/"}));
  ASSERT_EQ(r.perDay.size(), 1u);
  EXPECT_EQ(r.perDay[0].pages, 1);

  // A day file that cannot be read is an error, not an empty day.
  MakeDirs(dir / NameDaysAgo(0));
  r = SearchHistory(req, cancel);
  EXPECT_EQ(r.status, SearchResult::Status::FileError);
  EXPECT_TRUE(r.rows.empty());
}

TEST(SearchText, LettersBeyondAsciiMatchInEitherCase) {
  TempDir dir;
  WriteDay(dir, 0, {{"Caf\xc3\x89 DU MONDE", "http://cafe.fr/", "cafe.fr"}, {"Cafe", "http://x.fr/", "x.fr"}});
  SearchRequest req;
  req.historyDir = dir.path();
  req.mode = SearchMode::TitlesText;
  req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
  std::atomic<bool> cancel{false};
  for (const char* text : {"caf\xc3\xa9", "CAF\xc3\x89 du", "\xc3\xa9 d"}) {
    SCOPED_TRACE(text);
    req.text = text;
    EXPECT_EQ(Urls(SearchHistory(req, cancel)), (std::vector<std::string>{"http://cafe.fr/"}));
  }
  req.text =
      "\xe2\x98\x83"
      "e";  // a snowman no day file can hold
  EXPECT_TRUE(SearchHistory(req, cancel).rows.empty());
}

// A record as any writer may have left it: each text field's bytes as
// given, blank-padded to its width.
std::vector<unsigned char> RawRecord(double time, int32_t hits, const std::string& title, const std::string& url,
                                     const std::string& host) {
  std::vector<unsigned char> r(history_layout::kRecordSize, ' ');
  std::memcpy(r.data() + history_layout::kVisitTime, &time, sizeof time);
  std::memcpy(r.data() + history_layout::kHits, &hits, sizeof hits);
  std::memcpy(r.data() + history_layout::kTitle, title.data(), std::min(title.size(), history_layout::kTitleWidth));
  std::memcpy(r.data() + history_layout::kUrl, url.data(), std::min(url.size(), history_layout::kUrlWidth));
  std::memcpy(r.data() + history_layout::kHost, host.data(), std::min(host.size(), history_layout::kHostWidth));
  return r;
}

// A search of the day files in `dir`.
SearchRequest RequestFor(const TempDir& dir, SearchMode mode) {
  SearchRequest req;
  req.historyDir = dir.path();
  req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
  req.mode = mode;
  return req;
}

// Rows made on demand from the kept bytes read as the record reader reads
// the same record, byte for byte, whatever is in the fields.
TEST(SearchRowsBytes, RowsReadAsTheRecordReaderReadsThem) {
  using namespace std::string_literals;
  struct Row {
    const char* name;
    std::string title, url;
  };
  const Row rows[] = {
      {"NulEndsTheText", "Alpha\0Beta"s, "http://a.com/\0tail"s},
      {"BlanksBeforeTheNul", "Alpha   \0 x"s, "http://b.com/ \0"s},
      {"LeadingBlanks", "   Gamma", "  http://c.com/"},
      {"WindowsLetters", "Caf\xe9 \x80 \x9f", "http://d.com/\xe9"},
      {"NulFirst", "\0Hidden"s, "\0http://e.com/"s},
      {"FullWidthNoPadding", std::string(history_layout::kTitleWidth, 'T'),
       "http://f.com/" + std::string(history_layout::kUrlWidth - 13, 'u')},
      {"BlanksOnly", "", "   "},
      // Padding is skipped in pieces: text ending at a piece's edge or one past it.
      {"EndsAtAnEdge", std::string(history_layout::kTitleWidth - 16, 't'),
       std::string(history_layout::kUrlWidth - 16, 'u')},
      {"EndsOnePastAnEdge", std::string(history_layout::kTitleWidth - 15, 't'),
       std::string(history_layout::kUrlWidth - 15, 'u')},
      {"LongRunOfInnerBlanks", "A" + std::string(40, ' ') + "B", "http://g.com/" + std::string(33, ' ') + "x"},
  };
  TempDir dir;
  std::vector<unsigned char> bytes;
  double time = dates::ToOleDate({2026, 12, 5, 8, 46, 58});
  for (const Row& row : rows) {
    const auto r = RawRecord(time, -7, row.title, row.url, "host.com");
    bytes.insert(bytes.end(), r.begin(), r.end());
    time += 1.0 / 86400;
  }
  WriteBytes(dir / NameDaysAgo(0), bytes);
  for (const bool showTime : {false, true}) {
    SearchRequest req;
    req.historyDir = dir.path();
    req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
    req.mode = SearchMode::DateSort;
    req.dupes = true;
    req.showTime = showTime;
    std::atomic<bool> cancel{false};
    const SearchResult r = SearchHistory(req, cancel);
    ASSERT_EQ(r.rows.size(), std::size(rows));
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
      SCOPED_TRACE(rows[i].name);
      const HistoryRow want = PageRow(DecodeHistoryRecord(bytes, i * history_layout::kRecordSize), showTime);
      const HistoryRow got = r.rows[i];
      EXPECT_EQ(std::make_tuple(got.text, got.hits, got.date, got.url, got.hitCount, got.visitTime, got.header),
                std::make_tuple(want.text, want.hits, want.date, want.url, want.hitCount, want.visitTime, false));
      EXPECT_EQ((std::vector<std::string>{r.rows.Cell(i, 0), r.rows.Cell(i, 1), r.rows.Cell(i, 2), r.rows.Cell(i, 3)}),
                (std::vector<std::string>{want.text, want.hits, want.date, want.url}));
    }
  }
}

// A text search keeps its records in small blocks at first: a search that
// fills many, of the longest records, keeps every row right, and an address
// seen in an earlier block still counts.
TEST(SearchRowsBytes, ManyLongRecordsFillManyBlocks) {
  constexpr int kUnique = 7000, kRepeated = 300;
  const auto longText = [](char fill, int i, std::size_t width) {
    const std::string n = std::to_string(i);
    return std::string(width - n.size(), fill) + n;
  };
  TempDir dir;
  std::vector<unsigned char> bytes;
  for (int i = 0; i < kUnique + kRepeated; ++i) {
    const int page = i < kUnique ? i : i - kUnique;  // the last ones repeat the first addresses
    const auto r = RawRecord(46000 + i / 86400.0, i, longText('T', i, history_layout::kTitleWidth),
                             longText('u', page, history_layout::kUrlWidth), "host.com");
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  WriteBytes(dir / NameDaysAgo(0), bytes);
  SearchRequest req = RequestFor(dir, SearchMode::TitlesText);
  req.text = "TT";
  std::atomic<bool> cancel{false};
  const SearchResult r = SearchHistory(req, cancel);
  ASSERT_EQ(r.rows.size(), static_cast<std::size_t>(kUnique));
  for (const int i : {0, 1, kUnique / 2, kUnique - 1}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(r.rows.Cell(i, 0), longText('T', i, history_layout::kTitleWidth));
    EXPECT_EQ(r.rows.Cell(i, 3), longText('u', i, history_layout::kUrlWidth));
    EXPECT_EQ(r.rows.Cell(i, 1), std::to_string(i));
  }
}

// Text is looked for in the fields as trimmed: not in the padding, not
// after a NUL.
TEST(SearchText, OnlyInTheTextOfAField) {
  using namespace std::string_literals;
  TempDir dir;
  std::vector<unsigned char> bytes;
  for (const auto& [title, url] : std::vector<std::pair<std::string, std::string>>{
           {"Alpha\0hidden"s, "http://a.com/"}, {"Beta", "http://b.com/ab"}, {"Gamma hidden", "http://c.com/"}}) {
    const auto r = RawRecord(static_cast<double>(kToday), 1, title, url, "h.com");
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  WriteBytes(dir / NameDaysAgo(0), bytes);
  SearchRequest req = RequestFor(dir, SearchMode::BothText);
  std::atomic<bool> cancel{false};
  req.text = "hidden";
  EXPECT_EQ(Urls(SearchHistory(req, cancel)), (std::vector<std::string>{"http://c.com/"}));
  req.text = "ab ";
  EXPECT_TRUE(SearchHistory(req, cancel).rows.empty());
}

// The rows keep the bytes they were read from: files cut, rewritten or
// deleted during the search or after it change no row, and a file cut
// between being planned for and being read gives its whole records only.
// A search that ends early, on a file it cannot read or on a cancel, while
// days are still being read ahead of it: it ends at once, with that file's
// name, and the reading stops with it.
TEST(SearchFiles, EndingEarlyStopsTheReadingAhead) {
  TempDir dir;
  const int64_t days = static_cast<int64_t>(kSearchReadAhead) * 4;
  for (int64_t ago = 0; ago < days; ++ago)
    WriteDay(dir, ago, {{"Page", "http://p.com/" + std::to_string(ago), "p.com"}});
  SearchRequest req;
  req.historyDir = dir.path();
  req.mode = SearchMode::DateSort;
  req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
  std::atomic<bool> cancel{false};

  // The second oldest day cannot be read.
  const std::string unreadable = NameDaysAgo(days - 2);
  std::filesystem::remove(dir / unreadable);
  MakeDirs(dir / unreadable);
  SearchResult r = SearchHistory(req, cancel);
  EXPECT_EQ(r.status, SearchResult::Status::FileError);
  EXPECT_EQ(r.failedFile, unreadable);
  EXPECT_TRUE(r.rows.empty());
  std::filesystem::remove(dir / unreadable);
  WriteDay(dir, days - 2, {{"Page", "http://p.com/again", "p.com"}});

  // Cancelled at the first day's end, with the days ahead already read.
  std::size_t reports = 0;
  r = SearchHistory(req, cancel, [&](const SearchProgress&) {
    ++reports;
    cancel = true;
  });
  EXPECT_EQ(r.status, SearchResult::Status::Cancelled);
  EXPECT_EQ(reports, 1u);
  EXPECT_TRUE(r.rows.empty());

  // Nothing of either is left over for the next search.
  cancel = false;
  r = SearchHistory(req, cancel);
  ASSERT_EQ(r.status, SearchResult::Status::Done);
  EXPECT_EQ(r.rows.size(), static_cast<std::size_t>(days));
  EXPECT_EQ(r.rows.front().url, "http://p.com/" + std::to_string(days - 1));
}

TEST(SearchFiles, RowsOutliveChangesToTheirFiles) {
  TempDir dir;
  // The first file is "two", the one cut during the search "one": empty days
  // between put it beyond what is read ahead when the first is done.
  const auto two = static_cast<int64_t>(kSearchReadAhead) + 2;
  const auto writeDays = [&] {
    WriteDay(dir, two, {{"Two A", "http://a.com/2", "a.com"}, {"Two B", "http://b.com/2", "b.com"}});
    for (int64_t empty = 2; empty < two; ++empty) WriteDay(dir, empty, {});
    WriteDay(dir, 1, {{"One A", "http://a.com/1", "a.com"}, {"One B", "http://b.com/1", "b.com"}});
    WriteDay(dir, 0, {{"Zero", "http://z.com/0", "z.com"}});
  };
  writeDays();
  for (const SearchMode mode : {SearchMode::DateSort, SearchMode::HostSort, SearchMode::TitlesText}) {
    SCOPED_TRACE(kSearchModeNames[static_cast<int>(mode)]);
    SearchRequest req;
    req.historyDir = dir.path();
    req.files = DayFilesNewestFirst(fileops::ListNames(dir.path()), kToday);
    req.mode = mode;
    req.text = "o";
    std::atomic<bool> cancel{false};
    const SearchResult r = SearchHistory(req, cancel, [&](const SearchProgress& p) {
      if (p.filesDone != 1) return;
      // The file read is emptied and written again; the next is cut to a
      // record and a half.
      WriteBytes(dir / NameDaysAgo(two), {});
      WriteDay(dir, two, {{"Other", "http://other.com/", "other.com"}});
      auto next = fileops::ReadAll(dir / NameDaysAgo(1));
      next->resize(history_layout::kRecordSize * 3 / 2);
      WriteBytes(dir / NameDaysAgo(1), *next);
    });
    ASSERT_EQ(r.status, SearchResult::Status::Done);
    for (int64_t ago = 0; ago <= two; ++ago) std::filesystem::remove(dir / NameDaysAgo(ago));
    std::vector<std::string> texts;
    for (const HistoryRow& row : r.rows) texts.push_back(row.header ? "# " + row.host : row.text);
    if (mode == SearchMode::HostSort)
      EXPECT_EQ(texts, (std::vector<std::string>{"# a.com", "Two A", "One A", "# b.com", "Two B", "# z.com", "Zero"}));
    else
      EXPECT_EQ(texts, (std::vector<std::string>{"Two A", "Two B", "One A", "Zero"}));
    ASSERT_EQ(r.perDay.size(), static_cast<std::size_t>(two + 1));
    EXPECT_EQ(r.perDay[static_cast<std::size_t>(two - 1)].pages, 1);
    EXPECT_EQ(r.rows.back().url, "http://z.com/0");
    EXPECT_THROW(r.rows.at(r.rows.size()), std::out_of_range);
    writeDays();  // restored for the next mode
  }
}

TEST(SearchChecks, InTheWindowsOrder) {
  struct Row {
    const char* name;
    bool period;
    int mode;
    std::string text;
    SearchCheck want;
  };
  const Row rows[] = {
      {"NoPeriodFirst", false, -1, "", SearchCheck::NoPeriod},
      {"NoMode", true, -1, "abc", SearchCheck::NoMode},
      {"HostSortNeedsNoText", true, 0, "", SearchCheck::Ok},
      {"DateSortNeedsNoText", true, 2, "x", SearchCheck::Ok},
      {"TwoBlanksAreEmpty", true, 3, "  ", SearchCheck::NoText},
      {"OneCharacter", true, 4, "a", SearchCheck::TooShort},
      {"OneLetterTwoBytes", true, 5, "\xc3\xa9", SearchCheck::TooShort},
      {"BlankAndLetter", true, 5, " a", SearchCheck::Ok},
      {"TwoLetters", true, 3, "ab", SearchCheck::Ok},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(CheckSearch(row.period, row.mode, row.text), row.want);
  }
  EXPECT_STREQ(SearchCheckMessage(SearchCheck::TooShort),
               "Can't Search...Two Characters, Minimum, Should Entered In The Text Box");
}

TEST(SortedOrder, ByColumn) {
  auto page = [](const std::string& title, int hits, double time) {
    HistoryRow r;
    r.text = title;
    r.hitCount = hits;
    r.hits = std::to_string(hits);
    r.visitTime = time;
    return r;
  };
  const std::vector<HistoryRow> rows = {page("beta", 10, 3), page("Alpha", 2, 1), page("gamma", 1, 2)};
  std::vector<const HistoryRow*> ptrs;
  for (const auto& r : rows) ptrs.push_back(&r);
  EXPECT_EQ(SortedOrder(ptrs, 1, false), (std::vector<std::size_t>{2, 1, 0}));  // 1, 2, 10: numbers, not text
  EXPECT_EQ(SortedOrder(ptrs, 1, true), (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(SortedOrder(ptrs, 2, false), (std::vector<std::size_t>{1, 2, 0}));
  EXPECT_EQ(SortedOrder(ptrs, 0, false), (std::vector<std::size_t>{1, 0, 2}));  // letter case ignored
}

TEST(SortedOrder, HostGroupsKeepTheirPages) {
  auto page = [](int hits) {
    HistoryRow r;
    r.hitCount = hits;
    return r;
  };
  const std::vector<HistoryRow> rows = {HostHeaderRow("zeta.com"), page(1), page(5), HostHeaderRow("alpha.com"),
                                        page(3)};
  std::vector<const HistoryRow*> ptrs;
  for (const auto& r : rows) ptrs.push_back(&r);
  EXPECT_EQ(SortedOrder(ptrs, 1, true), (std::vector<std::size_t>{0, 2, 1, 3, 4}));
  EXPECT_EQ(SortedOrder(ptrs, 0, false), (std::vector<std::size_t>{3, 4, 0, 1, 2}));
}

TEST(DayChartTest, FewDaysAreBarsAndLabelsNeverOverlap) {
  EXPECT_EQ(ChartWidth(1, 400), kMaxBarWidth);  // one day: one bar, not the whole chart
  EXPECT_EQ(ChartWidth(3, 400), 3 * kMaxBarWidth);
  EXPECT_EQ(ChartWidth(366, 400), 400);
  EXPECT_EQ(ChartWidth(0, 400), 0);
  EXPECT_EQ(BarLabel(dates::DayNumber(2026, 12, 5), 8), "12/05: 8");
  EXPECT_EQ(BarLabel(dates::DayNumber(2027, 1, 9), 1), "01/09: 1");
  struct Row {
    const char* name;
    std::vector<int> centres, widths;
    std::vector<std::size_t> shown;
  };
  const Row rows[] = {
      {"OneBarLabelWiderThanItsBar", {24}, {60}, {0}},
      {"RoomForEach", {24, 72, 120}, {40, 40, 40}, {0, 1, 2}},
      {"EverySecondFits", {15, 35, 55, 75}, {30, 30, 30, 30}, {0, 2}},
      {"NoBars", {}, {}, {}},
  };
  for (const Row& r : rows) EXPECT_EQ(LabelledBars(r.centres, r.widths, 6), r.shown) << r.name;
}

TEST(DayChartTest, BarsAndHits) {
  const DayChart chart = MakeDayChart({{10, 4}, {12, 2}, {12, 6}, {30, 9}}, 10, 13);
  EXPECT_EQ(chart.pages, (std::vector<int>{4, 0, 8, 0}));  // a day outside is left out
  EXPECT_EQ(chart.maxPages, 8);
  EXPECT_EQ(BarHeight(1, 1000, 50), 1);  // a day with pages always shows
  EXPECT_EQ(BarHeight(0, 8, 50), 0);
  EXPECT_TRUE(MakeDayChart({{5, 1}}, 7, 6).pages.empty());
  // Every pixel of an awkward width belongs to the bar whose span holds it.
  for (const std::size_t bars : {std::size_t{1}, std::size_t{7}, std::size_t{366}}) {
    for (const int width : {5, 97, 400}) {
      for (int x = 0; x < width; ++x) {
        const auto bar = BarAt(x, bars, width);
        ASSERT_TRUE(bar);
        ASSERT_LE(BarLeft(*bar, bars, width), x);
        ASSERT_GT(BarLeft(*bar + 1, bars, width), x) << bars << " bars, width " << width << ", x " << x;
      }
      EXPECT_FALSE(BarAt(width, bars, width));
      EXPECT_FALSE(BarAt(-1, bars, width));
    }
  }
}

}  // namespace
