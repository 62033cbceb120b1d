// How long a main window takes to fill its site selector from 100
// categories of 100 sites each (file reads and list rows together).
// Needs a display: run it through scripts/headless.sh.
#include <benchmark/benchmark.h>
#include <gdk/gdk.h>
#include <gtkmm.h>

#include <cstdlib>
#include <string>

#include "BenchProgram.h"
#include "core/app/Module1.h"
#include "core/sitelists/ListFiles.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/app/App.h"
#include "ui/app/Main.h"
#include "ui/browser/Form1.h"

namespace {

Form1* window = nullptr;

void Prepare(App& app, int categories, int sites) {
  PrepareBenchProgram();
  std::vector<CategoryRecord> cats;
  for (int c = 1; c <= categories; ++c) {
    cats.push_back({"Category " + std::to_string(c), static_cast<int16_t>(c)});
    std::vector<SiteRecord> list;
    for (int s = 1; s <= sites; ++s)
      list.push_back({"Site " + std::to_string(s), "https://example" + std::to_string(s) + ".org/page"});
    RewriteSites(Module1().SiteListsDir + "/" + SiteFileName(static_cast<int16_t>(c)), list);
  }
  RewriteCategories(Module1().CatListPath, cats);
  Module1().StartPageFlag = 1;
  window = &app.OpenMainWindow(std::make_unique<FakeBrowser>());
}

void BM_UniLodCombo(benchmark::State& state) {
  for (auto _ : state) {
    window->UniLodCombo();
    benchmark::DoNotOptimize(window->ListView2.RowCount());
  }
  state.counters["rows"] = window->ListView2.RowCount();
}
BENCHMARK(BM_UniLodCombo)->Unit(benchmark::kMillisecond);

void BM_LodCombos(benchmark::State& state) {
  for (auto _ : state) window->LodCombos();
}
BENCHMARK(BM_LodCombos)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  gdk_set_allowed_backends("x11,*");
  App app;
  Prepare(app, 100, 100);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
