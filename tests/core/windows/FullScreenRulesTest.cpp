// The full-screen window's add-page checks and add, and where the main
// windows it opens go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sitelists/ListFiles.h"
#include "core/windows/FullScreenRules.h"
#include "support/TestDirs.h"

namespace {

TEST(AddPageCheckTest, TheFirstFailingCheckSpeaks) {
  auto panel = [](int count, int selected, const char* text, std::optional<std::string> key, bool separate) {
    AddPagePanel p;
    p.itemCount = count;
    p.selected = selected;
    p.selectedText = text;
    p.selectedKey = std::move(key);
    p.separateSelectors = separate;
    return p;
  };
  struct Row {
    const char* name;
    AddPagePanel panel;
    std::string message;
  };
  const std::vector<Row> rows = {
      {"NoItemsBeatsEverything", panel(0, -1, "", std::nullopt, false),
       "No Categories Exist, Click The -List- Button\nTo Open Edit Window And Create A Category."},
      {"NothingSelected", panel(2, -1, "", std::nullopt, false), "Can't Add Page. No Category Is Currently Selected."},
      {"SelectionPastTheEnd", panel(2, 2, "X", std::string("C3"), false),
       "Can't Add Page. No Category Is Currently Selected."},
      {"EmptyName", panel(2, 0, "", std::string("C1"), false), "Can't Add Page. Category Name Was Null"},
      {"KeyUnreadable", panel(2, 0, "News", std::nullopt, false), "Can't Add Page. An Error Occurred"},
      {"NotACategory", panel(2, 0, "News", std::string("3"), false), "Can't Add Page. Selected Item Is Not A Category"},
      {"Category", panel(2, 1, "News", std::string("C2"), false), ""},
      {"SeparateSelectorsNeedNoKey", panel(2, 1, "News", std::nullopt, true), ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(AddPageCheck(r.panel), r.message);
  }
}

class AddPageToCategoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDirs(dir / "SiteLists");
    ASSERT_TRUE(RewriteCategories(catList, {{"News", 3}, {"Fun", 7}}));
    ASSERT_TRUE(RewriteSites(sites(7), {{"Comics", "http://c.example/"}}));
  }
  std::string sites(int n) const { return dir / ("SiteLists/" + SiteFileName(static_cast<int16_t>(n))); }
  TempDir dir;
  const std::string catList = dir / "SiteLists/CatList.dab";
};

TEST_F(AddPageToCategoryTest, ATitleThatExistsIsStoredWithItsNumber) {
  const AddPageResult first = AddPageToCategory(catList, dir / "SiteLists", 1, "Comics", "http://d.example/");
  EXPECT_EQ(first.message, "");
  EXPECT_EQ(first.storedName, "Comics(1)");
  const AddPageResult second = AddPageToCategory(catList, dir / "SiteLists", 1, "Comics", "http://e.example/");
  EXPECT_EQ(second.storedName, "Comics(2)");
  const auto stored = ReadSites(sites(7));
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[1], (SiteRecord{"Comics(1)", "http://d.example/"}));
  EXPECT_EQ(stored[2], (SiteRecord{"Comics(2)", "http://e.example/"}));
}

TEST_F(AddPageToCategoryTest, AMissingSiteFileIsStartedAndANamelessPageListedByItsAddress) {
  const AddPageResult r = AddPageToCategory(catList, dir / "SiteLists", 0, "  ", "http://n.example/");
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(ReadSites(sites(3)), (std::vector<SiteRecord>{{"http://n.example/", "http://n.example/"}}));
}

TEST_F(AddPageToCategoryTest, FailuresSayWhyAndChangeNothing) {
  const auto before = ReadBytes(sites(7));
  struct Row {
    const char* name;
    std::string catList;
    int category;
    std::string url, message;
  };
  const std::vector<Row> rows = {
      {"NoCategoryList", dir / "SiteLists/None.dab", 1, "http://x.example/",
       "An Error Occurred Opening File And Adding Page"},
      {"CategoryGoneMeanwhile", catList, 2, "http://x.example/", "Can't Add Page. File Error Occurred"},
      {"NoPage", catList, 1, "", "Can't Add Page. No Page Is Showing."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(AddPageToCategory(r.catList, dir / "SiteLists", r.category, "X", r.url).message, r.message);
  }
  // A site file that cannot be written: a directory in its place.
  MakeDirs(sites(3));
  EXPECT_EQ(AddPageToCategory(catList, dir / "SiteLists", 0, "X", "http://x.example/").message,
            "Can't Add Page. File Error Occurred");
  EXPECT_EQ(ReadBytes(sites(7)), before);
}

TEST(FullScreenCascade, UpAndLeftBy600AndBackTo600PastZero) {
  EXPECT_EQ(FullScreenCascadeStep(2000), 1400);
  EXPECT_EQ(FullScreenCascadeStep(600), 0);
  EXPECT_EQ(FullScreenCascadeStep(599), 600);
  EXPECT_EQ(FullScreenCascadeStep(0), 600);
}

}  // namespace
