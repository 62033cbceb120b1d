// Searches over a year of history (365 day files of 300 pages, about 56 MB)
// against the time it takes just to read the same files' bytes, with the
// memory of the rows, and the period selector built from 365 files. Run
// warm: each search runs several times and the first read fills the page
// cache.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "YearOfHistory.h"
#include "core/history/HistoryPeriods.h"
#include "core/history/HistorySearch.h"
#include "core/records/FileOps.h"

namespace fs = std::filesystem;

namespace {

const int64_t kToday = dates::DayNumber(2026, 12, 5);

struct Year {
  fs::path dir;
  std::vector<DayFile> files;  // newest first
  Year() {
    std::string tmpl = (fs::temp_directory_path() / "skelvornax-year.XXXXXX").string();
    dir = ::mkdtemp(tmpl.data());
    WriteYearOfHistory(dir, kToday);
    files = DayFilesNewestFirst(fileops::ListNames(dir.string()), kToday);
  }
  ~Year() { fs::remove_all(dir); }
};

Year& TheYear() {
  static Year year;
  return year;
}

std::size_t ReadAllBytes(const Year& y) {
  std::vector<char> buf(1 << 20);
  std::size_t total = 0;
  for (const auto& f : y.files) {
    const int fd = ::open((y.dir / f.name).c_str(), O_RDONLY | O_CLOEXEC);
    for (ssize_t n; (n = ::read(fd, buf.data(), buf.size())) > 0;) total += static_cast<std::size_t>(n);
    ::close(fd);
  }
  return total;
}

// The best of a few reads of the whole year: the yardstick of the ratios.
double ReadSeconds() {
  static const double best = [] {
    double b = 1e9;
    for (int i = 0; i < 7; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(ReadAllBytes(TheYear()));
      b = std::min(b, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return b;
  }();
  return best;
}

void BM_ReadBytes(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) bytes = ReadAllBytes(TheYear());
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ReadBytes)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State& state) {
  const Year& y = TheYear();
  SearchRequest req;
  req.historyDir = y.dir.string();
  req.files = y.files;
  req.mode = static_cast<SearchMode>(state.range(0));
  req.text = "number 17";
  const double read = ReadSeconds();
  std::atomic<bool> cancel{false};
  std::size_t rows = 0, ownBytes = 0, keptBytes = 0;
  double best = 1e9;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const SearchResult result = SearchHistory(req, cancel);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    rows = result.rows.size();
    ownBytes = result.rows.OwnBytes();
    keptBytes = result.rows.KeptBytes();
  }
  state.SetLabel(std::string(kSearchModeNames[state.range(0)]) +
                 "  (x_read target <= 1.5; own_B/row target <= 32, besides kept_B/row of the records)");
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["x_read"] = best / read;  // best search over best read
  // What the rows hold beyond the record bytes they keep.
  state.counters["own_B/row"] = rows ? static_cast<double>(ownBytes) / static_cast<double>(rows) : 0;
  state.counters["kept_B/row"] = rows ? static_cast<double>(keptBytes) / static_cast<double>(rows) : 0;
}
BENCHMARK(BM_Search)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);  // each entry of the second selector

// The period selector: the folder listing, the dates, the entries.
void BM_PeriodSelector(benchmark::State& state) {
  const Year& y = TheYear();
  std::size_t entries = 0;
  for (auto _ : state) {
    const auto files = fileops::ListFiles(y.dir.string());
    entries = PeriodEntries(DayFilesNewestFirst(files, kToday), kToday, 365, !files.empty()).size();
  }
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_PeriodSelector)->Unit(benchmark::kMicrosecond);

}  // namespace
