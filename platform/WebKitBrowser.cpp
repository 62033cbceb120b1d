#include "platform/WebKitBrowser.h"

#include <cmath>

#include "browser/Addresses.h"

namespace {

WebKitBrowser* Self(gpointer p) { return static_cast<WebKitBrowser*>(p); }

std::string OrEmpty(const char* s) { return s ? s : ""; }

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
    return s;
  }();
  return settings;
}

}  // namespace

namespace {
WebKitWebContext*& Context() {
  static WebKitWebContext* context = nullptr;
  return context;
}
}  // namespace

void WebKitBrowser::ConfigureEngine(const std::string& dataDir, const std::string& cacheDir) {
  if (Context()) return;
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
      "base-data-directory", dataDir.c_str(), "base-cache-directory", cacheDir.c_str(), nullptr);
  WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(data);
  g_object_unref(data);
  webkit_web_context_set_sandbox_enabled(context, TRUE);
  webkit_web_context_set_cache_model(context, WEBKIT_CACHE_MODEL_WEB_BROWSER);
  Context() = context;
}

WebKitBrowser::WebKitBrowser() : WebKitBrowser(nullptr) {}

WebKitBrowser::WebKitBrowser(WebKitWebView* relatedTo) {
  GtkWidget* w = relatedTo    ? webkit_web_view_new_with_related_view(relatedTo)
                 : Context() ? webkit_web_view_new_with_context(Context())
                             : webkit_web_view_new();
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(w));
  webkit_web_view_set_settings(view_, BrowserSettings());
  widget_ = Glib::wrap(GTK_WIDGET(view_));
  Connect();
}

WebKitBrowser::~WebKitBrowser() {
  g_signal_handlers_disconnect_by_data(view_, this);
  g_signal_handlers_disconnect_by_data(webkit_web_view_get_back_forward_list(view_), this);
  if (WebKitWindowProperties* props = webkit_web_view_get_window_properties(view_))
    g_signal_handlers_disconnect_by_data(props, this);
  g_object_unref(view_);
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
  g_signal_connect(webkit_web_view_get_back_forward_list(view_), "changed", G_CALLBACK(OnHistoryChanged), this);
}

void WebKitBrowser::Navigate(const std::string& url) {
  const std::string address = CompleteAddress(url);
  if (!address.empty()) webkit_web_view_load_uri(view_, address.c_str());
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
  const std::string title = OrEmpty(webkit_web_view_get_title(view_));
  if (!title.empty()) return title;
  std::string url = LocationURL();
  while (!url.empty() && url.back() == '/') url.pop_back();
  const auto slash = url.find_last_of('/');
  return slash == std::string::npos ? url : url.substr(slash + 1);
}

std::unique_ptr<WebBrowser> WebKitBrowser::CreateRelated() {
  return std::unique_ptr<WebBrowser>(new WebKitBrowser(view_));
}

void WebKitBrowser::UpdateCommandState() {
  const bool back = webkit_web_view_can_go_back(view_);
  const bool forward = webkit_web_view_can_go_forward(view_);
  if (forward != canGoForward_) {
    canGoForward_ = forward;
    CommandStateChange.emit(1, forward);
  }
  if (back != canGoBack_) {
    canGoBack_ = back;
    CommandStateChange.emit(2, back);
  }
}

void WebKitBrowser::ShowErrorPage(const std::string& title, const std::string& reason, const std::string& url) {
  const std::string html = ErrorPageHtml(title, reason, url);
  webkit_web_view_load_alternate_html(view_, html.c_str(), url.c_str(), nullptr);
}

void WebKitBrowser::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer p) {
  WebKitBrowser* self = Self(p);
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      self->requestedUri_ = self->LocationURL();
      self->DownloadBegin.emit();
      break;
    case WEBKIT_LOAD_COMMITTED:
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
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const std::string url = OrEmpty(webkit_uri_request_get_uri(webkit_navigation_action_get_request(action)));
    bool cancel = false;
    self->BeforeNavigate2.emit(url, webkit_navigation_action_is_user_gesture(action) ? kNavigateByUser : 0, cancel);
    if (cancel) {
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
  } else if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
    if (webkit_response_policy_decision_is_main_frame_main_resource(response)) {
      WebKitURIResponse* r = webkit_response_policy_decision_get_response(response);
      const guint status = webkit_uri_response_get_status_code(r);
      if (status >= 400) self->NavigateError.emit(OrEmpty(webkit_uri_response_get_uri(r)), static_cast<int>(status));
    }
  }
  return FALSE;  // the engine's own choice for everything else
}

GtkWidget* WebKitBrowser::OnCreate(WebKitWebView*, WebKitNavigationAction*, gpointer p) {
  WebKitBrowser* self = Self(p);
  if (!self->NewWindow2) return nullptr;
  auto* fresh = dynamic_cast<WebKitBrowser*>(self->NewWindow2());
  return fresh ? GTK_WIDGET(fresh->view_) : nullptr;
}

void WebKitBrowser::OnReadyToShow(WebKitWebView*, gpointer p) { Self(p)->ReadyToShow.emit(); }
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
