// The launcher's command line and where it looks for the browser program.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/app/CommandLine.h"
#include "launcher/Launcher.h"

namespace {

using Args = std::vector<std::string>;
using Addresses = std::vector<std::string>;

bool NoFile(const std::string&) { return false; }

TEST(StartArguments, HelpVersionAndRefusedOptions) {
  struct Row {
    const char* name;
    Args args;
    StartRequest::Kind kind;
    std::string bad;
  };
  const Row rows[] = {
      {"Help", {"--help"}, StartRequest::Kind::Help, ""},
      {"ShortHelpAmongAddresses", {"a.org", "-h"}, StartRequest::Kind::Help, ""},
      {"Version", {"--version", "--bogus"}, StartRequest::Kind::Version, ""},
      {"UnknownOption", {"a.org", "--bogus", "-x"}, StartRequest::Kind::BadOption, "--bogus"},
      {"AfterTheEndOfOptions", {"--", "--bogus"}, StartRequest::Kind::Browse, ""},
      {"HelpAfterTheEndIsAnAddress", {"--", "--help"}, StartRequest::Kind::Browse, ""},
      {"ALoneDashIsAnAddress", {"-"}, StartRequest::Kind::Browse, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const StartRequest got = ParseStartArguments(r.args, NoFile);
    EXPECT_EQ(got.kind, r.kind);
    EXPECT_EQ(got.badOption, r.bad);
  }
  EXPECT_EQ(BadOptionText("--bogus"), "skelvornax: unknown option --bogus (see skelvornax --help)\n");
  EXPECT_EQ(VersionText().rfind("skelvornax ", 0), 0u);
}

TEST(StartArguments, EachAddressOpensAWindowUnlessTogetherTheyNameAFile) {
  const auto isFile = [](const std::string& p) { return p == "/tmp/a b.htm"; };
  struct Row {
    const char* name;
    Args args;
    Addresses addresses;
  };
  const Row rows[] = {
      {"None", {}, {}},
      {"QuotedPath", {"\"/tmp/a b/page.htm\""}, {"/tmp/a b/page.htm"}},
      {"SeveralAddresses", {"a.org", "https://b.org/?q=-x"}, {"a.org", "https://b.org/?q=-x"}},
      {"UnquotedPathWithABlank", {"/tmp/a", "b.htm"}, {"/tmp/a b.htm"}},
      {"BlankArgumentsDropped", {"", "x", "  "}, {"x"}},
      {"AfterTheEndOfOptions", {"--", "-page.htm"}, {"-page.htm"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ParseStartArguments(r.args, isFile).addresses, r.addresses);
    EXPECT_EQ(LauncherAddresses(r.args, isFile),
              r.args.empty() || r.args.front() != "--" ? std::optional<Addresses>(r.addresses) : std::nullopt);
  }
}

TEST(StartArguments, LauncherLeavesAnythingTheToolkitMightTakeToTheBrowser) {
  // The option parser may drop the separator "--".
  for (const Args& args : std::vector<Args>{
           {"--display", ":1", "page.htm"}, {"page.htm", "--class=Other"}, {"--", "page.htm"}, {"-"}, {"-x"}})
    EXPECT_EQ(LauncherAddresses(args, NoFile), std::nullopt) << args.front();
}

TEST(BrowserCandidates, NextToTheLauncherFirstThenWhereItIsInstalledFromThere) {
  EXPECT_EQ(BrowserCandidates("/opt/p/bin/skelvornax", "../libexec/skelvornax/skelvornax-browser"),
            (std::vector<std::string>{"/opt/p/bin/skelvornax-browser",
                                      "/opt/p/bin/../libexec/skelvornax/skelvornax-browser"}));
  EXPECT_TRUE(BrowserCandidates("", "../libexec/skelvornax/skelvornax-browser").empty());  // its own file unknown
  // Installed next to each other: looked for once.
  EXPECT_EQ(BrowserCandidates("/opt/s/skelvornax", "skelvornax-browser"),
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
