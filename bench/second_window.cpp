// The floor of a hand-over: in a bare WebKitGTK program whose first window
// shows argv[1], the time from asking a new window (sharing the first one's
// page process, as a handed-over window does) for the page argv[2] until its
// title is known. Prints the median of argv[3] windows (default 7), one a
// second. startup.sh sets it beside the browser's hand-over.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Run {
  WebKitWebView* first = nullptr;
  std::string page;
  int wanted = 7;
  gint64 askedAt = 0;
  std::vector<double> ms;
};

gboolean OpenNext(gpointer data);

void OnTitle(WebKitWebView* view, GParamSpec*, gpointer data) {
  auto* run = static_cast<Run*>(data);
  const char* title = webkit_web_view_get_title(view);
  if (!title || !*title) return;
  run->ms.push_back(static_cast<double>(g_get_monotonic_time() - run->askedAt) / 1000.0);
  g_signal_handlers_disconnect_by_data(view, data);
  if (static_cast<int>(run->ms.size()) < run->wanted) {
    g_timeout_add(1000, OpenNext, run);
    return;
  }
  std::sort(run->ms.begin(), run->ms.end());
  std::printf("%.0f\n", run->ms[run->ms.size() / 2]);
  gtk_main_quit();
}

gboolean OpenNext(gpointer data) {
  auto* run = static_cast<Run*>(data);
  run->askedAt = g_get_monotonic_time();
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  GtkWidget* view = webkit_web_view_new_with_related_view(run->first);
  gtk_container_add(GTK_CONTAINER(window), view);
  g_signal_connect(view, "notify::title", G_CALLBACK(OnTitle), run);
  // A new address each time, so nothing comes from the memory cache.
  const std::string uri = run->page + "?" + std::to_string(run->ms.size());
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), uri.c_str());
  gtk_widget_show_all(window);
  return G_SOURCE_REMOVE;
}

void OnFirstLoaded(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
  if (event != WEBKIT_LOAD_FINISHED) return;
  g_signal_handlers_disconnect_by_func(view, reinterpret_cast<gpointer>(OnFirstLoaded), data);
  g_timeout_add(1000, OpenNext, data);
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FIRST_URI PAGE_URI [WINDOWS]\n", argv[0]);
    return 2;
  }
  Run run;
  run.page = argv[2];
  if (argc > 3) run.wanted = std::max(1, std::atoi(argv[3]));
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  run.first = WEBKIT_WEB_VIEW(webkit_web_view_new());
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(run.first));
  g_signal_connect(run.first, "load-changed", G_CALLBACK(OnFirstLoaded), &run);
  webkit_web_view_load_uri(run.first, argv[1]);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
