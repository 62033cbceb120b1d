// A long run of the real program (run by bench/soak.sh, not by CI): five
// windows on loopback pages that reload every second, each load written to
// the history, while this driver adds and removes sites in the list files;
// then twenty windows opened and closed one after another. Prints the
// loads, history updates, memory (PSS of the program's process tree),
// file errors and crashes.
//
//   soak_driver LAUNCHER PROGRAM_DIR MINUTES
#include <glib.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/app/SettingsRecord.h"
#include "core/history/HistoryRecord.h"
#include "core/records/FileOps.h"
#include "core/sitelists/ListFiles.h"
#include "support/LoopbackServer.h"

namespace {

constexpr int kWindows = 5;
constexpr int kOpenClose = 20;

gint64 NowMs() { return g_get_monotonic_time() / 1000; }

void RunLoopFor(int ms) {
  const gint64 end = NowMs() + ms;
  while (NowMs() < end)
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(5000);
}

template <typename Condition>
bool RunLoopUntil(Condition done, int ms) {
  const gint64 end = NowMs() + ms;
  while (!done()) {
    if (NowMs() > end) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(5000);
  }
  return true;
}

// ---- The program's process tree -------------------------------------------------

std::vector<pid_t> Tree(pid_t root) {
  std::map<pid_t, std::vector<pid_t>> children;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = e.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in(e.path() / "stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    const auto close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    char state = 0;
    pid_t ppid = 0;
    rest >> state >> ppid;
    children[ppid].push_back(std::stoi(name));
  }
  std::vector<pid_t> out = {root};
  for (std::size_t i = 0; i < out.size(); ++i)
    for (pid_t c : children[out[i]]) out.push_back(c);
  return out;
}

long PssKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("Pss:", 0) == 0) return std::stol(line.substr(4));
  return 0;
}

long TreePssKb(pid_t root) {
  long total = 0;
  for (pid_t p : Tree(root)) total += PssKb(p);
  return total;
}

// ---- Programs -------------------------------------------------------------------

struct Program {
  GPid pid = 0;
  bool exited = false;
  int status = 0;
};

std::vector<std::unique_ptr<Program>> programs;  // each kept until the end: its watch points at it

Program* Spawn(char** env, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Program* p = programs.emplace_back(std::make_unique<Program>()).get();
  GError* error = nullptr;
  if (!g_spawn_async(nullptr, argv.data(), env, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &p->pid, &error)) {
    std::fprintf(stderr, "soak: cannot start %s: %s\n", args[0].c_str(), error->message);
    std::exit(1);
  }
  g_child_watch_add(
      p->pid,
      [](GPid pid, gint status, gpointer data) {
        auto* self = static_cast<Program*>(data);
        self->status = status;
        self->exited = true;
        g_spawn_close_pid(pid);
      },
      p);
  return p;
}

// ---- Pages ----------------------------------------------------------------------

std::string ReloadingPage(int n) {
  return "<!DOCTYPE html><html><head><title>Soak page " + std::to_string(n) +
         "</title><meta http-equiv=\"refresh\" content=\"1\"></head><body><h1>Soak page " + std::to_string(n) +
         "</h1><p>" + std::string(2000, 'x') + "</p></body></html>";
}

// Opens a window, waits until the page in it closed it, reports, and again.
std::string OpenerPage() {
  return "<!DOCTYPE html><html><head><title>Soak opener</title></head><body><script>"
         "let i = 0;"
         "function next() {"
         "  if (i >= " +
         std::to_string(kOpenClose) +
         ") { document.title = 'Soak opener done'; return; }"
         "  const w = window.open('/child?' + i++);"
         "  if (!w) { document.title = 'Soak opener blocked'; return; }"
         "  const t = setInterval(() => { if (w.closed) { clearInterval(t);"
         "    fetch('/closed?' + i).then(() => setTimeout(next, 500)); } }, 200);"
         "}"
         "setTimeout(next, 1000);"
         "</script></body></html>";
}

std::string ChildPage() {
  return "<!DOCTYPE html><html><head><title>Soak child</title></head><body><h1>Soak child</h1><p>" +
         std::string(20000, 'y') + "</p><script>setTimeout(() => window.close(), 1500);</script></body></html>";
}

// ---- Lists churned while the windows reload -------------------------------------

struct Churn {
  std::string path;
  int next = 0, errors = 0, adds = 0, removes = 0;

  void Step() {
    auto sites = ReadSites(path);
    const auto bytes = fileops::ReadAll(path);
    if (!bytes || bytes->size() % list_layout::kSiteRecordSize != 0) ++errors;
    const bool add = next % 3 != 2 || sites.empty();
    if (add) {
      const std::string name = "Soak site " + std::to_string(next);
      const auto stored = AppendSite(path, name, "http://soak.example/" + std::to_string(next));
      if (!stored || ReadSites(path).back().Name != *stored) ++errors;
      ++adds;
    } else {
      sites.erase(sites.begin());
      if (!RewriteSites(path, sites) || ReadSites(path) != sites) ++errors;
      ++removes;
    }
    ++next;
  }
};

int HistoryHits(const std::string& historyDir, const std::string& url) {
  int hits = 0;
  for (const auto& name : fileops::ListFiles(historyDir))
    for (const auto& r : ReadDayFile(fileops::Join(historyDir, name)))
      if (r.URL == url) hits += r.Hits;
  return hits;
}

int TornDayFiles(const std::string& historyDir) {
  int torn = 0;
  for (const auto& name : fileops::ListFiles(historyDir)) {
    const auto bytes = fileops::ReadAll(fileops::Join(historyDir, name));
    if (!bytes || bytes->size() % 512 != 0) ++torn;
  }
  return torn;
}

double Growth(long from, long to) { return from > 0 ? 100.0 * (to - from) / from : 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s LAUNCHER PROGRAM_DIR MINUTES\n", argv[0]);
    return 2;
  }
  const std::string launcher = argv[1], programDir = argv[2];
  const int minutes = std::atoi(argv[3]);

  char templ[] = "/tmp/skelvornax-soak-XXXXXX";
  const std::string home = ::mkdtemp(templ);
  const std::string data = home + "/data", run = home + "/run";
  for (const auto& d : {data + "/skelvornax", run, home + "/config", home + "/cache"}) fileops::MakeDirs(d);
  ::chmod(run.c_str(), 0700);
  char** env = g_get_environ();
  env = g_environ_setenv(env, "HOME", home.c_str(), TRUE);
  env = g_environ_setenv(env, "XDG_DATA_HOME", data.c_str(), TRUE);
  env = g_environ_setenv(env, "XDG_RUNTIME_DIR", run.c_str(), TRUE);
  env = g_environ_setenv(env, "XDG_CONFIG_HOME", (home + "/config").c_str(), TRUE);
  env = g_environ_setenv(env, "XDG_CACHE_HOME", (home + "/cache").c_str(), TRUE);
  auto settings = LoadSettings(programDir + "/skelvorn.ini");
  if (!settings) {
    std::fprintf(stderr, "soak: no %s/skelvorn.ini (build first)\n", programDir.c_str());
    return 1;
  }
  settings->HistoryDays = 7;
  settings->StoreDupUrls = 0;  // a repeated load counts a hit in place
  const std::string userData = data + "/skelvornax";
  SaveSettings(userData + "/skelvorn.ini", *settings);

  LoopbackServer web;
  for (int n = 1; n <= kWindows; ++n) web.Page("/w" + std::to_string(n), ReloadingPage(n));
  web.Page("/opener", OpenerPage());
  web.Page("/child", ChildPage());
  web.Page("/closed", "ok", "text/plain");
  const auto loads = [&] {
    int total = 0;
    for (int n = 1; n <= kWindows; ++n) total += web.Requests("/w" + std::to_string(n));
    return total;
  };

  // Five windows: the first start and four second starts.
  Program* first = Spawn(env, {launcher, web.Url("/w1")});
  const std::string socket = run + "/skelvornax/marker.sock";
  if (!RunLoopUntil([&] { return g_file_test(socket.c_str(), G_FILE_TEST_EXISTS) || first->exited; }, 60000) ||
      first->exited) {
    std::fprintf(stderr, "soak: the program did not start\n");
    return 1;
  }
  for (int n = 2; n <= kWindows; ++n) {
    Program* second = Spawn(env, {launcher, web.Url("/w" + std::to_string(n))});
    RunLoopUntil([&] { return second->exited; }, 20000);
  }
  const bool allLoading = RunLoopUntil(
      [&] {
        for (int n = 1; n <= kWindows; ++n)
          if (web.Requests("/w" + std::to_string(n)) < 3) return false;
        return true;
      },
      60000);
  if (!allLoading) std::fprintf(stderr, "soak: not every window is loading\n");
  RunLoopFor(5000);
  const long pssStart = TreePssKb(first->pid);
  const int loadsStart = loads();
  const auto hitsNow = [&] {
    int hits = 0;
    for (int n = 1; n <= kWindows; ++n) hits += HistoryHits(userData + "/History", web.Url("/w" + std::to_string(n)));
    return hits;
  };
  const int hitsStart = hitsNow();
  std::printf("soak: %d windows reloading every second, %zu processes, PSS %ld MiB\n", kWindows,
              Tree(first->pid).size(), pssStart / 1024);
  std::fflush(stdout);

  Churn churn{userData + "/SiteLists/Sites00001.dab"};
  int stalls = 0;
  long pssPeak = pssStart;
  std::map<int, int> lastCount;
  const gint64 start = NowMs(), end = start + static_cast<gint64>(minutes) * 60000;
  gint64 nextCheck = NowMs() + 10000;
  while (NowMs() < end && !first->exited) {
    churn.Step();
    RunLoopFor(250);
    if (NowMs() < nextCheck) continue;
    nextCheck += 10000;
    // Every window still reloads (a crashed page process would stop it).
    for (int n = 1; n <= kWindows; ++n) {
      const int count = web.Requests("/w" + std::to_string(n));
      if (lastCount.count(n) && count == lastCount[n]) ++stalls;
      lastCount[n] = count;
    }
    const long pss = TreePssKb(first->pid);
    pssPeak = std::max(pssPeak, pss);
    std::printf("soak: %4lld s, loads %d, PSS %ld MiB, list changes %d\n",
                static_cast<long long>((NowMs() - start) / 1000), loads() - loadsStart, pss / 1024, churn.next);
    std::fflush(stdout);
  }
  RunLoopFor(3000);
  const long pssEnd = TreePssKb(first->pid);
  const int soakLoads = loads() - loadsStart;
  const int hits = hitsNow() - hitsStart;

  // Twenty windows opened and closed one after another by a page.
  const long pssBeforeWindows = TreePssKb(first->pid);
  Program* opener = Spawn(env, {launcher, web.Url("/opener")});
  RunLoopUntil([&] { return opener->exited; }, 20000);
  const bool cycled = RunLoopUntil([&] { return web.Requests("/closed") >= kOpenClose || first->exited; }, 300000);
  RunLoopFor(10000);  // the closed windows' close sequences and page processes end
  const long pssAfterWindows = TreePssKb(first->pid);

  const bool alive = !first->exited;
  const int fileErrors = churn.errors + TornDayFiles(userData + "/History");
  std::printf(
      "soak: %d min, %d windows: %d page loads, %d history hits counted, %d list changes (%d adds, %d removes)\n"
      "soak: PSS start %ld MiB, end %ld MiB (%+.1f %%), peak %ld MiB\n"
      "soak: file errors %d, crashes %d (program %s, windows that stopped loading %d)\n"
      "soak: %d windows opened and closed (%s): PSS %ld MiB before, %ld MiB after (%+.1f %%), from the start %+.1f "
      "%%\n",
      minutes, kWindows, soakLoads, hits, churn.next, churn.adds, churn.removes, pssStart / 1024, pssEnd / 1024,
      Growth(pssStart, pssEnd), pssPeak / 1024, fileErrors, (alive ? 0 : 1) + stalls, alive ? "running" : "ended",
      stalls, web.Requests("/child"), cycled ? "all closed" : "NOT all closed", pssBeforeWindows / 1024,
      pssAfterWindows / 1024, Growth(pssBeforeWindows, pssAfterWindows), Growth(pssStart, pssAfterWindows));

  for (pid_t p : Tree(first->pid)) ::kill(p, SIGTERM);
  RunLoopUntil([&] { return first->exited; }, 20000);
  g_strfreev(env);
  std::error_code ec;
  std::filesystem::remove_all(home, ec);
  return alive && fileErrors == 0 && stalls == 0 && cycled ? 0 : 1;
}
