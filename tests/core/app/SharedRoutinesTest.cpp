#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>

#include "core/app/SharedRoutines.h"
#include "support/TestDirs.h"

TEST(SharedRoutines, DirTestAndFileTest) {
  TempDir dir;
  WriteString(dir / "f.txt", "x");
  EXPECT_EQ(std::make_pair(DirTest(dir.path()), DirTest(dir / "f.txt")), std::make_pair(0, kOtherKind));
  EXPECT_EQ(std::make_pair(FileTest(dir / "f.txt"), FileTest(dir.path())), std::make_pair(0, kOtherKind));
  for (const int missing : {DirTest(dir / "missing"), FileTest(dir / "missing")}) {
    EXPECT_NE(missing, 0);
    EXPECT_NE(missing, kOtherKind);
  }
}

TEST(SharedRoutines, Pad5TrimAtNulAndDecodeHidden) {
  EXPECT_EQ(Pad5(99), "00099");
  EXPECT_EQ(Pad5(12345), "12345");
  EXPECT_EQ(Pad5(0), "000000");
  EXPECT_EQ(Pad5(-3), "00000-3");
  EXPECT_EQ(TrimAtNul(std::string("abc\0xyz", 7)), "abc");
  EXPECT_EQ(TrimAtNul(std::string(3, '\0')), "");
  EXPECT_EQ(DecodeHidden("02065066"), "AB");
  EXPECT_EQ(DecodeHidden("05065"), "A");  // cut off: decodes what is there
  EXPECT_EQ(DecodeHidden("0106"), "");
}

TEST(SharedRoutines, WaitLastsTheRequestedTimeAcrossTheWrapAndNothingForNothing) {
  int ticks = 0;
  for (int32_t ms : {0, -5})
    WaitMsWith(
        ms,
        [&] {
          ++ticks;
          return 0;
        },
        [] {});
  EXPECT_EQ(ticks, 0);
  struct Row {
    const char* name;
    int64_t start;
    int32_t step;
  };
  const Row rows[] = {
      {"Plain", 1000, 1}, {"BigSteps", 1000, 7}, {"Wrap", 2147483647LL - 10, 1}, {"WrapBigSteps", 2147483647LL - 3, 9}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    int64_t elapsed = 0;
    auto tick = [&] { return static_cast<int32_t>(static_cast<uint32_t>(row.start + elapsed)); };
    auto pump = [&] {
      elapsed += row.step;
      if (elapsed > 1000) throw std::runtime_error("wait did not end");
    };
    EXPECT_NO_THROW(WaitMsWith(50, tick, pump));
    EXPECT_GE(elapsed, 50);
  }
}

TEST(SharedRoutines, WindowIdShape) {
  LocalDateTime now{2026, 12, 6, 9, 5, 3};
  const std::string id = MakeWindowId(now, [] { return uint64_t{12345}; });
  EXPECT_TRUE(std::regex_match(id, std::regex("[A-Z]{8}-[A-Z]{8}-[A-Z]{8}-[A-Z]{8} 12/6/2026 9:05:03"))) << id;
  EXPECT_TRUE(std::regex_match(MakeWindowId(),
                               std::regex("([A-Z]{8}-){3}[A-Z]{8} \\d{1,2}/\\d{1,2}/\\d{4} \\d{1,2}:\\d\\d:\\d\\d")));
}

TEST(SharedRoutines, LocalAddresses) {
  EXPECT_EQ(MyComboTex("file:///home/a%20b/p.htm"), "/home/a b/p.htm");
  EXPECT_EQ(MyComboTex("http://Example.com/a%20b"), "http://Example.com/a%20b");
  EXPECT_EQ(LocalPageUrl("/home/A  b/X.htm"), "file:///home/A%20%20b/X.htm");
}
