#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "core/popups/DontKillList.h"
#include "support/TestDirs.h"

namespace {

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string s;
  while (times--) s += piece;
  return s;
}

auto Fields(const DontKillLayout& l) { return std::make_tuple(l.width, l.height, l.nameColumn, l.urlColumn); }

TEST(DontKillFirstChars, CountsCharactersNotBytes) {
  struct Row {
    const char* name;
    std::string text;
    std::size_t count;
    std::string expected;
  } rows[] = {
      {"shorter text stays whole", "abc", 5, "abc"},
      {"exact length stays whole", "abcde", 5, "abcde"},
      {"plain text is cut", "abcdef", 3, "abc"},
      {"zero keeps nothing", "abc", 0, ""},
      {"two-byte characters count once", "\xC3\xA9\xC3\xA9\xC3\xA9", 2, "\xC3\xA9\xC3\xA9"},
      {"a cut never splits a character",
       "a\xE2\x82\xAC"
       "b",
       2, "a\xE2\x82\xAC"},
      {"four-byte characters count once", "\xF0\x9F\x98\x80x", 1, "\xF0\x9F\x98\x80"},
      {"a stray continuation byte is one character", "\x80\x80z", 2, "\x80\x80z"},
      {"a sequence cut short at the end", "ab\xE2\x82", 5, "ab\xE2\x82"},
  };
  for (const Row& r : rows) EXPECT_EQ(FirstChars(r.text, r.count), r.expected) << r.name;
}

TEST(DontKillEntry, CutsToTheFieldsAndSurvivesTheFile) {
  const std::string euro = "\xE2\x82\xAC";  // one byte in the list file, three here
  const SiteRecord entry = DontKillEntry(Repeat(euro, 150), Repeat("u", 300));
  EXPECT_EQ(entry.Name, Repeat(euro, 140));
  EXPECT_EQ(entry.URL, Repeat("u", 260));
  // What the window keeps is exactly what the file gives back.
  TempDir dir;
  ASSERT_TRUE(RewriteDontKill(dir / "DontKill.dab", {entry}));
  const auto back = ReadDontKill(dir / "DontKill.dab");
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], entry);
}

TEST(DontKillPlaceEntry, ReplacesOnlyARealSelection) {
  struct Row {
    const char* name;
    int count;
    bool replace;
    int selected;
    int row;
    bool replaces;
  } rows[] = {
      {"adding goes to the end", 3, false, 1, 3, false},
      {"replacing takes the selected row", 3, true, 1, 1, true},
      {"replacing the last row", 3, true, 2, 2, true},
      {"replacing with nothing selected adds", 3, true, -1, 3, false},
      {"replacing in an empty list adds", 0, true, -1, 0, false},
      {"a selection past the end is no selection", 2, true, 2, 2, false},
  };
  for (const Row& r : rows) {
    const EntryPlacement at = PlaceEntry(r.count, r.replace, r.selected);
    EXPECT_EQ(std::make_pair(at.row, at.replaces), std::make_pair(r.row, r.replaces)) << r.name;
  }
}

TEST(DontKillLayout, StoredValuesOrDefaults) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Row {
    const char* name;
    std::array<float, 4> stored;
    int screenWidth, screenHeight;
    DontKillLayout expected;
  } rows[] = {
      {"never stored", {0, 0, 0, 0}, 1280, 1024, {560, 400, 170, 340}},
      {"stored values in pixels", {9000, 6000, 3000, 4500}, 1280, 1024, {600, 400, 200, 300}},
      {"negative, NaN and infinite", {-15, nan, -1, inf}, 1280, 1024, {560, 400, 170, 340}},
      {"too small", {150, 150, 15, 15}, 1280, 1024, {320, 240, 30, 30}},
      {"larger than the screen", {1e9f, 90000, 1e9f, 1e9f}, 800, 600, {800, 600, 4000, 4000}},
      {"default larger than a tiny screen", {0, 0, 0, 0}, 400, 300, {400, 300, 170, 340}},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Fields(LayoutFromSettings(r.stored, r.screenWidth, r.screenHeight)), Fields(r.expected)) << r.name;
  // A saved layout reads back the same.
  const DontKillLayout saved{640, 480, 123, 456};
  EXPECT_EQ(Fields(LayoutFromSettings(LayoutToSettings(saved), 1280, 1024)), Fields(saved));
}

}  // namespace
