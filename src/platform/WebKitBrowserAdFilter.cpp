// In-page ad blocking: the filter lists become one compiled content filter
// that every view's content manager carries, except on the sites the user
// allows. Reading and converting the lists runs on a worker thread and the
// engine compiles on its own, so no window ever waits for either.
#include <malloc.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "core/adblock/FilterConverter.h"
#include "core/adblock/FilterLists.h"
#include "platform/AdBlocking.h"
#include "platform/WebKitBrowser.h"
#include "platform/WebKitDetail.h"

using namespace webkit_detail;

namespace {

struct AdFilterState {
  adblocking::Setup setup;
  std::function<void()> changed;
  adblock::AllowedSites allowed;
  WebKitUserContentFilterStore* store = nullptr;
  WebKitUserContentFilter* filter = nullptr;
  std::string filterId;  // of `filter`, or of the one being made
  adblocking::State state = adblocking::State::Off;
  int generation = 0;  // a newer start makes the answers of older work stale
};

AdFilterState& Ads() {
  static auto* state = new AdFilterState;  // never destroyed: worker answers may come late
  return *state;
}

void SetState(adblocking::State state) {
  AdFilterState& a = Ads();
  if (a.state == state) return;
  a.state = state;
  if (a.changed) a.changed();
}

// Runs `work` in the main loop (from any thread).
void InMainLoop(std::function<void()> work) {
  auto* copy = new std::function<void()>(std::move(work));
  g_idle_add_full(
      G_PRIORITY_DEFAULT_IDLE,
      [](gpointer p) {
        (*static_cast<std::function<void()>*>(p))();
        return G_SOURCE_REMOVE;
      },
      copy, [](gpointer p) { delete static_cast<std::function<void()>*>(p); });
}

void ApplyToEveryView() {
  for (WebKitBrowser* b : LiveBrowsers()) b->ApplyAdFilter();
}

void UseFilter(WebKitUserContentFilter* filter, int generation) {
  AdFilterState& a = Ads();
  if (generation != a.generation) {
    if (filter) webkit_user_content_filter_unref(filter);
    return;
  }
  if (!filter) {
    SetState(adblocking::State::Failed);
    return;
  }
  if (a.filter) {
    for (WebKitBrowser* b : LiveBrowsers()) b->RemoveAdFilter();
    webkit_user_content_filter_unref(a.filter);
  }
  a.filter = filter;
  ApplyToEveryView();
  SetState(a.setup.enabled ? adblocking::State::On : adblocking::State::Off);  // switched off meanwhile
  // Compiled filters of older lists are only taking space.
  RemoveOtherFilters(a.store, "ads-", a.filterId);
}

// The lists as read now; the worker threads read them again rather than keep
// megabytes of text in memory between their steps.
std::vector<std::string> ReadLists(const adblocking::Setup& setup) {
  std::vector<std::string> lists;
  for (const auto& list : adblock::FilterLists())
    lists.push_back(adblock::ReadList(setup.programDir, setup.userDataDir, list));
  return lists;
}

// What a worker freed goes back to the system, not to its thread's arena.
void GiveBackMemory() { malloc_trim(0); }

void Compile(const std::string& id, std::unique_ptr<std::string> rules, int generation) {
  std::string* text = rules.release();
  GBytes* bytes = g_bytes_new_with_free_func(
      text->data(), text->size(),
      [](gpointer p) {
        delete static_cast<std::string*>(p);
        GiveBackMemory();
      },
      text);
  webkit_user_content_filter_store_save(
      Ads().store, id.c_str(), bytes, nullptr,
      [](GObject* store, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        WebKitUserContentFilter* filter =
            webkit_user_content_filter_store_save_finish(WEBKIT_USER_CONTENT_FILTER_STORE(store), result, &error);
        if (error) {
          g_warning("ad filter not compiled: %s", error->message);
          g_error_free(error);
        }
        UseFilter(filter, GPOINTER_TO_INT(data));
      },
      GINT_TO_POINTER(generation));
  g_bytes_unref(bytes);
}

// The rules are made only when no compiled filter of these lists is kept.
// A list that changed since it was named makes a filter under the old name;
// the next start names and compiles it again.
void ConvertAndCompile(int generation) {
  std::thread([setup = Ads().setup, generation] {
    auto rules = std::make_shared<std::unique_ptr<std::string>>();
    {
      const std::vector<std::string> lists = ReadLists(setup);
      *rules = std::make_unique<std::string>(
          adblock::Convert(std::vector<std::string_view>(lists.begin(), lists.end())).json);
    }
    GiveBackMemory();
    InMainLoop([rules, generation] {
      if (generation == Ads().generation) Compile(Ads().filterId, std::move(*rules), generation);
    });
  }).detach();
}

void LoadOrCompile(int generation) {
  webkit_user_content_filter_store_load(
      Ads().store, Ads().filterId.c_str(), nullptr,
      [](GObject* store, GAsyncResult* result, gpointer data) {
        const int generation = GPOINTER_TO_INT(data);
        WebKitUserContentFilter* filter =
            webkit_user_content_filter_store_load_finish(WEBKIT_USER_CONTENT_FILTER_STORE(store), result, nullptr);
        if (filter)
          UseFilter(filter, generation);
        else if (generation == Ads().generation)
          Glib::signal_timeout().connect_once(
              [generation] {
                if (generation == Ads().generation) ConvertAndCompile(generation);
              },
              Ads().setup.compileDelayMs);
      },
      GINT_TO_POINTER(generation));
}

// Reads the lists and names their rules on a worker thread, then looks for
// a compiled filter of that name.
void Prepare() {
  AdFilterState& a = Ads();
  const int generation = ++a.generation;
  SetState(adblocking::State::Preparing);
  const adblocking::Setup setup = a.setup;
  std::thread([setup, generation] {
    std::string id;
    bool none = false;
    {
      const std::vector<std::string> lists = ReadLists(setup);
      id = adblock::RulesId(std::vector<std::string_view>(lists.begin(), lists.end()));
      none = std::all_of(lists.begin(), lists.end(), [](const std::string& l) { return l.empty(); });
    }
    GiveBackMemory();
    InMainLoop([id, none, generation] {
      if (generation != Ads().generation) return;
      if (none) return SetState(adblocking::State::Failed);
      Ads().filterId = id;
      LoadOrCompile(generation);
    });
  }).detach();
}

}  // namespace

namespace adblocking {

void Start(const Setup& setup, const std::function<void()>& changed) {
  AdFilterState& a = Ads();
  a.setup = setup;
  a.changed = changed;
  a.allowed = adblock::AllowedSites::Load(setup.userDataDir);
  if (!a.store) a.store = webkit_user_content_filter_store_new((setup.cacheDir + "/AdFilter").c_str());
  if (setup.enabled) Prepare();
}

void SetEnabled(bool on) {
  AdFilterState& a = Ads();
  if (a.setup.enabled == on) return;
  a.setup.enabled = on;
  if (on && !a.filter && a.store) return Prepare();
  ApplyToEveryView();
  SetState(!on ? State::Off : a.filter ? State::On : State::Preparing);
}

void ReloadLists() {
  if (Ads().setup.enabled && Ads().store) Prepare();
}

State Current() { return Ads().state; }

bool AllowedOn(const std::string& url) {
  const std::string host = adblock::HostOf(url);
  return !host.empty() && Ads().allowed.Allows(host);
}

bool SetAllowed(const std::string& host, bool allowed) {
  AdFilterState& a = Ads();
  if (a.setup.userDataDir.empty()) return false;  // not started: nowhere to keep the choice
  adblock::AllowedSites changed = a.allowed;
  changed.Set(host, allowed);
  if (!changed.Save(a.setup.userDataDir)) return false;
  a.allowed = changed;
  // Pages showing the site load again under the new choice.
  for (WebKitBrowser* b : LiveBrowsers())
    if (b->ApplyAdFilter()) b->Refresh2(0);
  return true;
}

}  // namespace adblocking

bool WebKitBrowser::ApplyAdFilter() {
  const AdFilterState& a = Ads();
  const bool on = a.filter && a.setup.enabled && !adblocking::AllowedOn(LocationURL());
  if (on == adFilterOn_) return false;
  if (on)
    webkit_user_content_manager_add_filter(content_, a.filter);
  else
    RemoveAdFilter();
  adFilterOn_ = on;
  return true;
}

void WebKitBrowser::RemoveAdFilter() {
  if (!adFilterOn_ || !Ads().filter) return;
  webkit_user_content_manager_remove_filter(content_, Ads().filter);
  adFilterOn_ = false;
}
