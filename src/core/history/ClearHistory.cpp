#include "core/history/ClearHistory.h"

#include "core/history/HistoryRecord.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"

namespace {

constexpr double kSecondsPerDay = 86400;

bool RemoveDayFile(const std::string& path) { return !fileops::IsRegularFile(path) || fileops::RemoveFile(path); }

bool ClearLastHour(const std::string& path, const LocalDateTime& now) {
  const auto file = fileops::ReadAll(path);
  if (!file) return !fileops::IsRegularFile(path);
  const double since = dates::ToOleDate(now) - 3600 / kSecondsPerDay;
  coding::Bytes kept;
  const std::size_t count = file->size() / history_layout::kRecordSize;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = i * history_layout::kRecordSize;
    if (DecodeHistoryRecord(*file, at).VisitTime >= since) continue;
    kept.insert(kept.end(), file->begin() + static_cast<std::ptrdiff_t>(at),
                file->begin() + static_cast<std::ptrdiff_t>(at + history_layout::kRecordSize));
  }
  if (kept.size() == count * history_layout::kRecordSize && kept.size() == file->size()) return true;
  return fileops::WriteAtomic(path, kept);
}

}  // namespace

bool ClearHistory(const std::string& historyDir, ClearPeriod period, const LocalDateTime& now) {
  const std::string today = fileops::Join(historyDir, DayFileName(now));
  switch (period) {
    case ClearPeriod::LastHour:
      return ClearLastHour(today, now);
    case ClearPeriod::Today:
      return RemoveDayFile(today);
    case ClearPeriod::Everything: {
      bool ok = true;
      for (const std::string& name : fileops::ListNames(historyDir))
        if (DayFileDate(name)) ok = RemoveDayFile(fileops::Join(historyDir, name)) && ok;
      return ok;
    }
  }
  return false;
}

long long ClearPeriodSeconds(ClearPeriod period, const LocalDateTime& now) {
  switch (period) {
    case ClearPeriod::LastHour:
      return 3600;
    case ClearPeriod::Today:
      return now.hour * 3600LL + now.minute * 60LL + now.second + 1;
    case ClearPeriod::Everything:
      break;
  }
  return 0;
}
