// The page commands' decisions: text size levels, the name a saved page is
// offered under, the find bar's match counter and the properties rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/browser/PageCommands.h"

namespace {

TEST(TextSize, LevelsGrowFromSmallestToLargestAndClampOutside) {
  EXPECT_DOUBLE_EQ(TextZoom(kDefaultTextSize), 1.0);
  for (int level = 1; level < kTextSizeLevels; ++level) EXPECT_GT(TextZoom(level), TextZoom(level - 1)) << level;
  EXPECT_DOUBLE_EQ(TextZoom(-3), TextZoom(0));
  EXPECT_DOUBLE_EQ(TextZoom(99), TextZoom(4));
}

TEST(SaveName, OfferedFromTheTitleElseTheAddress) {
  struct Row {
    const char* name;
    std::string title, url, expected;
  };
  const std::vector<Row> rows = {
      {"PlainTitle", "Daily News", "http://a.example/x", "Daily News.mht"},
      {"SlashesAndColonsGo", "A/B: C?", "http://a.example/", "A B C.mht"},
      {"ControlCharactersGo", "Tab\there\nnew", "", "Tab here new.mht"},
      {"DotsAloneAreNoName", "..", "http://a.example/report.html", "report.mht"},
      {"LeadingDotWouldHide", ".hidden page", "", "hidden page.mht"},
      {"NoTitleLastPathPart", "", "http://a.example/dir/report.html?x=1#top", "report.mht"},
      {"NoTitleHostOnly", "", "https://a.example/", "page.mht"},
      {"NothingAtAll", "", "", "page.mht"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(SaveNameFromTitle(r.title, r.url), r.expected);
  }
  // A long title is cut, but never inside a character.
  std::string longTitle;
  for (int i = 0; i < 100; ++i) longTitle += "\xc3\xa9";  // é
  const std::string name = SaveNameFromTitle(longTitle, "");
  EXPECT_LE(name.size(), 124u);
  EXPECT_EQ(name.substr(name.size() - 4), ".mht");
  EXPECT_EQ((name.size() - 4) % 2, 0u);
}

TEST(FindCounterTest, CountsTheMatchShowingAndWrapsBothWays) {
  FindCounter c;
  EXPECT_EQ(c.Text(), "");
  struct Step {
    FindStep step;
    unsigned matches;
    const char* shown;
  };
  const Step steps[] = {
      {FindStep::First, 3, "1 of 3"},    {FindStep::Next, 3, "2 of 3"},
      {FindStep::Next, 3, "3 of 3"},     {FindStep::Next, 3, "1 of 3"},
      {FindStep::Previous, 3, "3 of 3"}, {FindStep::Previous, 3, "2 of 3"},
      {FindStep::First, 12, "1 of 12"},  {FindStep::Previous, 12, "12 of 12"},
      {FindStep::Next, 5, "1 of 5"},  // the page changed under the search: past the end wraps
  };
  for (const Step& s : steps) {
    c.Found(s.step, s.matches);
    EXPECT_EQ(c.Text(), s.shown);
  }
  c.NotFound();
  EXPECT_TRUE(c.Missing());
  EXPECT_EQ(c.Text(), "Not Found");
  c.Found(FindStep::First, 2);
  EXPECT_FALSE(c.Missing());
  c.Found(FindStep::First, 5000);
  EXPECT_EQ(c.Text(), "1 of 1000+");
  c.Clear();
  EXPECT_EQ(c.Text(), "");
}

TEST(PageProperties, RowsForPlainAndSecurePages) {
  PageInfo plain;
  plain.url = "http://a.example/";
  plain.title = "A";
  plain.mimeType = "text/html";
  plain.size = 12345;
  const auto rows = PropertyRows(plain);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"Address", "http://a.example/"}));
  EXPECT_EQ(rows[3].second, "12.1 KB (12,345 bytes)");
  EXPECT_EQ(rows[4].second, "Not Encrypted");

  PageInfo secure = plain;
  secure.url = "HTTPS://a.example/";
  secure.secure = true;
  secure.certSubject = "CN=a.example";
  secure.certIssuer = "CN=Test CA";
  secure.validFrom = "2024-01-01 00:00 UTC";
  secure.validUntil = "2034-01-01 00:00 UTC";
  auto find = [](const std::vector<std::pair<std::string, std::string>>& r, const std::string& caption) {
    for (const auto& [c, v] : r)
      if (c == caption) return v;
    return std::string("(missing)");
  };
  auto srows = PropertyRows(secure);
  EXPECT_EQ(find(srows, "Connection"), "Encrypted (TLS)");
  EXPECT_EQ(find(srows, "Certificate Subject"), "CN=a.example");
  EXPECT_EQ(find(srows, "Certificate Issuer"), "CN=Test CA");
  EXPECT_EQ(find(srows, "Valid Until"), "2034-01-01 00:00 UTC");
  EXPECT_EQ(find(srows, "Certificate Problems"), "(missing)");
  secure.certProblems = {"The certificate has expired.", "It is not trusted."};
  srows = PropertyRows(secure);
  EXPECT_EQ(find(srows, "Connection"), "Encrypted, Certificate Not Trusted");
  EXPECT_EQ(find(srows, "Certificate Problems"), "The certificate has expired. It is not trusted.");
}

TEST(PageProperties, ByteSizes) {
  struct Row {
    int64_t bytes;
    const char* text;
  };
  const Row rows[] = {{-1, "Unknown"},
                      {0, "0 bytes"},
                      {1, "1 byte"},
                      {1023, "1023 bytes"},
                      {1024, "1.0 KB (1,024 bytes)"},
                      {3565158, "3.4 MB (3,565,158 bytes)"}};
  for (const Row& r : rows) EXPECT_EQ(ByteSizeText(r.bytes), r.text) << r.bytes;
}

}  // namespace
