// The list editor's file operations on real files in a temporary data directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestDirs.h"
#include "app/Dates.h"
#include "sitelists/ListFiles.h"
#include "sitelists/SiteListEditor.h"

using namespace site_list_editor;
namespace fs = std::filesystem;

namespace {

using Sites = std::vector<SiteRecord>;
using Cats = std::vector<CategoryRecord>;

std::vector<std::string> SiteNames(const Sites& sites) {
  std::vector<std::string> names;
  for (const auto& s : sites) names.push_back(s.Name);
  return names;
}

std::vector<std::string> FilesOf(const std::string& dir) {
  std::vector<std::string> names;
  if (!fs::exists(dir)) return names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    dirs = DirsUnder(data.path());
    MakeDirs(dirs.live);
    MakeDirs(dirs.backup);
  }
  std::string CatList() const { return CatListPathIn(dirs.live); }
  std::string Site(int16_t n) const { return SitePathIn(dirs.live, n); }
  void WriteCats(const Cats& cats) { ASSERT_TRUE(RewriteCategories(CatList(), cats)); }
  void WriteSites(int16_t n, const Sites& sites) { ASSERT_TRUE(RewriteSites(Site(n), sites)); }

  TempDir data;
  ListDirs dirs;
};

// ---- categories ----

TEST_F(Editor, AddCategoryRules) {
  const std::string cut(158, 'x');  // a name as long as the field holds
  struct Row {
    const char* name;
    std::vector<std::string> existing;
    std::string typed;
    EditResult result;
    std::vector<std::string> after;
  };
  const Row rows[] = {
      {"ExactDuplicateRefused", {"News", "Sport"}, "News", EditResult::Duplicate, {"News", "Sport"}},
      {"DuplicateAfterTrimRefused", {"News", "Sport"}, "  News  ", EditResult::Duplicate, {"News", "Sport"}},
      {"CaseDifferentAccepted", {"News", "Sport"}, "NEWS", EditResult::Done, {"News", "Sport", "NEWS"}},
      {"BlanksOnlyIgnored", {"News"}, "    ", EditResult::Unchanged, {"News"}},
      {"EmptyIgnored", {"News"}, "", EditResult::Unchanged, {"News"}},
      {"FirstCategory", {}, "First", EditResult::Done, {"First"}},
      // Stored cut to the field, it would equal the one already there.
      {"DuplicateOnceCutToWidth", {cut}, cut + "yz", EditResult::Duplicate, {cut}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Cats cats;
    for (const auto& n : row.existing) cats.push_back({n, static_cast<int16_t>(cats.size() + 1)});
    WriteCats(cats);
    EXPECT_EQ(AddCategory(dirs.live, row.typed).result, row.result);
    std::vector<std::string> names;
    for (const auto& c : ReadCategories(CatList())) names.push_back(c.Name);
    EXPECT_EQ(names, row.after);
  }
}

TEST_F(Editor, NewCategoryGetsEmptySiteFileAndFreedNumbersAreReused) {
  for (const char* name : {"One", "Two", "Three"}) ASSERT_EQ(AddCategory(dirs.live, name).result, EditResult::Done);
  WriteSites(2, {{"Kept?", "http://two.example/"}});
  const Outcome del = DeleteCategory(dirs.live, 1);
  ASSERT_EQ(del.result, EditResult::Done);
  EXPECT_EQ(del.index, 1);  // the next category takes the place
  EXPECT_FALSE(Exists(Site(2)));
  const Outcome add = AddCategory(dirs.live, "Four");
  ASSERT_EQ(add.result, EditResult::Done);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"One", 1}, {"Three", 3}, {"Four", 2}}));
  ASSERT_TRUE(Exists(Site(2)));
  EXPECT_TRUE(ReadBytes(Site(2)).empty());
}

TEST_F(Editor, DeletingTheOnlyCategoryLeavesNoCategoryFile) {
  ASSERT_EQ(AddCategory(dirs.live, "Only").result, EditResult::Done);
  const Outcome out = DeleteCategory(dirs.live, 0);
  EXPECT_EQ(out.result, EditResult::Done);
  EXPECT_EQ(out.index, -1);
  EXPECT_EQ(FilesOf(dirs.live), std::vector<std::string>{});
}

TEST_F(Editor, DeletingACategoryKeepsASiteFileAnotherCategoryStillNames) {
  WriteCats({{"A", 1}, {"B", 1}});  // a damaged list: two categories on one file
  WriteSites(1, {{"s", "http://s.example/"}});
  ASSERT_EQ(DeleteCategory(dirs.live, 0).result, EditResult::Done);
  EXPECT_EQ(ReadSites(Site(1)).size(), 1u);
}

TEST_F(Editor, RenameRefusalsLeaveTheFileUnchanged) {
  struct Row {
    const char* name;
    int index;
    const char* newName;
    EditResult result;
  };
  const Row rows[] = {
      {"NameOfAnotherCategory", 0, "Sport", EditResult::Duplicate},
      {"BlankName", 0, "   ", EditResult::Unchanged},
      {"SameNameAsBefore", 1, "Sport", EditResult::Unchanged},
      {"NoSuchRow", 5, "Other", EditResult::Unchanged},
  };
  WriteCats({{"News", 1}, {"Sport", 2}});
  const auto before = ReadBytes(CatList());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RenameCategory(dirs.live, row.index, row.newName).result, row.result);
    EXPECT_EQ(ReadBytes(CatList()), before);
  }
  ASSERT_EQ(RenameCategory(dirs.live, 0, "sport").result, EditResult::Done);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"sport", 1}, {"Sport", 2}}));  // the file number stays
}

TEST_F(Editor, RenameSiteRefusesDuplicatesExactly) {
  WriteSites(1, {{"A", "http://a/"}, {"B", "http://b/"}});
  const auto before = ReadBytes(Site(1));
  EXPECT_EQ(RenameSite(Site(1), 0, "B").result, EditResult::Duplicate);
  EXPECT_EQ(RenameSite(Site(1), 0, "").result, EditResult::Unchanged);
  EXPECT_EQ(ReadBytes(Site(1)), before);
  EXPECT_EQ(RenameSite(Site(1), 0, "b").result, EditResult::Done);
  EXPECT_EQ(ReadSites(Site(1)), (Sites{{"b", "http://a/"}, {"B", "http://b/"}}));
}

// ---- sites ----

TEST_F(Editor, TypedAddressRules) {
  struct Row {
    const char* name;
    const char* typed;
    EditResult result;
  };
  const Row rows[] = {
      {"BareSchemeSmall", "http://", EditResult::Unchanged},
      {"BareSchemeCapitals", "HTTP://", EditResult::Unchanged},
      {"BareSchemeMixedWithBlanks", "  hTtP://  ", EditResult::Unchanged},
      {"Blank", "   ", EditResult::Unchanged},
      {"ExactDuplicate", "http://a.example/Page", EditResult::Duplicate},
      {"DuplicateWithBlanksAround", "  http://a.example/Page ", EditResult::Duplicate},
  };
  WriteSites(1, {{"A", "http://a.example/Page"}});
  const auto before = ReadBytes(Site(1));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(AddTypedAddress(Site(1), row.typed).result, row.result);
    EXPECT_EQ(ReadBytes(Site(1)), before);
  }
  // Letter case makes a different address; no scheme is added; the name is empty.
  EXPECT_EQ(AddTypedAddress(Site(1), "http://a.example/page").result, EditResult::Done);
  EXPECT_EQ(AddTypedAddress(Site(1), "example.org").result, EditResult::Done);
  EXPECT_EQ(ReadSites(Site(1)),
            (Sites{{"A", "http://a.example/Page"}, {"", "http://a.example/page"}, {"", "example.org"}}));
}

TEST_F(Editor, AddPageMakesTheTitleUniqueAndSkipsAnEmptyAddress) {
  WriteSites(1, {{"News", "http://n/"}});
  const Outcome out = AddPage(Site(1), "News", "http://n/2");
  EXPECT_EQ(out.name, "News(1)");
  EXPECT_EQ(AddPage(Site(1), "Nothing", "").result, EditResult::Unchanged);
  // A title longer than the field keeps its suffix when cut.
  const std::string longTitle(150, 'T');
  WriteSites(2, {{std::string(140, 'T'), "http://t/"}});
  EXPECT_EQ(AddPage(Site(2), longTitle, "http://t/2").name, std::string(137, 'T') + "(1)");
  EXPECT_EQ(ReadSites(Site(1)).size(), 2u);
}

TEST_F(Editor, DeleteSitesTakesEveryChosenRowOnce) {
  WriteSites(1, {{"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"}});
  EXPECT_EQ(DeleteSites(Site(1), {3, 1, 3, 9, -1}).index, 2);
  EXPECT_EQ(SiteNames(ReadSites(Site(1))), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(DeleteSites(Site(1), {}).result, EditResult::Unchanged);
}

// ---- order ----

TEST_F(Editor, MovesOfOneEntry) {
  struct Row {
    const char* name;
    int index;
    Move how;
    int expectedIndex;  // -1: unchanged
    std::vector<std::string> after;
  };
  const Row rows[] = {
      {"UpOnFirstChangesNothing", 0, Move::Up, -1, {"A", "B", "C"}},
      {"TopOnFirstChangesNothing", 0, Move::ToTop, -1, {"A", "B", "C"}},
      {"DownOnLastChangesNothing", 2, Move::Down, -1, {"A", "B", "C"}},
      {"BottomOnLastChangesNothing", 2, Move::ToBottom, -1, {"A", "B", "C"}},
      {"NoSelection", -1, Move::Down, -1, {"A", "B", "C"}},
      {"Up", 2, Move::Up, 1, {"A", "C", "B"}},
      {"Down", 0, Move::Down, 1, {"B", "A", "C"}},
      {"ToTop", 2, Move::ToTop, 0, {"C", "A", "B"}},
      {"ToBottom", 0, Move::ToBottom, 2, {"B", "C", "A"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteSites(1, {{"A", "a"}, {"B", "b"}, {"C", "c"}});
    WriteCats({{"A", 1}, {"B", 2}, {"C", 3}});
    const auto sitesBefore = ReadBytes(Site(1));
    const auto catsBefore = ReadBytes(CatList());
    const Outcome site = MoveSite(Site(1), row.index, row.how);
    const Outcome cat = MoveCategory(dirs.live, row.index, row.how);
    EXPECT_EQ(SiteNames(ReadSites(Site(1))), row.after);
    std::vector<std::string> catNames;
    for (const auto& c : ReadCategories(CatList())) catNames.push_back(c.Name);
    EXPECT_EQ(catNames, row.after);
    if (row.expectedIndex < 0) {
      EXPECT_EQ(site.result, EditResult::Unchanged);
      EXPECT_EQ(cat.result, EditResult::Unchanged);
      EXPECT_EQ(ReadBytes(Site(1)), sitesBefore);
      EXPECT_EQ(ReadBytes(CatList()), catsBefore);
    } else {
      EXPECT_EQ(site.index, row.expectedIndex);
      EXPECT_EQ(cat.index, row.expectedIndex);
    }
  }
}

TEST_F(Editor, OneTimeSortIgnoresCaseAndFollowsTheSelection) {
  WriteCats({{"beta", 4}, {"Alpha", 7}, {"gamma", 1}});
  const Outcome up = SortCategories(dirs.live, true, 0);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Alpha", 7}, {"beta", 4}, {"gamma", 1}}));
  EXPECT_EQ(up.index, 1);  // "beta" was selected
  SortCategories(dirs.live, false, -1);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"gamma", 1}, {"beta", 4}, {"Alpha", 7}}));
  WriteSites(1, {{"b", "1"}, {"A", "2"}, {"B", "3"}});
  SortSites(Site(1), true, -1);
  EXPECT_EQ(ReadSites(Site(1)), (Sites{{"A", "2"}, {"b", "1"}, {"B", "3"}}));  // equal names keep their order
}

// ---- copy and move ----

TEST_F(Editor, CopyAndMoveToACategoryHoldingOneOfTheNames) {
  struct Row {
    const char* name;
    bool move;
    std::vector<std::string> dest, sourceAfter;
  };
  const Row rows[] = {
      {"CopyKeepsOrder", false, {"B", "A", "B(1)", "C"}, {"A", "x", "B", "C"}},
      {"MoveArrivesReversed", true, {"B", "C", "B(1)", "A"}, {"x"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteSites(1, {{"A", "http://a/"}, {"x", "http://x/"}, {"B", "http://b/"}, {"C", "http://c/"}});
    WriteSites(2, {{"B", "http://old-b/"}});
    const std::vector<int> chosen = {0, 2, 3};
    const Outcome out = row.move ? MoveSites(Site(1), chosen, Site(2)) : CopySites(Site(1), chosen, Site(2));
    EXPECT_EQ(out.result, EditResult::Done);
    EXPECT_EQ(out.index, 3);
    EXPECT_EQ(SiteNames(ReadSites(Site(2))), row.dest);
    EXPECT_EQ(SiteNames(ReadSites(Site(1))), row.sourceAfter);
    EXPECT_EQ(ReadSites(Site(2))[2].URL, "http://b/");
  }
}

TEST_F(Editor, CopyOrMoveOntoItselfIsRefused) {
  WriteSites(1, {{"A", "a"}});
  const auto before = ReadBytes(Site(1));
  EXPECT_EQ(CopySites(Site(1), {0}, Site(1)).result, EditResult::SameCategory);
  EXPECT_EQ(MoveSites(Site(1), {0}, Site(1)).result, EditResult::SameCategory);
  EXPECT_EQ(ReadBytes(Site(1)), before);
}

TEST_F(Editor, MoveThatCannotWriteTheDestinationKeepsTheSources) {
  WriteSites(1, {{"A", "a"}, {"B", "b"}});
  MakeDirs(Site(2));  // a directory where the destination file should be
  EXPECT_EQ(MoveSites(Site(1), {0, 1}, Site(2)).result, EditResult::FileError);
  EXPECT_EQ(SiteNames(ReadSites(Site(1))), (std::vector<std::string>{"A", "B"}));
}

// ---- back-up, restore, undo ----

TEST_F(Editor, BackUpReplacesTheWholeSet) {
  WriteString(dirs.backup + "/OnlyInOldBackup.dab", "old");
  WriteString(dirs.backup + "/CatList.dab", "old cats");
  WriteCats({{"News", 1}});
  WriteSites(1, {{"A", "a"}});
  EXPECT_EQ(BackUpLists(dirs), DirResult::Done);
  EXPECT_EQ(FilesOf(dirs.backup), (std::vector<std::string>{"CatList.dab", "Sites00001.dab"}));
  EXPECT_EQ(ReadBytes(dirs.backup + "/CatList.dab"), ReadBytes(CatList()));
}

TEST_F(Editor, BackUpOfEmptyListsChangesNothing) {
  WriteString(dirs.backup + "/CatList.dab", "kept");
  EXPECT_EQ(BackUpLists(dirs), DirResult::NothingToBackUp);
  EXPECT_EQ(FilesOf(dirs.backup), std::vector<std::string>{"CatList.dab"});
}

TEST_F(Editor, RestoreThenUndoBringsTheListsBack) {
  WriteCats({{"Backed", 1}});
  ASSERT_EQ(BackUpLists(dirs), DirResult::Done);
  WriteCats({{"Current", 1}});
  WriteSites(1, {{"Now", "n"}});
  bool pending = false;
  ASSERT_EQ(RestoreLists(dirs, pending), DirResult::Done);
  EXPECT_TRUE(pending);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Backed", 1}}));
  EXPECT_FALSE(Exists(Site(1)));  // the back-up had no site file
  ASSERT_EQ(UndoRestore(dirs, pending), DirResult::Done);
  EXPECT_FALSE(pending);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Current", 1}}));
  EXPECT_EQ(ReadSites(Site(1)).size(), 1u);
  EXPECT_FALSE(Exists(dirs.undo));
}

TEST_F(Editor, RestoreFromAnEmptyBackUpLeavesEmptyListsUntilUndo) {
  WriteCats({{"Mine", 1}});
  bool pending = false;
  EXPECT_EQ(RestoreLists(dirs, pending), DirResult::EmptyBackup);
  EXPECT_TRUE(pending);
  EXPECT_TRUE(FilesOf(dirs.live).empty());
  ASSERT_EQ(UndoRestore(dirs, pending), DirResult::Done);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Mine", 1}}));
}

TEST_F(Editor, RestoreThenDiscardMakesItFinal) {
  WriteCats({{"Backed", 1}});
  ASSERT_EQ(BackUpLists(dirs), DirResult::Done);
  WriteCats({{"Current", 1}});
  bool pending = false;
  ASSERT_EQ(RestoreLists(dirs, pending), DirResult::Done);
  EXPECT_TRUE(DiscardUndo(dirs, pending));
  EXPECT_FALSE(pending);
  EXPECT_FALSE(Exists(dirs.undo));
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Backed", 1}}));
}

TEST_F(Editor, LeftOverUndoDirectoryIsClearedBeforeTheNextRestore) {
  MakeDirs(dirs.undo);
  WriteString(dirs.undo + "/CatList.dab", "stale");
  WriteCats({{"Current", 1}});
  WriteString(dirs.backup + "/CatList.dab", "");
  bool pending = false;
  ASSERT_EQ(RestoreLists(dirs, pending), DirResult::Done);
  EXPECT_EQ(ReadCategories(dirs.undo + "/CatList.dab"), (Cats{{"Current", 1}}));
}

TEST_F(Editor, UndoDirectoryThatCannotBeClearedStopsTheRestore) {
  MakeDirs(dirs.undo + "/sub");  // the clearing removes files only
  WriteCats({{"Current", 1}});
  WriteString(dirs.backup + "/CatList.dab", "");
  bool pending = false;
  EXPECT_EQ(RestoreLists(dirs, pending), DirResult::UndoInTheWay);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Current", 1}}));
}

TEST_F(Editor, RestoreWhoseCopyFailsKeepsTheListsForUndo) {
  WriteCats({{"Mine", 1}});
  WriteSites(1, {{"A", "a"}});
  fs::create_symlink(data / "nowhere.dab", dirs.backup + "/Broken.dab");  // cannot be read
  bool pending = false;
  EXPECT_EQ(RestoreLists(dirs, pending), DirResult::Error);
  EXPECT_TRUE(pending);
  ASSERT_EQ(UndoRestore(dirs, pending), DirResult::Done);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Mine", 1}}));
  EXPECT_EQ(ReadSites(Site(1)).size(), 1u);
}

TEST_F(Editor, UndoWithoutItsDirectoryReportsAndEndsThePendingState) {
  bool pending = true;
  WriteCats({{"Current", 1}});
  EXPECT_EQ(UndoRestore(dirs, pending), DirResult::Error);
  EXPECT_FALSE(pending);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Current", 1}}));
}

TEST(EditorBackupTime, ShownOnlyWithinTenYears) {
  const double now = dates::ToOleDate({2024, 5, 3, 14, 22, 7});
  EXPECT_EQ(LastBackupSuffix(now - 1.5, now), " -Last BU: 2024-05-02 02:22:07");
  EXPECT_EQ(LastBackupSuffix(dates::ToOleDate({2014, 5, 3, 14, 22, 7}), now), " -Last BU: 2014-05-03 14:22:07");
  EXPECT_EQ(LastBackupSuffix(dates::ToOleDate({2014, 5, 3, 14, 22, 6}), now), "");
  EXPECT_EQ(LastBackupSuffix(dates::ToOleDate({2004, 5, 3, 0, 0, 0}), now), "");  // fresh install: 20 years back
}

// ---- shortcut files ----

TEST(Shortcuts, ReadShortcutUrl) {
  struct Row {
    const char* name;
    std::string content;
    std::string url;
  };
  const std::string longUrl = "http://long.example/" + std::string(300, 'p');
  const Row rows[] = {
      {"Plain", "[InternetShortcut]\r\nURL=http://Example.COM/Page\r\n", "http://Example.COM/Page"},
      {"SectionInCapitals", "[INTERNETSHORTCUT]\r\nURL=http://a.example/\r\n", "http://a.example/"},
      {"AfterOtherSection", "[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nURL=http://b.example/\r\nIDList=\r\n",
       "http://b.example/"},
      {"LineBetweenSectionAndUrl", "[InternetShortcut]\r\nIDList=\r\nURL=http://c.example/\r\n", ""},
      {"NoUrlLine", "[InternetShortcut]\r\nIconIndex=0\r\nIconFile=x\r\n", ""},
      {"EmptyAddress", "[InternetShortcut]\r\nURL=\r\nIconIndex=0\r\n", ""},
      {"ShorterThanThirtyBytes", "[InternetShortcut]\r\nURL=ab\r\n", ""},
      {"LineFeedEndings", "[InternetShortcut]\nURL=http://lf.example/\n", "http://lf.example/"},
      {"LastLineWithoutEnd", "[InternetShortcut]\r\nURL=http://end.example/", "http://end.example/"},
      {"CutAt260", "[InternetShortcut]\r\nURL=" + longUrl + "\r\n", longUrl.substr(0, 260)},
      {"SingleByteCodePage", "[InternetShortcut]\r\nURL=http://caf\xE9.example/\r\n", "http://caf\xC3\xA9.example/"},
      {"NotAShortcut", std::string(100, 'z'), ""},
  };
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = dir / (std::string(row.name) + ".url");
    WriteString(path, row.content);
    EXPECT_EQ(ReadShortcutUrl(path), row.url);
  }
  EXPECT_EQ(ReadShortcutUrl(dir / "missing.url"), "");
  MakeDirs(dir / "folder.url");
  EXPECT_EQ(ReadShortcutUrl(dir / "folder.url"), "");
}

TEST(Shortcuts, ShortcutName) {
  struct Row {
    const char* name;
    std::string file, expected;
  };
  const Row rows[] = {
      {"SmallExtension", "News.url", "News"},
      {"CapitalExtension", "News.URL", "News"},
      {"MixedExtension", "News.Url", "News"},
      {"OddMixedExtension", "News.uRl", "News"},
      {"OnlyExtension", ".url", ""},
      {"OneCharacter", "a.url", "a"},
      {"LastExtensionCounts", "my.url.url", "my.url"},
      {"NoExtension", "News", ""},
      {"CutAt140", std::string(150, 'n') + ".url", std::string(140, 'n')},
  };
  for (const Row& row : rows) EXPECT_EQ(ShortcutName(row.file), row.expected) << row.name;
}

TEST_F(Editor, ImportingTheSameShortcutTwiceNumbersTheSecond) {
  TempDir favs;
  WriteString(favs / "News.url", "[InternetShortcut]\r\nURL=http://news.example/\r\n");
  WriteString(favs / ".url", "[InternetShortcut]\r\nURL=http://nameless.example/\r\n");
  WriteString(favs / "Broken.URL", "[InternetShortcut]\r\nIDList=\r\nURL=http://broken.example/\r\n");
  WriteSites(1, {});
  const std::vector<std::string> chosen = {favs / "News.url", favs / ".url", favs / "Broken.URL"};
  EXPECT_EQ(ImportShortcuts(Site(1), chosen).index, 1);
  EXPECT_EQ(ImportShortcuts(Site(1), chosen).index, 1);
  EXPECT_EQ(ReadSites(Site(1)), (Sites{{"News", "http://news.example/"}, {"News(1)", "http://news.example/"}}));
}

}  // namespace
