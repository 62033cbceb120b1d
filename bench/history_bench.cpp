// File work behind page logging and the site selector.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/history/HistoryLog.h"
#include "core/history/HistoryRecord.h"
#include "core/sitelists/ListFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPages = 2000;

// A fresh directory under the system temp folder, removed on scope exit.
struct TempDir {
  fs::path path;
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "skelvornax-bench.XXXXXX").string();
    path = ::mkdtemp(tmpl.data());
  }
  ~TempDir() { fs::remove_all(path); }
};

std::string PageUrl(int i) { return "http://www.example" + std::to_string(i) + ".com/page/" + std::to_string(i); }

HistoryLogContext TodayContext(const std::string& dir) {
  HistoryLogContext ctx;
  ctx.historyDir = dir;
  ctx.now = LocalDateTime{2026, 5, 12, 10, 30, 0};
  ctx.StoreDupUrls = 0;
  return ctx;
}

// Today's day file holding kPages distinct addresses; returns its path.
std::string WriteDayFile(const HistoryLogContext& ctx) {
  std::string path = (fs::path(ctx.historyDir) / DayFileName(ctx.now)).string();
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < kPages; ++i) {
    HistoryRecord r;
    r.VisitTime = dates::ToOleDate(ctx.now);
    r.Hits = 1;
    r.Title = "Page " + std::to_string(i);
    r.URL = PageUrl(i);
    r.Host = "example" + std::to_string(i) + ".com";
    const auto bytes = EncodeHistoryRecord(r);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return path;
}

// Visiting the last address of the day again: a full scan, then one Hits write.
void BM_LogRepeatedPage(benchmark::State& state) {
  TempDir dir;
  const auto ctx = TodayContext(dir.path.string());
  const std::string path = WriteDayFile(ctx);
  const std::string url = PageUrl(kPages - 1);
  for (auto _ : state) LogHistoryPage(ctx, "Page", url);
  if (fs::file_size(path) != kPages * history_layout::kRecordSize)
    state.SkipWithError("address was appended, not found");
}
BENCHMARK(BM_LogRepeatedPage);

// A first visit: a full scan that finds nothing, then an appended record.
// The file is cut back to kPages records outside the timed part.
void BM_LogNewPage(benchmark::State& state) {
  TempDir dir;
  const auto ctx = TodayContext(dir.path.string());
  const std::string path = WriteDayFile(ctx);
  const off_t size = static_cast<off_t>(kPages * history_layout::kRecordSize);
  for (auto _ : state) {
    LogHistoryPage(ctx, "New page", "http://www.new-site.com/index.html");
    state.PauseTiming();
    if (::truncate(path.c_str(), size) != 0) state.SkipWithError("truncate failed");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LogNewPage);

// The site selector: the category list, then every category's site file.
void BM_ReadAllSiteLists(benchmark::State& state) {
  TempDir dir;
  const int n = static_cast<int>(state.range(0));
  const std::string catList = (dir.path / "CatList.dab").string();
  std::vector<CategoryRecord> cats;
  for (int c = 1; c <= n; ++c) {
    cats.push_back({"Category " + std::to_string(c), static_cast<int16_t>(c)});
    std::vector<SiteRecord> sites;
    for (int s = 0; s < n; ++s)
      sites.push_back(
          {"Site " + std::to_string(s), "http://www.site" + std::to_string(c) + "-" + std::to_string(s) + ".com/"});
    RewriteSites((dir.path / SiteFileName(static_cast<int16_t>(c))).string(), sites);
  }
  RewriteCategories(catList, cats);

  for (auto _ : state) {
    std::size_t total = 0;
    for (const auto& cat : ReadCategories(catList))
      total += ReadSites((dir.path / SiteFileName(cat.FileNumber)).string()).size();
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_ReadAllSiteLists)->Arg(100);

}  // namespace
