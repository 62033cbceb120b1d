// Writing visited pages into today's day file, and the check that decides
// whether a finished page is written at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/app/Dates.h"
#include "core/history/HistoryRecord.h"

// An open History window follows today's file through this.
class TodayListListener {
 public:
  virtual ~TodayListListener() = default;
  virtual void TodayCleared() = 0;                                       // first page of a new day
  virtual void HitsChanged(std::size_t recordNumber, int32_t hits) = 0;  // 1-based
  virtual void RowAppended(const HistoryRecord& record, std::size_t rowCount) = 0;
};

struct HistoryLogContext {
  std::string historyDir;
  int32_t HistoryDays = 7;
  int16_t StoreDupUrls = 0;
  int16_t SkipSecurePages = 0;
  LocalDateTime now;
  TodayListListener* listener = nullptr;  // non-null while the History window is loaded
};

// Lower-case host of an address, "my computer" for local files, "" for
// addresses that are not logged.
std::string ExtractHost(const std::string& url, bool includeSecure);

// Adds the page to today's file or counts another visit. Silent on any
// error; true when the visit was written.
bool LogHistoryPage(const HistoryLogContext& ctx, const std::string& title, const std::string& url);

// The prefix of an automatic-search redirect; such addresses are never logged.
extern const char* const kAutoSearchPrefix;

struct PageLogCheckInput {
  bool historyLogOff = false;
  int32_t historyDays = 0;
  std::string pageTitle;
  std::string locationUrl;
  std::vector<std::string> ownPages;  // start, kill and default pages, paths and addresses
};

// Mutable per-window marks the check consumes.
struct PageLogMarks {
  bool geometryAppliedThisTick = false;  // a pop-up geometry request was applied
  bool navigationError = false;          // set by a failed navigation
};

// True when the page is to be logged. Clears the mark it stopped on.
bool PageLogCheck(const PageLogCheckInput& in, PageLogMarks& marks);

// Deletes the day files older than the kept period (today - (days - 1) ..
// today). Files dated after today stay (a clock set back must not cost the
// history), except with 0 days, which deletes every day file. Negative days
// delete nothing. Only plain files
// with the exact day-file name shape are touched. Returns how many went.
int DumpOldHistory(const std::string& historyDir, int32_t historyDays, int64_t today);
