#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/app/OpenPages.h"
#include "core/records/FileOps.h"
#include "support/TestDirs.h"

namespace {

using openpages::Pages;

const Pages kTwo = {{"https://example.org/a?q=1&r=\"2\"", "Caf\xC3\xA9 \"A\""}, {"file:///tmp/b%20c.htm", ""}};

TEST(OpenPages, RoundTripKeepsOrderAddressesAndTitles) {
  TempDir dir;
  const std::string path = dir / openpages::kFileName;
  ASSERT_TRUE(openpages::Write(path, kTwo));
  EXPECT_EQ(openpages::Read(path), kTwo);
  EXPECT_EQ(openpages::Parse(openpages::Serialize(kTwo)), kTwo);
}

TEST(OpenPages, WritingNoPagesRemovesTheRecord) {
  TempDir dir;
  const std::string path = dir / openpages::kFileName;
  ASSERT_TRUE(openpages::Write(path, kTwo));
  ASSERT_TRUE(openpages::Write(path, {}));
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(openpages::Write(path, {}));  // nothing to remove is no error
}

std::string TooManyPages() {
  std::string text = R"({"pages": [{"url": "https://example.org/"})";
  for (std::size_t i = 0; i < openpages::kMaxPages; ++i) text += R"(, {"url": "https://example.org/"})";
  return text + "]}";
}

struct TextCase {
  const char* name;
  std::string text;
  std::size_t pages;
};

TEST(OpenPages, DamagedOrEmptyRecordsGiveNoPagesAndBadEntriesAreLeftOut) {
  const std::string good = openpages::Serialize(kTwo);
  const TextCase cases[] = {
      {"empty", "", 0},
      {"blank", " \n", 0},
      {"cut short", good.substr(0, good.size() / 2), 0},
      {"not json", "pages=https://example.org/", 0},
      {"array at the top", R"([{"url": "https://example.org/"}])", 0},
      {"pages not a list", R"({"pages": {"url": "https://example.org/"}})", 0},
      {"bad utf8", "{\"pages\": [{\"url\": \"https://example.org/\", \"title\": \"\xff\"}]}", 0},
      {"nul inside", std::string("{\"pages\":[]}\0{", 14), 0},
      {"too many pages", TooManyPages(), 0},
      {"entries of the wrong kind",
       R"({"pages": [7, "https://a.org/", {"url": 7}, {"title": "t"}, {"url": "https://b.org/"}]})", 1},
      {"addresses not to reopen",
       R"x({"pages": [{"url": "javascript:alert(1)"}, {"url": "about:blank"}, {"url": "https://a.org/\nb"},
                      {"url": "data:text/html,x"}, {"url": ""}, {"url": "HTTPS://c.org/"}]})x",
       1},
      {"title of the wrong kind kept as none", R"({"pages": [{"url": "http://a.org/", "title": ["x"]}]})", 1},
      {"the good record", good, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(openpages::Parse(c.text).size(), c.pages);
  }
}

TEST(OpenPages, MissingOrOversizedFileGivesNoPages) {
  TempDir dir;
  EXPECT_TRUE(openpages::Read(dir / "missing.json").empty());
  const std::string big = dir / "big.json";
  const std::string entry = R"({"url": "https://example.org/", "title": ")" + std::string(1 << 16, 'x') + "\"},";
  std::string text = "{\"pages\": [";
  while (text.size() <= openpages::kMaxFileSize) text += entry;
  WriteString(big, text + R"({"url": "https://example.org/"}]})");
  EXPECT_TRUE(openpages::Read(big).empty());
}

TEST(OpenPages, LongTitlesAreCutWithoutSplittingACharacterAndLongAddressesAreNotRecorded) {
  std::string title(openpages::kMaxTitleLength - 1, 'x');
  title += "\xC3\xA9\xC3\xA9";  // the cut falls inside the first of these
  const Pages back = openpages::Parse(openpages::Serialize(
      {{"https://a.org/", title}, {"https://b.org/" + std::string(openpages::kMaxUrlLength, 'p'), "long"}}));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].title, std::string(openpages::kMaxTitleLength - 1, 'x'));
}

// ---- the writer ----

TEST(OpenPagesWriter, ListsGivenWithinTheGapAreCoalescedIntoOneWriteOfTheNewest) {
  TempDir dir;
  const std::string path = dir / openpages::kFileName;
  openpages::Writer writer(path, std::chrono::hours(1));
  writer.Record({kTwo[0]});
  writer.Flush();
  ASSERT_EQ(writer.Writes(), 1u);
  writer.Record({kTwo[1]});
  writer.Record(kTwo);  // within the hour: replaces the one before
  writer.Flush();
  EXPECT_EQ(writer.Writes(), 2u);
  EXPECT_EQ(openpages::Read(path), kTwo);
}

TEST(OpenPagesWriter, EndingWritesWhatIsPending) {
  TempDir dir;
  const std::string path = dir / openpages::kFileName;
  {
    openpages::Writer writer(path, std::chrono::hours(1));
    writer.Record({kTwo[0]});
    writer.Flush();
    writer.Record(kTwo);  // waits for the gap
  }
  EXPECT_EQ(openpages::Read(path), kTwo);
}

TEST(OpenPagesWriter, RemoveDropsWhatIsPendingAndTheFileStaysGone) {
  TempDir dir;
  const std::string path = dir / openpages::kFileName;
  {
    openpages::Writer writer(path, std::chrono::hours(1));
    writer.Record(kTwo);
    writer.Flush();
    writer.Record({kTwo[0]});
    writer.Remove();
    EXPECT_FALSE(Exists(path));
  }
  EXPECT_FALSE(Exists(path));
}

}  // namespace
