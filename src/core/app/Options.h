// The options window's rules, apart from its controls: the values it holds
// until they are saved, the start-page choices, the days spinner, what
// "Restore Defaults" puts back, and what saving changes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/app/SettingsRecord.h"

// What the window edits, held until "Save All Changes And Exit".
struct PendingOptions {
  std::string StartPage;
  int16_t NoToolTips = 0, NoDeleteWarnings = 0, BackupInEditor = 0, HoldNewWindowBox = 0, SeparateSelectors = 0,
          StoreDupUrls = 0, SkipSecurePages = 0, HideControlsMode = 0;
  int32_t HistoryDays = 0;
  std::string MessengerName, MessengerPath, MailName, MailPath;
};
PendingOptions PendingFrom(const Settings& s);

// What saving changed that the open windows must follow.
struct AppliedOptions {
  bool toolTipsChanged = false;   // every window's tooltips anew
  bool selectorsChanged = false;  // every main window's selectors anew
  bool historyShortened = false;  // the days to keep went down: purge now
};
// Stores the pending values in the working settings in the window's order;
// the program texts are trimmed.
AppliedOptions ApplyPendingOptions(const PendingOptions& p, Settings& s);

// The days spinner: one day a step, ten with Ctrl, within 0 .. 9999.
constexpr int32_t kMaxHistoryDays = 9999;
int32_t StepHistoryDays(int32_t days, int delta, bool ctrl);

// Tooltip 47, of the cycle button in its mail mode.
std::string MailToolTip(const std::string& mailName);

// The start-page choices of the first tab, by their option index.
enum class StartPageChoice { HelpPage = 0, BlankPage = 1, Typed = 2, CurrentPage = 3, NoChange = 4 };
struct StartPageOutcome {
  bool changed = false;
  std::string page;
  std::string missingMessage;  // shown first when the chosen file is missing
};
struct StartPagePlaces {
  std::string helpPage, blankPage, typed, currentPage;
  std::function<bool(const std::string&)> exists;
};
StartPageOutcome ChooseStartPage(StartPageChoice choice, const StartPagePlaces& at);
extern const char* const kNewDefaultShownText;  // after any change of the start page

// "Restore Defaults" of the first tab: the help page, else the blank page,
// else none (with the message); `choice` is the option that matches.
struct RestoredStartPage {
  std::string page;
  StartPageChoice choice = StartPageChoice::NoChange;
  std::string message;
};
RestoredStartPage RestoreStartPage(const StartPagePlaces& at);
extern const char* const kDefaultsRestoredText;

// Restore Defaults of the "Options" tab: every box clear, no hiding of the
// controls (the first of the three choices), 7 days.
void RestoreOptionDefaults(PendingOptions& p);

// A program path the settings may take: empty (no program), or an existing
// executable file. Otherwise the message that says why not.
std::string ProgramPathProblem(const std::string& caption, const std::string& path,
                               const std::function<bool(const std::string&)>& isExecutableFile);
