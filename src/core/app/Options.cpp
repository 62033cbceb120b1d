#include "core/app/Options.h"

#include <algorithm>

#include "core/app/Module1.h"
#include "core/records/Coding.h"

const char* const kNewDefaultShownText =
    "Your New Default Is Shown In The TextBox. . Make Sure It Is Correct.\n"
    "Then Click The -Save All Changes And Exit- Button, When You're Done.";
const char* const kDefaultsRestoredText =
    "Defaults Restored On This Tab. Changes Will Be Saved When\nYou Click The -Save All Changes And Exit- Button.";

PendingOptions PendingFrom(const Settings& s) {
  PendingOptions p;
  p.StartPage = s.StartPage;
  p.NoToolTips = s.NoToolTips;
  p.NoDeleteWarnings = s.NoDeleteWarnings;
  p.BackupInEditor = s.BackupInEditor;
  p.HoldNewWindowBox = s.HoldNewWindowBox;
  p.SeparateSelectors = s.SeparateSelectors;
  p.StoreDupUrls = s.StoreDupUrls;
  p.SkipSecurePages = s.SkipSecurePages;
  p.HideControlsMode = s.HideControlsMode;
  p.HistoryDays = s.HistoryDays;
  p.MessengerName = s.MessengerName;
  p.MessengerPath = s.MessengerPath;
  p.MailName = s.MailName;
  p.MailPath = s.MailPath;
  return p;
}

AppliedOptions ApplyPendingOptions(const PendingOptions& p, Settings& s) {
  AppliedOptions a;
  s.StartPage = p.StartPage;
  s.HoldNewWindowBox = p.HoldNewWindowBox;
  a.toolTipsChanged = s.NoToolTips != p.NoToolTips;
  s.NoToolTips = p.NoToolTips;
  s.NoDeleteWarnings = p.NoDeleteWarnings;
  s.BackupInEditor = p.BackupInEditor;
  a.selectorsChanged = s.SeparateSelectors != p.SeparateSelectors;
  s.SeparateSelectors = p.SeparateSelectors;
  s.StoreDupUrls = p.StoreDupUrls;
  s.SkipSecurePages = p.SkipSecurePages;
  a.historyShortened = p.HistoryDays < s.HistoryDays;
  s.HistoryDays = p.HistoryDays;
  s.HideControlsMode = p.HideControlsMode;
  s.MessengerPath = coding::TrimBlanks(p.MessengerPath);
  s.MailPath = coding::TrimBlanks(p.MailPath);
  s.MessengerName = coding::TrimBlanks(p.MessengerName);
  s.MailName = coding::TrimBlanks(p.MailName);
  return a;
}

int32_t StepHistoryDays(int32_t days, int delta, bool ctrl) {
  const int64_t next = static_cast<int64_t>(days) + static_cast<int64_t>(delta) * (ctrl ? 10 : 1);
  return static_cast<int32_t>(std::clamp<int64_t>(next, 0, kMaxHistoryDays));
}

std::string MailToolTip(const std::string& mailName) { return "Open " + mailName + " (Right-Click To Cycle)"; }

StartPageOutcome ChooseStartPage(StartPageChoice choice, const StartPagePlaces& at) {
  StartPageOutcome out;
  const std::string title = kAppTitle;
  switch (choice) {
    case StartPageChoice::HelpPage:
      out.page = at.helpPage;
      if (!at.exists(at.helpPage))
        out.missingMessage = "The " + title + " Help file Is Missing, Select Something Else.";
      break;
    case StartPageChoice::BlankPage:
      out.page = at.blankPage;
      if (!at.exists(at.blankPage))
        out.missingMessage = "The " + title + " DefPage.htm file Is Missing, Select Something Else.";
      break;
    case StartPageChoice::Typed:
      out.page = at.typed;
      break;
    case StartPageChoice::CurrentPage:
      out.page = at.currentPage;
      break;
    case StartPageChoice::NoChange:
      return out;
  }
  out.changed = true;
  return out;
}

RestoredStartPage RestoreStartPage(const StartPagePlaces& at) {
  if (at.exists(at.helpPage)) return {at.helpPage, StartPageChoice::HelpPage, ""};
  if (at.exists(at.blankPage)) return {at.blankPage, StartPageChoice::BlankPage, ""};
  return {"", StartPageChoice::Typed, "The Default Start Page Files Are Missing, No Page Is Now Selected."};
}

void RestoreOptionDefaults(PendingOptions& p) {
  p.NoToolTips = p.NoDeleteWarnings = p.BackupInEditor = p.HoldNewWindowBox = p.SeparateSelectors = 0;
  p.StoreDupUrls = p.SkipSecurePages = 0;
  p.HideControlsMode = 0;
  p.HistoryDays = 7;
}

std::string ProgramPathProblem(const std::string& caption, const std::string& path,
                               const std::function<bool(const std::string&)>& isExecutableFile) {
  const std::string trimmed = coding::TrimBlanks(path);
  if (trimmed.empty() || isExecutableFile(trimmed)) return "";
  return "The " + caption + " program \"" + trimmed +
         "\" Is Not A Program On This Computer.\nChoose An Existing Program File, Or Leave The Box Empty.";
}
