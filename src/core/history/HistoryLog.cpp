#include "core/history/HistoryLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "core/app/SharedRoutines.h"
#include "core/browser/ErrorPages.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"

using namespace history_layout;

const char* const kAutoSearchPrefix = "http://search.invalid/";  // 22 characters

namespace {

std::string HostFrom(const std::string& lc, std::size_t start) {
  const auto slash = lc.find('/', start);
  return lc.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
}

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, std::strlen(prefix), prefix) == 0; }

// Whether the URL field of record i, read as stored (cut at a NUL, blanks
// trimmed), is exactly url1252. Compares in place: this runs for every
// record of the day on every page.
bool UrlFieldIs(const coding::Bytes& file, std::size_t i, const std::string& url1252) {
  const std::size_t begin = i * kRecordSize + kUrl;
  const std::size_t end = std::min(file.size(), begin + kUrlWidth);
  std::size_t k = begin;
  while (k < end && file[k] == ' ') ++k;  // leading blanks
  const std::size_t n = url1252.size();
  if (k + n > end || std::memcmp(file.data() + k, url1252.data(), n) != 0) return false;
  for (k += n; k < end && file[k] != 0; ++k)
    if (file[k] != ' ') return false;
  return true;
}

long FindRecord(const coding::Bytes& file, std::size_t count, const std::string& url1252) {
  if (url1252.empty()) return -1;
  for (std::size_t i = 0; i < count; ++i)
    if (UrlFieldIs(file, i, url1252)) return static_cast<long>(i);
  return -1;
}

}  // namespace

std::string ExtractHost(const std::string& url, bool includeSecure) {
  const std::string lc = coding::ToLower(url);
  if (StartsWith(lc, "http://www.")) return HostFrom(lc, 11);
  if (StartsWith(lc, "http://")) return HostFrom(lc, 7);
  if (includeSecure && StartsWith(lc, "https://www.")) return HostFrom(lc, 12);
  if (includeSecure && StartsWith(lc, "https://")) return HostFrom(lc, 8);
  if (StartsWith(lc, "ftp://")) return HostFrom(lc, 6);
  if (StartsWith(lc, "file:///")) return "my computer";
  return "";
}

bool LogHistoryPage(const HistoryLogContext& ctx, const std::string& title, const std::string& url) {
  if (ctx.HistoryDays <= 0 || url.empty()) return false;
  const std::string path = fileops::Join(ctx.historyDir, DayFileName(ctx.now));
  const auto existing = fileops::ReadAll(path);
  // A day file that is there but cannot be read is left alone: an append at
  // record 1 would overwrite it.
  if (!existing && FileTest(path) != ENOENT) return false;
  const coding::Bytes file = existing ? *existing : coding::Bytes();
  // An append cut short by a crash leaves a partial record at the end: cut
  // the file back to its whole records first, so that every record after it
  // stands whole at its own place.
  const std::size_t count = file.size() / kRecordSize;
  if (file.size() % kRecordSize != 0 && !fileops::CutTo(path, count * kRecordSize)) return false;
  if (count < 1 && ctx.listener) ctx.listener->TodayCleared();

  if (count >= 1 && ctx.StoreDupUrls == 0) {
    const long i = FindRecord(file, count, coding::Utf8ToCp1252(url));
    if (i >= 0) {
      const int32_t stored = DecodeHistoryRecord(file, i * kRecordSize).Hits;
      if (stored == std::numeric_limits<int32_t>::max()) return false;  // a count cannot go higher
      const int32_t hits = stored + 1;
      // Only the counter is written: the rest of the record stays as it was.
      coding::Bytes field;
      coding::PutI32(field, 0, hits);
      if (!fileops::WriteAt(path, i * kRecordSize + kHits, field)) return false;
      if (ctx.listener) ctx.listener->HitsChanged(static_cast<std::size_t>(i) + 1, hits);
      return true;
    }
  }

  HistoryRecord rec;
  rec.Host = ExtractHost(url, ctx.SkipSecurePages == 0);
  if (rec.Host.empty()) return false;
  rec.VisitTime = dates::ToOleDate(ctx.now);
  rec.Hits = 1;
  rec.Title = title.empty() ? "(no title)" : title;
  rec.URL = url;
  if (!fileops::WriteAt(path, count * kRecordSize, EncodeHistoryRecord(rec))) return false;
  if (ctx.listener) ctx.listener->RowAppended(rec, count + 1);
  return true;
}

bool PageLogCheck(const PageLogCheckInput& in, PageLogMarks& marks) {
  if (in.historyLogOff) return false;
  if (marks.geometryAppliedThisTick) {
    marks.geometryAppliedThisTick = false;
    return false;
  }
  if (in.historyDays <= 0) return false;
  // The program's own error page is the completion of the failed navigation:
  // it spends the error mark, so the next real page is examined normally.
  if (IsErrorPageTitle(in.pageTitle)) {
    marks.navigationError = false;
    return false;
  }
  const std::string lc = coding::ToLower(in.locationUrl);
  if (lc.compare(0, 22, kAutoSearchPrefix) == 0) return false;
  for (const auto& own : in.ownPages)
    if (!own.empty() && lc == coding::ToLower(own)) return false;
  if (marks.navigationError) {
    marks.navigationError = false;
    return false;
  }
  return true;
}

int DumpOldHistory(const std::string& historyDir, int32_t historyDays, int64_t today) {
  if (historyDays < 0) return 0;
  const int64_t cutoff = today + 1 - historyDays;
  int deleted = 0;
  for (const auto& name : fileops::ListNames(historyDir)) {
    const auto fileDate = DayFileDate(name);
    // A file dated after today means the clock is wrong, not that the file is
    // old: keep it. Keeping no days at all is the one request to drop it too.
    const bool drop = fileDate && (*fileDate < cutoff || (historyDays == 0 && *fileDate > today));
    if (!drop) continue;
    const std::string path = fileops::Join(historyDir, name);
    if (fileops::IsRegularFile(path) && fileops::RemoveFile(path)) ++deleted;
  }
  return deleted;
}
