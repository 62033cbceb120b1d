// The settings record: the one 1696-byte record of "skelvorn.ini".
//
// Layout (little-endian; I16 = int16, I32 = int32, F32 = float, F64 = double
// day count since 30 Dec 1899; text = Windows-1252, blank padded):
//
//   0 F32 MainLeft        4 F32 MainTop         8 F32 MainWidth      12 F32 MainHeight
//  16 F32 EditorWidth    20 F32 EditorHeight   24 I16 Spare24 (0)    26 hole
//  28 I32 InstallMarker  32 text300 StartPage 332 I32 Reserved332   336 I16 SkipSecurePages
// 338 text128 ListFontName  466 I16 ListFontBold (0/-1)  468 F32 ListFontSize
// 472..484 F32 EditorColWidth1..4   488 I16 NoToolTips  490 I16 NoDeleteWarnings
// 492 I16 SeparateSelectors  494 hole  496 F64 LastBackupDate  504 I16 ScriptErrMode
// 506 I16 BackupInEditor  508 I16 KillPopUps  510 I16 HoldNewWindowBox
// 512 I16 RefreshMinutes  514 I16 StatusBarHidden  516 I16 HideControlsMode  518 hole
// 520 I32 HistoryDays  524 raw248 Reserved524  772..816 F32 HistoryLayout1..12
// 820 I16 HistOneClick  822 I16 HistPushUp  824 I16 HistDupes  826 I16 BoomOnKill
// 828 text256 MessengerPath  1084 text256 MailPath  1340 text32 MessengerName
// 1372 text256 MailName  1628 I16 StoreDupUrls  1630 hole  1632 I32 PanelColor
// 1636 I16 CheckBoxesToggle  1638 I16 TimerSwapMode  1640 I16 CycleMode12
// 1642 I16 CycleMode9  1644 I32 Reserved1644  1648..1660 F32 SelColWidth1..4
// 1664 I32 Reserved1664  1668 I16 RefreshMode  1670 I16 ClockOn  1672 I16 ClockMode
// 1674 I16 HistOnTop  1676 I16 HistShowTime  1678 hole  1680..1692 F32 DontKillLayout1..4
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/app/Dates.h"

namespace settings_layout {
constexpr std::size_t kRecordSize = 1696;
constexpr std::size_t kMinShippedSize = 1000;
constexpr std::size_t kMainLeft = 0, kMainTop = 4, kMainWidth = 8, kMainHeight = 12;
constexpr std::size_t kEditorWidth = 16, kEditorHeight = 20, kSpare24 = 24;
constexpr std::size_t kInstallMarker = 28, kStartPage = 32, kStartPageWidth = 300;
constexpr std::size_t kReserved332 = 332, kSkipSecurePages = 336;
constexpr std::size_t kListFontName = 338, kListFontNameWidth = 128;
constexpr std::size_t kListFontBold = 466, kListFontSize = 468;
constexpr std::size_t kEditorColWidth1 = 472;  // four F32
constexpr std::size_t kNoToolTips = 488, kNoDeleteWarnings = 490, kSeparateSelectors = 492;
constexpr std::size_t kLastBackupDate = 496, kScriptErrMode = 504, kBackupInEditor = 506;
constexpr std::size_t kKillPopUps = 508, kHoldNewWindowBox = 510, kRefreshMinutes = 512;
constexpr std::size_t kStatusBarHidden = 514, kHideControlsMode = 516, kHistoryDays = 520;
constexpr std::size_t kReserved524 = 524, kReserved524Width = 248;
constexpr std::size_t kHistoryLayout1 = 772;  // twelve F32
constexpr std::size_t kHistOneClick = 820, kHistPushUp = 822, kHistDupes = 824, kBoomOnKill = 826;
constexpr std::size_t kMessengerPath = 828, kMailPath = 1084, kPathWidth = 256;
constexpr std::size_t kMessengerName = 1340, kMessengerNameWidth = 32;
constexpr std::size_t kMailName = 1372, kMailNameWidth = 256;
constexpr std::size_t kStoreDupUrls = 1628, kPanelColor = 1632, kCheckBoxesToggle = 1636;
constexpr std::size_t kTimerSwapMode = 1638, kCycleMode12 = 1640, kCycleMode9 = 1642;
constexpr std::size_t kReserved1644 = 1644, kSelColWidth1 = 1648;  // four F32
constexpr std::size_t kReserved1664 = 1664, kRefreshMode = 1668, kClockOn = 1670;
constexpr std::size_t kClockMode = 1672, kHistOnTop = 1674, kHistShowTime = 1676;
constexpr std::size_t kDontKillLayout1 = 1680;  // four F32
static_assert(kDontKillLayout1 + 4 * 4 == kRecordSize, "settings record is 1696 bytes");
}  // namespace settings_layout

constexpr int32_t kFreshInstallMarker = 55555;
constexpr int32_t kPanelColorWindow = static_cast<int32_t>(0x80000005u);  // themed background
constexpr int32_t kPanelColorButtonFace = static_cast<int32_t>(0x8000000Fu);

// The working settings every window reads and changes.
struct Settings {
  float MainLeft = 0, MainTop = 0, MainWidth = 0, MainHeight = 0;
  float EditorWidth = 0, EditorHeight = 0;
  int32_t InstallMarker = 0;
  std::string StartPage;
  int32_t Reserved332 = 0;
  int16_t SkipSecurePages = 0;  // 1: https pages are not written to the history
  std::string ListFontName;
  bool ListFontBold = false;
  float ListFontSize = 0;
  std::array<float, 4> EditorColWidth{};
  int16_t NoToolTips = 0, NoDeleteWarnings = 0, SeparateSelectors = 0;
  double LastBackupDate = 0;
  int16_t ScriptErrMode = 0, BackupInEditor = 0, KillPopUps = 0, HoldNewWindowBox = 0;
  int16_t RefreshMinutes = 0, StatusBarHidden = 0, HideControlsMode = 0;
  int32_t HistoryDays = 0;
  std::array<unsigned char, settings_layout::kReserved524Width> Reserved524{};
  std::array<float, 12> HistoryLayout{};
  int16_t HistOneClick = 0, HistPushUp = 0, HistDupes = 0, BoomOnKill = 0;
  std::string MessengerPath, MailPath, MessengerName, MailName;
  int16_t StoreDupUrls = 0;
  int32_t PanelColor = 0;
  int16_t CheckBoxesToggle = 0, TimerSwapMode = 0, CycleMode12 = 0, CycleMode9 = 0;
  int32_t Reserved1644 = 0;
  std::array<float, 4> SelColWidth{};
  int32_t Reserved1664 = 0;
  int16_t RefreshMode = 0, ClockOn = 0, ClockMode = 0, HistOnTop = 0, HistShowTime = 0;
  std::array<float, 4> DontKillLayout{};
};

using RecordBytes = std::vector<unsigned char>;

// Decodes a record; missing bytes of a short buffer read as zeros. Text
// fields are cut at a NUL and trimmed.
Settings DecodeSettings(const RecordBytes& record);
RecordBytes EncodeSettings(const Settings& s);  // exactly kRecordSize bytes

// What the load rules need to know about the machine and the moment.
// The smallest main window the load rules allow (twips); a size at this
// floor was never saved by a window.
constexpr float kMainFloorWidth = 7095, kMainFloorHeight = 5445;

struct LoadContext {
  double today = 0;                // day number of the local date (no time)
  float screenWidthTwips = 19200;  // primary monitor work area
  float screenHeightTwips = 15360;
};

// Load rules, in their order: column widths, cycle modes, panel colour,
// program texts, history/status/refresh ranges, install marker, script mode
// and window geometry.
void ApplyLoadRules(Settings& s, const LoadContext& ctx);
void ApplyGeometryRules(Settings& s, const LoadContext& ctx);
// The last load rule, the list font, on its own: listing the installed fonts
// and asking the desktop's interface font (only when no better list font is
// installed; none: the first font) cost tens of milliseconds, which start-up
// spends after the first page is asked for.
void ApplyListFontRules(Settings& s, const std::vector<std::string>& installedFonts,
                        const std::function<std::string()>& interfaceFont = {});

// File access. LoadSettings reads record 1 (a short file reads as zeros);
// nullopt when the file cannot be read. SaveSettings replaces the file crash-safely.

std::optional<Settings> LoadSettings(const std::string& path);
bool SaveSettings(const std::string& path, const Settings& s);
