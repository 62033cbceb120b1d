// The record of open pages: what it costs a page load on the main thread,
// what one write costs the writer thread, and how often the record is
// written during a replayed browsing session. Over the fake browser, so that
// only the program's own work is timed. Needs a display: run it through
// scripts/headless.sh.
//
//   scripts/headless.sh build/bench/open_pages_bench [--minutes=N] [--speed=N] [benchmark options]
#include <benchmark/benchmark.h>
#include <gdk/gdk.h>
#include <glib.h>
#include <gtkmm.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "BenchProgram.h"
#include "core/app/Module1.h"
#include "core/app/OpenPages.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/app/App.h"
#include "ui/app/OpenPagesKeeper.h"
#include "ui/browser/Form1.h"

namespace {

App* app = nullptr;

void Drain() {
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
}

void CloseAll() {
  for (Form1* w : app->MainWindows()) w->Form_QueryUnload();
  while (app->HasMainWindows()) g_main_context_iteration(nullptr, TRUE);
  Drain();
}

FakeBrowser& Fake(Form1* w) { return static_cast<FakeBrowser&>(w->WebBrowser1); }

std::string PageUrl(int n) { return "https://example" + std::to_string(n % 50) + ".org/article/" + std::to_string(n); }

Form1* OpenOn(int n) {
  Form1* w = &app->OpenMainWindow(std::make_unique<FakeBrowser>());
  Fake(w).Navigate(PageUrl(n));
  return w;
}

// One page load in the last of `windows` windows, with its idle work: the
// record's list is taken then. Argument 1: whether the record is kept.
void BM_PageLoad(benchmark::State& state) {
  const int windows = static_cast<int>(state.range(0));
  const bool recorded = state.range(1) != 0;
  if (recorded) {
    app->OpenPages().Start(Module1().UserDataDir);
  } else {
    app->OpenPages().Stop();
  }
  for (int i = 0; i < windows; ++i) OpenOn(i);
  Drain();
  Form1* w = app->MainWindows().back();
  int n = 0;
  for (auto _ : state) {
    Fake(w).CompleteLoad(PageUrl(100 + (n++ % 2)));
    Drain();
  }
  CloseAll();
  if (recorded) app->OpenPages().Flush();
  state.counters["record_writes"] = static_cast<double>(app->OpenPages().Writes());
}
BENCHMARK(BM_PageLoad)
    ->ArgsProduct({{1, 5, 20}, {0, 1}})
    ->ArgNames({"windows", "recorded"})
    ->Unit(benchmark::kMicrosecond);

// What the record adds to a page load on the main thread: the list of the
// windows' pages taken and handed to the writer (which does not write here).
void BM_RecordStep(benchmark::State& state) {
  app->OpenPages().Stop();
  for (int i = 0; i < state.range(0); ++i) OpenOn(i);
  Drain();
  openpages::Writer writer(Module1().UserDataDir + "/step-" + openpages::kFileName, std::chrono::hours(1));
  writer.Record({});  // the first list is written at once; the ones timed wait for the hour
  writer.Flush();
  for (auto _ : state) writer.Record(app->OpenPages().OpenNow());
  CloseAll();
}
BENCHMARK(BM_RecordStep)->ArgName("windows")->Arg(1)->Arg(5)->Arg(20)->Unit(benchmark::kMicrosecond);

// One crash-safe rewrite (temporary file, flush, rename), as the writer
// thread does it.
void BM_WriteRecord(benchmark::State& state) {
  openpages::Pages pages;
  for (int i = 0; i < state.range(0); ++i)
    pages.push_back({PageUrl(i), "A page title of ordinary length " + std::to_string(i)});
  const std::string path = Module1().UserDataDir + "/bench-" + openpages::kFileName;
  for (auto _ : state) openpages::Write(path, pages);
  state.counters["bytes"] = static_cast<double>(openpages::Serialize(pages).size());
}
BENCHMARK(BM_WriteRecord)->Arg(5)->Arg(20)->Unit(benchmark::kMicrosecond);

// ---- a replayed browsing session ----

// Runs the main loop until `at` (monotonic microseconds).
void RunUntil(gint64 at) {
  while (g_get_monotonic_time() < at)
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(500);
}

struct Session {
  int loads = 0, opened = 1, closed = 0, reloads = 0, redirects = 0;
};

// A user reading pages: a link followed every 5 to 40 seconds in one of the
// open windows; one in ten opens a new window, one in twenty closes one; a
// fifth of the loads is followed 300 ms later by a redirect; one window
// reloads its page every minute. Time runs `speed` times faster, and so does
// the record's one-second gap.
Session Replay(double minutes, int speed) {
  std::mt19937 random(20261208);  // fixed: every run replays the same session
  std::uniform_real_distribution<double> think(5.0, 40.0), chance(0.0, 1.0);
  const auto scaled = [speed](double seconds) { return static_cast<gint64>(seconds * 1e6 / speed); };
  app->OpenPages().Start(Module1().UserDataDir, std::chrono::milliseconds(1000 / speed));
  Session s;
  int page = 0;
  Form1* reloading = OpenOn(page++);
  const gint64 start = g_get_monotonic_time();
  double now = 0, nextReload = 60;
  while (now < minutes * 60) {
    now += think(random);
    for (; nextReload < now; nextReload += 60) {
      RunUntil(start + scaled(nextReload));
      Fake(reloading).CompleteLoad(reloading->WebBrowser1.LocationURL());
      ++s.reloads;
      ++s.loads;
    }
    RunUntil(start + scaled(now));
    std::vector<Form1*> windows;  // not those still closing
    for (Form1* w : app->MainWindows())
      if (w->RecordsItsPage()) windows.push_back(w);
    const double roll = chance(random);
    if (roll < 0.1) {
      OpenOn(page++);
      ++s.opened;
    } else if (roll < 0.15 && windows.size() > 1) {
      Form1* w = windows.back() == reloading ? windows.front() : windows.back();
      w->Form_QueryUnload();
      ++s.closed;
      continue;
    } else {
      Form1* w = windows[static_cast<std::size_t>(page) % windows.size()];
      Fake(w).ClickLink(PageUrl(page++));
      if (chance(random) < 0.2) {
        RunUntil(start + scaled(now + 0.3));
        Fake(w).CompleteLoad(PageUrl(page++));
        ++s.redirects;
        ++s.loads;
      }
    }
    ++s.loads;
  }
  RunUntil(start + scaled(now + 2));
  return s;
}

void ReportSession(double minutes, int speed) {
  const Session s = Replay(minutes, speed);
  const std::size_t writes = app->OpenPages().Writes();
  std::printf(
      "Replayed session: %.0f minutes at %dx speed; %d page loads (%d redirects, %d reloads of an unchanged page), "
      "%d windows opened, %d closed; the record was written %zu times: %.2f writes a minute, %.2f per page load\n",
      minutes, speed, s.loads, s.redirects, s.reloads, s.opened, s.closed, writes,
      static_cast<double>(writes) / minutes, static_cast<double>(writes) / s.loads);
  CloseAll();
}

// Takes "--minutes=N" and "--speed=N" out of the arguments.
double TakeOption(int& argc, char** argv, const std::string& name, double fallback) {
  const std::string prefix = "--" + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]).rfind(prefix, 0) != 0) continue;
    const double value = std::atof(argv[i] + prefix.size());
    for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
    --argc;
    return value > 0 ? value : fallback;
  }
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  gdk_set_allowed_backends("x11,*");
  const double minutes = TakeOption(argc, argv, "minutes", 30);
  const int speed = static_cast<int>(TakeOption(argc, argv, "speed", 20));
  App owner;
  app = &owner;
  PrepareBenchProgram();
  Module1().StartPageFlag = 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  ReportSession(minutes, speed);
  return 0;
}
