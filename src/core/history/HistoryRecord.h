// Day files "WB_" + MMDDYYYY + ".hiz": headerless 512-byte HistoryRecords,
// one per distinct address of the day, in the order first logged.
//
//     0  F64      VisitTime  day count since 30 Dec 1899, local, whole seconds
//     8  I32      Hits       visits of that day
//    12  text116  Title
//   128  text192  URL        as the browser reported it (case kept)
//   320  text192  Host       lower case; "my computer" for local files
//
// A file whose length is not a whole number of records ends in a torn
// append: readers skip that tail and the next append first cuts it off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/app/Dates.h"

namespace history_layout {
constexpr std::size_t kRecordSize = 512;
constexpr std::size_t kVisitTime = 0, kHits = 8;
constexpr std::size_t kTitle = 12, kTitleWidth = 116;
constexpr std::size_t kUrl = 128, kUrlWidth = 192;
constexpr std::size_t kHost = 320, kHostWidth = 192;
static_assert(kHost + kHostWidth == kRecordSize, "history record is 512 bytes");
}  // namespace history_layout

struct HistoryRecord {
  double VisitTime = 0;
  int32_t Hits = 0;
  std::string Title, URL, Host;
};

std::vector<unsigned char> EncodeHistoryRecord(const HistoryRecord& r);
HistoryRecord DecodeHistoryRecord(const std::vector<unsigned char>& bytes, std::size_t offset = 0);

// "WB_12052026.hiz" for 5 December 2026.
std::string DayFileName(const LocalDateTime& when);
// The date a day-file name stands for (month and day roll over as the
// calendar does); nullopt for any other name.
std::optional<int64_t> DayFileDate(const std::string& name);

// The whole records of a day file; empty when missing or unreadable. Day
// files grow by appends, which a crash can cut short: a last record that is
// not whole is no page and is left out.
std::vector<HistoryRecord> ReadDayFile(const std::string& path);
// The same, but nullopt when the file cannot be read.
std::optional<std::vector<HistoryRecord>> TryReadDayFile(const std::string& path);
