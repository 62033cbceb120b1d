// Becoming the desktop's default web browser, in a private data and
// settings folder with and without the program's launcher entry.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/DefaultBrowser.h"
#include "support/TestDirs.h"

namespace {

const char* const kId = "org.skelvornax.Browser.desktop";

class DefaultBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);  // no other browser installed
    MakeDirs(home / "data/applications");
    MakeDirs(home / "config");
    // The desktop only takes an entry whose program it can find.
    MakeDirs(home / "bin");
    WriteString(home / "bin/skelvornax", "#!/bin/sh\n");
    ::chmod((home / "bin/skelvornax").c_str(), 0755);
    setenv("PATH", (home / "bin:" + std::string(getenv("PATH") ? getenv("PATH") : "/usr/bin")).c_str(), 1);
  }
  TempDir home;
};

TEST_F(DefaultBrowser, AnInstalledEntryBecomesTheHandlerOfWebAddressesAndPages) {
  std::ifstream entry(std::string(SKELVORNAX_SOURCE_DIR) + "/data/" + kId);
  std::stringstream text;
  text << entry.rdbuf();
  WriteString(home / "data/applications/" + kId, text.str());
  EXPECT_FALSE(IsDefaultBrowser(kId));
  std::string why;
  ASSERT_TRUE(MakeDefaultBrowser(kId, &why)) << why;
  EXPECT_TRUE(IsDefaultBrowser(kId));
  const auto bytes = ReadBytes(home / "config/mimeapps.list");
  const std::string list(bytes.begin(), bytes.end());
  for (const char* type : {"x-scheme-handler/http=", "x-scheme-handler/https=", "text/html="})
    EXPECT_NE(list.find(std::string(type) + kId), std::string::npos) << type;
}

TEST_F(DefaultBrowser, WithoutItsEntryTheDesktopIsLeftAloneAndTheReasonGiven) {
  std::string why;
  EXPECT_FALSE(MakeDefaultBrowser(kId, &why));
  EXPECT_NE(why.find("not installed"), std::string::npos) << why;
  EXPECT_FALSE(Exists(home / "config/mimeapps.list"));
  EXPECT_FALSE(IsDefaultBrowser(kId));
}

}  // namespace
