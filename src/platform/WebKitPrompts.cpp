// WebKitBrowser: what the engine asks of the user for a page. Files the page
// hands over are saved into the download folder under a name that never
// overwrites; a site whose certificate is not trusted gets a page that says
// why and lets the user accept it for this run; a page's permission requests
// go to the window as questions, and their answers last for the run.
#include <glib/gstdio.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "core/browser/Downloads.h"
#include "core/browser/Permissions.h"
#include "core/records/FileOps.h"
#include "platform/WebKitBrowser.h"
#include "platform/WebKitDetail.h"

using namespace webkit_detail;

static_assert(static_cast<unsigned>(G_TLS_CERTIFICATE_UNKNOWN_CA) == kCertUnknownIssuer &&
                  static_cast<unsigned>(G_TLS_CERTIFICATE_BAD_IDENTITY) == kCertWrongHost &&
                  static_cast<unsigned>(G_TLS_CERTIFICATE_NOT_ACTIVATED) == kCertNotYetValid &&
                  static_cast<unsigned>(G_TLS_CERTIFICATE_EXPIRED) == kCertExpired &&
                  static_cast<unsigned>(G_TLS_CERTIFICATE_REVOKED) == kCertRevoked &&
                  static_cast<unsigned>(G_TLS_CERTIFICATE_INSECURE) == kCertInsecure &&
                  static_cast<unsigned>(G_TLS_CERTIFICATE_GENERIC_ERROR) == kCertOther,
              "certificate problem bits are the TLS library's");

namespace {

const char* const kAcceptScheme = "skelvornax-accept-certificate:";

std::string HostOf(const std::string& url) {
  GUri* uri = g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr);
  if (!uri) return "";
  std::string host = OrEmpty(g_uri_get_host(uri));
  g_uri_unref(uri);
  return host;
}

// ---- downloads ----

std::string DownloadFolder() {
  const char* special = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
  std::string dir = special && *special ? special : std::string(g_get_home_dir()) + "/Downloads";
  g_mkdir_with_parents(dir.c_str(), 0700);
  return dir;
}

class WebKitFileDownload;

// Downloads still running (kept alive here until they end) and the names they
// took before their files exist.
std::vector<std::shared_ptr<WebKitFileDownload>>& RunningDownloads() {
  static auto* running = new std::vector<std::shared_ptr<WebKitFileDownload>>;
  return *running;
}
std::set<std::string>& ReservedPaths() {
  static auto* reserved = new std::set<std::string>;
  return *reserved;
}

class WebKitFileDownload : public FileDownload {
 public:
  explicit WebKitFileDownload(WebKitDownload* d) : download_(WEBKIT_DOWNLOAD(g_object_ref(d))) {
    webkit_download_set_allow_overwrite(download_, FALSE);
    g_signal_connect(download_, "decide-destination", G_CALLBACK(OnDecideDestination), this);
    g_signal_connect(download_, "created-destination", G_CALLBACK(OnCreatedDestination), this);
    g_signal_connect(download_, "received-data", G_CALLBACK(OnReceivedData), this);
    g_signal_connect(download_, "failed", G_CALLBACK(OnFailed), this);
    g_signal_connect(download_, "finished", G_CALLBACK(OnFinished), this);
  }
  ~WebKitFileDownload() override {
    g_signal_handlers_disconnect_by_data(download_, this);
    g_object_unref(download_);
  }
  WebKitFileDownload(const WebKitFileDownload&) = delete;
  WebKitFileDownload& operator=(const WebKitFileDownload&) = delete;

  std::string Name() const override { return name_; }
  std::string Path() const override { return path_; }
  uint64_t Received() const override { return webkit_download_get_received_data_length(download_); }
  uint64_t Total() const override {
    WebKitURIResponse* r = webkit_download_get_response(download_);
    return r ? webkit_uri_response_get_content_length(r) : 0;
  }
  bool Running() const override { return running_; }
  void Cancel() override {
    if (running_) webkit_download_cancel(download_);
  }
  // Cancels, telling why instead of "cancelled".
  void CancelFor(const std::string& why) {
    failure_ = why;
    Cancel();
  }

 private:
  static gboolean OnDecideDestination(WebKitDownload*, gchar* suggested, gpointer p) {
    auto* self = static_cast<WebKitFileDownload*>(p);
    const std::string dir = DownloadFolder();
    self->name_ = UniqueDownloadName(SafeDownloadName(OrEmpty(suggested)), [&dir](const std::string& name) {
      const std::string path = fileops::Join(dir, name);
      return g_file_test(path.c_str(), G_FILE_TEST_EXISTS) || ReservedPaths().count(path) > 0;
    });
    self->path_ = fileops::Join(dir, self->name_);
    ReservedPaths().insert(self->path_);
    gchar* uri = g_filename_to_uri(self->path_.c_str(), nullptr, nullptr);
    webkit_download_set_destination(self->download_, uri ? uri : self->path_.c_str());
    g_free(uri);
    self->Progress.emit();
    return TRUE;
  }
  static void OnCreatedDestination(WebKitDownload*, gchar*, gpointer p) {
    static_cast<WebKitFileDownload*>(p)->created_ = true;
  }
  static void OnReceivedData(WebKitDownload*, guint64, gpointer p) {
    static_cast<WebKitFileDownload*>(p)->Progress.emit();
  }
  static void OnFailed(WebKitDownload*, GError* error, gpointer p) {
    auto* self = static_cast<WebKitFileDownload*>(p);
    if (self->failure_.empty())
      self->failure_ = g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER)
                           ? kDownloadCancelled
                           : (error && error->message ? error->message : "the download failed");
    // What was written so far is no file the user wants.
    if (self->created_ && !self->path_.empty()) g_unlink(self->path_.c_str());
  }
  static void OnFinished(WebKitDownload*, gpointer p) {
    auto* self = static_cast<WebKitFileDownload*>(p);
    self->running_ = false;
    ReservedPaths().erase(self->path_);
    // Kept alive through its own signals, then let go.
    std::shared_ptr<WebKitFileDownload> keep;
    auto& running = RunningDownloads();
    const auto at = std::find_if(running.begin(), running.end(), [self](const auto& d) { return d.get() == self; });
    if (at != running.end()) {
      keep = *at;
      running.erase(at);
    }
    if (self->failure_.empty())
      self->Finished.emit();
    else
      self->Failed.emit(self->failure_);
  }

  WebKitDownload* download_;
  std::string name_, path_, failure_;
  bool running_ = true, created_ = false;
};

// ---- permissions ----

PermissionAnswers& Answers() {
  static auto* answers = new PermissionAnswers;
  return *answers;
}

// What a request asks for, in words; "" for requests a page never gets.
std::string WhatIsAsked(WebKitPermissionRequest* request) {
  if (WEBKIT_IS_GEOLOCATION_PERMISSION_REQUEST(request)) return "use your location";
  if (WEBKIT_IS_NOTIFICATION_PERMISSION_REQUEST(request)) return "show notifications";
  if (WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) {
    auto* media = WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request);
    const bool audio = webkit_user_media_permission_is_for_audio_device(media);
    const bool video = webkit_user_media_permission_is_for_video_device(media);
    if (webkit_user_media_permission_is_for_display_device(media)) return "see your screen";
    return audio && video ? "use your camera and microphone" : video ? "use your camera" : "use your microphone";
  }
  if (WEBKIT_IS_DEVICE_INFO_PERMISSION_REQUEST(request)) return "know which cameras and microphones you have";
  if (WEBKIT_IS_POINTER_LOCK_PERMISSION_REQUEST(request)) return "hide and capture your mouse pointer";
  if (WEBKIT_IS_CLIPBOARD_PERMISSION_REQUEST(request)) return "read your clipboard";
  if (WEBKIT_IS_MEDIA_KEY_SYSTEM_PERMISSION_REQUEST(request)) return "play protected media";
  if (WEBKIT_IS_WEBSITE_DATA_ACCESS_PERMISSION_REQUEST(request)) return "use its cookies inside another site";
  return "";
}

class WebKitPermissionPrompt : public PermissionPrompt {
 public:
  WebKitPermissionPrompt(WebKitPermissionRequest* r, std::string host, std::string what)
      : request_(WEBKIT_PERMISSION_REQUEST(g_object_ref(r))), host_(std::move(host)), what_(std::move(what)) {}
  ~WebKitPermissionPrompt() override {
    if (!answered_) webkit_permission_request_deny(request_);  // no answer is no
    g_object_unref(request_);
  }
  WebKitPermissionPrompt(const WebKitPermissionPrompt&) = delete;
  WebKitPermissionPrompt& operator=(const WebKitPermissionPrompt&) = delete;

  std::string Host() const override { return host_; }
  std::string What() const override { return what_; }
  bool Answered() const override { return answered_; }
  void Answer(bool allow) override {
    if (answered_) return;
    answered_ = true;
    Answers().Remember(host_, what_, allow);
    if (allow)
      webkit_permission_request_allow(request_);
    else
      webkit_permission_request_deny(request_);
  }

 private:
  WebKitPermissionRequest* request_;
  std::string host_, what_;
  bool answered_ = false;
};

}  // namespace

// ---- downloads ----

void WebKitBrowser::OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer) {
  // The page's own window shows it; a window that shows no downloads (the
  // full-screen window) leaves it to one that does.
  WebKitWebView* view = webkit_download_get_web_view(download);
  WebKitBrowser* owner = nullptr;
  for (WebKitBrowser* b : LiveBrowsers()) {
    if (b->DownloadStarted.empty()) continue;
    if (b->view_ == view) {
      owner = b;
      break;
    }
    if (!owner) owner = b;
  }
  if (!owner) {  // no window left to show it
    webkit_download_cancel(download);
    return;
  }
  auto job = std::make_shared<WebKitFileDownload>(download);
  RunningDownloads().push_back(job);
  owner->DownloadStarted.emit(job);
  // Nothing downloads while offline; the window hears why.
  if (Offline()) job->CancelFor("the program is working offline");
}

void WebKitBrowser::CancelDownloads() {
  const auto running = RunningDownloads();  // a copy: cancelling ends them
  for (const auto& d : running) d->Cancel();
}

// ---- certificates ----

CertificateFacts webkit_detail::FactsOf(GTlsCertificate* certificate, GTlsCertificateFlags errors,
                                        const std::string& host) {
  CertificateFacts facts;
  facts.host = host;
  facts.problems = CertificateProblemTexts(static_cast<unsigned>(errors));
  gchar* subject = nullptr;
  gchar* issuer = nullptr;
  GDateTime* from = nullptr;
  GDateTime* until = nullptr;
  g_object_get(certificate, "subject-name", &subject, "issuer-name", &issuer, "not-valid-before", &from,
               "not-valid-after", &until, nullptr);
  facts.subject = OrEmpty(subject);
  facts.issuer = OrEmpty(issuer);
  const auto day = [](GDateTime* t) {
    if (!t) return std::string();
    gchar* text = g_date_time_format(t, "%Y-%m-%d %H:%M UTC");
    std::string s = OrEmpty(text);
    g_free(text);
    return s;
  };
  facts.validFrom = day(from);
  facts.validUntil = day(until);
  for (GDateTime* t : {from, until})
    if (t) g_date_time_unref(t);
  g_free(subject);
  g_free(issuer);
  return facts;
}

gboolean WebKitBrowser::OnTlsError(WebKitWebView*, gchar* failingUri, GTlsCertificate* certificate,
                                   GTlsCertificateFlags errors, gpointer p) {
  WebKitBrowser* self = Self(p);
  const std::string url = OrEmpty(failingUri);
  if (self->tlsCertificate_) g_object_unref(self->tlsCertificate_);
  self->tlsCertificate_ = G_TLS_CERTIFICATE(g_object_ref(certificate));
  self->tlsUri_ = url;
  gchar* nonce = g_uuid_string_random();
  self->tlsNonce_ = nonce;
  g_free(nonce);

  const CertificateFacts facts = FactsOf(certificate, errors, HostOf(url));
  self->NavigateError.emit(url, kStatusLoadFailed);
  self->failedLoadFinishing_ = true;
  self->errorPageUri_ = url;
  const std::string html = CertificatePageHtml(facts, url, std::string(kAcceptScheme) + self->tlsNonce_);
  webkit_web_view_load_alternate_html(self->view_, html.c_str(), url.c_str(), nullptr);
  return TRUE;
}

bool WebKitBrowser::AcceptCertificateLink(const std::string& url) {
  if (url.rfind(kAcceptScheme, 0) != 0) return false;
  // Only this window's certificate page knows the one-time link.
  if (tlsCertificate_ && !tlsNonce_.empty() && url == kAcceptScheme + tlsNonce_) {
    webkit_web_context_allow_tls_certificate_for_host(webkit_web_view_get_context(view_), tlsCertificate_,
                                                      HostOf(tlsUri_).c_str());
    tlsNonce_.clear();
    const std::string again = tlsUri_;
    Navigate(again);
  }
  return true;
}

// ---- permissions ----

gboolean WebKitBrowser::OnPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer p) {
  WebKitBrowser* self = Self(p);
  const std::string what = WhatIsAsked(request);
  const std::string host = HostOf(self->LocationURL());
  const std::optional<bool> known = what.empty() ? std::optional<bool>(false) : Answers().Recall(host, what);
  if (known || self->PermissionAsked.empty()) {
    if (known && *known)
      webkit_permission_request_allow(request);
    else
      webkit_permission_request_deny(request);
    return TRUE;
  }
  self->PermissionAsked.emit(std::make_shared<WebKitPermissionPrompt>(request, host, what));
  return TRUE;
}
