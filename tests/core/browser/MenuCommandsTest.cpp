// How the menu starts configured programs and which shortcut addresses it follows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/browser/MenuCommands.h"

namespace {

TEST(MenuCommands, ProgramPathIsOneArgumentWithItsBlanksAndQuotes) {
  struct Row {
    const char* name;
    std::string path;
    std::vector<std::string> argv;
  };
  const std::vector<Row> rows = {
      {"Blank", "   ", {}},
      {"Plain", "/usr/bin/mail", {"/usr/bin/mail"}},
      {"BlanksStay", "  /opt/My Mail/run mail  ", {"/opt/My Mail/run mail"}},
      {"QuotedPathLosesTheQuotes", "\"/opt/My Mail/mail\"", {"/opt/My Mail/mail"}},
      {"InnerQuotesStay", "/opt/a \"b\" c", {"/opt/a \"b\" c"}},
      {"ShellWordsAreNotSplit", "mail; rm -rf ~", {"mail; rm -rf ~"}},
      {"ALoneQuoteStays", "\"/opt/mail", {"\"/opt/mail"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ProgramArgv(r.path), r.argv);
  }
}

TEST(MenuCommands, ShortcutsOpenOnlyWebAndFileAddresses) {
  struct Row {
    const char* url;
    bool openable;
  };
  const Row rows[] = {{"http://a.example/", true},
                      {"HTTPS://a.example/", true},
                      {"file:///home/a.html", true},
                      {"javascript:alert(1)", false},
                      {"data:text/html,x", false},
                      {"http://", false},
                      {"", false},
                      {"about:blank", false}};
  for (const Row& r : rows) EXPECT_EQ(IsOpenableShortcutUrl(r.url), r.openable) << r.url;
}

TEST(MenuCommands, NamesFromTheSettingsBecomeCaptions) {
  EXPECT_EQ(NameCaption("Thunderbird"), "_Thunderbird");
  EXPECT_EQ(NameCaption("my_mail"), "_my__mail");  // shown as typed, not as an access key
}

}  // namespace
