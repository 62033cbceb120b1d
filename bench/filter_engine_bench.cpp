// The engine's side of ad blocking with the shipped lists: compiling the
// converted rules into a store (done once per list change), and loading the
// compiled filter as a later start does:
//   filter_engine_bench STORE_DIR
// compiles into STORE_DIR when it holds no filter of these lists; run it
// again with the same folder to time the load in a fresh process.
#include <webkit2/webkit2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/adblock/FilterConverter.h"
#include "core/adblock/FilterLists.h"

namespace {

struct Wait {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  WebKitUserContentFilter* filter = nullptr;
  std::string error;
};

double Seconds(gint64 since) { return static_cast<double>(g_get_monotonic_time() - since) / 1e6; }

void Done(GObject* store, GAsyncResult* result, gpointer data, bool save) {
  auto* w = static_cast<Wait*>(data);
  GError* e = nullptr;
  auto* s = WEBKIT_USER_CONTENT_FILTER_STORE(store);
  w->filter = save ? webkit_user_content_filter_store_save_finish(s, result, &e)
                   : webkit_user_content_filter_store_load_finish(s, result, &e);
  if (e) w->error = e->message, g_error_free(e);
  g_main_loop_quit(w->loop);
}

// Seconds, or a negative number when there is no such filter.
double Load(const std::string& dir, const std::string& id) {
  WebKitUserContentFilterStore* store = webkit_user_content_filter_store_new(dir.c_str());
  Wait w;
  const gint64 start = g_get_monotonic_time();
  webkit_user_content_filter_store_load(
      store, id.c_str(), nullptr, [](GObject* s, GAsyncResult* r, gpointer d) { Done(s, r, d, false); }, &w);
  g_main_loop_run(w.loop);
  const double took = Seconds(start);
  g_object_unref(store);
  return w.filter ? took : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: filter_engine_bench STORE_DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::vector<std::string> lists;
  for (const auto& list : adblock::FilterLists())
    lists.push_back(adblock::ReadList(SKELVORNAX_PROGRAM_DIR, "/nonexistent", list));
  const std::vector<std::string_view> views(lists.begin(), lists.end());
  const std::string id = adblock::RulesId(views);
  if (const double seconds = Load(dir, id); seconds >= 0) {
    std::printf("load of the compiled filter at a later start: %.1f ms\n", seconds * 1000);
    return 0;
  }
  const adblock::Conversion c = adblock::Convert(views);

  WebKitUserContentFilterStore* store = webkit_user_content_filter_store_new(dir.c_str());
  Wait w;
  GBytes* bytes = g_bytes_new(c.json.data(), c.json.size());
  const gint64 start = g_get_monotonic_time();
  webkit_user_content_filter_store_save(
      store, id.c_str(), bytes, nullptr, [](GObject* s, GAsyncResult* r, gpointer d) { Done(s, r, d, true); }, &w);
  g_main_loop_run(w.loop);
  if (!w.filter) {
    std::fprintf(stderr, "compile failed: %s\n", w.error.c_str());
    return 1;
  }
  std::printf("compile: %zu rules in %.1f s (into %s)\n", c.counts.rules, Seconds(start), dir.c_str());
  std::printf("run again with the same folder for the load time\n");
  return 0;
}
