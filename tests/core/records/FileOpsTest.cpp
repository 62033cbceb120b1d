// The temporary files of crash-safe rewrites: recognised by their name,
// cleared by the next write into the folder, and nothing else touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/records/FileOps.h"
#include "support/TestDirs.h"

namespace {

std::vector<std::string> Names(const std::string& dir) {
  auto names = fileops::ListNames(dir);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WriteTemps, NamesOfTemporaryFiles) {
  struct Row {
    const char* name;
    bool temp;
  };
  const Row rows[] = {
      {".CatList.dab.tmp-Ab9xYz", true},
      {".a.tmp-000000", true},
      {"CatList.dab.tmp-Ab9xYz", false},
      {".CatList.dab.tmp-Ab9xY", false},
      {".CatList.dab.tmp-Ab9x_z", false},
      {".CatList.dab.tmpAb9xYz", false},
      {".tmp-Ab9xYz", false},
      {"CatList.dab", false},
      {"", false},
  };
  for (const Row& row : rows) EXPECT_EQ(fileops::IsWriteTempName(row.name), row.temp) << row.name;
}

TEST(WriteTemps, LeftoversGoWithTheNextWriteIntoTheFolder) {
  TempDir dir;
  // A write of another file died before its rename; so did one of this file.
  WriteString(dir / ".Sites00003.dab.tmp-q1W2e3", "half");
  WriteString(dir / ".CatList.dab.tmp-ZZZZZZ", "half");
  // Not ours: a user's file, a folder of that shape and a name one letter short.
  WriteString(dir / "notes.tmp-abcdef", "mine");
  MakeDirs(dir / ".x.tmp-abcdef");
  WriteString(dir / ".y.tmp-abcde", "mine");
  ASSERT_TRUE(fileops::WriteAtomic(dir / "CatList.dab", {1, 2, 3}));
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{".x.tmp-abcdef", ".y.tmp-abcde", "CatList.dab", "notes.tmp-abcdef"}));
  EXPECT_EQ(ReadBytes(dir / "CatList.dab"), (std::vector<unsigned char>{1, 2, 3}));
  struct stat st {};
  ASSERT_EQ(::stat((dir / "CatList.dab").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(WriteTemps, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  ASSERT_TRUE(fileops::WriteAtomic(dir / "a.dab", {7}));
  MakeDirs(dir / "b.dab");  // a folder in the way: the rename fails
  EXPECT_FALSE(fileops::WriteAtomic(dir / "b.dab", {8}));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a.dab", "b.dab"}));
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A rewrite or a copy onto an existing file keeps the mode its owner gave it.
TEST(WriteModes, RewritesKeepTheFilesMode) {
  struct Row {
    const char* name;
    mode_t before;  // 0: no file yet
    mode_t after;
  };
  const Row rows[] = {
      {"NewFile", 0, 0644},
      {"PrivateFile", 0600, 0600},
      {"GroupWritable", 0664, 0664},
      {"ReadOnlyForOthers", 0640, 0640},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    const std::string written = dir / "written.dab", copied = dir / "copied.dab", source = dir / "source.dab";
    WriteString(source, "new");
    if (row.before != 0) {
      for (const auto& p : {written, copied}) {
        WriteString(p, "old");
        ASSERT_EQ(::chmod(p.c_str(), row.before), 0);
      }
    }
    ASSERT_TRUE(fileops::WriteAtomic(written, {1, 2}));
    ASSERT_TRUE(fileops::CopyFilesDurably({{source, copied}}));
    EXPECT_EQ(ModeOf(written), row.after);
    EXPECT_EQ(ModeOf(copied), row.after);
  }
}

// Replacing a folder leaves the whole new set in its place, the old set and
// the fresh folder's name gone.
TEST(ReplaceDir, TheNewSetTakesThePlaceOfTheOld) {
  for (const bool existed : {true, false}) {
    SCOPED_TRACE(existed ? "OverAnOldSet" : "NoOldSet");
    TempDir dir;
    MakeDirs(dir / "set.new");
    if (existed) {
      MakeDirs(dir / "set");
      WriteString(dir / "set/old.dab", "old");
      WriteString(dir / "set/both.dab", "old");
    }
    WriteString(dir / "set.new/both.dab", "new");
    ASSERT_TRUE(fileops::ReplaceDirDurably(dir / "set.new", dir / "set"));
    EXPECT_EQ(Names(dir / "set"), (std::vector<std::string>{"both.dab"}));
    EXPECT_EQ(ReadBytes(dir / "set/both.dab"), (std::vector<unsigned char>{'n', 'e', 'w'}));
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"set"}));
  }
}

// Files and links in name order; folders, and links to them, are no files
// to list, and nothing is followed.
TEST(ListFiles, NamesWhatIsNoFolderInOrder) {
  TempDir dir;
  WriteString(dir / "b.dab", "b");
  WriteString(dir / "a.dab", "a");
  MakeDirs(dir / "sub");
  WriteString(dir / "sub/inner.dab", "inner");
  ASSERT_EQ(::symlink("sub", (dir / "to-sub").c_str()), 0);
  ASSERT_EQ(::symlink("gone", (dir / "dangling").c_str()), 0);
  EXPECT_EQ(fileops::ListFiles(dir.path()), (std::vector<std::string>{"a.dab", "b.dab", "dangling", "to-sub"}));
  EXPECT_TRUE(fileops::ListFiles(dir / "missing").empty());
}

// Only the files of that name this process holds open go: a closed one may
// be another program's, and names elsewhere are not asked about.
TEST(RemoveOwnOpenFiles, RemovesOnlyWhatThisProcessHoldsOpen) {
  TempDir dir;
  MakeDirs(dir / "sub");
  const auto open = [](const std::string& path) { return ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600); };
  const int ours = open(dir / "Rules-a1");
  const int otherName = open(dir / "Other-a1");
  const int deeper = open(dir / "sub/Rules-b2");
  WriteString(dir / "Rules-c3", "closed");
  const int gone = open(dir / "Rules-d4");
  ::unlink((dir / "Rules-d4").c_str());
  WriteString(dir / "Rules-d4", "a new file of the same name");

  EXPECT_EQ(fileops::RemoveOwnOpenFiles(dir.path(), "Rules-"), 1);
  EXPECT_FALSE(Exists(dir / "Rules-a1"));
  EXPECT_TRUE(Exists(dir / "Other-a1"));
  EXPECT_TRUE(Exists(dir / "sub/Rules-b2"));
  EXPECT_TRUE(Exists(dir / "Rules-c3"));
  EXPECT_TRUE(Exists(dir / "Rules-d4"));
  for (const int fd : {ours, otherName, deeper, gone}) ::close(fd);
}

TEST(CutTo, ShortensOnlyALongerFile) {
  TempDir dir;
  WriteString(dir / "f", "0123456789");
  EXPECT_TRUE(fileops::CutTo(dir / "f", 4));
  EXPECT_EQ(ReadBytes(dir / "f").size(), 4u);
  EXPECT_TRUE(fileops::CutTo(dir / "f", 9));
  EXPECT_EQ(ReadBytes(dir / "f").size(), 4u);
  EXPECT_FALSE(fileops::CutTo(dir / "missing", 0));
  EXPECT_FALSE(Exists(dir / "missing"));
}

}  // namespace
