// The list editor's file operations on real files in a temporary data directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "core/app/Dates.h"
#include "core/sitelists/ListFiles.h"
#include "core/sitelists/SiteListEditor.h"
#include "support/TestDirs.h"

using namespace site_list_editor;
namespace fs = std::filesystem;

namespace {

using Sites = std::vector<SiteRecord>;
using Cats = std::vector<CategoryRecord>;
using Names = std::vector<std::string>;

template <typename Records>
Names NamesOf(const Records& records) {
  Names names;
  for (const auto& r : records) names.push_back(r.Name);
  return names;
}

Names FilesOf(const std::string& dir) {
  Names names;
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

// ---- edits of categories and sites ----

// Every edit that finds nothing to do, or a name or address already taken,
// reports so and leaves both files exactly as they were.
TEST_F(Editor, RefusedEditsLeaveTheFilesAlone) {
  const std::string live = dirs.live, site = Site(1), longName(158, 'x');  // as long as the field holds
  const auto writeBoth = [&] {
    WriteCats({{"News", 1}, {"Sport", 2}, {longName, 3}});
    WriteSites(1, {{"News", "http://a.example/Page"}, {"Sport", "http://s/"}});
  };
  using R = EditResult;
  struct Row {
    const char* name;
    std::function<Outcome()> edit;
    EditResult result;
  };
  const Row rows[] = {
      {"NewCategoryTakenAfterTrim", [&] { return AddCategory(live, "  News  "); }, R::Duplicate},
      {"NewCategoryTakenOnceCutToWidth", [&] { return AddCategory(live, longName + "yz"); }, R::Duplicate},
      {"NewCategoryOfBlanks", [&] { return AddCategory(live, "   "); }, R::Unchanged},
      {"CategoryRenamedToAnother", [&] { return RenameCategory(live, 0, "Sport"); }, R::Duplicate},
      {"CategoryRenamedToBlanks", [&] { return RenameCategory(live, 0, "   "); }, R::Unchanged},
      {"CategoryRenamedToItsName", [&] { return RenameCategory(live, 1, "Sport"); }, R::Unchanged},
      {"NoSuchCategoryRenamed", [&] { return RenameCategory(live, 5, "Other"); }, R::Unchanged},
      {"NoSuchCategoryDeleted", [&] { return DeleteCategory(live, 5); }, R::Unchanged},
      {"SiteRenamedToAnother", [&] { return RenameSite(site, 0, "Sport"); }, R::Duplicate},
      {"SiteRenamedToBlanks", [&] { return RenameSite(site, 0, "   "); }, R::Unchanged},
      {"SiteRenamedToItsName", [&] { return RenameSite(site, 1, "Sport"); }, R::Unchanged},
      {"NoSuchSiteRenamed", [&] { return RenameSite(site, 5, "Other"); }, R::Unchanged},
      {"TypedBareSchemeAnyCase", [&] { return AddTypedAddress(site, "  hTtP://  "); }, R::Unchanged},
      {"TypedBlanks", [&] { return AddTypedAddress(site, "   "); }, R::Unchanged},
      {"TypedAddressTakenAfterTrim", [&] { return AddTypedAddress(site, " http://a.example/Page "); }, R::Duplicate},
      {"PageWithoutAddress", [&] { return AddPage(site, "Nothing", ""); }, R::Unchanged},
      {"NoValidSiteRowDeleted",
       [&] {
         return DeleteSites(site, {9, -1});
       },
       R::Unchanged},
      {"CopiedOntoItself", [&] { return CopySites(site, {0}, site); }, R::SameCategory},
      {"MovedOntoItself", [&] { return MoveSites(site, {0}, site); }, R::SameCategory},
      {"FirstMovedUp", [&] { return MoveSite(site, 0, Move::Up); }, R::Unchanged},
      {"FirstMovedToTop", [&] { return MoveCategory(live, 0, Move::ToTop); }, R::Unchanged},
      {"LastMovedDown", [&] { return MoveCategory(live, 2, Move::Down); }, R::Unchanged},
      {"LastMovedToBottom", [&] { return MoveSite(site, 1, Move::ToBottom); }, R::Unchanged},
      {"NothingSelectedMoved", [&] { return MoveCategory(live, -1, Move::Down); }, R::Unchanged},
  };
  writeBoth();
  const auto cats = ReadBytes(CatList()), sites = ReadBytes(site);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writeBoth();
    EXPECT_EQ(row.edit().result, row.result);
    EXPECT_EQ(ReadBytes(CatList()), cats);
    EXPECT_EQ(ReadBytes(site), sites);
  }
}

TEST_F(Editor, LetterCaseMakesADifferentNameOrAddress) {
  WriteCats({{"News", 1}, {"Sport", 2}});
  WriteSites(1, {{"News", "http://a.example/Page"}, {"Sport", "http://s/"}});
  EXPECT_EQ(AddCategory(dirs.live, "NEWS").index, 2);
  EXPECT_EQ(RenameCategory(dirs.live, 0, "sport").result, EditResult::Done);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"sport", 1}, {"Sport", 2}, {"NEWS", 3}}));  // numbers stay
  EXPECT_EQ(RenameSite(Site(1), 0, "sport").result, EditResult::Done);
  EXPECT_EQ(AddTypedAddress(Site(1), "http://a.example/page").index, 2);
  EXPECT_EQ(AddTypedAddress(Site(1), "example.org").result, EditResult::Done);  // no scheme is added
  EXPECT_EQ(ReadSites(Site(1)), (Sites{{"sport", "http://a.example/Page"},
                                       {"Sport", "http://s/"},
                                       {"", "http://a.example/page"},
                                       {"", "example.org"}}));
}

TEST_F(Editor, NewCategoryTakesTheLowestFreeNumberWithAnEmptySiteFile) {
  EXPECT_EQ(AddCategory(dirs.live, "One").index, 0);  // the very first
  WriteCats({{"One", 1}, {"Three", 3}});
  WriteSites(2, {{"Stray", "http://stray.example/"}});  // left over under the free number
  EXPECT_EQ(AddCategory(dirs.live, "Four").index, 2);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"One", 1}, {"Three", 3}, {"Four", 2}}));
  ASSERT_TRUE(Exists(Site(2)));
  EXPECT_TRUE(ReadBytes(Site(2)).empty());
}

TEST_F(Editor, DeleteCategoryTakesItsSiteFileUnlessAnotherNamesIt) {
  WriteCats({{"A", 1}, {"B", 1}, {"C", 2}});  // a damaged list: A and B on one file
  WriteSites(1, {{"s", "http://s.example/"}});
  WriteSites(2, {{"t", "http://t.example/"}});
  EXPECT_EQ(DeleteCategory(dirs.live, 0).index, 0);  // the next category takes the place
  EXPECT_EQ(ReadSites(Site(1)).size(), 1u);
  EXPECT_EQ(DeleteCategory(dirs.live, 1).index, 0);  // the last: the one before it is next
  EXPECT_FALSE(Exists(Site(2)));
  const Outcome out = DeleteCategory(dirs.live, 0);
  EXPECT_EQ(out.result, EditResult::Done);
  EXPECT_EQ(out.index, -1);
  EXPECT_EQ(FilesOf(dirs.live), Names{});  // no category file is left either
}

TEST_F(Editor, AddPageMakesTheTitleUnique) {
  WriteSites(1, {{"News", "http://n/"}});
  EXPECT_EQ(AddPage(Site(1), "News", "http://n/2").name, "News(1)");
  EXPECT_EQ(ReadSites(Site(1)), (Sites{{"News", "http://n/"}, {"News(1)", "http://n/2"}}));
  // A title longer than the field keeps its suffix when cut.
  WriteSites(2, {{std::string(140, 'T'), "http://t/"}});
  EXPECT_EQ(AddPage(Site(2), std::string(150, 'T'), "http://t/2").name, std::string(137, 'T') + "(1)");
}

TEST_F(Editor, DeleteSitesTakesEveryChosenRowOnce) {
  WriteSites(1, {{"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"}});
  EXPECT_EQ(DeleteSites(Site(1), {3, 1, 3, 9, -1}).index, 2);
  EXPECT_EQ(NamesOf(ReadSites(Site(1))), (Names{"A", "C"}));
}

// ---- order ----

TEST_F(Editor, MovesOfOneEntry) {
  struct Row {
    const char* name;
    int index;
    Move how;
    int movedTo;
    Names after;
  };
  const Row rows[] = {
      {"Up", 2, Move::Up, 1, {"A", "C", "B"}},
      {"Down", 0, Move::Down, 1, {"B", "A", "C"}},
      {"ToTop", 2, Move::ToTop, 0, {"C", "A", "B"}},
      {"ToBottom", 0, Move::ToBottom, 2, {"B", "C", "A"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteSites(1, {{"A", "a"}, {"B", "b"}, {"C", "c"}});
    WriteCats({{"A", 1}, {"B", 2}, {"C", 3}});
    EXPECT_EQ(MoveSite(Site(1), row.index, row.how).index, row.movedTo);
    EXPECT_EQ(MoveCategory(dirs.live, row.index, row.how).index, row.movedTo);
    EXPECT_EQ(NamesOf(ReadSites(Site(1))), row.after);
    EXPECT_EQ(NamesOf(ReadCategories(CatList())), row.after);
  }
}

TEST_F(Editor, OneTimeSortIgnoresCaseAndFollowsTheSelection) {
  WriteCats({{"beta", 4}, {"Alpha", 7}, {"gamma", 1}});
  EXPECT_EQ(SortCategories(dirs.live, true, 0).index, 1);  // "beta" was selected
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Alpha", 7}, {"beta", 4}, {"gamma", 1}}));
  SortCategories(dirs.live, false, -1);
  EXPECT_EQ(NamesOf(ReadCategories(CatList())), (Names{"gamma", "beta", "Alpha"}));
  WriteSites(1, {{"b", "1"}, {"A", "2"}, {"B", "3"}});
  SortSites(Site(1), true, -1);
  EXPECT_EQ(ReadSites(Site(1)), (Sites{{"A", "2"}, {"b", "1"}, {"B", "3"}}));  // equal names keep their order
}

// ---- copy and move ----

TEST_F(Editor, CopyAndMoveToACategoryHoldingOneOfTheNames) {
  struct Row {
    const char* name;
    bool move;
    Names dest, sourceAfter;
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
    EXPECT_EQ(NamesOf(ReadSites(Site(2))), row.dest);
    EXPECT_EQ(NamesOf(ReadSites(Site(1))), row.sourceAfter);
    EXPECT_EQ(ReadSites(Site(2))[2].URL, "http://b/");
  }
}

TEST_F(Editor, MoveThatCannotWriteTheDestinationKeepsTheSources) {
  WriteSites(1, {{"A", "a"}, {"B", "b"}});
  MakeDirs(Site(2));  // a directory where the destination file should be
  EXPECT_EQ(MoveSites(Site(1), {0, 1}, Site(2)).result, EditResult::FileError);
  EXPECT_EQ(NamesOf(ReadSites(Site(1))), (Names{"A", "B"}));
}

// ---- back-up, restore, undo ----

// A list file that is there but cannot be read is never written back with
// only the edit in it: every operation reports an error and leaves it alone.
TEST_F(Editor, UnreadableListsAreNeverOverwritten) {
  const std::string site = Site(1), other = Site(2);
  struct Row {
    const char* name;
    bool catListUnreadable;
    std::function<Outcome()> edit;
    EditResult want;
  };
  const Row rows[] = {
      {"AddCategory", true, [&] { return AddCategory(dirs.live, "New"); }, EditResult::NoFreeNumber},
      {"DeleteCategory", true, [&] { return DeleteCategory(dirs.live, 0); }, EditResult::FileError},
      {"RenameCategory", true, [&] { return RenameCategory(dirs.live, 0, "B"); }, EditResult::FileError},
      {"SortCategories", true, [&] { return SortCategories(dirs.live, true, 0); }, EditResult::FileError},
      {"AddTypedAddress", false, [&] { return AddTypedAddress(site, "http://x.org/"); }, EditResult::FileError},
      {"AddPage", false, [&] { return AddPage(site, "X", "http://x.org/"); }, EditResult::FileError},
      {"AppendSites", false,
       [&] {
         return AppendSites(site, {{"X", "http://x.org/"}});
       },
       EditResult::FileError},
      {"MoveSite", false, [&] { return MoveSite(site, 0, Move::Down); }, EditResult::FileError},
      {"CopyInto", false, [&] { return CopySites(other, {0}, site); }, EditResult::FileError},
      {"MoveInto", false, [&] { return MoveSites(other, {0}, site); }, EditResult::FileError},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteCats({{"A", 1}, {"B", 2}});
    WriteSites(1, {{"a", "http://a.org/"}, {"b", "http://b.org/"}});
    WriteSites(2, {{"c", "http://c.org/"}});
    const std::string broken = row.catListUnreadable ? CatList() : site;
    MakeUnreadable(broken);
    EXPECT_EQ(row.edit().result, row.want);
    EXPECT_TRUE(StillUnreadable(broken));
    EXPECT_EQ(ReadSites(other), (Sites{{"c", "http://c.org/"}}));
  }
  MakeUnreadable(CatList());
  EXPECT_EQ(NewSiteFileNumber(CatList()), std::nullopt);
}

TEST_F(Editor, BackUpReplacesTheWholeSetButNeedsSomethingToBackUp) {
  WriteString(dirs.backup + "/OnlyInOldBackup.dab", "old");
  WriteString(dirs.backup + "/CatList.dab", "old cats");
  EXPECT_EQ(BackUpLists(dirs), DirResult::NothingToBackUp);
  EXPECT_EQ(FilesOf(dirs.backup), (Names{"CatList.dab", "OnlyInOldBackup.dab"}));
  WriteCats({{"News", 1}});
  WriteSites(1, {{"A", "a"}});
  EXPECT_EQ(BackUpLists(dirs), DirResult::Done);
  EXPECT_EQ(FilesOf(dirs.backup), (Names{"CatList.dab", "Sites00001.dab"}));
  EXPECT_EQ(ReadBytes(dirs.backup + "/CatList.dab"), ReadBytes(CatList()));
}

// A back-up that cannot finish (an unreadable list, as a full disk would)
// leaves the previous back-up whole; one that died earlier leaves nothing
// in the way of the next.
TEST_F(Editor, BackUpThatFailsKeepsThePreviousBackUp) {
  WriteString(dirs.backup + "/CatList.dab", "old cats");
  WriteString(dirs.backup + "/Sites00001.dab", "old sites");
  WriteCats({{"News", 1}});
  WriteSites(1, {{"A", "a"}});
  fs::create_symlink(data / "nowhere.dab", dirs.live + "/Sites00002.dab");
  EXPECT_EQ(BackUpLists(dirs), DirResult::Error);
  EXPECT_EQ(FilesOf(dirs.backup), (Names{"CatList.dab", "Sites00001.dab"}));
  const std::string oldCats = "old cats";
  EXPECT_EQ(ReadBytes(dirs.backup + "/CatList.dab"), std::vector<unsigned char>(oldCats.begin(), oldCats.end()));
  EXPECT_FALSE(Exists(dirs.backup + ".new"));

  fs::remove(dirs.live + "/Sites00002.dab");
  MakeDirs(dirs.backup + ".new");
  WriteString(dirs.backup + ".new/Stale.dab", "half a back-up");
  EXPECT_EQ(BackUpLists(dirs), DirResult::Done);
  EXPECT_EQ(FilesOf(dirs.backup), (Names{"CatList.dab", "Sites00001.dab"}));
  EXPECT_EQ(ReadBytes(dirs.backup + "/Sites00001.dab"), ReadBytes(Site(1)));
  EXPECT_FALSE(Exists(dirs.backup + ".new"));
}

// Whatever a restore meets, the user's lists wait in the undo directory
// until an undo brings them back.
TEST_F(Editor, RestoreThenUndoBringsTheListsBack) {
  const std::string backupCats = dirs.backup + "/CatList.dab";
  struct Row {
    const char* name;
    bool backedUp, unreadableBackup, staleUndo;
    DirResult result;
    Names liveAfterRestore;
  };
  const Row rows[] = {
      {"FromTheBackUp", true, false, false, DirResult::Done, {"CatList.dab"}},
      {"FromAnEmptyBackUp", false, false, false, DirResult::EmptyBackup, {}},
      {"CopyFails", false, true, false, DirResult::Error, {}},
      {"LeftOverUndoIsClearedFirst", true, false, true, DirResult::Done, {"CatList.dab"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const auto& dir : {dirs.live, dirs.backup, dirs.undo}) fs::remove_all(dir);
    SetUp();
    WriteCats({{"Current", 1}});
    WriteSites(1, {{"Now", "n"}});
    if (row.backedUp) {
      ASSERT_TRUE(RewriteCategories(backupCats, {{"Backed", 1}}));
    }
    if (row.unreadableBackup) fs::create_symlink(data / "nowhere.dab", dirs.backup + "/Broken.dab");
    if (row.staleUndo) {
      MakeDirs(dirs.undo);
      WriteString(dirs.undo + "/CatList.dab", "stale");
    }
    bool pending = false;
    EXPECT_EQ(RestoreLists(dirs, pending), row.result);
    EXPECT_TRUE(pending);
    EXPECT_EQ(FilesOf(dirs.live), row.liveAfterRestore);
    if (row.result == DirResult::Done) {
      EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Backed", 1}}));
    }
    ASSERT_EQ(UndoRestore(dirs, pending), DirResult::Done);
    EXPECT_FALSE(pending);
    EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Current", 1}}));
    EXPECT_EQ(ReadSites(Site(1)), (Sites{{"Now", "n"}}));
    EXPECT_FALSE(Exists(dirs.undo));
  }
}

TEST_F(Editor, RestoreThenDiscardMakesItFinal) {
  ASSERT_TRUE(RewriteCategories(dirs.backup + "/CatList.dab", {{"Backed", 1}}));
  WriteCats({{"Current", 1}});
  bool pending = false;
  ASSERT_EQ(RestoreLists(dirs, pending), DirResult::Done);
  EXPECT_TRUE(DiscardUndo(dirs, pending));
  EXPECT_FALSE(pending);
  EXPECT_FALSE(Exists(dirs.undo));
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Backed", 1}}));
}

TEST_F(Editor, RestoreOrUndoThatCannotProceedLeavesTheListsAlone) {
  WriteCats({{"Current", 1}});
  WriteString(dirs.backup + "/CatList.dab", "");
  MakeDirs(dirs.undo + "/sub");  // clearing an undo directory removes files only
  for (const bool pendingBefore : {false, true}) {
    SCOPED_TRACE(pendingBefore ? "after a restore in this window" : "left by an earlier run");
    bool pending = pendingBefore;
    EXPECT_EQ(RestoreLists(dirs, pending), DirResult::UndoInTheWay);
    EXPECT_FALSE(pending);  // a half-removed undo directory is never offered as an undo
    EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Current", 1}}));
  }
  bool pending = false;

  fs::remove_all(dirs.undo);
  pending = true;  // pending, but its undo directory is gone
  EXPECT_EQ(UndoRestore(dirs, pending), DirResult::Error);
  EXPECT_FALSE(pending);
  EXPECT_EQ(ReadCategories(CatList()), (Cats{{"Current", 1}}));
}

TEST(EditorBackupTime, ShownOnlyWithinTenYears) {
  const double now = dates::ToOleDate({2024, 5, 3, 14, 22, 7});
  EXPECT_EQ(LastBackupSuffix(now - 1.5, now), " -Last BU: 2024-05-02 02:22:07");
  EXPECT_EQ(LastBackupSuffix(dates::ToOleDate({2014, 5, 3, 14, 22, 7}), now), " -Last BU: 2014-05-03 14:22:07");
  EXPECT_EQ(LastBackupSuffix(dates::ToOleDate({2014, 5, 3, 14, 22, 6}), now), "");
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
      {"SectionInCapitals", "[INTERNETSHORTCUT]\r\nURL=http://Example.COM/Page\r\n", "http://Example.COM/Page"},
      {"AfterOtherSection", "[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nURL=http://b.example/\r\nIDList=\r\n",
       "http://b.example/"},
      {"LineBetweenSectionAndUrl", "[InternetShortcut]\r\nIDList=\r\nURL=http://c.example/\r\n", ""},
      {"EmptyAddress", "[InternetShortcut]\r\nURL=\r\nIconIndex=0\r\n", ""},
      {"ShorterThanThirtyBytes", "[InternetShortcut]\r\nURL=ab\r\n", ""},
      {"LineFeedEndings", "[InternetShortcut]\nURL=http://lf.example/\n", "http://lf.example/"},
      {"LastLineWithoutEnd", "[InternetShortcut]\r\nURL=http://end.example/", "http://end.example/"},
      {"CutAt260", "[InternetShortcut]\r\nURL=" + longUrl + "\r\n", longUrl.substr(0, 260)},
      {"SingleByteCodePage", "[InternetShortcut]\r\nURL=http://caf\xE9.example/\r\n", "http://caf\xC3\xA9.example/"},
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
      {"MixedCaseExtension", "News.uRl", "News"},
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
