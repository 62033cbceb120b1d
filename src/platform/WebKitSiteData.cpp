// The lasting (not private) data store of the engine.
#include <webkit2/webkit2.h>

#include <algorithm>
#include <memory>

#include "platform/WebKitBrowser.h"
#include "platform/WebKitDetail.h"

namespace {

constexpr auto kStorage = static_cast<WebKitWebsiteDataTypes>(
    WEBKIT_WEBSITE_DATA_COOKIES | WEBKIT_WEBSITE_DATA_LOCAL_STORAGE | WEBKIT_WEBSITE_DATA_SESSION_STORAGE |
    WEBKIT_WEBSITE_DATA_INDEXEDDB_DATABASES | WEBKIT_WEBSITE_DATA_OFFLINE_APPLICATION_CACHE |
    WEBKIT_WEBSITE_DATA_WEBSQL_DATABASES | WEBKIT_WEBSITE_DATA_SERVICE_WORKER_REGISTRATIONS |
    WEBKIT_WEBSITE_DATA_DOM_CACHE);
constexpr auto kCacheTypes =
    static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_MEMORY_CACHE | WEBKIT_WEBSITE_DATA_DISK_CACHE);

WebKitWebsiteDataManager* Manager() {
  WebKitWebContext* context = webkit_detail::Context() ? webkit_detail::Context() : webkit_web_context_get_default();
  return webkit_web_context_get_website_data_manager(context);
}

// A callback of the engine carries its answer's handler on the heap.
template <typename Handler>
Handler* Hold(const Handler& h) {
  return new Handler(h);
}

template <typename Handler>
std::unique_ptr<Handler> Take(gpointer p) {
  return std::unique_ptr<Handler>(static_cast<Handler*>(p));
}

using Done = std::function<void(bool)>;
using Listed = std::function<void(std::vector<std::string>)>;

class WebKitSiteData : public SiteData {
 public:
  void Clear(int kinds, long long seconds, const Done& done) override {
    int types = 0;
    if (kinds & kCookiesAndStorage) types |= kStorage;
    if (kinds & kCache) types |= kCacheTypes;
    webkit_website_data_manager_clear(
        Manager(), static_cast<WebKitWebsiteDataTypes>(types), seconds * G_TIME_SPAN_SECOND, nullptr,
        [](GObject* m, GAsyncResult* r, gpointer p) {
          const bool ok = webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(m), r, nullptr);
          (*Take<Done>(p))(ok);
        },
        Hold(done));
  }

  void SitesWithCookies(const Listed& done) override {
    webkit_website_data_manager_fetch(
        Manager(), WEBKIT_WEBSITE_DATA_COOKIES, nullptr,
        [](GObject* m, GAsyncResult* r, gpointer p) {
          GList* list = webkit_website_data_manager_fetch_finish(WEBKIT_WEBSITE_DATA_MANAGER(m), r, nullptr);
          std::vector<std::string> sites;
          for (GList* l = list; l; l = l->next)
            sites.push_back(
                webkit_detail::OrEmpty(webkit_website_data_get_name(static_cast<WebKitWebsiteData*>(l->data))));
          g_list_free_full(list, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
          std::sort(sites.begin(), sites.end());
          (*Take<Listed>(p))(std::move(sites));
        },
        Hold(done));
  }

  // The engine removes data by the records it listed: list, pick the site's, remove.
  void RemoveCookiesOf(const std::string& site, const Done& done) override {
    struct Request {
      std::string site;
      Done done;
    };
    webkit_website_data_manager_fetch(
        Manager(), WEBKIT_WEBSITE_DATA_COOKIES, nullptr,
        [](GObject* m, GAsyncResult* r, gpointer p) {
          auto request = Take<Request>(p);
          auto* manager = WEBKIT_WEBSITE_DATA_MANAGER(m);
          GList* list = webkit_website_data_manager_fetch_finish(manager, r, nullptr);
          GList* chosen = nullptr;
          for (GList* l = list; l; l = l->next)
            if (webkit_detail::OrEmpty(webkit_website_data_get_name(static_cast<WebKitWebsiteData*>(l->data))) ==
                request->site)
              chosen = g_list_prepend(chosen, l->data);
          if (!chosen) {
            g_list_free_full(list, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
            request->done(false);
            return;
          }
          webkit_website_data_manager_remove(
              manager, WEBKIT_WEBSITE_DATA_COOKIES, chosen, nullptr,
              [](GObject* m2, GAsyncResult* r2, gpointer p2) {
                const bool ok = webkit_website_data_manager_remove_finish(WEBKIT_WEBSITE_DATA_MANAGER(m2), r2, nullptr);
                (*Take<Done>(p2))(ok);
              },
              Hold(request->done));
          g_list_free(chosen);
          g_list_free_full(list, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
        },
        Hold(Request{site, done}));
  }
};

}  // namespace

std::unique_ptr<SiteData> WebKitBrowser::CreateSiteData() { return std::make_unique<WebKitSiteData>(); }
