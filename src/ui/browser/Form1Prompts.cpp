// Form1: what a page asks of the user. Downloads show their progress in the
// status bar (Esc or a click on it cancels) and say where the file went;
// permission requests get a question bar above the page, and no answer is
// a no.
#include <glibmm.h>

#include <algorithm>

#include "core/app/Module1.h"
#include "core/browser/Downloads.h"
#include "core/browser/Permissions.h"
#include "core/records/FileOps.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Network.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"

namespace {
enum DownloadDoneAnswer { kOpenFile = 1, kOpenFolder = 2 };

std::string FileUri(const std::string& path) {
  try {
    return Glib::filename_to_uri(path);
  } catch (const Glib::Error&) {
    return "";
  }
}
}  // namespace

void Form1::ConnectPromptEvents() {
  WebBrowser1.DownloadStarted.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_DownloadStarted));
  WebBrowser1.PermissionAsked.connect(sigc::mem_fun(*this, &Form1::WebBrowser1_PermissionAsked));
  PermissionBar.get_style_context()->add_class("question-bar");
  PermissionText.set_xalign(0);
  PermissionText.set_line_wrap(true);
  PermissionBar.set_border_width(6);
  PermissionBar.pack_start(PermissionText, true, true);
  PermissionBar.pack_start(PermissionAllow, false, false);
  PermissionBar.pack_start(PermissionDeny, false, false);
  PermissionBar.set_halign(Gtk::ALIGN_FILL);
  PermissionBar.set_valign(Gtk::ALIGN_START);
  PermissionBar.set_no_show_all(true);
  PermissionBar.show_all_children();
  PermissionAllow.signal_clicked().connect([this] { AnswerPermission(true); });
  PermissionDeny.signal_clicked().connect([this] { AnswerPermission(false); });
  FormArea.add_overlay(PermissionBar);
}

// ---- downloads ----

void Form1::WebBrowser1_DownloadStarted(const std::shared_ptr<FileDownload>& download) {
  FollowDownload(download);
  ShowDownloadStatus();
}

void Form1::FollowDownload(const std::shared_ptr<FileDownload>& download) {
  downloads_.push_back(download);
  FileDownload* d = download.get();
  download->Progress.connect(sigc::mem_fun(*this, &Form1::ShowDownloadStatus));
  download->Finished.connect(sigc::track_obj([this, d] { DownloadEnded(d, ""); }, *this));
  download->Failed.connect(sigc::track_obj([this, d](const std::string& why) { DownloadEnded(d, why); }, *this));
}

void Form1::AdoptDownloads(const std::vector<std::shared_ptr<FileDownload>>& downloads) {
  for (const auto& d : downloads) FollowDownload(d);
  ShowDownloadStatus();
}

namespace {
std::string NameOf(const FileDownload& d) { return d.Name().empty() ? std::string("file") : d.Name(); }

std::string EndText(const FileDownload& d, const std::string& failure) {
  if (failure == kDownloadCancelled) return "Download of " + NameOf(d) + " cancelled";
  if (!failure.empty()) return "Download of " + NameOf(d) + " failed: " + failure;
  return "Downloaded " + NameOf(d) + " to " + fileops::FolderOf(d.Path());
}
}  // namespace

// The newest running download's progress; the others show once it is done.
// A download that failed meanwhile is named beside it.
void Form1::ShowDownloadStatus() {
  downloadStatus_.clear();
  for (auto it = downloads_.rbegin(); it != downloads_.rend(); ++it) {
    if (!(*it)->Running()) continue;
    downloadStatus_ = DownloadProgressText(NameOf(**it), (*it)->Received(), (*it)->Total());
    if (!downloadNote_.empty()) downloadStatus_ += " | " + downloadNote_;
    ShowProgress(static_cast<int64_t>((*it)->Received()), static_cast<int64_t>((*it)->Total()));
    break;
  }
  if (downloadStatus_.empty()) ShowProgress(0, 0);  // the last one ended
  if (!downloadStatus_.empty()) StatusBar1.SetText(1, downloadStatus_);
}

void Form1::DownloadEnded(FileDownload* download, const std::string& failure) {
  const auto at = std::find_if(downloads_.begin(), downloads_.end(),
                               [download](const std::shared_ptr<FileDownload>& d) { return d.get() == download; });
  if (at == downloads_.end()) return;  // handed to another window
  downloads_.erase(at);
  const std::string text = EndText(*download, failure);
  const bool failed = !failure.empty() && failure != kDownloadCancelled;
  const std::string earlier = downloadNote_;
  if (failed) downloadNote_ = text;
  ShowDownloadStatus();
  if (downloadStatus_.empty()) {  // the last one ended
    StatusBar1.SetText(1, earlier.empty() ? text : text + " | " + earlier);
    downloadNote_.clear();
  }
  if (failure.empty()) ShowDownloadDone(download->Path());
}

bool Form1::CancelDownloads() {
  bool any = false;
  const auto running = downloads_;  // a copy: cancelling ends them
  for (const auto& d : running) {
    if (!d->Running()) continue;
    d->Cancel();
    any = true;
  }
  return any;
}

// A running download outlives its window: another main window takes it over
// and shows it. The last window asks: closing it ends the program, and with
// it the download, whose partial file then goes. False: the window stays.
bool Form1::LetDownloadsGo() {
  std::vector<std::shared_ptr<FileDownload>> running;
  for (const auto& d : downloads_)
    if (d->Running()) running.push_back(d);
  if (running.empty()) return true;
  for (Form1* w : app_.MainWindows()) {
    if (w == this || w->unloading_) continue;
    downloads_.clear();
    w->AdoptDownloads(running);
    return true;
  }
  const std::string what = running.size() == 1 ? "A Download Is Still Running (" + NameOf(*running.front()) + ")."
                                               : std::to_string(running.size()) + " Downloads Are Still Running.";
  if (MsgBox(what + "\nClosing The Last Window Cancels It. Close Anyway?", MsgButtons::YesNo, this) != MsgAnswer::Yes)
    return false;
  CancelDownloads();
  return true;
}

// Says where the file went and offers to open it or its folder; it does not
// hold up the window.
void Form1::ShowDownloadDone(const std::string& path) {
  downloadDone_ = std::make_unique<Gtk::MessageDialog>(*this, "Download finished", false, Gtk::MESSAGE_INFO,
                                                       Gtk::BUTTONS_NONE, false);
  downloadDone_->set_title(kAppTitle);
  downloadDone_->set_secondary_text(Glib::path_get_basename(path) + " is saved in " + fileops::FolderOf(path) + ".");
  downloadDone_->add_button("_Open", kOpenFile);
  downloadDone_->add_button("Open _Folder", kOpenFolder);
  downloadDone_->add_button("_Close", Gtk::RESPONSE_CLOSE);
  downloadDone_->set_default_response(Gtk::RESPONSE_CLOSE);
  downloadDone_->signal_response().connect(sigc::track_obj(
      [this, path](int answer) {
        if (answer == kOpenFile) OpenWithDefaultHandler(FileUri(path));
        if (answer == kOpenFolder) OpenWithDefaultHandler(FileUri(fileops::FolderOf(path)));
        downloadDone_->hide();
      },
      *this));
  downloadDone_->show();
}

// ---- permission requests ----

void Form1::WebBrowser1_PermissionAsked(std::shared_ptr<PermissionPrompt> prompt) {
  permissions_.push_back(std::move(prompt));
  if (permissions_.size() == 1) ShowNextPermission();
}

void Form1::ShowNextPermission() {
  permissionTimer_.disconnect();
  if (permissions_.empty()) {
    PermissionBar.hide();
    return;
  }
  const PermissionPrompt& p = *permissions_.front();
  PermissionText.set_text(PermissionQuestion(p.Host(), p.What()));
  PermissionBar.set_margin_top(Px(layout_.Browser.top));
  PermissionBar.show();
  PermissionDeny.grab_focus();
  // Left unanswered, the question goes away as a no.
  permissionTimer_ = Glib::signal_timeout().connect(
      sigc::bind_return(sigc::bind(sigc::mem_fun(*this, &Form1::AnswerPermission), false), false), permissionWaitMs_);
}

void Form1::AnswerPermission(bool allow) {
  if (permissions_.empty()) return;
  permissions_.front()->Answer(allow);
  permissions_.pop_front();
  ShowNextPermission();
}

// A new page does not inherit the old page's questions.
void Form1::DenyPendingPermissions() {
  while (!permissions_.empty()) AnswerPermission(false);
}
