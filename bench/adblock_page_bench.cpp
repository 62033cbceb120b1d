// A loopback page with 200 pictures, none of them matching a filter, loaded
// with ad blocking on and off in alternating runs (needs a display; run it
// through scripts/headless.sh):
//   adblock_page_bench [RUNS] [CACHE_DIR]
// The filter of the shipped lists is compiled into CACHE_DIR the first time
// (a minute or two) and loaded from there afterwards. Each run asks for new
// addresses, so nothing comes from the engine's cache. Prints the median load
// time of each mode and their ratio.
#include <gtkmm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/AdBlocking.h"
#include "platform/WebKitBrowser.h"
#include "support/LoopbackServer.h"

namespace {

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    g_main_context_iteration(nullptr, TRUE);
  }
  return true;
}

std::string Page(int run) {
  std::string html = "<!DOCTYPE html><html><head><title>loading</title></head><body>";
  for (int i = 0; i < 200; ++i)
    html += "<img src='/pictures/p" + std::to_string(i) + ".png?run=" + std::to_string(run) + "'>";
  return html + "<script>window.onload = () => { document.title = 'done'; };</script></body></html>";
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  const std::string cacheDir = argc > 2 ? argv[2] : std::string(g_get_tmp_dir()) + "/skelvornax-adblock-bench";
  gtk_init(nullptr, nullptr);
  // Sets up the C++ wrappers of the toolkit's objects.
  const auto gtkmm = Gtk::Application::create("org.skelvornax.AdBlockPageBench", Gio::APPLICATION_NON_UNIQUE);
  gchar* data = g_dir_make_tmp("skelvornax-bench-XXXXXX", nullptr);
  WebKitBrowser::ConfigureEngine(std::string(data) + "/WebData", std::string(data) + "/cache");
  adblocking::Start({SKELVORNAX_PROGRAM_DIR, data, cacheDir, true, 0}, [] {});
  const auto compileStart = std::chrono::steady_clock::now();
  if (!RunUntil([] { return adblocking::Current() == adblocking::State::On; }, 600000)) {
    std::fprintf(stderr, "the ad filter did not become ready\n");
    return 1;
  }
  std::printf("filter ready in %.2f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - compileStart).count());

  LoopbackServer server;
  server.Page("/pictures/p0.png", "x", "image/png");  // every picture path answers the same
  for (int i = 1; i < 200; ++i) server.Page("/pictures/p" + std::to_string(i) + ".png", "x", "image/png");
  // Two views side by side, so that neither ever changes its filter (adding
  // one to a view costs far more than a page): one shows 127.0.0.1, blocked;
  // the other "localhost", a site allowed to show ads.
  adblocking::SetAllowed("localhost", true);
  WebKitBrowser blocked, allowed;
  Gtk::Window window;
  Gtk::Box box(Gtk::ORIENTATION_HORIZONTAL);
  window.set_default_size(1200, 600);
  box.pack_start(blocked.Widget(), true, true);
  box.pack_start(allowed.Widget(), true, true);
  window.add(box);
  window.show_all();
  std::string title;
  for (WebKitBrowser* b : {&blocked, &allowed}) b->TitleChange.connect([&](const std::string& t) { title = t; });

  std::vector<double> on, off;
  for (int run = 0; run < 2 * runs + 2; ++run) {
    const bool blocking = run % 2 == 0;
    const std::string path = "/page" + std::to_string(run);
    server.Page(path, Page(run));
    std::string url = server.Url(path);
    if (!blocking) url.replace(url.find("127.0.0.1"), 9, "localhost");
    title.clear();
    const auto start = std::chrono::steady_clock::now();
    (blocking ? blocked : allowed).Navigate(url);
    if (!RunUntil([&] { return title == "done"; }, 60000)) {
      std::fprintf(stderr, "run %d did not finish\n", run);
      return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (run >= 2) (blocking ? on : off).push_back(ms);  // the first pair warms up
  }
  std::printf("200 pictures, %d runs each: blocking on %.1f ms, off %.1f ms (medians), ratio %.3f\n", runs, Median(on),
              Median(off), Median(on) / Median(off));
  return 0;
}
