// The launcher's command line and where it looks for the browser program.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/app/CommandLine.h"
#include "launcher/Launcher.h"

namespace {

std::optional<std::string> LineOf(const std::vector<const char*>& args) {
  std::vector<const char*> argv = {"skelvornax"};
  argv.insert(argv.end(), args.begin(), args.end());
  return LauncherCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(LauncherCommandLine, JoinedAndCleanedLikeTheBrowserDoes) {
  EXPECT_EQ(LineOf({}), "");
  // Quotes are blanked and the ends trimmed; blanks inside are kept.
  EXPECT_EQ(LineOf({"\"/tmp/a b/page.htm\""}), "/tmp/a b/page.htm");
  EXPECT_EQ(LineOf({"/tmp/a", "b.htm"}), "/tmp/a b.htm");
  EXPECT_EQ(LineOf({"", "x", ""}), "x");
  EXPECT_EQ(LineOf({"https://e.org/?q=-x&y=--z"}), "https://e.org/?q=-x&y=--z");
}

TEST(LauncherCommandLine, LeavesAnythingTheToolkitMightTakeToTheBrowser) {
  // The option parser may drop the separator "--".
  for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
           {"--display", ":1", "page.htm"}, {"page.htm", "--class=Other"}, {"--", "page.htm"}, {"-"}, {"-x"}})
    EXPECT_EQ(LineOf(args), std::nullopt) << args.front();
}

TEST(BrowserCandidates, NextToTheLauncherFirstThenInstalled) {
  EXPECT_EQ(BrowserCandidates("/work/build/skelvornax", "/usr/libexec/skelvornax/skelvornax-browser"),
            (std::vector<std::string>{"/work/build/skelvornax-browser", "/usr/libexec/skelvornax/skelvornax-browser"}));
  // Its own file unknown: only the installed one.
  EXPECT_EQ(BrowserCandidates("", "/usr/libexec/skelvornax/skelvornax-browser"),
            (std::vector<std::string>{"/usr/libexec/skelvornax/skelvornax-browser"}));
  // Installed next to each other: looked for once.
  EXPECT_EQ(BrowserCandidates("/opt/s/skelvornax", "/opt/s/skelvornax-browser"),
            (std::vector<std::string>{"/opt/s/skelvornax-browser"}));
}

TEST(BrowserCandidates, NoneStartsIsAnErrorNotAHang) {
  // execv fails for every candidate: the launcher reports and returns 1.
  const char* argv[] = {"skelvornax", nullptr};
  testing::internal::CaptureStderr();
  const int code = ExecBrowser({"/nonexistent/skelvornax-browser", "/also/missing"}, const_cast<char**>(argv));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_NE(err.find("/also/missing"), std::string::npos) << err;  // every place tried is named
  EXPECT_EQ(ExecBrowser({}, const_cast<char**>(argv)), 1);
}

}  // namespace
