#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/app/SharedRoutines.h"
#include "core/app/Startup.h"
#include "support/TestDirs.h"

namespace {

const char* const kLists[] = {"CatList.dab",    "Sites00001.dab", "Sites00002.dab", "Sites00003.dab",
                              "Sites00004.dab", "Sites00005.dab", "Sites00006.dab"};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDirs(app / "SiteLists");
    for (const char* name : kLists) WriteString(app / "SiteLists" + "/" + name, std::string("list ") + name);
    WriteString(app / "skelvornaxHelp.htm", "<html>help</html>");
    shipped.InstallMarker = kFreshInstallMarker;
    shipped.MailName = "Evolution Mail";
    Ship();
    in.appDir = app.path();
    in.profileDir = profile.path();
    in.dataHome = data.path();
    in.now = {2026, 12, 6, 12, 0, 0};
  }
  void Ship() { ASSERT_TRUE(SaveSettings(app / "skelvorn.ini", shipped)); }
  std::string User(const std::string& rel) const { return data.path() + "/skelvornax/" + rel; }

  TempDir app, profile, data;
  Settings shipped;
  StartupInputs in;
  Module1State st;
};

TEST_F(StartupTest, FirstRunBuildsUserDataFromShippedFiles) {
  ASSERT_TRUE(PrepareStart(in, st)) << st.BootErrorText;
  for (const char* dir : {"History", "BU_SiteLists", "SiteLists"}) EXPECT_EQ(DirTest(User(dir)), 0) << dir;
  for (const char* name : kLists)
    EXPECT_EQ(ReadBytes(User("SiteLists/") + name), ReadBytes(app / "SiteLists" + "/" + name)) << name;
  EXPECT_EQ(ReadBytes(User("skelvorn.ini")), ReadBytes(app / "skelvorn.ini"));
  EXPECT_EQ(st.Working.StartPage, app / "skelvornaxHelp.htm");
  EXPECT_EQ(st.StartPageUrl, "file://" + (app / "skelvornaxHelp.htm"));
  EXPECT_EQ(st.Working.InstallMarker, 1);
  EXPECT_EQ(st.Working.LastBackupDate, static_cast<double>(dates::DayNumber(2006, 12, 6)));
  EXPECT_EQ(st.ToolTipTexts[6], "Refresh Page: Normal (Right-Click To Change Mode)");
  EXPECT_NE(st.ToolTipTexts[47].find("Evolution Mail"), std::string::npos) << st.ToolTipTexts[47];
}

TEST_F(StartupTest, FirstRunListsArriveWholeOrNotAtAll) {
  // A shipped list missing: no half-filled SiteLists stays behind for later
  // starts to take as the user's own.
  std::remove((app / "SiteLists/Sites00004.dab").c_str());
  EXPECT_FALSE(PrepareStart(in, st));
  EXPECT_EQ(st.BootErrorText, "No App Source Data/App/SiteLists Dir, Or Error Copying It's Files To User Dir.");
  EXPECT_FALSE(Exists(User("SiteLists")));

  // The next start, with the list back, clears what the failed one left.
  WriteString(app / "SiteLists/Sites00004.dab", "list Sites00004.dab");
  ASSERT_TRUE(PrepareStart(in, st)) << st.BootErrorText;
  for (const char* name : kLists) EXPECT_TRUE(Exists(User("SiteLists/") + name)) << name;
  EXPECT_FALSE(Exists(User("SiteLists.new")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(User("SiteLists")), {}), 7);  // no temporaries
}

TEST_F(StartupTest, ExistingUserFilesAreLeftAlone) {
  MakeDirs(User("SiteLists"));
  WriteString(User("skelvorn.ini"), "0123456789");
  ASSERT_TRUE(PrepareStart(in, st)) << st.BootErrorText;
  EXPECT_TRUE(std::filesystem::is_empty(User("SiteLists")));
  EXPECT_EQ(ReadBytes(User("skelvorn.ini")),
            (std::vector<unsigned char>{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}));
}

TEST_F(StartupTest, ShippedSettingsMissingOrTooShortStopTheStart) {
  WriteBytes(app / "skelvorn.ini", std::vector<unsigned char>(999, 0));
  EXPECT_FALSE(PrepareStart(in, st));
  EXPECT_EQ(st.BootErrorText, "No App Data/App/Ini File, Error Copying It");
  std::remove((app / "skelvorn.ini").c_str());
  Module1State other;
  EXPECT_FALSE(PrepareStart(in, other));
  EXPECT_EQ(other.BootErrorText, "No App Data/App/Ini File, Error Copying It");
  EXPECT_FALSE(Exists(User("skelvorn.ini")));
}

TEST_F(StartupTest, DefPageWrittenOnlyWhenMissing) {
  ASSERT_TRUE(PrepareStart(in, st));
  const std::string want =
      "<html>\r\n<head>\r\n<title>Pre-Navigate Default Page</title>\r\n</head>\r\n<body>\r\n"
      "<p align=\"center\">___________________________</p>\r\n</body>\r\n</html>\r\n";
  EXPECT_EQ(ReadBytes(app / "DefPage.htm"), std::vector<unsigned char>(want.begin(), want.end()));
  WriteString(app / "DefPage.htm", "mine");
  ASSERT_TRUE(PrepareStart(in, st));
  EXPECT_EQ(ReadBytes(app / "DefPage.htm"), (std::vector<unsigned char>{'m', 'i', 'n', 'e'}));
}

TEST_F(StartupTest, StartPageResolution) {
  struct Row {
    const char* name;
    std::string stored;
    bool help;
    std::string want, wantUrl;
  };
  const Row rows[] = {
      {"OldHelpReanchored", "/old/place/skelvornaxHelp.htm", true, app / "skelvornaxHelp.htm",
       "file://" + (app / "skelvornaxHelp.htm")},
      {"WebAddressKept", "https://example.org/Path", true, "https://example.org/Path", "https://example.org/Path"},
      {"NoHelpFallsBack", "", false, app / "DefPage.htm", "file://" + (app / "DefPage.htm")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir freshData;
    in.dataHome = freshData.path();
    shipped.StartPage = row.stored;
    Ship();
    if (!row.help) std::remove((app / "skelvornaxHelp.htm").c_str());
    Module1State state;
    ASSERT_TRUE(PrepareStart(in, state)) << state.BootErrorText;
    EXPECT_EQ(state.Working.StartPage, row.want);
    EXPECT_EQ(state.StartPageUrl, row.wantUrl);
  }
}

TEST(CleanCommandLine, QuotesBecomeBlanks) {
  EXPECT_EQ(CleanCommandLine("\"/a b/page.htm\""), "/a b/page.htm");
  EXPECT_EQ(CleanCommandLine("/a\"b\"c"), "/a b c");
  EXPECT_EQ(CleanCommandLine("\"\""), "");
}

TEST(FindAppDir, BuildTreeOrTheDataBesideTheInstalledProgram) {
  TempDir tree;
  WriteString(tree / "skelvorn.ini", "x");
  // A build tree: the shipped settings lie next to the program.
  EXPECT_EQ(FindAppDir(tree / "skelvornax-browser", "../../share/skelvornax"), tree.path());
  // Installed anywhere: the data folder relative to the program's own.
  EXPECT_EQ(FindAppDir("/opt/x/libexec/skelvornax/skelvornax-browser", "../../share/skelvornax"),
            "/opt/x/share/skelvornax");
  EXPECT_EQ(FindAppDir("/usr/libexec/skelvornax/skelvornax-browser", "./../../share/./skelvornax/"),
            "/usr/share/skelvornax");
  EXPECT_EQ(FindAppDir("skelvornax-browser", "../share/skelvornax"), "./../share/skelvornax");
}

}  // namespace
