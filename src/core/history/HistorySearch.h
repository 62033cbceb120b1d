// Searching the day files of a period, and the rows the History window shows.
//
// A search reads each day file of the period once, oldest first, and works
// on the records' bytes: only records that make it into the result are
// decoded. It may run on a worker thread: it touches nothing but its request,
// the files and the cancel flag.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/history/HistoryPeriods.h"
#include "core/history/HistoryRecord.h"

// The second selector's entries in their order, then the mode of "Show
// Selected Host's Page Items".
enum class SearchMode { HostSort = 0, HostListOnly, DateSort, TitlesText, UrlsText, BothText, HostPages };
inline bool IsTextMode(SearchMode m) { return m >= SearchMode::TitlesText && m <= SearchMode::BothText; }
inline bool IsHostMode(SearchMode m) { return m == SearchMode::HostSort || m == SearchMode::HostListOnly; }
extern const char* const kSearchModeNames[6];

// One row of either list: the four columns, and what sorting and the row
// actions need.
struct HistoryRow {
  std::string text, hits, date, url;
  std::string host;  // of a header row and of today's rows
  double visitTime = 0;
  int32_t hitCount = 0;
  bool header = false;  // a host's header row
};

// "Sat Dec 05 26 08:46:58", or "Sat Dec 05 26" without the time; day and
// month names in the desktop's language.
std::string DateText(double visitTime, bool noTime);

HistoryRow PageRow(const HistoryRecord& r, bool withTime);
// "......" + host + 141 dots; 47 dots under Hits and Date; no address.
HistoryRow HostHeaderRow(const std::string& host);

// Why a search may not start, in the order the window checks.
enum class SearchCheck { Ok, NoPeriod, NoMode, NoText, TooShort };
// modeIndex: the second selector's entry, -1 for none. Host-pages searches
// take no text.
SearchCheck CheckSearch(bool periodChosen, int modeIndex, const std::string& text, bool hostPages = false);
const char* SearchCheckMessage(SearchCheck check);

struct SearchRequest {
  std::string historyDir;
  std::vector<DayFile> files;  // the period's files, newest first (FilesInPeriod)
  SearchMode mode = SearchMode::HostSort;
  std::string text;    // text modes: matched without regard to letter case
  std::string host;    // host-pages mode
  bool dupes = false;  // keep an address that an earlier day already gave
  bool showTime = false;
};

struct SearchProgress {
  std::size_t filesDone = 0, filesTotal = 0, recordsDone = 0;
};

struct DayCount {
  int64_t day = 0;
  int pages = 0;  // records in that day's file
};

// What sorting needs of a row: for a header its host, for a page the text of
// the column sorted by (title or address, UTF-8).
struct SortKey {
  bool header = false;
  int32_t hitCount = 0;
  double visitTime = 0;
  std::string text;
};

SortKey SortKeyOf(const HistoryRow& row, int column);

// The rows of a search. A row is a place in what the rows keep of the
// record it came from: its numbers and its title and address as read, blanks
// trimmed (read once, so a file changed or deleted since is no harm); its
// texts are made only when asked for, exactly as a HistoryRow holds them. A
// year of rows costs a few bytes each beyond the records' kept bytes.
class SearchRows {
 public:
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = HistoryRow;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = HistoryRow;
    // What `->` reaches through: the row made for it.
    struct Arrow {
      HistoryRow row;
      const HistoryRow* operator->() const { return &row; }
    };
    const_iterator(const SearchRows* rows, std::size_t at) : rows_(rows), at_(at) {}
    HistoryRow operator*() const { return (*rows_)[at_]; }
    Arrow operator->() const { return {**this}; }
    const_iterator& operator++() {
      ++at_;
      return *this;
    }
    const_iterator operator++(int) {
      const const_iterator was = *this;
      ++at_;
      return was;
    }
    bool operator==(const const_iterator& o) const { return at_ == o.at_; }
    bool operator!=(const const_iterator& o) const { return at_ != o.at_; }

   private:
    const SearchRows* rows_;
    std::size_t at_;
  };

  std::size_t size() const { return refs_.size(); }
  bool empty() const { return refs_.empty(); }
  HistoryRow operator[](std::size_t row) const;
  HistoryRow at(std::size_t row) const;  // throws out_of_range past the end
  HistoryRow front() const { return (*this)[0]; }
  HistoryRow back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, refs_.size()}; }

  bool Header(std::size_t row) const { return refs_[row].block == kHeaderBlock; }
  // A column's text: 0 title, 1 hits, 2 date, 3 address.
  std::string Cell(std::size_t row, int column) const;
  std::string Host(std::size_t row) const;  // a header's host, "" for a page
  SortKey KeyOf(std::size_t row, int column) const;
  // Memory the rows hold beyond the records' bytes they keep.
  std::size_t OwnBytes() const;
  // The records' bytes they keep: of each record that gives a row, its visit
  // time and hits as in the file, its title and its address, trimmed.
  std::size_t KeptBytes() const { return keptBytes_; }

 private:
  friend class RowGatherer;
  static constexpr uint32_t kHeaderBlock = UINT32_MAX;
  // A page: a record kept in a block, at a byte of it. A header:
  // kHeaderBlock and a host's index.
  struct Ref {
    uint32_t block = 0, at = 0;
  };
  const unsigned char* Record(const Ref& ref) const;

  std::vector<Ref> refs_;
  std::vector<std::shared_ptr<const unsigned char>> blocks_;
  std::vector<std::string> hosts_;  // UTF-8
  std::size_t keptBytes_ = 0;
  bool withTime_ = false;
};

struct SearchResult {
  enum class Status { Done, Cancelled, FileError } status = Status::Done;
  SearchRows rows;
  std::size_t pages = 0, hosts = 0;  // page rows; host groups (host modes)
  std::vector<DayCount> perDay;      // each file read, oldest first
  std::string failedFile;            // FileError: the file that could not be read
};

// A search reads this many day files ahead of the one it works on, so a
// file changed during a search may be seen as it was a few files earlier.
constexpr std::size_t kSearchReadAhead = 3;

// Runs a search. The cancel flag is read before every record; once it is
// set the search ends with Cancelled and no rows. `progress` is called after
// each file, on the searching thread. Nothing is thrown: a search that runs
// out of memory ends with FileError.
SearchResult SearchHistory(const SearchRequest& request, const std::atomic<bool>& cancel,
                           const std::function<void(const SearchProgress&)>& progress = {});

// A search keeps the memory of a result that is gone for the next one, as
// the system's fresh memory costs time to hand out: this gives it back.
void ReleaseSearchMemory();

// First column captions: the today list's, and the return list's after a search.
std::string TodayCaption(std::size_t rows);
std::string ReturnsCaption(SearchMode mode, std::size_t rows, std::size_t pages, std::size_t hosts);

// The order of rows sorted by a column (0 title, 1 hits as numbers, 2 date
// by time, 3 address), as indices into `rows`. With host header rows, each
// host keeps its pages under its header; sorting by title also orders the
// hosts by name. Equal rows keep their order.
std::vector<std::size_t> SortedOrder(const std::vector<SortKey>& rows, int column, bool descending);
std::vector<std::size_t> SortedOrder(const std::vector<const HistoryRow*>& rows, int column, bool descending);
