#include <gtest/gtest.h>

#include "core/history/HistoryRecord.h"
#include "core/records/Coding.h"
#include "support/Corruption.h"
#include "support/TestDirs.h"

namespace {

using Bytes = std::vector<unsigned char>;

void LayText(Bytes& b, std::size_t off, std::size_t width, const std::string& text) {
  for (std::size_t i = 0; i < width; ++i) b[off + i] = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
}

}  // namespace

TEST(HistoryRecord, EncodesToHandLaidBytes) {
  Bytes want(512, 0);
  const unsigned char head[] = {0x00, 0x00, 0x00, 0x00, 0x30, 0xA3, 0xE6, 0x40, 0x04, 0x03, 0x02, 0x01};
  std::copy(std::begin(head), std::end(head), want.begin());
  LayText(want, 12, 116, "Caf\xE9");
  LayText(want, 128, 192, "http://www.X.org/A");
  LayText(want, 320, 192, "x.org");

  const HistoryRecord rec{46361.5, 0x01020304, "Caf\xC3\xA9", "http://www.X.org/A", "x.org"};
  EXPECT_EQ(EncodeHistoryRecord(rec), want);

  Bytes file(600, 0xEE);
  std::copy(want.begin(), want.end(), file.begin() + 88);
  const HistoryRecord back = DecodeHistoryRecord(file, 88);
  EXPECT_EQ(back.VisitTime, 46361.5);
  EXPECT_EQ(back.Hits, 0x01020304);
  EXPECT_EQ(back.Title, "Caf\xC3\xA9");
  EXPECT_EQ(back.URL, "http://www.X.org/A");
  EXPECT_EQ(back.Host, "x.org");
  Bytes torn = want;  // a second record cut off inside its title
  torn.resize(512 + 14, 'x');
  torn[520] = 7, torn[521] = torn[522] = torn[523] = 0;
  EXPECT_EQ(DecodeHistoryRecord(torn, 512).Hits, 7);
  EXPECT_EQ(DecodeHistoryRecord(torn, 512).Title, "xx");
  EXPECT_EQ(DecodeHistoryRecord(torn, 512).URL, "");
}

TEST(HistoryRecord, DayFileNames) {
  EXPECT_EQ(DayFileName({2026, 12, 5, 23, 59, 59}), "WB_12052026.hiz");
  EXPECT_EQ(DayFileName({2027, 1, 9, 0, 0, 0}), "WB_01092027.hiz");
  EXPECT_EQ(DayFileDate("WB_12052026.hiz"), dates::DayNumber(2026, 12, 5));
  EXPECT_EQ(DayFileDate("WB_13012026.hiz"), dates::DayNumber(2027, 1, 1));
  for (const char* bad : {"WB_120520266.hiz", "WB_1205202.hiz", "WB_12052026.txt", "WB_12052026.HIZ", "WB_12O52026.hiz",
                          "WB_-1052026.hiz", "XB_12052026.hiz", ""})
    EXPECT_FALSE(DayFileDate(bad).has_value()) << bad;
}

TEST(HistoryRecord, DayFileReaderSurvivesDamagedFiles) {
  TempDir dir;
  std::vector<unsigned char> good;
  for (int i = 0; i < 3; ++i) {
    const auto rec =
        EncodeHistoryRecord({46361.5 + i, i + 1, "T" + std::to_string(i), "http://h/" + std::to_string(i), "h"});
    good.insert(good.end(), rec.begin(), rec.end());
  }
  for (const auto& damage : corruption::DamagedCopies(good, 512)) {
    SCOPED_TRACE(damage.name);
    WriteBytes(dir / "WB_12052026.hiz", damage.bytes);
    const auto read = ReadDayFile(dir / "WB_12052026.hiz");
    EXPECT_EQ(read.size(), damage.bytes.size() / 512);  // a partial last record is no page
    for (std::size_t i = 0; i < damage.wholeRecords && i < read.size(); ++i)
      EXPECT_EQ(read[i].URL, "http://h/" + std::to_string(i));
  }
}
