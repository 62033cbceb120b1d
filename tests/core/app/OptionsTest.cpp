// The options window's rules without the window: the days spinner, the
// start-page choices, what saving changes, and the program paths it takes.
#include <gtest/gtest.h>

#include <set>

#include "core/app/Options.h"
#include "core/browser/Addresses.h"

namespace {

TEST(Options, TheDaySpinnerStepsByOneOrTenWithinItsBounds) {
  struct Row {
    const char* name;
    int32_t days;
    int delta;
    bool ctrl;
    int32_t expected;
  };
  const Row rows[] = {
      {"Up", 7, +1, false, 8},
      {"DownWithCtrl", 30, -1, true, 20},
      {"StopsAtNought", 0, -1, false, 0},
      {"CtrlStopsAtNought", 4, -1, true, 0},
      {"StopsAtTheTop", 9999, +1, false, 9999},
      {"CtrlStopsAtTheTop", 9995, +1, true, 9999},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(StepHistoryDays(r.days, r.delta, r.ctrl), r.expected);
  }
}

TEST(Options, SavingTellsWhatTheOpenWindowsMustFollow) {
  Settings s;
  s.NoToolTips = 0, s.SeparateSelectors = 0, s.HistoryDays = 30, s.StartPage = "/old.htm";
  PendingOptions p = PendingFrom(s);
  AppliedOptions a = ApplyPendingOptions(p, s);
  EXPECT_FALSE(a.toolTipsChanged || a.selectorsChanged || a.historyShortened);  // nothing changed

  p.NoToolTips = 1;
  p.SeparateSelectors = 1;
  p.HistoryDays = 3;
  p.SkipSecurePages = 1;
  p.StartPage = "https://start.example/";
  p.MailName = "  Evolution  ";
  p.MailPath = " /usr/bin/evolution ";
  a = ApplyPendingOptions(p, s);
  EXPECT_TRUE(a.toolTipsChanged && a.selectorsChanged && a.historyShortened);
  EXPECT_EQ(s.HistoryDays, 3);
  EXPECT_EQ(s.SkipSecurePages, 1);
  EXPECT_EQ(s.StartPage, "https://start.example/");
  EXPECT_EQ(s.MailName, "Evolution");
  EXPECT_EQ(s.MailPath, "/usr/bin/evolution");
  p.HistoryDays = 30;  // raising the days again purges nothing
  EXPECT_FALSE(ApplyPendingOptions(p, s).historyShortened);
  EXPECT_EQ(MailToolTip("Evolution"), "Open Evolution (Right-Click To Cycle)");
}

TEST(Options, StartPageChoicesAndWhatTheyTellWhenAFileIsMissing) {
  std::set<std::string> files = {"/app/skelvornaxHelp.htm"};
  StartPagePlaces at{"/app/skelvornaxHelp.htm", "/data/DefPage.htm", "example.org", "https://shown.example/",
                     [&files](const std::string& p) { return files.count(p) > 0; }};
  struct Row {
    const char* name;
    StartPageChoice choice;
    bool changed;
    std::string page;
    bool missing;
  };
  const Row rows[] = {
      {"HelpPage", StartPageChoice::HelpPage, true, "/app/skelvornaxHelp.htm", false},
      {"BlankPageMissingStillChosen", StartPageChoice::BlankPage, true, "/data/DefPage.htm", true},
      {"Typed", StartPageChoice::Typed, true, "example.org", false},
      {"CurrentPage", StartPageChoice::CurrentPage, true, "https://shown.example/", false},
      {"NoChange", StartPageChoice::NoChange, false, "", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const StartPageOutcome out = ChooseStartPage(r.choice, at);
    EXPECT_EQ(out.changed, r.changed);
    EXPECT_EQ(out.page, r.page);
    EXPECT_EQ(!out.missingMessage.empty(), r.missing);
  }
  EXPECT_EQ(ChooseStartPage(StartPageChoice::BlankPage, at).missingMessage,
            "The skelvornax DefPage.htm file Is Missing, Select Something Else.");

  EXPECT_EQ(RestoreStartPage(at).page, "/app/skelvornaxHelp.htm");
  files = {"/data/DefPage.htm"};
  EXPECT_EQ(RestoreStartPage(at).choice, StartPageChoice::BlankPage);
  files.clear();
  const RestoredStartPage none = RestoreStartPage(at);
  EXPECT_EQ(none.page, "");
  EXPECT_EQ(none.message, "The Default Start Page Files Are Missing, No Page Is Now Selected.");
}

TEST(Options, OnlyAProgramOrNothingIsTakenForAProgramPath) {
  const auto isProgram = [](const std::string& p) { return p == "/usr/bin/evolution"; };
  EXPECT_EQ(ProgramPathProblem("Mail", "", isProgram), "");
  EXPECT_EQ(ProgramPathProblem("Mail", "  /usr/bin/evolution ", isProgram), "");
  const std::string problem = ProgramPathProblem("Mail", "C:\\Program Files\\Outlook Express\\msimn.exe", isProgram);
  EXPECT_EQ(problem.find("The Mail program \"C:\\Program Files"), 0u) << problem;
  PendingOptions p;
  p.NoToolTips = p.StoreDupUrls = p.SkipSecurePages = 1;
  p.HideControlsMode = 2;
  p.HistoryDays = 400;
  RestoreOptionDefaults(p);
  EXPECT_EQ(p.NoToolTips + p.StoreDupUrls + p.SkipSecurePages + p.HideControlsMode, 0);
  EXPECT_EQ(p.HistoryDays, 7);
}

TEST(Options, TheSuggestionsMailAddressCannotBeWidened) {
  EXPECT_EQ(MailtoUri("a@b.org", "Suggestions And Bugs"), "mailto:a@b.org?subject=Suggestions%20And%20Bugs");
  // A crafted address cannot add a second field or recipient.
  EXPECT_EQ(MailtoUri("a@b.org?cc=x@y.org&body=hi", "s"), "mailto:a@b.org%3Fcc%3Dx@y.org%26body%3Dhi?subject=s");
}

}  // namespace
