// The History window's period selector, and which day files a period covers.
// "Today" is always passed in as a day number, so tests pin the clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct DayFile {
  std::string name;  // "WB_12052026.hiz"
  int64_t date = 0;  // its day number
};

// The day files of a folder listing, newest first. Names of another shape
// and files dated after today are left out; files of the same date keep the
// listing's order.
std::vector<DayFile> DayFilesNewestFirst(const std::vector<std::string>& names, int64_t today);

// One entry of the selector: the period from today - toDaysAgo to
// today - fromDaysAgo, both ends included.
struct PeriodEntry {
  std::string text;
  int64_t fromDaysAgo = 0, toDaysAgo = 0;
  bool singleDay = false;  // a day entry ("... <>")
};

// The date as the desktop writes short dates (the locale's own form).
std::string SystemShortDate(int64_t day);
using ShortDateFormat = std::function<std::string(int64_t day)>;

// "0-N Days Ago" for N = the days kept, the weeks (0-6, 7-13, ...) that hold
// at least one day file, then every day file newest first as
// "N Day(s) Ago <short date> <>". A folder that holds no file at all gives
// no entries; one that holds files, day files or not, at least the first.
std::vector<PeriodEntry> PeriodEntries(const std::vector<DayFile>& newestFirst, int64_t today, int32_t historyDays,
                                       bool folderHoldsFiles, const ShortDateFormat& shortDate = SystemShortDate);

// The files of the period, newest first.
std::vector<DayFile> FilesInPeriod(const std::vector<DayFile>& newestFirst, int64_t today, const PeriodEntry& period);
