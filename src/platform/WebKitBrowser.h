// The browser component over WebKitGTK.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <optional>

#include "platform/WebBrowser.h"

class WebKitBrowser : public WebBrowser {
 public:
  // Once per process, before the first view: the engine's own storage (kept
  // apart from the program's data files), its cookie database and policy,
  // and its sandbox.
  static void ConfigureEngine(const std::string& dataDir, const std::string& cacheDir);

  // The offline mode of every view: a content filter blocks every network
  // load and http(s) navigations get the offline page. `done` runs once the
  // mode is in force (at once, or when the filter has been compiled), with
  // false when the filter could not be made.
  static void SetOfflineMode(bool offline, const std::function<void(bool)>& done);
  static bool OfflineMode();
  // Tests: where the offline filter is compiled next (its compiled form is
  // dropped), so that a compile can be made to fail. False while a compile runs.
  static bool SetOfflineFilterFolderForTest(const std::string& dir);

  WebKitBrowser();
  // A browser of a private window: an ephemeral data store shared by every
  // private view of this run, never written to disk.
  static std::unique_ptr<WebKitBrowser> NewPrivate();
  ~WebKitBrowser() override;

  Gtk::Widget& Widget() override { return *widget_; }
  void Navigate(const std::string& url) override;
  void Refresh2(int level) override;
  void Stop() override;
  void GoBack() override;
  void GoForward() override;
  std::string LocationURL() const override;
  std::string LocationName() const override;
  void SetSilent(bool silent) override { silent_ = silent; }
  std::unique_ptr<WebBrowser> CreateRelated() override;
  std::unique_ptr<WebBrowser> CreatePrivate() override { return NewPrivate(); }
  bool IsPrivate() const override;
  std::unique_ptr<SiteData> CreateSiteData() override;  // WebKitSiteData.cpp

  // Page commands (WebKitBrowserCommands.cpp).
  void SetTextSize(int level) override;
  void SelectAll() override;
  void Find(const std::string& text, bool matchCase, FindStep step) override;
  void FindFinish() override;
  void Print(Gtk::Window* parent, const std::function<void(bool ok)>& done) override;
  void PrintToFile(const std::string& path, const std::function<void(bool ok)>& done) override;
  void SaveAs(const std::string& path, const std::function<void(bool ok)>& done) override;
  void PageProperties(const std::function<void(const PageInfo&)>& done) override;

  WebKitWebView* view() const { return view_; }
  // Every running download is cancelled (going offline).
  static void CancelDownloads();
  bool OpenedByPage() const override { return openedByPage_; }
  // Adds or removes the ad filter (platform/AdBlocking.h) for the page this
  // view shows; true when that changed anything.
  bool ApplyAdFilter();
  void RemoveAdFilter();

 private:
  WebKitBrowser(WebKitWebView* relatedTo, bool ephemeral);
  void SetUpContent();
  static void ApplyOfflineMode(bool offline);
  void Connect();
  void TraceFirstPaint();
  void UpdateCommandState();
  void ApplyOfflineFilter(bool on);
  bool RefuseWhileOffline(const std::string& url, bool byUser);
  void ShowErrorPage(const std::string& title, const std::string& reason, const std::string& url);

  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer p);
  static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError*, gpointer p);
  static void OnTitle(GObject*, GParamSpec*, gpointer p);
  static void OnProgress(GObject*, GParamSpec*, gpointer p);
  static void OnMouseTarget(WebKitWebView*, WebKitHitTestResult*, guint, gpointer p);
  static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer p);
  gboolean DecideResponse(WebKitResponsePolicyDecision* response);
  static GtkWidget* OnCreate(WebKitWebView*, WebKitNavigationAction*, gpointer p);
  static void OnReadyToShow(WebKitWebView*, gpointer p);
  static void OnClose(WebKitWebView*, gpointer p);
  static void OnCrashed(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer p);
  static gboolean OnScriptDialog(WebKitWebView*, WebKitScriptDialog*, gpointer p);
  static void OnWindowRequest(WebKitUserContentManager*, WebKitJavascriptResult*, gpointer p);
  void ChildAsked(const std::string& features);
  WebKitBrowser* SenderOf(const std::string& href);
  void EmitOpenRequests();
  void EmitGeometry(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                    std::optional<int> height);
  static void OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer);
  static gboolean OnTlsError(WebKitWebView*, gchar* failingUri, GTlsCertificate* certificate,
                             GTlsCertificateFlags errors, gpointer p);
  static gboolean OnPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer p);
  // True for the certificate page's accept link, which is taken when it is
  // this window's one-time link.
  bool AcceptCertificateLink(const std::string& url);
  static void OnHistoryChanged(WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer, gpointer p);
  void ConnectFind();
  void DisconnectCommands();
  static void OnFoundText(WebKitFindController*, guint matches, gpointer p);
  static void OnFindFailed(WebKitFindController*, gpointer p);

  WebKitWebView* view_ = nullptr;
  WebKitUserContentManager* content_ = nullptr;
  bool openedByPage_ = false;  // made for a page's window.open or link target
  bool shown_ = false;
  bool requestsEmitted_ = false;
  std::optional<std::string> openFeatures_;     // what the opener asked of this window
  std::optional<std::string> pendingFeatures_;  // asked before the engine made the window
  WebKitBrowser* lastChild_ = nullptr;          // checked against the live browsers before use
  Gtk::Widget* widget_ = nullptr;
  bool silent_ = false;
  bool canGoBack_ = false, canGoForward_ = false;
  bool failedLoadFinishing_ = false;
  GTlsCertificate* tlsCertificate_ = nullptr;  // of the certificate page shown last
  std::string tlsUri_, tlsNonce_;
  std::string requestedUri_;   // what the current load was asked for
  std::string ownNavigation_;  // the address the program itself asked for last
  std::string errorPageUri_;   // an error page being loaded for this address  // the end of a failed load; its error
                               // page follows
  bool findConnected_ = false;
  bool adFilterOn_ = false;
  WebKitUserStyleSheet* findStyle_ = nullptr;  // in force while a find runs
  // Engine work that finishes later holds a weak copy: once the browser is
  // gone, its answer is dropped.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
