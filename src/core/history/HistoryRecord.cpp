#include "core/history/HistoryRecord.h"

#include <cstdio>

#include "core/records/Coding.h"
#include "core/records/FileOps.h"

using namespace history_layout;

std::vector<unsigned char> EncodeHistoryRecord(const HistoryRecord& r) {
  coding::Bytes b(kRecordSize, 0);
  coding::PutF64(b, kVisitTime, r.VisitTime);
  coding::PutI32(b, kHits, r.Hits);
  coding::PutText(b, kTitle, kTitleWidth, r.Title);
  coding::PutText(b, kUrl, kUrlWidth, r.URL);
  coding::PutText(b, kHost, kHostWidth, r.Host);
  return b;
}

HistoryRecord DecodeHistoryRecord(const std::vector<unsigned char>& bytes, std::size_t offset) {
  // Copy the one record (zero-padded when the file ends early) so that every
  // field read stays inside it.
  coding::Bytes b(kRecordSize, 0);
  for (std::size_t i = 0; i < kRecordSize && offset + i < bytes.size(); ++i) b[i] = bytes[offset + i];
  HistoryRecord r;
  r.VisitTime = coding::GetF64(b, kVisitTime);
  r.Hits = coding::GetI32(b, kHits);
  r.Title = coding::GetText(b, kTitle, kTitleWidth);
  r.URL = coding::GetText(b, kUrl, kUrlWidth);
  r.Host = coding::GetText(b, kHost, kHostWidth);
  return r;
}

std::string DayFileName(const LocalDateTime& when) {
  char name[32];
  std::snprintf(name, sizeof name, "WB_%02d%02d%04d.hiz", when.month % 100, when.day % 100, when.year % 10000);
  return name;
}

std::optional<int64_t> DayFileDate(const std::string& name) {
  if (name.size() != 15 || name.compare(0, 3, "WB_") != 0 || name.compare(11, 4, ".hiz") != 0) return std::nullopt;
  for (std::size_t i = 3; i < 11; ++i)
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
  const int month = std::stoi(name.substr(3, 2));
  const int day = std::stoi(name.substr(5, 2));
  const int year = std::stoi(name.substr(7, 4));
  return dates::DayNumber(year, month, day);
}

std::optional<std::vector<HistoryRecord>> TryReadDayFile(const std::string& path) {
  const auto bytes = fileops::ReadAll(path);
  if (!bytes) return std::nullopt;
  const std::size_t count = bytes->size() / kRecordSize;
  std::vector<HistoryRecord> out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) out.push_back(DecodeHistoryRecord(*bytes, i * kRecordSize));
  return out;
}

std::vector<HistoryRecord> ReadDayFile(const std::string& path) {
  return TryReadDayFile(path).value_or(std::vector<HistoryRecord>());
}
