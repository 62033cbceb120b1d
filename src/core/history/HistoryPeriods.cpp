#include "core/history/HistoryPeriods.h"

#include <algorithm>
#include <ctime>

#include "core/app/Dates.h"
#include "core/history/HistoryRecord.h"

std::vector<DayFile> DayFilesNewestFirst(const std::vector<std::string>& names, int64_t today) {
  std::vector<DayFile> files;
  for (const auto& name : names) {
    const auto date = DayFileDate(name);
    if (date && *date <= today) files.push_back({name, *date});
  }
  std::stable_sort(files.begin(), files.end(), [](const DayFile& a, const DayFile& b) { return a.date > b.date; });
  return files;
}

std::string SystemShortDate(int64_t day) {
  const LocalDateTime d = dates::FromDayNumber(day);
  std::tm tm{};
  tm.tm_year = d.year - 1900;
  tm.tm_mon = d.month - 1;
  tm.tm_mday = d.day;
  tm.tm_wday = dates::DayOfWeek(day);
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, "%x", &tm);
  return std::string(text, n);
}

std::vector<PeriodEntry> PeriodEntries(const std::vector<DayFile>& newestFirst, int64_t today, int32_t historyDays,
                                       bool folderHoldsFiles, const ShortDateFormat& shortDate) {
  std::vector<PeriodEntry> entries;
  if (!folderHoldsFiles && newestFirst.empty()) return entries;
  if (historyDays >= 0) entries.push_back({"0-" + std::to_string(historyDays) + " Days Ago", 0, historyDays, false});

  // Weeks back from today that hold a file, nearest first; the files are
  // newest first, so their week numbers only grow.
  int64_t lastWeek = -1;
  for (const auto& f : newestFirst) {
    const int64_t week = (today - f.date) / 7;
    if (week == lastWeek) continue;
    lastWeek = week;
    const int64_t from = 7 * week, to = from + 6;
    entries.push_back({std::to_string(from) + "-" + std::to_string(to) + " Days Ago", from, to, false});
  }

  for (const auto& f : newestFirst) {
    const int64_t ago = today - f.date;
    std::string text = std::to_string(ago) + (ago == 1 ? " Day Ago " : " Days Ago ") + shortDate(f.date) + " <>";
    entries.push_back({std::move(text), ago, ago, true});
  }
  return entries;
}

std::vector<DayFile> FilesInPeriod(const std::vector<DayFile>& newestFirst, int64_t today, const PeriodEntry& period) {
  std::vector<DayFile> files;
  for (const auto& f : newestFirst)
    if (f.date >= today - period.toDaysAgo && f.date <= today - period.fromDaysAgo) files.push_back(f);
  return files;
}
