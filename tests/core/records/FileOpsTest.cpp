// The temporary files of crash-safe rewrites: recognised by their name,
// cleared by the next write into the folder, and nothing else touched.
#include <gtest/gtest.h>
#include <sys/stat.h>

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
