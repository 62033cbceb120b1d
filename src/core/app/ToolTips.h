// The shared tooltip table and the names of its slots.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Slots of the table, by the control they describe.
namespace tips {
enum Slot : std::size_t {
  // main window
  kMenu = 0,
  kConnection = 1,
  kRefreshInterval = 2,  // follows the interval's number
  kIntervalButtons = 3,
  kMinutesLeft = 4,
  kListEditor = 5,
  kRefresh = 6,  // names the refresh level
  kBack = 7,
  kForward = 8,
  kToolbarStrip = 9,
  kAddressBox = 10,
  kSelector = 11,
  kGo = 12,
  // list editor
  kAddCategory = 13,
  kCategoryBox = 14,
  kDeleteCategory = 15,
  kAddThisPage = 16,
  kDestinationCategory = 17,
  kDeleteSites = 18,
  kAddAddress = 19,
  kAddressEntry = 20,
  kBorderUp = 21,
  kBorderDown = 22,
  kImportFavorites = 23,
  kBackUp = 24,
  kRestore = 25,
  // main window check boxes
  kNewWindowBox = 26,
  kFullScreenBox = 27,
  // History window
  kPeriod = 28,
  kSearchMode = 29,
  kSearch = 30,
  kSearchText = 31,
  kAddHistoryToCategory = 32,
  kOneClick = 33,
  kPushUp = 34,
  kDupes = 35,
  // full-screen window
  kFullClose = 36,
  kFullAddPage = 37,
  kFullCaption = 38,
  kFullDock = 39,
  kFullRefresh = 40,
  kFullForward = 41,
  kFullBack = 42,
  // the two cycle buttons, one slot per mode
  kCycle12First = 43,  // Stop, Find, Full
  kCycle9First = 46,   // History, Mail, Offline
  kCycleMail = 47,
  kCycleOffline = 48,
  kSwapButtons = 49,
  kCheckBoxToggle = 50,
  kClock = 51,
  kHistoryLogging = 52,
};
}  // namespace tips

// "Normal", "If Expired", "Completely" for levels 0, 1, 3; else "".
std::string RefreshModeName(int16_t mode);
std::string RefreshToolTip(int16_t mode);  // tooltip 6
// The shared table of 56 tooltips; slots 53..55 stay empty.
std::array<std::string, 56> BuildToolTipTexts(const std::string& title, int16_t refreshMode,
                                              const std::string& mailName);
