// Clearing history for the last hour, today and everything.
#include <gtest/gtest.h>

#include "core/history/ClearHistory.h"
#include "core/history/HistoryRecord.h"
#include "support/TestDirs.h"

namespace {

const LocalDateTime kNow{2026, 12, 8, 10, 20, 0};

HistoryRecord At(int hour, int minute, const std::string& url) {
  HistoryRecord r;
  r.VisitTime = dates::ToOleDate({kNow.year, kNow.month, kNow.day, hour, minute, 0});
  r.Hits = 2;
  r.Title = "Title of " + url;
  r.URL = url;
  r.Host = "example.org";
  return r;
}

std::vector<unsigned char> Encoded(const std::vector<HistoryRecord>& records) {
  std::vector<unsigned char> bytes;
  for (const auto& r : records) {
    const auto one = EncodeHistoryRecord(r);
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  return bytes;
}

class ClearHistoryTest : public ::testing::Test {
 protected:
  std::string Today() const { return dir / DayFileName(kNow); }
  std::string Yesterday() const { return dir / DayFileName(dates::FromDayNumber(dates::DayNumber(2026, 12, 7))); }
  TempDir dir;
};

TEST_F(ClearHistoryTest, TheLastHourKeepsTodaysEarlierRecordsByteForByte) {
  const auto earlier = Encoded({At(8, 0, "http://a.org/"), At(9, 19, "http://b.org/")});
  auto whole = earlier;
  const auto recent = Encoded({At(9, 21, "http://c.org/"), At(10, 19, "http://d.org/")});
  whole.insert(whole.end(), recent.begin(), recent.end());
  WriteBytes(Today(), whole);
  WriteBytes(Yesterday(), recent);
  ASSERT_TRUE(ClearHistory(dir.path(), ClearPeriod::LastHour, kNow));
  EXPECT_EQ(ReadBytes(Today()), earlier);
  EXPECT_EQ(ReadBytes(Yesterday()), recent);  // other days are not touched
}

TEST_F(ClearHistoryTest, TheLastHourDropsATornTailAndCopesWithNoFile) {
  auto bytes = Encoded({At(8, 0, "http://a.org/"), At(10, 0, "http://b.org/")});
  const auto earlier = std::vector<unsigned char>(bytes.begin(), bytes.begin() + 512);
  bytes.resize(bytes.size() + 100, 'x');
  WriteBytes(Today(), bytes);
  ASSERT_TRUE(ClearHistory(dir.path(), ClearPeriod::LastHour, kNow));
  EXPECT_EQ(ReadBytes(Today()), earlier);
  TempDir empty;
  EXPECT_TRUE(ClearHistory(empty.path(), ClearPeriod::LastHour, kNow));
  EXPECT_FALSE(Exists(empty / DayFileName(kNow)));
}

TEST_F(ClearHistoryTest, TodayAndEverythingDeleteWholeDayFilesOnly) {
  WriteBytes(Today(), Encoded({At(8, 0, "http://a.org/")}));
  WriteBytes(Yesterday(), Encoded({At(8, 0, "http://a.org/")}));
  WriteString(dir / "notes.txt", "mine");
  WriteString(dir / "WB_1208202.hiz", "not a day file name");
  ASSERT_TRUE(ClearHistory(dir.path(), ClearPeriod::Today, kNow));
  EXPECT_FALSE(Exists(Today()));
  EXPECT_TRUE(Exists(Yesterday()));
  ASSERT_TRUE(ClearHistory(dir.path(), ClearPeriod::Everything, kNow));
  EXPECT_FALSE(Exists(Yesterday()));
  EXPECT_TRUE(Exists(dir / "notes.txt"));
  EXPECT_TRUE(Exists(dir / "WB_1208202.hiz"));
}

TEST(ClearPeriod, SecondsReachBackToTheStartOfThePeriod) {
  EXPECT_EQ(ClearPeriodSeconds(ClearPeriod::LastHour, kNow), 3600);
  EXPECT_EQ(ClearPeriodSeconds(ClearPeriod::Today, kNow), 10 * 3600 + 20 * 60 + 1);
  EXPECT_EQ(ClearPeriodSeconds(ClearPeriod::Everything, kNow), 0);
}

}  // namespace
