// The smallest WebKitGTK window: one web view loading argv[1], in a window
// of argv[2] ("WIDTHxHEIGHT", default 800x600). startup.sh times it next to
// the browser, at the browser's own window size. The window title follows the page title
// with " - skelvornax" added, so both programs are seen ready the same way.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <string>

static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer) {
  if (event != WEBKIT_LOAD_FINISHED) return;
  std::printf("READY %lld\n", static_cast<long long>(g_get_monotonic_time() / 1000));
  std::fflush(stdout);
}

static void OnTitleChanged(WebKitWebView* view, GParamSpec*, gpointer window) {
  const char* title = webkit_web_view_get_title(view);
  if (!title || !*title) return;
  gtk_window_set_title(GTK_WINDOW(window), (std::string(title) + " - skelvornax").c_str());
}

static void OnClose(WebKitWebView*, gpointer) { gtk_main_quit(); }

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s URI [WIDTHxHEIGHT]\n", argv[0]);
    return 2;
  }
  int width = 800, height = 600;
  if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
    std::fprintf(stderr, "bad size %s\n", argv[2]);
    return 2;
  }
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), width, height);
  GtkWidget* view = webkit_web_view_new();
  gtk_container_add(GTK_CONTAINER(window), view);

  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  g_signal_connect(view, "close", G_CALLBACK(OnClose), nullptr);
  g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
  g_signal_connect(view, "notify::title", G_CALLBACK(OnTitleChanged), window);

  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
