// Form1: what a page asks of the user. Downloads show their progress in the
// status bar (Esc or a click on it cancels) and say where the file went;
// permission requests get a question bar above the page, and no answer is
// a no.
#include <glibmm.h>

#include "core/app/Module1.h"
#include "core/browser/Downloads.h"
#include "core/browser/Permissions.h"
#include "core/records/FileOps.h"
#include "platform/Desktop.h"
#include "platform/Network.h"
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
  StatusBar1.PanelClick.connect(sigc::mem_fun(*this, &Form1::StatusBar1_PanelClick));
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
  downloads_.push_back(download);
  FileDownload* d = download.get();
  download->Progress.connect(sigc::mem_fun(*this, &Form1::ShowDownloadStatus));
  download->Finished.connect(sigc::track_obj([this, d] { DownloadEnded(d, ""); }, *this));
  download->Failed.connect(sigc::track_obj([this, d](const std::string& why) { DownloadEnded(d, why); }, *this));
  ShowDownloadStatus();
}

// The newest running download's progress; the others show once it is done.
void Form1::ShowDownloadStatus() {
  downloadStatus_.clear();
  for (auto it = downloads_.rbegin(); it != downloads_.rend(); ++it) {
    if (!(*it)->Running()) continue;
    const std::string name = (*it)->Name().empty() ? std::string("file") : (*it)->Name();
    downloadStatus_ = DownloadProgressText(name, (*it)->Received(), (*it)->Total());
    ShowProgress(static_cast<int64_t>((*it)->Received()), static_cast<int64_t>((*it)->Total()));
    break;
  }
  if (downloadStatus_.empty()) ShowProgress(0, 0);  // the last one ended
  if (!downloadStatus_.empty()) StatusBar1.SetText(1, downloadStatus_);
}

void Form1::DownloadEnded(FileDownload* download, const std::string& failure) {
  const std::string name = download->Name(), path = download->Path();
  for (auto it = downloads_.begin(); it != downloads_.end(); ++it) {
    if (it->get() != download) continue;
    downloads_.erase(it);
    break;
  }
  ShowDownloadStatus();
  if (!downloadStatus_.empty()) return;  // another one still runs
  if (failure == kDownloadCancelled) {
    StatusBar1.SetText(1, "Download of " + name + " cancelled");
  } else if (!failure.empty()) {
    StatusBar1.SetText(1, "Download of " + name + " failed: " + failure);
  } else {
    StatusBar1.SetText(1, "Downloaded " + name + " to " + fileops::FolderOf(path));
    ShowDownloadDone(path);
  }
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

void Form1::StatusBar1_PanelClick(int panel) {
  if (panel == 1) CancelDownloads();
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
