// A history day file: only whole records are read; logging a page on any
// file leaves whole records, the earlier ones in place and untouched but
// for one counter.
#include <algorithm>

#include "FuzzSupport.h"
#include "core/history/HistoryLog.h"
#include "core/records/FileOps.h"

using history_layout::kHits;
using history_layout::kRecordSize;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  const uint8_t mode = in.Byte();
  const std::string rest = in.Rest();
  const fuzz::Bytes before(rest.begin(), rest.end());
  const std::string path = fuzz::ScratchFile("WB_12052026.hiz", before.data(), before.size());
  const auto records = ReadDayFile(path);
  FUZZ_CHECK(records.size() == before.size() / kRecordSize);
  DayFileDate(rest.substr(0, 15));

  HistoryLogContext ctx;
  ctx.historyDir = fuzz::ScratchDir();
  ctx.StoreDupUrls = mode & 1;
  ctx.now = {2026, 12, 5, 10, 30, 0};
  // A repeat visit of a page in the file, or a new page.
  const std::string url = (mode & 2) && !records.empty() ? records[mode % records.size()].URL : "http://fuzz.example/";
  LogHistoryPage(ctx, "Fuzz", url);

  const auto after = fileops::ReadAll(path);
  if (url.empty()) {  // no page: the call does nothing at all
    FUZZ_CHECK(after && *after == before);
    return 0;
  }
  FUZZ_CHECK(after && after->size() % kRecordSize == 0);
  const std::size_t whole = records.size() * kRecordSize;
  FUZZ_CHECK(after->size() == whole || after->size() == whole + kRecordSize);
  std::size_t changed = 0;
  for (std::size_t r = 0; r < records.size(); ++r) {
    const auto at = static_cast<long>(r * kRecordSize);
    if (std::equal(before.begin() + at, before.begin() + at + kRecordSize, after->begin() + at)) continue;
    ++changed;
    // Only the counter of a record may differ.
    FUZZ_CHECK(std::equal(before.begin() + at, before.begin() + at + kHits, after->begin() + at));
    FUZZ_CHECK(std::equal(before.begin() + at + kHits + 4, before.begin() + at + kRecordSize,
                          after->begin() + at + kHits + 4));
  }
  FUZZ_CHECK(changed <= 1);
  if (after->size() > whole) FUZZ_CHECK(changed == 0 && DecodeHistoryRecord(*after, whole).URL == url);
  return 0;
}
