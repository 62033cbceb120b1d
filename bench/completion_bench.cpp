// The address box's completion over a year of history (365 day files of 300
// pages) and 1,000 listed sites: building the index from the files, and one
// look-up per keystroke (median and 99th percentile over many typed texts,
// one letter at a time, as counters p50_ms and p99_ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "YearOfHistory.h"
#include "core/browser/Completion.h"
#include "core/history/HistoryRecord.h"
#include "core/sitelists/ListFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCategories = 10, kSitesPerCategory = 100;
const int64_t kToday = dates::DayNumber(2026, 12, 5);

struct Profile {
  fs::path dir;
  Profile() {
    std::string tmpl = (fs::temp_directory_path() / "skelvornax-completion.XXXXXX").string();
    dir = ::mkdtemp(tmpl.data());
    fs::create_directories(dir / "History");
    fs::create_directories(dir / "SiteLists");
    WriteYearOfHistory(dir / "History", kToday);
    std::vector<CategoryRecord> categories;
    for (int c = 1; c <= kCategories; ++c) {
      categories.push_back({"Category " + std::to_string(c), static_cast<int16_t>(c)});
      std::vector<SiteRecord> sites;
      for (int s = 0; s < kSitesPerCategory; ++s)
        sites.push_back({"Listed site " + std::to_string(c * 1000 + s),
                         "https://www.listed" + std::to_string(c * 1000 + s) + ".example.net/"});
      RewriteSites((dir / "SiteLists" / SiteFileName(static_cast<int16_t>(c))).string(), sites);
    }
    RewriteCategories((dir / "SiteLists/CatList.dab").string(), categories);
  }
  ~Profile() { fs::remove_all(dir); }
  CompletionIndex Build() const {
    return BuildCompletionIndex((dir / "SiteLists/CatList.dab").string(), (dir / "SiteLists").string(),
                                (dir / "History").string(), kToday);
  }
};

Profile& TheProfile() {
  static Profile profile;
  return profile;
}

void BM_BuildIndexFromAYear(benchmark::State& state) {
  std::size_t entries = 0;
  for (auto _ : state) entries = TheProfile().Build().Size();
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_BuildIndexFromAYear)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every prefix of these texts is one keystroke.
const char* const kTyped[] = {"site123.example.org/articles/3",
                              "http://www.site7",
                              "page 42 of",
                              "listed site 40",
                              "https://www.listed5",
                              "zzz nothing here",
                              "s",
                              "e"};

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> v, int p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, v.size() * static_cast<std::size_t>(p) / 100)];
}

// Wall time (p50_ms, p99_ms) and, for a machine shared with other work, the
// time this thread itself ran (p50_cpu_ms, p99_cpu_ms).
void BM_KeystrokeLookup(benchmark::State& state) {
  static const CompletionIndex index = TheProfile().Build();
  std::vector<double> wall, cpu;
  for (auto _ : state) {
    for (const char* text : kTyped) {
      const std::string full = text;
      for (std::size_t n = 1; n <= full.size(); ++n) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadCpuMs();
        benchmark::DoNotOptimize(index.Find(full.substr(0, n)));
        cpu.push_back(ThreadCpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      }
    }
  }
  state.counters["p50_ms"] = Percentile(wall, 50);
  state.counters["p99_ms"] = Percentile(wall, 99);
  state.counters["p50_cpu_ms"] = Percentile(cpu, 50);
  state.counters["p99_cpu_ms"] = Percentile(cpu, 99);
  state.counters["keystrokes"] = static_cast<double>(wall.size());
}
BENCHMARK(BM_KeystrokeLookup)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
