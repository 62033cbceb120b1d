#include "core/history/HistorySearch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "core/app/Dates.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"

using namespace history_layout;

const char* const kSearchModeNames[6] = {"Host Sort",          "Host List Only",    "Date Sort",
                                         "Titles Text Search", "Url's Text Search", "Both Text Search!"};

namespace {

// ---- names of days and months ----

struct CalendarNames {
  std::array<std::string, 7> days;
  std::array<std::string, 12> months;
};

const CalendarNames& Names() {
  static const CalendarNames names = [] {
    CalendarNames n;
    char text[64];
    std::tm tm{};
    for (int i = 0; i < 7; ++i) {
      tm.tm_wday = i;
      n.days[i].assign(text, std::strftime(text, sizeof text, "%a", &tm));
    }
    for (int i = 0; i < 12; ++i) {
      tm.tm_mon = i;
      n.months[i].assign(text, std::strftime(text, sizeof text, "%b", &tm));
    }
    return n;
  }();
  return names;
}

// ---- reading day files ----

// The whole file into `buf` (reused from file to file), cut to its whole
// records: a torn last append is no page, as for ReadDayFile. False when it
// cannot be read; `missing` tells that it is gone.
bool ReadDayBytes(const std::string& path, std::vector<unsigned char>& buf, bool& missing) {
  missing = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    missing = errno == ENOENT;
    return false;
  }
  std::size_t used = 0;
  bool ok = true;
  for (;;) {
    if (buf.size() < used + 65536) buf.resize(used + 65536);
    const ssize_t n = ::read(fd, buf.data() + used, buf.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    used += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (!ok) return false;
  buf.resize(used / kRecordSize * kRecordSize);
  return true;
}

// A text field as the record files mean it: up to a NUL, blanks trimmed;
// still Windows-1252 bytes.
std::string_view Field(const unsigned char* record, std::size_t offset, std::size_t width) {
  const auto* begin = reinterpret_cast<const char*>(record + offset);
  const void* nul = std::memchr(begin, 0, width);
  const char* end = nul ? static_cast<const char*>(nul) : begin + width;
  // Fields are mostly padding: skip it eight blanks at a time.
  static const char kBlanks[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  while (end - begin >= 8 && std::memcmp(end - 8, kBlanks, 8) == 0) end -= 8;
  while (end > begin && end[-1] == ' ') --end;
  while (begin < end && *begin == ' ') ++begin;
  return {begin, static_cast<std::size_t>(end - begin)};
}

// A text field as the program's own text (UTF-8).
std::string FieldText(const unsigned char* record, std::size_t offset, std::size_t width) {
  const std::string_view v = Field(record, offset, width);
  for (const char c : v)
    if (static_cast<unsigned char>(c) >= 0x80) return coding::Cp1252ToUtf8(std::string(v));
  return std::string(v);
}

uint64_t LittleEndian(const unsigned char* p, std::size_t n) {
  uint64_t v = 0;
  for (std::size_t i = n; i-- > 0;) v = v << 8 | p[i];
  return v;
}

// A return row straight from a record's bytes, without decoding the fields
// the row does not show.
HistoryRow RowAt(const unsigned char* record, bool withTime) {
  HistoryRow row;
  const uint64_t timeBits = LittleEndian(record + kVisitTime, 8);
  std::memcpy(&row.visitTime, &timeBits, sizeof row.visitTime);
  row.hitCount = static_cast<int32_t>(static_cast<uint32_t>(LittleEndian(record + kHits, 4)));
  row.text = FieldText(record, kTitle, kTitleWidth);
  row.hits = std::to_string(row.hitCount);
  row.date = DateText(row.visitTime, !withTime);
  row.url = FieldText(record, kUrl, kUrlWidth);
  return row;
}

// ---- matching text without regard to letter case (Windows-1252) ----

struct CaseTable {
  std::array<unsigned char, 256> lower{};
  CaseTable() {
    for (int c = 0; c < 256; ++c) lower[c] = static_cast<unsigned char>(c);
    for (int c = 'A'; c <= 'Z'; ++c) lower[c] = static_cast<unsigned char>(c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) lower[c] = static_cast<unsigned char>(c + 32);
    lower[0x8A] = 0x9A;  // S caron
    lower[0x8C] = 0x9C;  // OE
    lower[0x8E] = 0x9E;  // Z caron
    lower[0x9F] = 0xFF;  // Y diaeresis
  }
};
const CaseTable kCase;

class FoldedNeedle {
 public:
  explicit FoldedNeedle(const std::string& utf8) {
    const std::string text = coding::Utf8ToCp1252(utf8);
    // A character the files cannot hold became '?': such a text is in no record.
    if (std::count(text.begin(), text.end(), '?') != std::count(utf8.begin(), utf8.end(), '?')) {
      impossible_ = true;
      return;
    }
    for (const char c : text) folded_ += static_cast<char>(kCase.lower[static_cast<unsigned char>(c)]);
    if (folded_.empty()) return;
    first_ = static_cast<unsigned char>(folded_[0]);
    other_ = first_;
    for (int c = 0; c < 256; ++c)
      if (c != first_ && kCase.lower[c] == first_) other_ = static_cast<unsigned char>(c);
  }

  bool FoundIn(std::string_view hay) const {
    if (impossible_) return false;
    const std::size_t n = folded_.size();
    if (n == 0) return true;
    if (n > hay.size()) return false;
    const char* p = hay.data();
    const char* const last = hay.data() + (hay.size() - n);  // the last place a match can start
    // The next place of the first letter in either case; each is looked up
    // again only after it was passed.
    const char* a = Next(p, last, first_);
    const char* b = other_ == first_ ? nullptr : Next(p, last, other_);
    while (a || b) {
      const char* at = !b || (a && a < b) ? a : b;
      if (Rest(at + 1)) return true;
      if (at == a) a = Next(at + 1, last, first_);
      if (at == b) b = Next(at + 1, last, other_);
    }
    return false;
  }

 private:
  static const char* Next(const char* from, const char* last, unsigned char c) {
    if (from > last) return nullptr;
    return static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(last - from) + 1));
  }
  bool Rest(const char* p) const {
    for (std::size_t i = 1; i < folded_.size(); ++i, ++p)
      if (kCase.lower[static_cast<unsigned char>(*p)] != static_cast<unsigned char>(folded_[i])) return false;
    return true;
  }

  std::string folded_;
  unsigned char first_ = 0, other_ = 0;
  bool impossible_ = false;
};

// ---- sets of byte strings that outlive the file buffer they came from ----

class SeenSet {
 public:
  explicit SeenSet(std::size_t expected) {
    std::size_t capacity = 64;
    while (capacity < expected * 2) capacity *= 2;
    slots_.resize(capacity);
  }
  // True when the text was new (and is now in the set).
  bool Insert(std::string_view text) {
    // Open addressing in one flat array: a year's addresses are a few
    // hundred thousand, and a node per address made the look-ups the
    // slowest part of a search.
    const std::size_t hash = std::hash<std::string_view>{}(text);
    std::size_t i = hash & (slots_.size() - 1);
    for (; slots_[i].text != nullptr; i = (i + 1) & (slots_.size() - 1)) {
      const Slot& s = slots_[i];
      if (s.hash == hash && s.size == text.size() && std::memcmp(s.text, text.data(), text.size()) == 0) return false;
    }
    slots_[i] = {hash, Keep(text), text.size()};
    if (++count_ * 2 > slots_.size()) Grow();
    return true;
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    const char* text = nullptr;  // null: a free slot
    std::size_t size = 0;
  };

  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& s : old) {
      if (s.text == nullptr) continue;
      std::size_t i = s.hash & (slots_.size() - 1);
      while (slots_[i].text != nullptr) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = s;
    }
  }

  // The texts live in large blocks that never move (an empty text too gets
  // a place, so that no kept text is null).
  const char* Keep(std::string_view text) {
    if (blocks_.empty() || text.size() + 1 > kBlock - used_) {
      blocks_.push_back(std::make_unique<char[]>(std::max(kBlock, text.size() + 1)));
      used_ = 0;
    }
    char* at = blocks_.back().get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size() + 1;
    return at;
  }

  static constexpr std::size_t kBlock = 1 << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_ = 0, count_ = 0;
  std::vector<Slot> slots_;
};

// The rows of a host search, grouped: each host's pages in the order they
// came, the hosts in the order of their first page. Pages are kept in one
// array as they come and put in their groups' order at the end, which is
// cheaper than a growing array per host.
std::vector<HistoryRow> GroupedRows(const std::vector<std::string>& hosts, std::vector<HistoryRow> pages,
                                    const std::vector<uint32_t>& groupOfPage) {
  std::vector<std::size_t> start(hosts.size() + 1, 0);
  for (const uint32_t g : groupOfPage) ++start[g + 1];
  for (std::size_t g = 0; g < hosts.size(); ++g) start[g + 1] += start[g];
  std::vector<std::size_t> order(pages.size());
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < pages.size(); ++i) order[next[groupOfPage[i]]++] = i;

  std::vector<HistoryRow> rows;
  rows.reserve(hosts.size() + pages.size());
  for (std::size_t g = 0; g < hosts.size(); ++g) {
    rows.push_back(HostHeaderRow(hosts[g]));
    for (std::size_t k = start[g]; k < start[g + 1]; ++k) rows.push_back(std::move(pages[order[k]]));
  }
  return rows;
}

}  // namespace

// ---- rows ----

namespace {

void AppendTwoDigits(std::string& text, int value) {
  text += static_cast<char>('0' + value / 10 % 10);
  text += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string DateText(double visitTime, bool noTime) {
  // Built by hand: a search makes one for every row it returns.
  const LocalDateTime t = dates::FromOleDate(visitTime);
  const auto& names = Names();
  const auto day = static_cast<int64_t>(std::floor(visitTime));
  std::string text = names.days[static_cast<std::size_t>(dates::DayOfWeek(day))];
  text += ' ';
  text += names.months[static_cast<std::size_t>(std::clamp(t.month, 1, 12) - 1)];
  text += ' ';
  AppendTwoDigits(text, t.day);
  text += ' ';
  AppendTwoDigits(text, ((t.year % 100) + 100) % 100);
  if (noTime) return text;
  text += ' ';
  AppendTwoDigits(text, t.hour);
  text += ':';
  AppendTwoDigits(text, t.minute);
  text += ':';
  AppendTwoDigits(text, t.second);
  return text;
}

HistoryRow PageRow(const HistoryRecord& r, bool withTime) {
  HistoryRow row;
  row.text = r.Title;
  row.hits = std::to_string(r.Hits);
  row.date = DateText(r.VisitTime, !withTime);
  row.url = r.URL;
  row.host = r.Host;
  row.visitTime = r.VisitTime;
  row.hitCount = r.Hits;
  return row;
}

HistoryRow HostHeaderRow(const std::string& host) {
  HistoryRow row;
  row.text = "......" + host + std::string(141, '.');
  row.hits = std::string(47, '.');
  row.date = std::string(47, '.');
  row.host = host;
  row.header = true;
  return row;
}

// ---- checks ----

SearchCheck CheckSearch(bool periodChosen, int modeIndex, const std::string& text, bool hostPages) {
  if (!periodChosen) return SearchCheck::NoPeriod;
  if (modeIndex < 0 || modeIndex > 5) return SearchCheck::NoMode;
  if (hostPages || !IsTextMode(static_cast<SearchMode>(modeIndex))) return SearchCheck::Ok;
  if (coding::TrimBlanks(text).empty()) return SearchCheck::NoText;
  // Characters, not bytes.
  const auto characters = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
  if (characters < 2) return SearchCheck::TooShort;
  return SearchCheck::Ok;
}

const char* SearchCheckMessage(SearchCheck check) {
  switch (check) {
    case SearchCheck::NoPeriod:
      return "Can't Search...No Time Period Was Selected In The First Selector";
    case SearchCheck::NoMode:
      return "Can't Search...No Sort Order Was Selected In The Second Selector";
    case SearchCheck::NoText:
      return "Can't Search...No Text Was Entered In The Text Box";
    case SearchCheck::TooShort:
      return "Can't Search...Two Characters, Minimum, Should Entered In The Text Box";
    default:
      return "";
  }
}

// ---- the search ----

namespace {

SearchResult Search(const SearchRequest& request, const std::atomic<bool>& cancel,
                    const std::function<void(const SearchProgress&)>& progress) {
  SearchResult result;
  const SearchMode mode = request.mode;
  const bool byHost = IsHostMode(mode);
  const bool titles = mode == SearchMode::TitlesText || mode == SearchMode::BothText;
  const bool urls = mode == SearchMode::UrlsText || mode == SearchMode::BothText;
  const FoldedNeedle needle(IsTextMode(mode) ? request.text : std::string());
  const std::string wantedHost = coding::Utf8ToCp1252(request.host);

  // Room for every record of the period at once: growing the address set
  // and the rows as they fill costs more than the reading.
  std::size_t expected = 0;
  for (const auto& file : request.files) {
    struct stat st {};
    if (::stat(fileops::Join(request.historyDir, file.name).c_str(), &st) == 0 && st.st_size > 0)
      expected += static_cast<std::size_t>(st.st_size) / kRecordSize;
  }
  SeenSet seenUrls(request.dupes ? 0 : expected);
  if (mode == SearchMode::DateSort) result.rows.reserve(expected);
  std::unordered_map<std::string_view, std::size_t> groupOf;  // views into groupKeys
  std::deque<std::string> groupKeys;
  std::vector<std::string> hosts;  // UTF-8, for the headers
  std::vector<HistoryRow> hostPages;
  std::vector<uint32_t> groupOfPage;
  if (mode == SearchMode::HostSort) {
    hostPages.reserve(expected);
    groupOfPage.reserve(expected);
  }

  SearchProgress done;
  done.filesTotal = request.files.size();
  std::vector<unsigned char> buf;
  // Oldest first: the files come newest first.
  for (auto file = request.files.rbegin(); file != request.files.rend(); ++file) {
    bool missing = false;
    if (!ReadDayBytes(fileops::Join(request.historyDir, file->name), buf, missing)) {
      if (missing) continue;  // deleted since it was listed
      result = {};
      result.status = SearchResult::Status::FileError;
      result.failedFile = file->name;
      return result;
    }
    const std::size_t count = buf.size() / kRecordSize;
    result.perDay.push_back({file->date, static_cast<int>(count)});
    for (std::size_t i = 0; i < count; ++i) {
      if (cancel.load(std::memory_order_relaxed)) {
        result = {};
        result.status = SearchResult::Status::Cancelled;
        return result;
      }
      const unsigned char* rec = buf.data() + i * kRecordSize;
      const std::string_view url = Field(rec, kUrl, kUrlWidth);
      std::string_view host;
      if (byHost || mode == SearchMode::HostPages) {
        host = Field(rec, kHost, kHostWidth);
        if (host.empty()) continue;  // no host to list it under
        if (mode == SearchMode::HostPages && host != wantedHost) continue;
      }
      if (titles || urls) {
        const bool hit = (titles && needle.FoundIn(Field(rec, kTitle, kTitleWidth))) || (urls && needle.FoundIn(url));
        if (!hit) continue;
      }
      if (!request.dupes && !seenUrls.Insert(url)) continue;
      ++result.pages;
      if (!byHost) {
        result.rows.push_back(RowAt(rec, request.showTime));
        continue;
      }
      auto at = groupOf.find(host);
      if (at == groupOf.end()) {
        groupKeys.emplace_back(host);
        at = groupOf.emplace(groupKeys.back(), hosts.size()).first;
        hosts.push_back(coding::Cp1252ToUtf8(groupKeys.back()));
      }
      if (mode == SearchMode::HostSort) {
        hostPages.push_back(RowAt(rec, request.showTime));
        groupOfPage.push_back(static_cast<uint32_t>(at->second));
      }
    }
    done.filesDone = static_cast<std::size_t>(file - request.files.rbegin()) + 1;
    done.recordsDone += count;
    if (progress) progress(done);
  }

  if (byHost) {
    result.hosts = hosts.size();
    result.rows = GroupedRows(hosts, std::move(hostPages), groupOfPage);
  }
  return result;
}

}  // namespace

SearchResult SearchHistory(const SearchRequest& request, const std::atomic<bool>& cancel,
                           const std::function<void(const SearchProgress&)>& progress) {
  // The search runs on a thread of its own, where anything escaping would end
  // the program: a period too large for memory is reported as a failed search.
  try {
    return Search(request, cancel, progress);
  } catch (...) {
    SearchResult failed;
    failed.status = SearchResult::Status::FileError;
    return failed;
  }
}

// ---- captions ----

std::string TodayCaption(std::size_t rows) {
  return rows > 0 ? std::to_string(rows) + " Page Titles" : std::string("Page Titles");
}

std::string ReturnsCaption(SearchMode mode, std::size_t rows, std::size_t pages, std::size_t hosts) {
  if (IsHostMode(mode)) return std::to_string(pages) + " Page Titles    " + std::to_string(hosts) + " Hosts";
  return std::to_string(rows) + " Page Titles";
}

// ---- sorting ----

namespace {

int CompareText(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = kCase.lower[static_cast<unsigned char>(a[i])];
    const unsigned char y = kCase.lower[static_cast<unsigned char>(b[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareBy(const HistoryRow& a, const HistoryRow& b, int column) {
  switch (column) {
    case 1:
      return a.hitCount == b.hitCount ? 0 : (a.hitCount < b.hitCount ? -1 : 1);
    case 2:
      return a.visitTime == b.visitTime ? 0 : (a.visitTime < b.visitTime ? -1 : 1);
    case 3:
      return CompareText(a.url, b.url);
    default:
      return CompareText(a.text, b.text);
  }
}

}  // namespace

std::vector<std::size_t> SortedOrder(const std::vector<const HistoryRow*>& rows, int column, bool descending) {
  auto before = [&](std::size_t x, std::size_t y, int col) {
    const int c = CompareBy(*rows[x], *rows[y], col);
    return descending ? c > 0 : c < 0;
  };
  // Groups: a header and the pages below it; rows before the first header
  // form a group of their own.
  std::vector<std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (groups.empty() || rows[i]->header) groups.emplace_back();
    groups.back().push_back(i);
  }
  const bool grouped =
      !rows.empty() && std::any_of(rows.begin(), rows.end(), [](const HistoryRow* r) { return r->header; });
  std::vector<std::size_t> order;
  order.reserve(rows.size());
  if (!grouped) {
    for (std::size_t i = 0; i < rows.size(); ++i) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return before(x, y, column); });
    return order;
  }
  for (auto& g : groups) {
    const auto pagesBegin = g.begin() + (rows[g.front()]->header ? 1 : 0);
    std::stable_sort(pagesBegin, g.end(), [&](std::size_t x, std::size_t y) { return before(x, y, column); });
  }
  if (column == 0)
    std::stable_sort(groups.begin(), groups.end(), [&](const auto& x, const auto& y) {
      const HistoryRow& a = *rows[x.front()];
      const HistoryRow& b = *rows[y.front()];
      if (a.header != b.header) return !a.header;  // loose rows stay on top
      const int c = CompareText(a.host, b.host);
      return descending ? c > 0 : c < 0;
    });
  for (const auto& g : groups) order.insert(order.end(), g.begin(), g.end());
  return order;
}
