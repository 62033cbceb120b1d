// Process-wide state: the working settings, the locations start-up fixes,
// the tooltip table and the few flags windows share.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/app/SettingsRecord.h"
#include "core/browser/PageCommands.h"

inline const char* const kAppTitle = "skelvornax";

struct Module1State {
  Settings Working;

  std::string AppDir, UserDataDir, UserIniPath, HistoryDir, SiteListsDir, CatListPath;
  std::string DefPagePath, DefPageUrl, StartPageUrl, KillPopPagePath, KillPopPageUrl;
  std::string DontKillPath, FavoritesDir, CommandLineArg, HelpPagePath;
  std::string BootErrorText;
  std::array<std::string, 56> ToolTipTexts;

  int BusyWindowOpen = 0;
  int MsgBoxOpen = 0;
  int HistoryLogOff = 0;
  int HistoryWindowLoaded = 0;
  int AddFromHistory = 0;      // the list editor was opened to take History window rows
  int OptionsOpen = 0;         // the options window is open
  int16_t MailWindowMode = 0;  // 1 while the suggestions window is open
  int StartPageFlag = 0;       // 1 once a window of this run has loaded the start page
  int ScriptMessagesOff = 0;   // pages' script dialogs answered quietly
  int PopUpsKilled = 0;        // windows the pop-up killer closed in this run
  std::string LastPageTitle;   // of any main window, the kill page aside
  std::string ActiveMainWindowId;
  int TextSizeLevel = kDefaultTextSize;  // of every page in every window, 0..4
};

Module1State& Module1();

// Raises one of Module1's flags (MsgBoxOpen, BusyWindowOpen) for as long as
// it lives, so no path out of a dialog or window can leave it set. The flag
// counts: it stays up while any of the boxes or windows that raised it is
// open (a message box over a message box, the editor and the options
// window closing in either order), so read it as zero or not.
class FlagScope {
 public:
  explicit FlagScope(int& flag) : flag_(flag) { ++flag_; }
  ~FlagScope() {
    if (flag_ > 0) --flag_;
  }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  int& flag_;
};
