#include "core/history/HistorySearch.h"

#include <fcntl.h>
#include <sys/mman.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#define XXH_INLINE_ALL
#include <xxhash.h>

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

// ---- reading day files, keeping records ----

// Memory for kept records and the address set, taken from the system in
// one piece. Its pages come on first use: a block of records has room for
// the longest texts, and most are far shorter. The system hands out fresh
// memory zeroed, which costs time: the blocks of a search that is gone are
// kept for the next one.
class BlockCache {
 public:
  // A block of at least `bytes`, its size in `bytes`. Throws bad_alloc.
  static std::shared_ptr<unsigned char> Take(std::size_t& bytes) {
    bytes = (bytes + kGrain - 1) / kGrain * kGrain;
    unsigned char* at = nullptr;
    {
      const std::lock_guard<std::mutex> hold(Lock());
      // The smallest spare that fits and wastes not more than half.
      auto best = spares_.end();
      for (auto s = spares_.begin(); s != spares_.end(); ++s)
        if (s->second >= bytes && s->second <= 2 * bytes && (best == spares_.end() || s->second < best->second))
          best = s;
      if (best != spares_.end()) {
        at = best->first;
        bytes = best->second;
        spares_.erase(best);
      }
    }
    if (!at) {
      void* fresh = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (fresh == MAP_FAILED) throw std::bad_alloc();
      at = static_cast<unsigned char*>(fresh);
    }
    const std::size_t size = bytes;
    return {at, [size](unsigned char* block) { GiveBack(block, size); }};
  }
  // The kept blocks go back to the system.
  static void Release() {
    const std::lock_guard<std::mutex> hold(Lock());
    for (const auto& [block, bytes] : spares_) ::munmap(block, bytes);
    spares_.clear();
  }

 private:
  static constexpr std::size_t kGrain = 2 << 20;  // blocks of a few sizes are easier to reuse
  static constexpr std::size_t kSpares = 6;       // a search's blocks, and some

  static std::mutex& Lock() {
    static std::mutex lock;
    return lock;
  }
  static void GiveBack(unsigned char* block, std::size_t bytes) {
    const std::lock_guard<std::mutex> hold(Lock());
    // The system may take the pages back meanwhile if it needs them.
    ::madvise(block, bytes, MADV_FREE);
    spares_.emplace_back(block, bytes);
    if (spares_.size() <= kSpares) return;
    // Too many: the smallest goes.
    const auto smallest = std::min_element(spares_.begin(), spares_.end(),
                                           [](const auto& x, const auto& y) { return x.second < y.second; });
    ::munmap(smallest->first, smallest->second);
    spares_.erase(smallest);
  }

  static inline std::vector<std::pair<unsigned char*, std::size_t>> spares_;
};

// A fixed number of plain values in a block of the cache.
template <typename T>
class CachedArray {
 public:
  explicit CachedArray(std::size_t count) {
    std::size_t bytes = std::max<std::size_t>(count, 1) * sizeof(T);
    block_ = BlockCache::Take(bytes);
    count_ = bytes / sizeof(T);
  }
  std::size_t size() const { return count_; }  // at least as asked
  T* data() const { return reinterpret_cast<T*>(block_.get()); }
  T& operator[](std::size_t i) const { return data()[i]; }

 private:
  std::shared_ptr<unsigned char> block_;
  std::size_t count_ = 0;
};

// The bytes of one day file at a time, into one buffer that stays in the
// cache, cut to their whole records: a torn last append is no page, as for
// ReadDayFile.
class DayReader {
 public:
  // False when the file cannot be read; `missing` tells that it is gone.
  bool Read(const std::string& path, bool& missing) {
    missing = false;
    size_ = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      missing = errno == ENOENT;
      return false;
    }
    struct stat st {};
    // Room for the whole file and a little more, so one read takes it all
    // and the next sees its end; a file still growing gets more room.
    const std::size_t want = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    if (capacity_ < want + kRecordSize) Allocate(want + kRecordSize);
    bool ok = true;
    for (;;) {
      if (size_ == capacity_) Allocate(capacity_ * 2);
      const ssize_t n = ::read(fd, buffer_.get() + size_, capacity_ - size_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      size_ += static_cast<std::size_t>(n);
    }
    ::close(fd);
    size_ = ok ? size_ / kRecordSize * kRecordSize : 0;
    return ok;
  }

  std::size_t Count() const { return size_ / kRecordSize; }
  const unsigned char* Record(std::size_t i) const { return buffer_.get() + i * kRecordSize; }

 private:
  // The bytes read so far move along.
  void Allocate(std::size_t capacity) {
    std::unique_ptr<unsigned char[]> bigger(new unsigned char[capacity]);  // not zeroed: bytes are read first
    if (size_ > 0) std::memcpy(bigger.get(), buffer_.get(), size_);
    buffer_ = std::move(bigger);
    capacity_ = capacity;
  }

  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t capacity_ = 0, size_ = 0;
};

// The period's day files read ahead of the search, oldest first, on a
// thread of their own: copying a file out of the page cache is about half
// of a search's time, and it overlaps the work on the file before. A few
// readers go round, so memory stays that of a few days.
class DayPipeline {
 public:
  enum class State { Read, Missing, Failed };
  struct Day {
    DayReader reader;
    State state = State::Read;
  };

  // `files` newest first, as a request has them.
  DayPipeline(const std::string& dir, const std::vector<DayFile>& files) {
    paths_.reserve(files.size());
    for (auto f = files.rbegin(); f != files.rend(); ++f) paths_.push_back(fileops::Join(dir, f->name));
    try {
      thread_ = std::thread([this] { ReadAhead(); });
    } catch (const std::system_error&) {
      // No thread to be had: each day is read when it is asked for.
    }
  }
  ~DayPipeline() {
    {
      const std::lock_guard<std::mutex> hold(lock_);
      stop_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  DayPipeline(const DayPipeline&) = delete;
  DayPipeline& operator=(const DayPipeline&) = delete;

  std::size_t Count() const { return paths_.size(); }
  // The day `i` (the next after the one handed back last), once read.
  Day& Take(std::size_t i) {
    Day& day = ring_[i % kDepth];
    if (!thread_.joinable()) {
      ReadInto(day, i);
      return day;
    }
    WaitFor(read_, i + 1);
    return day;
  }
  // The day `i` is done with: its reader may take a later file.
  void GiveBack(std::size_t i) { Publish(used_, i + 1); }

 private:
  static constexpr std::size_t kDepth = kSearchReadAhead;

  void ReadInto(Day& day, std::size_t i) {
    bool missing = false;
    try {
      day.state = day.reader.Read(paths_[i], missing) ? State::Read : missing ? State::Missing : State::Failed;
    } catch (const std::bad_alloc&) {  // a file too large for memory is one that cannot be read
      day.state = State::Failed;
    }
  }
  void ReadAhead() {
    for (std::size_t i = 0; i < paths_.size(); ++i) {
      if (i >= kDepth) WaitFor(used_, i + 1 - kDepth);
      if (stop_.load(std::memory_order_acquire)) return;
      ReadInto(ring_[i % kDepth], i);
      Publish(read_, i + 1);
    }
  }

  // A day takes some microseconds to read or to search, less than waking a
  // thread that sleeps: the other side is watched for a while first.
  void WaitFor(const std::atomic<std::size_t>& count, std::size_t atLeast) {
    const auto ready = [&] {
      return count.load(std::memory_order_acquire) >= atLeast || stop_.load(std::memory_order_acquire);
    };
    for (int spin = 0; spin < kSpins && !ready(); ++spin) Pause();
    if (ready()) return;
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, ready);
  }
  void Publish(std::atomic<std::size_t>& count, std::size_t value) {
    {
      const std::lock_guard<std::mutex> hold(lock_);  // a waiter checks under the lock
      count.store(value, std::memory_order_release);
    }
    changed_.notify_all();
  }
  static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
  }
  static constexpr int kSpins = 2000;  // some tens of microseconds

  std::vector<std::string> paths_;  // oldest first
  std::array<Day, kDepth> ring_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::atomic<std::size_t> read_{0}, used_{0};  // days read, days handed back
  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: it starts once the rest is set
};

// A text field as the record files mean it: up to a NUL, blanks trimmed;
// still Windows-1252 bytes.
std::string_view Field(const unsigned char* record, std::size_t offset, std::size_t width) {
  const auto* begin = reinterpret_cast<const char*>(record + offset);
  std::size_t n = width;
  // Fields are mostly padding: skip it sixteen blanks at a time, before
  // looking for a NUL in what is left.
#ifdef __SSE2__
  const __m128i blanks = _mm_set1_epi8(' ');
  const auto blankAt = [&](std::size_t end) {
    return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + end - 16)), blanks);
  };
  // Most of a wide field's padding goes 64 blanks at a time.
  for (; n >= 64; n -= 64) {
    const __m128i all =
        _mm_and_si128(_mm_and_si128(blankAt(n), blankAt(n - 16)), _mm_and_si128(blankAt(n - 32), blankAt(n - 48)));
    if (_mm_movemask_epi8(all) != 0xFFFF) break;
  }
  for (; n >= 16; n -= 16) {
    const auto blank = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + n - 16)), blanks)));
    if (blank != 0xFFFF) {
      n -= static_cast<std::size_t>(__builtin_clz(~blank & 0xFFFF)) - 16;  // to just after its last non-blank
      break;
    }
  }
#else
  static const char kBlanks[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  while (n >= 8 && std::memcmp(begin + n - 8, kBlanks, 8) == 0) n -= 8;
#endif
  while (n > 0 && begin[n - 1] == ' ') --n;
  if (const void* nul = std::memchr(begin, 0, n)) {
    n = static_cast<std::size_t>(static_cast<const char*>(nul) - begin);
    while (n > 0 && begin[n - 1] == ' ') --n;
  }
  std::size_t first = 0;
  while (first < n && begin[first] == ' ') ++first;
  return {begin + first, n - first};
}

// A record's text as the program's own text (UTF-8).
std::string Utf8(std::string_view v) {
  for (const char c : v)
    if (static_cast<unsigned char>(c) >= 0x80) return coding::Cp1252ToUtf8(std::string(v));
  return std::string(v);
}

uint64_t LittleEndian(const unsigned char* p, std::size_t n) {
  uint64_t v = 0;
  for (std::size_t i = n; i-- > 0;) v = v << 8 | p[i];
  return v;
}

double VisitTimeOf(const unsigned char* record) {
  const uint64_t bits = LittleEndian(record + kVisitTime, 8);
  double time = 0;
  std::memcpy(&time, &bits, sizeof time);
  return time;
}

int32_t HitsOf(const unsigned char* record) {
  return static_cast<int32_t>(static_cast<uint32_t>(LittleEndian(record + kHits, 4)));
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

  // In a record's text field: most fields do not hold the text even
  // untrimmed, and those need not be trimmed.
  bool FoundInField(const unsigned char* record, std::size_t offset, std::size_t width) const {
    return FoundIn({reinterpret_cast<const char*>(record + offset), width}) && FoundIn(Field(record, offset, width));
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

// ---- sets of byte strings kept in the rows' file bytes ----

// Every kept record's address, and in the host modes its host, is hashed:
// a hash made for speed.
struct TextHash {
  std::size_t operator()(std::string_view text) const { return XXH3_64bits(text.data(), text.size()); }
};

class SeenSet {
 public:
  explicit SeenSet(std::size_t expected)
      : slotCount_(SlotsFor(expected)), slots_(slotCount_), texts_(std::max<std::size_t>(expected, 64)) {
    std::fill_n(slots_.data(), slotCount_, Slot{});
  }
  static std::size_t Hash(std::string_view text) { return TextHash{}(text); }
  // Look-ups miss the cache: asking for the slot of a text a few records
  // ahead hides most of that wait.
  void Prefetch(std::size_t hash) const { __builtin_prefetch(&slots_[hash & Mask()]); }
  // True when the text was new (and is now in the set). The set keeps the
  // view: its bytes must outlive the set.
  bool Insert(std::string_view text, std::size_t hash) {
    // Open addressing in one flat array of small slots: a year's addresses
    // are a few hundred thousand, and the look-ups were the slowest part of
    // a search.
    const auto tag = static_cast<uint32_t>(hash >> 32);
    std::size_t i = hash & Mask();
    for (; slots_[i].text != kFree; i = (i + 1) & Mask())
      if (slots_[i].tag == tag && texts_[slots_[i].text] == text) return false;
    if (count_ == texts_.size()) {
      CachedArray<std::string_view> more(count_ * 2);
      std::copy_n(texts_.data(), count_, more.data());
      texts_ = std::move(more);
    }
    slots_[i] = {tag, static_cast<uint32_t>(count_)};
    texts_[count_++] = text;
    if (count_ * 2 > slotCount_) Grow();
    return true;
  }

 private:
  static constexpr uint32_t kFree = UINT32_MAX;
  struct Slot {
    uint32_t tag = 0;       // the high half of the text's hash
    uint32_t text = kFree;  // its place in texts_
  };
  // A power of two, twice the texts.
  static std::size_t SlotsFor(std::size_t texts) {
    std::size_t capacity = 64;
    while (capacity < texts * 2) capacity *= 2;
    return capacity;
  }
  // The block may hold more slots than the table uses.
  std::size_t Mask() const { return slotCount_ - 1; }

  void Grow() {
    slotCount_ = SlotsFor(count_ * 2);
    slots_ = CachedArray<Slot>(slotCount_);
    std::fill_n(slots_.data(), slotCount_, Slot{});
    for (std::size_t t = 0; t < count_; ++t) {
      const std::size_t hash = Hash(texts_[t]);
      std::size_t i = hash & Mask();
      while (slots_[i].text != kFree) i = (i + 1) & Mask();
      slots_[i] = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(t)};
    }
  }

  std::size_t slotCount_;  // a power of two
  CachedArray<Slot> slots_;
  CachedArray<std::string_view> texts_;
  std::size_t count_ = 0;
};

}  // namespace

// ---- rows ----

namespace {

std::string HeaderText(const std::string& host) { return "......" + host + std::string(141, '.'); }
const std::string kHeaderDots(47, '.');

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
  row.text = HeaderText(host);
  row.hits = kHeaderDots;
  row.date = kHeaderDots;
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

// ---- the rows of a search ----

const unsigned char* SearchRows::Record(const Ref& ref) const { return blocks_[ref.block].get() + ref.at; }

namespace {

// A kept record: its first bytes as in the file (visit time, hits), the
// lengths of its title and its address, then their bytes.
constexpr std::size_t kKeptHead = kTitle, kKeptTexts = kKeptHead + 2;
static_assert(kVisitTime + 8 <= kKeptHead && kHits + 4 <= kKeptHead, "the head holds the numbers");
static_assert(kTitleWidth < 256 && kUrlWidth < 256, "a byte holds a length");
constexpr std::size_t kLargestKept = kKeptTexts + kTitleWidth + kUrlWidth;

std::string_view KeptTitle(const unsigned char* kept) {
  return {reinterpret_cast<const char*>(kept + kKeptTexts), kept[kKeptHead]};
}
std::string_view KeptUrl(const unsigned char* kept) {
  return {reinterpret_cast<const char*>(kept + kKeptTexts + kept[kKeptHead]), kept[kKeptHead + 1]};
}

}  // namespace

HistoryRow SearchRows::operator[](std::size_t row) const {
  const Ref& ref = refs_[row];
  if (ref.block == kHeaderBlock) return HostHeaderRow(hosts_[ref.at]);
  const unsigned char* record = Record(ref);
  HistoryRow out;
  out.visitTime = VisitTimeOf(record);
  out.hitCount = HitsOf(record);
  out.text = Utf8(KeptTitle(record));
  out.hits = std::to_string(out.hitCount);
  out.date = DateText(out.visitTime, !withTime_);
  out.url = Utf8(KeptUrl(record));
  return out;
}

HistoryRow SearchRows::at(std::size_t row) const {
  if (row >= size()) throw std::out_of_range("no such search row");
  return (*this)[row];
}

std::string SearchRows::Cell(std::size_t row, int column) const {
  const Ref& ref = refs_[row];
  if (ref.block == kHeaderBlock) {
    if (column == 0) return HeaderText(hosts_[ref.at]);
    return column == 1 || column == 2 ? kHeaderDots : std::string();
  }
  const unsigned char* record = Record(ref);
  switch (column) {
    case 0:
      return Utf8(KeptTitle(record));
    case 1:
      return std::to_string(HitsOf(record));
    case 2:
      return DateText(VisitTimeOf(record), !withTime_);
    case 3:
      return Utf8(KeptUrl(record));
    default:
      return {};
  }
}

std::string SearchRows::Host(std::size_t row) const {
  const Ref& ref = refs_[row];
  return ref.block == kHeaderBlock ? hosts_[ref.at] : std::string();
}

SortKey SearchRows::KeyOf(std::size_t row, int column) const {
  const Ref& ref = refs_[row];
  SortKey key;
  if (ref.block == kHeaderBlock) {
    key.header = true;
    key.text = hosts_[ref.at];
    return key;
  }
  const unsigned char* record = Record(ref);
  key.hitCount = HitsOf(record);
  key.visitTime = VisitTimeOf(record);
  if (column == 0) key.text = Utf8(KeptTitle(record));
  if (column == 3) key.text = Utf8(KeptUrl(record));
  return key;
}

std::size_t SearchRows::OwnBytes() const {
  std::size_t bytes = sizeof *this + refs_.capacity() * sizeof(Ref) +
                      blocks_.capacity() * sizeof(std::shared_ptr<const unsigned char>) +
                      hosts_.capacity() * sizeof(std::string);
  for (const std::string& host : hosts_) bytes += host.capacity() + 1;
  return bytes;
}

// Puts the rows of a search together as its files are read: each record
// that may give a row is kept, its texts trimmed, in blocks the rows own;
// the record kept last can be taken back.
class RowGatherer {
 public:
  RowGatherer(SearchRows& rows, bool withTime, std::size_t expected) : rows_(rows), expected_(expected) {
    rows_.withTime_ = withTime;
  }

  // The kept record, where its address starts.
  const char* Keep(const unsigned char* record, std::string_view title, std::string_view url) {
    last_ = kKeptTexts + title.size() + url.size();
    if (capacity_ - used_ < last_) NewBlock();
    unsigned char* at = block_ + used_;
    std::memcpy(at, record, kKeptHead);
    at[kKeptHead] = static_cast<unsigned char>(title.size());
    at[kKeptHead + 1] = static_cast<unsigned char>(url.size());
    // Empty views may have no data at all, which memcpy must not be given.
    if (!title.empty()) std::memcpy(at + kKeptTexts, title.data(), title.size());
    if (!url.empty()) std::memcpy(at + kKeptTexts + title.size(), url.data(), url.size());
    used_ += last_;
    return reinterpret_cast<const char*>(at + kKeptTexts + title.size());
  }
  void DropLast() { used_ -= last_; }
  // The record kept last is a row.
  void AddPage() {
    rows_.refs_.push_back({static_cast<uint32_t>(rows_.blocks_.size() - 1), static_cast<uint32_t>(used_ - last_)});
    rows_.keptBytes_ += last_;
  }
  // Host modes: the pages come in the order read and are put under their
  // hosts' headers at the end.
  void AddGroupedPage(uint32_t group) {
    AddPage();
    groupOfPage_.push_back(group);
  }
  void Reserve(std::size_t rows, bool grouped) {
    rows_.refs_.reserve(rows);
    if (grouped) groupOfPage_.reserve(rows);
  }
  // Each host's header, then its pages in the order they came; the hosts in
  // the order of their first page.
  void GroupUnderHosts(std::vector<std::string> hosts) {
    std::vector<SearchRows::Ref> pages;
    pages.swap(rows_.refs_);
    std::vector<std::size_t> start(hosts.size() + 1, 0);
    for (const uint32_t g : groupOfPage_) ++start[g + 1];
    for (std::size_t g = 0; g < hosts.size(); ++g) start[g + 1] += start[g];
    rows_.refs_.resize(hosts.size() + pages.size());
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t g = 0; g < hosts.size(); ++g) {
      rows_.refs_[start[g] + g] = {SearchRows::kHeaderBlock, static_cast<uint32_t>(g)};
      next[g] += g + 1;  // after the header and the headers before it
    }
    for (std::size_t i = 0; i < pages.size(); ++i) rows_.refs_[next[groupOfPage_[i]]++] = pages[i];
    rows_.hosts_ = std::move(hosts);
  }
  // Rows that are all headers keep no records: the blocks go back.
  void DropRecords() {
    rows_.blocks_.clear();
    rows_.keptBytes_ = 0;
  }

 private:
  // The first block has room for every record of the period as the files
  // were when the search began, however long their texts; files that grew
  // since get more.
  void NewBlock() {
    const std::size_t records = std::max<std::size_t>(rows_.blocks_.empty() ? expected_ : expected_ / 4, 1024);
    std::size_t bytes = records * kLargestKept;
    std::shared_ptr<unsigned char> block = BlockCache::Take(bytes);
    block_ = block.get();
    rows_.blocks_.emplace_back(std::move(block), block_);
    capacity_ = bytes;
    used_ = 0;
  }

  SearchRows& rows_;
  std::size_t expected_;
  std::vector<uint32_t> groupOfPage_;
  unsigned char* block_ = nullptr;                  // the block being filled, owned by the rows
  std::size_t used_ = 0, capacity_ = 0, last_ = 0;  // in bytes
};

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
  // Text and host-pages searches keep few records: their blocks and address
  // set start small.
  const bool fewPages = IsTextMode(mode) || mode == SearchMode::HostPages;
  RowGatherer rows(result.rows, request.showTime, fewPages ? 0 : expected);
  SeenSet seenUrls(request.dupes || fewPages ? 0 : expected);
  if (mode == SearchMode::DateSort || mode == SearchMode::HostSort)
    rows.Reserve(expected, mode == SearchMode::HostSort);
  std::unordered_map<std::string_view, uint32_t, TextHash> groupOf;  // views into groupKeys
  std::deque<std::string> groupKeys;
  std::vector<std::string> hosts;  // UTF-8, for the headers

  SearchProgress done;
  done.filesTotal = request.files.size();
  DayPipeline days(request.historyDir, request.files);
  struct Candidate {
    uint32_t record;
    std::string_view title, url, host;
    std::size_t hash;
  };
  std::vector<Candidate> candidates;
  // Host List Only lists no pages: it keeps the addresses only, to count them.
  const bool keepTitles = mode != SearchMode::HostListOnly;
  for (std::size_t f = 0; f < days.Count(); ++f) {
    // Oldest first: the files come newest first.
    const DayFile& file = request.files[request.files.size() - 1 - f];
    DayPipeline::Day& day = days.Take(f);
    if (day.state == DayPipeline::State::Missing) {  // deleted since it was listed
      days.GiveBack(f);
      continue;
    }
    if (day.state == DayPipeline::State::Failed) {
      result = {};
      result.status = SearchResult::Status::FileError;
      result.failedFile = file.name;
      return result;
    }
    const DayReader& reader = day.reader;
    const std::size_t count = reader.Count();
    result.perDay.push_back({file.date, static_cast<int>(count)});
    // First the records that qualify, then the address set: knowing the
    // addresses ahead lets the set fetch their slots early.
    candidates.clear();
    for (std::size_t i = 0; i < count; ++i) {
      if (cancel.load(std::memory_order_relaxed)) {
        result = {};
        result.status = SearchResult::Status::Cancelled;
        return result;
      }
      const unsigned char* rec = reader.Record(i);
      std::string_view host;
      if (byHost || mode == SearchMode::HostPages) {
        host = Field(rec, kHost, kHostWidth);
        if (host.empty()) continue;  // no host to list it under
        if (mode == SearchMode::HostPages && host != wantedHost) continue;
      }
      if (titles || urls) {
        const bool hit = (titles && needle.FoundInField(rec, kTitle, kTitleWidth)) ||
                         (urls && needle.FoundInField(rec, kUrl, kUrlWidth));
        if (!hit) continue;
      }
      const std::string_view title = keepTitles ? Field(rec, kTitle, kTitleWidth) : std::string_view();
      const std::string_view url = Field(rec, kUrl, kUrlWidth);
      candidates.push_back({static_cast<uint32_t>(i), title, url, host, request.dupes ? 0 : SeenSet::Hash(url)});
    }
    constexpr std::size_t kAhead = 8;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
      const Candidate& c = candidates[k];
      // The address set holds views into the kept records.
      const char* url = rows.Keep(reader.Record(c.record), c.title, c.url);
      if (!request.dupes) {
        if (k + kAhead < candidates.size()) seenUrls.Prefetch(candidates[k + kAhead].hash);
        if (!seenUrls.Insert({url, c.url.size()}, c.hash)) {
          rows.DropLast();
          continue;
        }
      }
      ++result.pages;
      if (!byHost) {
        rows.AddPage();
        continue;
      }
      auto at = groupOf.find(c.host);
      if (at == groupOf.end()) {
        groupKeys.emplace_back(c.host);
        at = groupOf.emplace(groupKeys.back(), static_cast<uint32_t>(hosts.size())).first;
        hosts.push_back(coding::Cp1252ToUtf8(groupKeys.back()));
      }
      if (mode == SearchMode::HostSort) rows.AddGroupedPage(at->second);
    }
    days.GiveBack(f);
    done.filesDone = f + 1;
    done.recordsDone += count;
    if (progress) progress(done);
  }

  if (byHost) {
    result.hosts = hosts.size();
    rows.GroupUnderHosts(std::move(hosts));
  }
  if (!keepTitles) rows.DropRecords();
  return result;
}

}  // namespace

void ReleaseSearchMemory() { BlockCache::Release(); }

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

int CompareBy(const SortKey& a, const SortKey& b, int column) {
  switch (column) {
    case 1:
      return a.hitCount == b.hitCount ? 0 : (a.hitCount < b.hitCount ? -1 : 1);
    case 2:
      return a.visitTime == b.visitTime ? 0 : (a.visitTime < b.visitTime ? -1 : 1);
    default:
      return CompareText(a.text, b.text);
  }
}

}  // namespace

std::vector<std::size_t> SortedOrder(const std::vector<SortKey>& rows, int column, bool descending) {
  auto before = [&](std::size_t x, std::size_t y) {
    const int c = CompareBy(rows[x], rows[y], column);
    return descending ? c > 0 : c < 0;
  };
  std::vector<std::size_t> order(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) order[i] = i;
  const bool grouped = std::any_of(rows.begin(), rows.end(), [](const SortKey& r) { return r.header; });
  if (!grouped) {
    std::stable_sort(order.begin(), order.end(), before);
    return order;
  }
  // Groups: a header and the pages below it, as [first, end) of `order`;
  // rows before the first header form a group of their own.
  std::vector<std::pair<std::size_t, std::size_t>> groups;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (groups.empty() || rows[i].header) groups.emplace_back(i, i);
    groups.back().second = i + 1;
  }
  for (const auto& [first, end] : groups)
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(first + (rows[first].header ? 1 : 0)),
                     order.begin() + static_cast<std::ptrdiff_t>(end), before);
  if (column == 0)
    std::stable_sort(groups.begin(), groups.end(), [&](const auto& x, const auto& y) {
      const SortKey& a = rows[x.first];
      const SortKey& b = rows[y.first];
      if (a.header != b.header) return !a.header;  // loose rows stay on top
      const int c = CompareText(a.text, b.text);
      return descending ? c > 0 : c < 0;
    });
  std::vector<std::size_t> out;
  out.reserve(rows.size());
  for (const auto& [first, end] : groups)
    out.insert(out.end(), order.begin() + static_cast<std::ptrdiff_t>(first),
               order.begin() + static_cast<std::ptrdiff_t>(end));
  return out;
}

SortKey SortKeyOf(const HistoryRow& row, int column) {
  SortKey key{row.header, row.hitCount, row.visitTime, {}};
  if (row.header)
    key.text = row.host;
  else if (column == 0 || column == 3)
    key.text = column == 0 ? row.text : row.url;
  return key;
}

std::vector<std::size_t> SortedOrder(const std::vector<const HistoryRow*>& rows, int column, bool descending) {
  std::vector<SortKey> keys;
  keys.reserve(rows.size());
  for (const HistoryRow* r : rows) keys.push_back(SortKeyOf(*r, column));
  return SortedOrder(keys, column, descending);
}
