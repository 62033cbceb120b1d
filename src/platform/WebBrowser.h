// The browser component as the windows see it. One implementation drives
// WebKitGTK; a fake with the same interface drives window tests that need
// no pages. Window code never talks to the engine directly.
#pragma once

#include <gtkmm.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/browser/ErrorPages.h"
#include "core/browser/PageCommands.h"
#include "platform/SiteData.h"

// A file the engine saves for a page, in the user's download folder.
class FileDownload {
 public:
  virtual ~FileDownload() = default;
  virtual std::string Name() const = 0;  // as saved ("" until the engine knows)
  virtual std::string Path() const = 0;  // where it is saved ("" until decided)
  virtual uint64_t Received() const = 0;
  virtual uint64_t Total() const = 0;  // 0 when the server did not say
  virtual bool Running() const = 0;
  virtual void Cancel() = 0;  // a cancelled download leaves no partial file
  sigc::signal<void> Progress;
  sigc::signal<void> Finished;
  sigc::signal<void, const std::string&> Failed;  // why; kDownloadCancelled when cancelled
};
inline const char* const kDownloadCancelled = "cancelled";

// A page asks for something only the user may grant (location, camera,
// notifications ...). Unanswered, it is denied when the prompt goes away.
class PermissionPrompt {
 public:
  virtual ~PermissionPrompt() = default;
  virtual std::string Host() const = 0;
  virtual std::string What() const = 0;  // "use your location"
  virtual void Answer(bool allow) = 0;   // remembered for the host until the program ends
  virtual bool Answered() const = 0;
};

class WebBrowser {
 public:
  virtual ~WebBrowser() = default;

  virtual Gtk::Widget& Widget() = 0;
  virtual void Navigate(const std::string& url) = 0;
  virtual void Refresh2(int level) = 0;  // 0 normal, 1 if expired, 3 completely
  virtual void Stop() = 0;
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  virtual std::string LocationURL() const = 0;
  virtual std::string LocationName() const = 0;
  virtual void SetSilent(bool silent) = 0;
  // A browser for a window that a page or the user asked to open from this one.
  virtual std::unique_ptr<WebBrowser> CreateRelated() = 0;
  // A browser for a new private window: nothing of its pages reaches the
  // disk. The windows it opens (CreateRelated) are private too.
  virtual std::unique_ptr<WebBrowser> CreatePrivate() = 0;
  virtual bool IsPrivate() const = 0;
  // What the engine keeps of visited sites in its lasting store.
  virtual std::unique_ptr<SiteData> CreateSiteData() = 0;
  // Made because a page asked for a window (not the user).
  virtual bool OpenedByPage() const { return false; }

  // Page commands.
  virtual void SetTextSize(int level) = 0;  // text-only zoom, TextZoom(level)
  virtual void SelectAll() = 0;
  // Find on the page: the first match of a new text, or the next or previous
  // one, wrapping round. Answers with FindFound(matches) or FindFailed.
  virtual void Find(const std::string& text, bool matchCase, FindStep step) = 0;
  virtual void FindFinish() = 0;  // takes the match highlighting away
  // The engine's print dialog, over `parent`; `done` hears how printing went
  // (not called when the dialog is cancelled).
  virtual void Print(Gtk::Window* parent, const std::function<void(bool ok)>& done) = 0;
  // Prints to a PDF file with set settings, without a dialog.
  virtual void PrintToFile(const std::string& path, const std::function<void(bool ok)>& done) = 0;
  // Saves the page: a path ending ".html" or ".htm" gets the document
  // alone, any other a web archive of the page with its images.
  virtual void SaveAs(const std::string& path, const std::function<void(bool ok)>& done) = 0;
  // What the properties dialog shows; `done` runs once it is all known.
  virtual void PageProperties(const std::function<void(const PageInfo&)>& done) = 0;

  // Events. Handlers run on the UI thread.
  // url, flags (kNavigateByUser: a click or key in the page), cancel.
  sigc::signal<void, const std::string&, int, bool&> BeforeNavigate2;
  sigc::signal<void, const std::string&> NavigateComplete2;
  sigc::signal<void, const std::string&> DocumentComplete;
  sigc::signal<void, const std::string&> TitleChange;
  sigc::signal<void, const std::string&> StatusTextChange;
  sigc::signal<void, long, long> ProgressChange;     // progress, maximum
  sigc::signal<void, int, bool> CommandStateChange;  // kCommandForward or kCommandBack, enabled
  sigc::signal<void> DownloadBegin;
  sigc::signal<void> DownloadComplete;
  sigc::signal<void, const std::string&, int> NavigateError;  // url, status
  sigc::signal<void> ReadyToShow;                             // a page-requested window may appear
  sigc::signal<void, int> WindowSetLeft, WindowSetTop, WindowSetWidth, WindowSetHeight;
  sigc::signal<void, bool> OnToolBar, OnStatusBar;
  sigc::signal<void> WindowClosing;
  sigc::signal<void, unsigned> FindFound;  // how many matches the page holds
  sigc::signal<void> FindFailed;
  // A download this browser's page started; nothing downloads unseen.
  sigc::signal<void, std::shared_ptr<FileDownload>> DownloadStarted;
  // A page's request for a permission the user has not answered for its host yet.
  sigc::signal<void, std::shared_ptr<PermissionPrompt>> PermissionAsked;

  // NewWindow2: the host makes the window and returns its browser (created
  // with CreateRelated), or nullptr to refuse the new window.
  std::function<WebBrowser*()> NewWindow2;

  // Navigate with the target "_blank": the page opens in a new window.
  // False when the host refused the window.
  bool NavigateNewWindow(const std::string& url);
};

constexpr int kNavigateByUser = 1;
// The commands CommandStateChange reports.
constexpr int kCommandForward = 1, kCommandBack = 2;

// Status numbers reported by NavigateError besides HTTP status codes.
constexpr int kStatusResourceNotFound = static_cast<int>(0x800C0005u);
constexpr int kStatusLoadFailed = static_cast<int>(0x800C000Eu);

// The error page shown for a failed load, or for a page whose web process died.
std::string ErrorPageHtml(const std::string& title, const std::string& reason, const std::string& url);

// What the certificate page tells about a site's certificate.
struct CertificateFacts {
  std::string host;
  std::vector<std::string> problems;  // plain sentences
  std::string subject, issuer, validFrom, validUntil;
};
// The page shown instead of a site whose certificate is not trusted: the
// reasons, the certificate, and a button to accept it for this run only.
std::string CertificatePageHtml(const CertificateFacts& facts, const std::string& url, const std::string& acceptHref);
