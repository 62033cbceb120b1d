#include "core/app/SettingsRecord.h"

#include <cmath>

#include "core/records/Coding.h"
#include "core/records/FileOps.h"

using namespace settings_layout;
using namespace coding;

namespace {

constexpr float kMaxTwips = 1e9f;      // far beyond any screen
constexpr float kMaxFontSize = 10000;  // points

template <std::size_t N>
void GetFloats(const RecordBytes& r, std::size_t off, std::array<float, N>& out) {
  for (std::size_t i = 0; i < N; ++i) out[i] = GetF32(r, off + 4 * i);
}

template <std::size_t N>
void PutFloats(RecordBytes& r, std::size_t off, const std::array<float, N>& in) {
  for (std::size_t i = 0; i < N; ++i) PutF32(r, off + 4 * i, in[i]);
}

void DefaultIfEmpty(std::string& field, const char* fallback) {
  if (field.empty()) field = fallback;
}

template <typename T>
void ZeroUnlessWithin(T& v, T low, T high) {
  if (v < low || v > high) v = 0;
}

}  // namespace

Settings DecodeSettings(const RecordBytes& r) {
  Settings s;
  s.MainLeft = GetF32(r, kMainLeft);
  s.MainTop = GetF32(r, kMainTop);
  s.MainWidth = GetF32(r, kMainWidth);
  s.MainHeight = GetF32(r, kMainHeight);
  s.EditorWidth = GetF32(r, kEditorWidth);
  s.EditorHeight = GetF32(r, kEditorHeight);
  s.InstallMarker = GetI32(r, kInstallMarker);
  s.StartPage = GetText(r, kStartPage, kStartPageWidth);
  s.Reserved332 = GetI32(r, kReserved332);
  s.SkipSecurePages = GetI16(r, kSkipSecurePages);
  s.ListFontName = GetText(r, kListFontName, kListFontNameWidth);
  s.ListFontBold = GetI16(r, kListFontBold) != 0;
  s.ListFontSize = GetF32(r, kListFontSize);
  GetFloats(r, kEditorColWidth1, s.EditorColWidth);
  s.NoToolTips = GetI16(r, kNoToolTips);
  s.NoDeleteWarnings = GetI16(r, kNoDeleteWarnings);
  s.SeparateSelectors = GetI16(r, kSeparateSelectors);
  s.LastBackupDate = GetF64(r, kLastBackupDate);
  s.ScriptErrMode = GetI16(r, kScriptErrMode);
  s.BackupInEditor = GetI16(r, kBackupInEditor);
  s.KillPopUps = GetI16(r, kKillPopUps);
  s.HoldNewWindowBox = GetI16(r, kHoldNewWindowBox);
  s.RefreshMinutes = GetI16(r, kRefreshMinutes);
  s.StatusBarHidden = GetI16(r, kStatusBarHidden);
  s.HideControlsMode = GetI16(r, kHideControlsMode);
  s.HistoryDays = GetI32(r, kHistoryDays);
  for (std::size_t i = 0; i < kReserved524Width; ++i)
    s.Reserved524[i] = kReserved524 + i < r.size() ? r[kReserved524 + i] : 0;
  GetFloats(r, kHistoryLayout1, s.HistoryLayout);
  s.HistOneClick = GetI16(r, kHistOneClick);
  s.HistPushUp = GetI16(r, kHistPushUp);
  s.HistDupes = GetI16(r, kHistDupes);
  s.BoomOnKill = GetI16(r, kBoomOnKill);
  s.MessengerPath = GetText(r, kMessengerPath, kPathWidth);
  s.MailPath = GetText(r, kMailPath, kPathWidth);
  s.MessengerName = GetText(r, kMessengerName, kMessengerNameWidth);
  s.MailName = GetText(r, kMailName, kMailNameWidth);
  s.StoreDupUrls = GetI16(r, kStoreDupUrls);
  s.PanelColor = GetI32(r, kPanelColor);
  s.CheckBoxesToggle = GetI16(r, kCheckBoxesToggle);
  s.TimerSwapMode = GetI16(r, kTimerSwapMode);
  s.CycleMode12 = GetI16(r, kCycleMode12);
  s.CycleMode9 = GetI16(r, kCycleMode9);
  s.Reserved1644 = GetI32(r, kReserved1644);
  GetFloats(r, kSelColWidth1, s.SelColWidth);
  s.Reserved1664 = GetI32(r, kReserved1664);
  s.RefreshMode = GetI16(r, kRefreshMode);
  s.ClockOn = GetI16(r, kClockOn);
  s.ClockMode = GetI16(r, kClockMode);
  s.HistOnTop = GetI16(r, kHistOnTop);
  s.HistShowTime = GetI16(r, kHistShowTime);
  GetFloats(r, kDontKillLayout1, s.DontKillLayout);
  return s;
}

RecordBytes EncodeSettings(const Settings& s) {
  RecordBytes r(kRecordSize, 0);  // holes and Spare24 stay zero
  PutF32(r, kMainLeft, s.MainLeft);
  PutF32(r, kMainTop, s.MainTop);
  PutF32(r, kMainWidth, s.MainWidth);
  PutF32(r, kMainHeight, s.MainHeight);
  PutF32(r, kEditorWidth, s.EditorWidth);
  PutF32(r, kEditorHeight, s.EditorHeight);
  PutI32(r, kInstallMarker, s.InstallMarker);
  PutText(r, kStartPage, kStartPageWidth, s.StartPage);
  PutI32(r, kReserved332, s.Reserved332);
  PutI16(r, kSkipSecurePages, s.SkipSecurePages);
  PutText(r, kListFontName, kListFontNameWidth, s.ListFontName);
  PutI16(r, kListFontBold, s.ListFontBold ? -1 : 0);
  PutF32(r, kListFontSize, s.ListFontSize);
  PutFloats(r, kEditorColWidth1, s.EditorColWidth);
  PutI16(r, kNoToolTips, s.NoToolTips);
  PutI16(r, kNoDeleteWarnings, s.NoDeleteWarnings);
  PutI16(r, kSeparateSelectors, s.SeparateSelectors);
  PutF64(r, kLastBackupDate, s.LastBackupDate);
  PutI16(r, kScriptErrMode, s.ScriptErrMode);
  PutI16(r, kBackupInEditor, s.BackupInEditor);
  PutI16(r, kKillPopUps, s.KillPopUps);
  PutI16(r, kHoldNewWindowBox, s.HoldNewWindowBox);
  PutI16(r, kRefreshMinutes, s.RefreshMinutes);
  PutI16(r, kStatusBarHidden, s.StatusBarHidden);
  PutI16(r, kHideControlsMode, s.HideControlsMode);
  PutI32(r, kHistoryDays, s.HistoryDays);
  std::copy(s.Reserved524.begin(), s.Reserved524.end(), r.begin() + kReserved524);
  PutFloats(r, kHistoryLayout1, s.HistoryLayout);
  PutI16(r, kHistOneClick, s.HistOneClick);
  PutI16(r, kHistPushUp, s.HistPushUp);
  PutI16(r, kHistDupes, s.HistDupes);
  PutI16(r, kBoomOnKill, s.BoomOnKill);
  PutText(r, kMessengerPath, kPathWidth, s.MessengerPath);
  PutText(r, kMailPath, kPathWidth, s.MailPath);
  PutText(r, kMessengerName, kMessengerNameWidth, s.MessengerName);
  PutText(r, kMailName, kMailNameWidth, s.MailName);
  PutI16(r, kStoreDupUrls, s.StoreDupUrls);
  PutI32(r, kPanelColor, s.PanelColor);
  PutI16(r, kCheckBoxesToggle, s.CheckBoxesToggle);
  PutI16(r, kTimerSwapMode, s.TimerSwapMode);
  PutI16(r, kCycleMode12, s.CycleMode12);
  PutI16(r, kCycleMode9, s.CycleMode9);
  PutI32(r, kReserved1644, s.Reserved1644);
  PutFloats(r, kSelColWidth1, s.SelColWidth);
  PutI32(r, kReserved1664, s.Reserved1664);
  PutI16(r, kRefreshMode, s.RefreshMode);
  PutI16(r, kClockOn, s.ClockOn);
  PutI16(r, kClockMode, s.ClockMode);
  PutI16(r, kHistOnTop, s.HistOnTop);
  PutI16(r, kHistShowTime, s.HistShowTime);
  PutFloats(r, kDontKillLayout1, s.DontKillLayout);
  return r;
}

void ApplyGeometryRules(Settings& s, const LoadContext& ctx) {
  // A damaged record may hold a NaN, an infinity or a size no screen has;
  // each counts as out of range, like a value below the minimum.
  const auto bad = [](float twips) { return !std::isfinite(twips) || std::fabs(twips) > kMaxTwips; };
  if (bad(s.MainLeft) || s.MainLeft < 0 || s.MainLeft > ctx.screenWidthTwips - 3000) s.MainLeft = 0;
  if (bad(s.MainTop) || s.MainTop < 0 || s.MainTop > ctx.screenHeightTwips - 1500) s.MainTop = 0;
  if (bad(s.MainWidth) || s.MainWidth < kMainFloorWidth) s.MainWidth = kMainFloorWidth;
  if (bad(s.MainHeight) || s.MainHeight < kMainFloorHeight) s.MainHeight = kMainFloorHeight;
  if (bad(s.EditorWidth) || s.EditorWidth < 6945) s.EditorWidth = 6945;
  if (bad(s.EditorHeight) || s.EditorHeight < 3525) s.EditorHeight = 3525;
}

void ApplyListFontRules(Settings& s, const std::vector<std::string>& fonts,
                        const std::function<std::string()>& interfaceFont) {
  auto installed = [&](const std::string& name) {
    for (const auto& f : fonts)
      if (f == name) return true;
    return false;
  };
  if (!s.ListFontName.empty() && installed(s.ListFontName)) {
    // Also a NaN or an absurd size from a damaged record.
    if (!(s.ListFontSize >= 2 && s.ListFontSize <= kMaxFontSize)) s.ListFontSize = 8;
    return;
  }
  struct Choice {
    const char* name;
    float size;
  };
  static const Choice kPreferred[] = {{"Verdana", 8}, {"Arial", 9}, {"MS Sans Serif", 8}};
  s.ListFontBold = false;
  for (const auto& c : kPreferred) {
    if (installed(c.name)) {
      s.ListFontName = c.name;
      s.ListFontSize = c.size;
      return;
    }
  }
  const std::string desktopFont = interfaceFont ? interfaceFont() : std::string();
  s.ListFontName = installed(desktopFont) ? desktopFont : fonts.empty() ? std::string() : fonts.front();
  s.ListFontSize = 8;
}

void ApplyLoadRules(Settings& s, const LoadContext& ctx) {
  for (float& w : s.SelColWidth)
    if (w == 0) w = 6000;
  ZeroUnlessWithin<int16_t>(s.CycleMode9, 0, 2);
  ZeroUnlessWithin<int16_t>(s.CycleMode12, 0, 2);
  ZeroUnlessWithin<int16_t>(s.TimerSwapMode, 0, 1);
  ZeroUnlessWithin<int16_t>(s.CheckBoxesToggle, 0, 1);
  // GTK always draws with a theme, which stands for the visual-styles case.
  s.PanelColor = kPanelColorWindow;
  DefaultIfEmpty(s.MessengerPath, "/usr/bin/pidgin");
  DefaultIfEmpty(s.MailPath, "/usr/bin/thunderbird");
  DefaultIfEmpty(s.MessengerName, "Pidgin");
  DefaultIfEmpty(s.MailName, "Thunderbird");
  ZeroUnlessWithin<int16_t>(s.StoreDupUrls, 0, 1);
  if (s.HistoryDays > 9999) s.HistoryDays = 7;
  if (s.StatusBarHidden > 1) s.StatusBarHidden = 0;
  if (s.HoldNewWindowBox > 1) s.HoldNewWindowBox = 0;
  if (s.RefreshMinutes < 1) s.RefreshMinutes = 1;
  if (s.RefreshMinutes > 10080) s.RefreshMinutes = 10080;
  if (s.InstallMarker == kFreshInstallMarker) {
    LocalDateTime today = dates::FromOleDate(ctx.today);
    s.LastBackupDate = dates::ToOleDate(dates::YearsBack(today, 20));
    s.InstallMarker = 0;
  }
  s.ScriptErrMode = 0;
  if (s.BackupInEditor > 1) s.BackupInEditor = 0;
  ApplyGeometryRules(s, ctx);
}

std::optional<Settings> LoadSettings(const std::string& path) {
  auto bytes = fileops::ReadAll(path);
  if (!bytes) return std::nullopt;
  if (bytes->size() > kRecordSize) bytes->resize(kRecordSize);
  return DecodeSettings(*bytes);
}

bool SaveSettings(const std::string& path, const Settings& s) { return fileops::WriteAtomic(path, EncodeSettings(s)); }
