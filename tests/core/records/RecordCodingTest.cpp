// The byte-level coding every record file shares: little-endian numbers,
// fixed-width single-byte text and the record count of a file's length.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "core/records/Coding.h"

namespace {

using coding::Bytes;

TEST(RecordCount, RoundsToTheNearestWholeRecordAndHalvesToEven) {
  struct Row {
    const char* name;
    std::size_t length, record, count;
  };
  const Row rows[] = {
      {"Empty", 0, 400, 0},
      {"Whole", 1200, 400, 3},
      {"LessThanHalfLeftOver", 1399, 400, 3},
      {"MoreThanHalfLeftOver", 1401, 400, 4},
      {"HalfAfterAnOddCountRoundsUp", 1400, 400, 4},
      {"HalfAfterAnEvenCountStays", 1000, 400, 2},
      {"HalfOfTheFirstStays", 200, 400, 0},
      {"JustOverHalfOfTheFirst", 201, 400, 1},
      {"OddRecordLength", 161 * 3 + 80, 161, 3},
      {"OddRecordLengthPastHalf", 161 * 3 + 81, 161, 4},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(coding::RecordCount(r.length, r.record), r.count);
  }
}

TEST(RecordCoding, NumbersAreLittleEndianAndReadAsZeroPastTheEnd) {
  Bytes b(20, 0xAA);
  coding::PutI16(b, 0, -2);
  coding::PutI32(b, 2, 0x01020304);
  coding::PutF32(b, 6, 1200.0f);
  coding::PutF64(b, 10, 46361.5);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 6), (Bytes{0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(Bytes(b.begin() + 6, b.begin() + 10), (Bytes{0x00, 0x00, 0x96, 0x44}));
  EXPECT_EQ(Bytes(b.begin() + 10, b.begin() + 18), (Bytes{0, 0, 0, 0, 0x30, 0xA3, 0xE6, 0x40}));
  EXPECT_EQ(b[18], 0xAA);  // nothing written past the field
  EXPECT_EQ(coding::GetI16(b, 0), -2);
  EXPECT_EQ(coding::GetI32(b, 2), 0x01020304);
  EXPECT_EQ(coding::GetF32(b, 6), 1200.0f);
  EXPECT_EQ(coding::GetF64(b, 10), 46361.5);

  const Bytes cut = {0x34, 0x12, 0x99};
  EXPECT_EQ(coding::GetI16(cut, 0), 0x1234);
  EXPECT_EQ(coding::GetI32(cut, 0), 0x00991234);  // the missing byte reads as zero
  EXPECT_EQ(coding::GetI32(cut, 3), 0);
  EXPECT_EQ(coding::GetF64(cut, std::numeric_limits<std::size_t>::max() - 2), 0.0);  // no wrap-around
}

TEST(RecordCoding, TextFieldsAreCodePage1252CutAndBlankPadded) {
  struct Row {
    const char* name;
    std::string utf8;
    std::size_t width;
    std::string stored, readBack;
  };
  const Row rows[] = {
      {"Padded", "ab", 5, "ab   ", "ab"},
      {"CutToWidth", "abcdef", 4, "abcd", "abcd"},
      {"Latin1Letter", "Caf\xC3\xA9", 5, "Caf\xE9 ", "Caf\xC3\xA9"},
      {"EuroSign", "\xE2\x82\xAC", 2, "\x80 ", "\xE2\x82\xAC"},
      {"NotIn1252", "\xE4\xB8\xAD", 2, "? ", "?"},
      {"MalformedUtf8",
       "a\xFF"
       "b",
       4, "a?b ", "a?b"},
      {"CutSequenceAtTheEnd", "ab\xE2\x82", 4, "ab??", "ab??"},
      // Longer forms than needed are no characters: a long "/" stays no "/".
      {"OverlongSlash",
       "a\xC0\xAF"
       "b",
       4, "a??b", "a??b"},
      {"OverlongNotSign", "\xE0\x82\xAC", 3, "???", "???"},
      {"Surrogate", "\xED\xA0\x80", 3, "???", "???"},
      {"PastTheLastCodePoint", "\xF4\x90\x80\x80", 4, "????", "????"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Bytes b(r.width + 2, 'Z');
    coding::PutText(b, 1, r.width, r.utf8);
    EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 1 + static_cast<long>(r.width)), r.stored);
    EXPECT_EQ(b.front(), 'Z');
    EXPECT_EQ(b.back(), 'Z');
    EXPECT_EQ(coding::GetText(b, 1, r.width), r.readBack);
  }
  // Reading stops at a NUL and at the end of the buffer.
  const Bytes nul = {'a', 'b', 0, 'c', ' '};
  EXPECT_EQ(coding::GetText(nul, 0, 5), "ab");
  EXPECT_EQ(coding::GetText(nul, 3, 100), "c");
  EXPECT_EQ(coding::GetText(nul, 10, 4), "");
}

TEST(RecordCoding, EveryCodePageByteSurvivesTheRoundTrip) {
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    const std::string utf8 = coding::Cp1252ToUtf8(one);
    // The five bytes 1252 leaves undefined have no character to come back from.
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) continue;
    EXPECT_EQ(coding::Utf8ToCp1252(utf8), one) << c;
  }
}

}  // namespace
