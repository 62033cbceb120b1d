#include "platform/WebKitBrowser.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "core/app/StartupTrace.h"
#include "core/browser/Addresses.h"
#include "core/popups/PopupKiller.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"
#include "platform/WebKitDetail.h"

namespace webkit_detail {

WebKitBrowser* Self(gpointer p) { return static_cast<WebKitBrowser*>(p); }

std::string OrEmpty(const char* s) { return s ? s : ""; }

WebKitWebContext*& Context() {
  static WebKitWebContext* context = nullptr;
  return context;
}

std::set<WebKitBrowser*>& LiveBrowsers() {
  static auto* browsers = new std::set<WebKitBrowser*>;
  return *browsers;
}

bool& Offline() {
  static bool offline = false;
  return offline;
}

void RemoveOtherFilters(WebKitUserContentFilterStore* store, const std::string& prefix, const std::string& keep) {
  struct Names {
    std::string prefix, keep;
  };
  webkit_user_content_filter_store_fetch_identifiers(
      store, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer p) {
        const std::unique_ptr<Names> names(static_cast<Names*>(p));
        auto* store = WEBKIT_USER_CONTENT_FILTER_STORE(source);
        gchar** ids = webkit_user_content_filter_store_fetch_identifiers_finish(store, result);
        // The engine insists on a callback, though nothing waits for the end.
        const auto removed = [](GObject* s, GAsyncResult* r, gpointer) {
          webkit_user_content_filter_store_remove_finish(WEBKIT_USER_CONTENT_FILTER_STORE(s), r, nullptr);
        };
        for (gchar** id = ids; id && *id; ++id)
          if (names->keep != *id && g_str_has_prefix(*id, names->prefix.c_str()))
            webkit_user_content_filter_store_remove(store, *id, nullptr, removed, nullptr);
        g_strfreev(ids);
      },
      new Names{prefix, keep});
}

}  // namespace webkit_detail

using namespace webkit_detail;

namespace {

bool IsQuietFailure(GError* error) {
  // A stopped load, or one the policy handler turned away, is no navigation error.
  return g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
         g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) ||
         g_error_matches(error, WEBKIT_PLUGIN_ERROR, WEBKIT_PLUGIN_ERROR_WILL_HANDLE_LOAD);
}

WebKitSettings* BrowserSettings() {
  static WebKitSettings* settings = [] {
    WebKitSettings* s = webkit_settings_new();
    // The pop-up rules decide about new windows, not the engine.
    webkit_settings_set_javascript_can_open_windows_automatically(s, TRUE);
    webkit_settings_set_enable_developer_extras(s, FALSE);
    // The text size zooms text only; set from the start, since changing a
    // setting while the first page loads makes its web process style it again.
    webkit_settings_set_zoom_text_only(s, TRUE);
    return s;
  }();
  return settings;
}

const char* const kCookieFile = "cookies.sqlite";

// The private windows' data store is made by the engine with the first
// ephemeral view; it refuses third-party cookies like the lasting one.
void RefuseThirdPartyCookies(WebKitWebView* view) {
  static bool done = false;
  if (done) return;
  done = true;
  WebKitWebsiteDataManager* data = webkit_web_view_get_website_data_manager(view);
  webkit_cookie_manager_set_accept_policy(webkit_website_data_manager_get_cookie_manager(data),
                                          WEBKIT_COOKIE_POLICY_ACCEPT_NO_THIRD_PARTY);
}

}  // namespace

namespace {
bool& OfflineWanted() {
  static bool wanted = false;
  return wanted;
}

// Blocks every http(s) and ws(s) load of a page.
const char* const kOfflineRules = R"([{"trigger":{"url-filter":"^https?:"},"action":{"type":"block"}},)"
                                  R"({"trigger":{"url-filter":"^wss?:"},"action":{"type":"block"}}])";
// Named after the rules, so that a filter kept from other rules is not used.
const std::string& OfflineFilterId() {
  static const std::string id = [] {
    char text[40];
    std::snprintf(text, sizeof text, "skelvornax-offline-%08x", g_str_hash(kOfflineRules));
    return std::string(text);
  }();
  return id;
}

struct FilterState {
  std::string dir;  // where the compiled rules are kept
  WebKitUserContentFilterStore* store = nullptr;
  WebKitUserContentFilter* filter = nullptr;
  bool pending = false;
  std::vector<std::function<void()>> whenCompiled;
};

FilterState& OfflineFilter() {
  static FilterState state;
  return state;
}

void OfflineFilterReady(WebKitUserContentFilter* filter) {
  FilterState& state = OfflineFilter();
  state.filter = filter;
  state.pending = false;
  // A failed compile (a full disk, say) is tried again on the next switch
  // to offline instead of leaving the mode dead for the run.
  if (!state.filter) g_clear_object(&state.store);
  auto waiting = std::move(state.whenCompiled);
  state.whenCompiled.clear();
  for (auto& then : waiting) then();
}

void CompileOfflineFilter() {
  GBytes* rules = g_bytes_new_static(kOfflineRules, strlen(kOfflineRules));
  webkit_user_content_filter_store_save(
      OfflineFilter().store, OfflineFilterId().c_str(), rules, nullptr,
      [](GObject* store, GAsyncResult* result, gpointer) {
        WebKitUserContentFilter* made =
            webkit_user_content_filter_store_save_finish(WEBKIT_USER_CONTENT_FILTER_STORE(store), result, nullptr);
        if (made) RemoveOtherFilters(WEBKIT_USER_CONTENT_FILTER_STORE(store), "skelvornax-offline", OfflineFilterId());
        OfflineFilterReady(made);
      },
      nullptr);
  g_bytes_unref(rules);
}

// The filter compiled on an earlier run is used again; it is compiled only
// when missing or unreadable (an engine of another version, say). This
// starts a little after the engine (the first page goes first). Going
// offline before it is done completes once it is.
void PrepareOfflineFilter() {
  FilterState& f = OfflineFilter();
  if (f.store || f.dir.empty()) return;
  f.store = webkit_user_content_filter_store_new(f.dir.c_str());
  f.pending = true;
  webkit_user_content_filter_store_load(
      f.store, OfflineFilterId().c_str(), nullptr,
      [](GObject* store, GAsyncResult* result, gpointer) {
        WebKitUserContentFilter* kept =
            webkit_user_content_filter_store_load_finish(WEBKIT_USER_CONTENT_FILTER_STORE(store), result, nullptr);
        if (kept)
          OfflineFilterReady(kept);
        else
          CompileOfflineFilter();
      },
      nullptr);
}

// The engine writes a compiled filter to a file of this name in the
// temporary folder and moves it into its store when done: a process that
// ends meanwhile (its last window closed, say) would leave tens of
// megabytes behind.
void DiscardUnfinishedFilters() { fileops::RemoveOwnOpenFiles(g_get_tmp_dir(), "ContentRuleList-"); }

bool IsNetworkAddress(const std::string& url) {
  const std::string lc = coding::ToLower(url);
  for (const char* scheme : {"http:", "https:", "ws:", "wss:"})
    if (lc.rfind(scheme, 0) == 0) return true;
  return false;
}
// Reports what a page asks of windows: the features of window.open, and
// moves and resizes of its own top-level window. Runs before the page's own
// scripts in every frame.
const char* const kWindowRequestScript = R"JS((function () {
  const post = (m) => {
    m.href = String(location.href);
    try { window.webkit.messageHandlers.skelvornaxWindow.postMessage(m); } catch (e) {}
  };
  const open = window.open;
  window.open = function (url, name, features) {
    post({ kind: 'open', features: features === undefined ? '' : String(features).slice(0, 1000) });
    return open.apply(this, arguments);
  };
  if (window !== window.top) return;
  for (const name of ['moveTo', 'moveBy', 'resizeTo', 'resizeBy']) {
    const original = window[name];
    window[name] = function (a, b) {
      post({ kind: name, a: Number(a), b: Number(b), x: window.screenX, y: window.screenY,
             w: window.outerWidth, h: window.outerHeight });
      return original.apply(this, arguments);
    };
  }
})();)JS";

// A number a page sent, made safe: NaN and wild values become nullopt.
std::optional<int> PageNumber(JSCValue* object, const char* name) {
  JSCValue* v = jsc_value_object_get_property(object, name);
  std::optional<int> result;
  if (jsc_value_is_number(v)) {
    const double d = jsc_value_to_double(v);
    if (std::isfinite(d) && std::fabs(d) < 1e6) result = static_cast<int>(d);
  }
  g_object_unref(v);
  return result;
}

std::string PageString(JSCValue* object, const char* name, std::size_t limit) {
  JSCValue* v = jsc_value_object_get_property(object, name);
  std::string result;
  if (jsc_value_is_string(v)) {
    gchar* text = jsc_value_to_string(v);
    result.assign(text ? text : "");
    g_free(text);
  }
  g_object_unref(v);
  if (result.size() > limit) result.resize(limit);
  return result;
}
}  // namespace

bool WebKitBrowser::OfflineMode() { return Offline(); }

bool WebKitBrowser::SetOfflineFilterFolderForTest(const std::string& dir) {
  FilterState& f = OfflineFilter();
  if (f.pending) return false;
  if (f.filter) webkit_user_content_filter_unref(f.filter);
  f.filter = nullptr;
  g_clear_object(&f.store);
  f.dir = dir;
  return true;
}

void WebKitBrowser::SetOfflineMode(bool offline, const std::function<void(bool)>& done) {
  FilterState& f = OfflineFilter();
  OfflineWanted() = offline;
  if (!offline || f.filter) {
    ApplyOfflineMode(offline);
    done(true);
    return;
  }
  PrepareOfflineFilter();
  if (!f.pending) {
    done(false);
    return;
  }
  f.whenCompiled.emplace_back([done] {
    // Going online again meanwhile wins.
    const bool ok = OfflineFilter().filter != nullptr && OfflineWanted();
    if (ok) ApplyOfflineMode(true);
    done(ok);
  });
}

void WebKitBrowser::ApplyOfflineMode(bool offline) {
  Offline() = offline;
  if (offline) CancelDownloads();
  for (WebKitBrowser* b : LiveBrowsers()) {
    b->ApplyOfflineFilter(offline);
    if (offline) webkit_web_view_stop_loading(b->view_);
  }
}

void WebKitBrowser::ApplyOfflineFilter(bool on) {
  WebKitUserContentManager* manager = webkit_web_view_get_user_content_manager(view_);
  if (on && OfflineFilter().filter)
    webkit_user_content_manager_add_filter(manager, OfflineFilter().filter);
  else
    webkit_user_content_manager_remove_filter_by_id(manager, OfflineFilterId().c_str());
}

bool WebKitBrowser::RefuseWhileOffline(const std::string& url, bool byUser) {
  if (!Offline() || !IsNetworkAddress(url)) return false;
  if (url == errorPageUri_) {  // our own offline page for it
    errorPageUri_.clear();
    return false;
  }
  // Only what the user or the program asked for gets the offline page; a
  // page's own redirects and frames are simply not loaded.
  if (byUser || url == ownNavigation_) {
    NavigateError.emit(url, kStatusResourceNotFound);
    ShowErrorPage(kErrorTitleOffline, "You are working offline. Go online to load this page.", url);
  }
  return true;
}

void WebKitBrowser::ConfigureEngine(const std::string& dataDir, const std::string& cacheDir) {
  if (Context()) return;
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new("base-data-directory", dataDir.c_str(),
                                                                   "base-cache-directory", cacheDir.c_str(), nullptr);
  // Persistent cookies survive a restart; the engine opens the database
  // itself when a page first needs it.
  WebKitCookieManager* cookies = webkit_website_data_manager_get_cookie_manager(data);
  webkit_cookie_manager_set_persistent_storage(cookies, (dataDir + "/" + kCookieFile).c_str(),
                                               WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
  webkit_cookie_manager_set_accept_policy(cookies, WEBKIT_COOKIE_POLICY_ACCEPT_NO_THIRD_PARTY);
  WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(data);
  g_object_unref(data);
  webkit_web_context_set_sandbox_enabled(context, TRUE);
  webkit_web_context_set_cache_model(context, WEBKIT_CACHE_MODEL_WEB_BROWSER);
  Context() = context;
  std::atexit(DiscardUnfinishedFilters);
  g_signal_connect(context, "download-started", G_CALLBACK(OnDownloadStarted), nullptr);
  OfflineFilter().dir = dataDir + "/filters";
  Glib::signal_timeout().connect_once([] { PrepareOfflineFilter(); }, 3000);
}

WebKitBrowser::WebKitBrowser() : WebKitBrowser(nullptr, false) {}

std::unique_ptr<WebKitBrowser> WebKitBrowser::NewPrivate() {
  return std::unique_ptr<WebKitBrowser>(new WebKitBrowser(nullptr, true));
}

WebKitBrowser::WebKitBrowser(WebKitWebView* relatedTo, bool ephemeral) {
  SetUpContent();
  // A related view shares its opener's process and data store, so the
  // windows a private window opens are private too.
  GObject* w = relatedTo ? G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", relatedTo,
                                                 "user-content-manager", content_, nullptr))
                         : G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context",
                                                 Context() ? Context() : webkit_web_context_get_default(),
                                                 "is-ephemeral", ephemeral, "user-content-manager", content_, nullptr));
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(w));
  if (ephemeral) RefuseThirdPartyCookies(view_);
  webkit_web_view_set_settings(view_, BrowserSettings());
  widget_ = Glib::wrap(GTK_WIDGET(view_));
  Connect();
  if (startuptrace::Enabled()) TraceFirstPaint();
  LiveBrowsers().insert(this);
  startuptrace::MarkOnce("first web view made");
  if (Offline()) ApplyOfflineFilter(true);
  ApplyAdFilter();
}

// Every view has content of its own, so that a page's requests can be told
// apart from those of the page that opened it. Scripts and filters every
// view carries are added here.
void WebKitBrowser::SetUpContent() {
  content_ = webkit_user_content_manager_new();
  WebKitUserScript* script = webkit_user_script_new(kWindowRequestScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                    WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content_, script);
  webkit_user_script_unref(script);
  g_signal_connect(content_, "script-message-received::skelvornaxWindow", G_CALLBACK(OnWindowRequest), this);
  webkit_user_content_manager_register_script_message_handler(content_, "skelvornaxWindow");
}

bool WebKitBrowser::IsPrivate() const { return webkit_web_view_is_ephemeral(view_); }

WebKitBrowser::~WebKitBrowser() {
  LiveBrowsers().erase(this);
  DisconnectCommands();
  g_signal_handlers_disconnect_by_data(content_, this);
  webkit_user_content_manager_unregister_script_message_handler(content_, "skelvornaxWindow");
  g_object_unref(content_);
  g_signal_handlers_disconnect_by_data(view_, this);
  g_signal_handlers_disconnect_by_data(webkit_web_view_get_back_forward_list(view_), this);
  if (WebKitWindowProperties* props = webkit_web_view_get_window_properties(view_))
    g_signal_handlers_disconnect_by_data(props, this);
  g_object_unref(view_);
  if (tlsCertificate_) g_object_unref(tlsCertificate_);
}

void WebKitBrowser::Connect() {
  g_signal_connect(view_, "load-changed", G_CALLBACK(OnLoadChanged), this);
  g_signal_connect(view_, "load-failed", G_CALLBACK(OnLoadFailed), this);
  g_signal_connect(view_, "notify::title", G_CALLBACK(OnTitle), this);
  g_signal_connect(view_, "notify::estimated-load-progress", G_CALLBACK(OnProgress), this);
  g_signal_connect(view_, "mouse-target-changed", G_CALLBACK(OnMouseTarget), this);
  g_signal_connect(view_, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  g_signal_connect(view_, "create", G_CALLBACK(OnCreate), this);
  g_signal_connect(view_, "ready-to-show", G_CALLBACK(OnReadyToShow), this);
  g_signal_connect(view_, "close", G_CALLBACK(OnClose), this);
  g_signal_connect(view_, "web-process-terminated", G_CALLBACK(OnCrashed), this);
  g_signal_connect(view_, "script-dialog", G_CALLBACK(OnScriptDialog), this);
  g_signal_connect(view_, "load-failed-with-tls-errors", G_CALLBACK(OnTlsError), this);
  g_signal_connect(view_, "permission-request", G_CALLBACK(OnPermissionRequest), this);
  g_signal_connect(webkit_web_view_get_back_forward_list(view_), "changed", G_CALLBACK(OnHistoryChanged), this);
}

void WebKitBrowser::Navigate(const std::string& url) {
  const std::string address = CompleteAddress(url);
  if (address.empty()) return;
  startuptrace::MarkOnce("first page: asked for");
  ownNavigation_ = address;
  webkit_web_view_load_uri(view_, address.c_str());
  // The engine sets up its drawing and starts its processes in the first
  // call: a mark of its own shows what that costs.
  startuptrace::MarkOnce("first page: the engine took the request");
}

void WebKitBrowser::Refresh2(int level) {
  if (level == 3)
    webkit_web_view_reload_bypass_cache(view_);
  else
    webkit_web_view_reload(view_);
}

void WebKitBrowser::Stop() { webkit_web_view_stop_loading(view_); }
void WebKitBrowser::GoBack() { webkit_web_view_go_back(view_); }
void WebKitBrowser::GoForward() { webkit_web_view_go_forward(view_); }

std::string WebKitBrowser::LocationURL() const { return OrEmpty(webkit_web_view_get_uri(view_)); }

std::string WebKitBrowser::LocationName() const {
  std::string title = OrEmpty(webkit_web_view_get_title(view_));
  if (!title.empty()) return title;
  std::string url = LocationURL();
  while (!url.empty() && url.back() == '/') url.pop_back();
  const auto slash = url.find_last_of('/');
  return slash == std::string::npos ? url : url.substr(slash + 1);
}

std::unique_ptr<WebBrowser> WebKitBrowser::CreateRelated() {
  return std::unique_ptr<WebBrowser>(new WebKitBrowser(view_, IsPrivate()));
}

void WebKitBrowser::UpdateCommandState() {
  const bool back = webkit_web_view_can_go_back(view_);
  const bool forward = webkit_web_view_can_go_forward(view_);
  if (forward != canGoForward_) {
    canGoForward_ = forward;
    CommandStateChange.emit(kCommandForward, forward);
  }
  if (back != canGoBack_) {
    canGoBack_ = back;
    CommandStateChange.emit(kCommandBack, back);
  }
}

void WebKitBrowser::ShowErrorPage(const std::string& title, const std::string& reason, const std::string& url) {
  errorPageUri_ = url;
  const std::string html = ErrorPageHtml(title, reason, url);
  webkit_web_view_load_alternate_html(view_, html.c_str(), url.c_str(), nullptr);
}

void WebKitBrowser::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer p) {
  WebKitBrowser* self = Self(p);
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      startuptrace::MarkOnce("first page: load started");
      self->requestedUri_ = self->LocationURL();
      self->ApplyAdFilter();  // before the page asks for anything
      self->DownloadBegin.emit();
      break;
    case WEBKIT_LOAD_COMMITTED:
      startuptrace::MarkOnce("first page: committed");
      self->errorPageUri_.clear();
      self->ApplyAdFilter();  // a redirect may have changed the site
      // The engine answers a refused address (a blocked port) with a blank
      // page and no failure; the user gets told instead.
      if (self->LocationURL() == "about:blank" && !self->requestedUri_.empty() &&
          self->requestedUri_ != "about:blank") {
        const std::string url = self->requestedUri_;
        self->requestedUri_.clear();
        self->NavigateError.emit(url, kStatusLoadFailed);
        self->failedLoadFinishing_ = true;
        self->ShowErrorPage(kErrorTitleNotFound, "This address cannot be opened.", url);
        break;
      }
      self->NavigateComplete2.emit(self->LocationURL());
      self->UpdateCommandState();
      break;
    case WEBKIT_LOAD_FINISHED: {
      startuptrace::MarkOnce("first page: finished");
      // A failed load ends twice: once itself, once as its error page. Only
      // the error page counts as a finished document.
      if (self->failedLoadFinishing_) {
        self->failedLoadFinishing_ = false;
        break;
      }
      if (OrEmpty(webkit_web_view_get_title(self->view_)).empty()) self->TitleChange.emit(self->LocationName());
      self->ProgressChange.emit(-1, 1000);
      self->DocumentComplete.emit(self->LocationURL());
      self->UpdateCommandState();
      self->DownloadComplete.emit();
      break;
    }
    default:
      break;
  }
}

gboolean WebKitBrowser::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer p) {
  WebKitBrowser* self = Self(p);
  if (IsQuietFailure(error)) return FALSE;
  const bool notFound = g_error_matches(error, G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND) ||
                        g_error_matches(error, G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE);
  const std::string url = OrEmpty(uri);
  self->NavigateError.emit(url, notFound ? kStatusResourceNotFound : kStatusLoadFailed);
  self->failedLoadFinishing_ = true;
  self->ShowErrorPage(kErrorTitleNotFound, error && error->message ? error->message : "The page could not be loaded.",
                      url);
  return TRUE;
}

void WebKitBrowser::OnTitle(GObject*, GParamSpec*, gpointer p) {
  WebKitBrowser* self = Self(p);
  const std::string title = OrEmpty(webkit_web_view_get_title(self->view_));
  if (!title.empty()) startuptrace::MarkOnce("first page: titled");
  if (!title.empty()) self->TitleChange.emit(title);
}

void WebKitBrowser::OnProgress(GObject*, GParamSpec*, gpointer p) {
  WebKitBrowser* self = Self(p);
  const double progress = webkit_web_view_get_estimated_load_progress(self->view_);
  self->ProgressChange.emit(std::lround(progress * 1000), 1000);
}

void WebKitBrowser::OnMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer p) {
  const bool link = webkit_hit_test_result_context_is_link(hit);
  Self(p)->StatusTextChange.emit(link ? OrEmpty(webkit_hit_test_result_get_link_uri(hit)) : "");
}

gboolean WebKitBrowser::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                       gpointer p) {
  WebKitBrowser* self = Self(p);
  if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION && Offline()) {
    webkit_policy_decision_ignore(decision);  // no pop-ups while offline
    return TRUE;
  }
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const std::string url = OrEmpty(webkit_uri_request_get_uri(webkit_navigation_action_get_request(action)));
    if (self->AcceptCertificateLink(url) ||
        self->RefuseWhileOffline(url, webkit_navigation_action_is_user_gesture(action))) {
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
    bool cancel = false;
    self->BeforeNavigate2.emit(url, webkit_navigation_action_is_user_gesture(action) ? kNavigateByUser : 0, cancel);
    if (cancel) {
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
  } else if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    return self->DecideResponse(WEBKIT_RESPONSE_POLICY_DECISION(decision));
  }
  return FALSE;  // the engine's own choice for everything else
}

gboolean WebKitBrowser::DecideResponse(WebKitResponsePolicyDecision* response) {
  // Frames inside the page keep the engine's choice: a hidden frame must not
  // drop files into the download folder.
  if (!webkit_response_policy_decision_is_main_frame_main_resource(response)) return FALSE;
  WebKitURIResponse* r = webkit_response_policy_decision_get_response(response);
  const guint status = webkit_uri_response_get_status_code(r);
  if (status >= 400) NavigateError.emit(OrEmpty(webkit_uri_response_get_uri(r)), static_cast<int>(status));
  // What the engine cannot show is a file to keep (an archive, an installer,
  // a document no viewer takes); left to the engine, it is dropped without a
  // word. Error answers and answers without a body are no files.
  const bool file = status < 400 && status != 204 && status != 205;
  if (!file || webkit_response_policy_decision_is_mime_type_supported(response)) return FALSE;
  webkit_policy_decision_download(WEBKIT_POLICY_DECISION(response));
  return TRUE;
}

GtkWidget* WebKitBrowser::OnCreate(WebKitWebView*, WebKitNavigationAction*, gpointer p) {
  WebKitBrowser* self = Self(p);
  if (!self->NewWindow2) return nullptr;
  auto* fresh = dynamic_cast<WebKitBrowser*>(self->NewWindow2());
  if (!fresh) {
    self->pendingFeatures_.reset();
    return nullptr;
  }
  fresh->openedByPage_ = true;
  fresh->openFeatures_ = std::move(self->pendingFeatures_);
  self->pendingFeatures_.reset();
  self->lastChild_ = fresh;
  return GTK_WIDGET(fresh->view_);
}

void WebKitBrowser::OnReadyToShow(WebKitWebView*, gpointer p) {
  WebKitBrowser* self = Self(p);
  self->shown_ = true;
  if (self->openedByPage_) self->EmitOpenRequests();
  self->ReadyToShow.emit();
}
void WebKitBrowser::OnClose(WebKitWebView*, gpointer p) { Self(p)->WindowClosing.emit(); }

void WebKitBrowser::OnCrashed(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer p) {
  WebKitBrowser* self = Self(p);
  if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) return;
  const char* why = reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT
                        ? "The page used more memory than allowed and was stopped."
                        : "The process that showed this page stopped unexpectedly.";
  // Reported as a failed navigation, so the error page is not taken for a visit.
  self->NavigateError.emit(self->LocationURL(), kStatusLoadFailed);
  self->ShowErrorPage("This page stopped working", why, self->LocationURL());
}

gboolean WebKitBrowser::OnScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer p) {
  if (!Self(p)->silent_) return FALSE;
  // Quiet mode: alerts vanish, questions are answered "no".
  if (webkit_script_dialog_get_dialog_type(dialog) == WEBKIT_SCRIPT_DIALOG_CONFIRM ||
      webkit_script_dialog_get_dialog_type(dialog) == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM)
    webkit_script_dialog_confirm_set_confirmed(dialog, FALSE);
  return TRUE;
}

void WebKitBrowser::OnHistoryChanged(WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer, gpointer p) {
  Self(p)->UpdateCommandState();
}

// A page that a window.open made may still report through its opener's
// content; the page's own address tells whose request it is.
WebKitBrowser* WebKitBrowser::SenderOf(const std::string& href) {
  if (LocationURL() == href) return this;
  if (LiveBrowsers().count(lastChild_) && lastChild_->LocationURL() == href) return lastChild_;
  for (WebKitBrowser* b : LiveBrowsers())
    if (b->openedByPage_ && b->LocationURL() == href) return b;
  return nullptr;
}

void WebKitBrowser::OnWindowRequest(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer p) {
  JSCValue* message = webkit_javascript_result_get_js_value(result);
  if (!jsc_value_is_object(message)) return;
  WebKitBrowser* self = Self(p)->SenderOf(PageString(message, "href", 8192));
  if (!self) return;
  const std::string kind = PageString(message, "kind", 16);
  if (kind == "open") {
    self->ChildAsked(PageString(message, "features", 1000));
    return;
  }
  const auto a = PageNumber(message, "a"), b = PageNumber(message, "b");
  const auto x = PageNumber(message, "x"), y = PageNumber(message, "y");
  const auto w = PageNumber(message, "w"), h = PageNumber(message, "h");
  if (!a || !b) return;
  if (kind == "moveTo") self->EmitGeometry(*a, *b, std::nullopt, std::nullopt);
  if (kind == "moveBy" && x && y) self->EmitGeometry(*x + *a, *y + *b, std::nullopt, std::nullopt);
  if (kind == "resizeTo") self->EmitGeometry(std::nullopt, std::nullopt, *a, *b);
  if (kind == "resizeBy" && w && h) self->EmitGeometry(std::nullopt, std::nullopt, *w + *a, *h + *b);
}

void WebKitBrowser::EmitGeometry(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                                 std::optional<int> height) {
  if (left) WindowSetLeft.emit(*left);
  if (top) WindowSetTop.emit(*top);
  if (width) WindowSetWidth.emit(*width);
  if (height) WindowSetHeight.emit(*height);
}

// The features of a window.open reach the page's browser either just before
// or just after the engine asks for the new window; they go to that window.
void WebKitBrowser::ChildAsked(const std::string& features) {
  WebKitBrowser* child = LiveBrowsers().count(lastChild_) ? lastChild_ : nullptr;
  if (child && !child->openFeatures_) {
    child->openFeatures_ = features;
    if (child->shown_) child->EmitOpenRequests();
    return;
  }
  pendingFeatures_ = features;
}

void WebKitBrowser::EmitOpenRequests() {
  if (requestsEmitted_) return;
  requestsEmitted_ = true;
  if (openFeatures_) {
    const OpenFeatures f = ParseOpenFeatures(*openFeatures_);
    EmitGeometry(f.left, f.top, f.width, f.height);
    if (f.toolbar) OnToolBar.emit(*f.toolbar);
    if (f.statusbar) OnStatusBar.emit(*f.statusbar);
    return;
  }
  // No word from the page script: fall back on what the engine recorded.
  GdkRectangle g{};
  webkit_window_properties_get_geometry(webkit_web_view_get_window_properties(view_), &g);
  EmitGeometry(std::nullopt, std::nullopt, g.width > 0 ? std::optional<int>(g.width) : std::nullopt,
               g.height > 0 ? std::optional<int>(g.height) : std::nullopt);
}

// The first paint of a committed page: what a user sees as the page there.
void WebKitBrowser::TraceFirstPaint() {
  g_signal_connect_after(view_, "draw", G_CALLBACK(+[](GtkWidget* view, cairo_t*, gpointer) {
                           if (webkit_web_view_get_estimated_load_progress(WEBKIT_WEB_VIEW(view)) > 0.1 &&
                               !webkit_web_view_is_loading(WEBKIT_WEB_VIEW(view)))
                             startuptrace::MarkOnce("first page: painted");
                           return FALSE;
                         }),
                         nullptr);
}
