#include "ui/app/OpenPagesKeeper.h"

#include <algorithm>

#include "core/app/Module1.h"
#include "core/records/FileOps.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form5.h"

namespace {
bool Holds(const openpages::Pages& pages, const std::string& url) {
  return std::any_of(pages.begin(), pages.end(), [&url](const openpages::Page& p) { return p.url == url; });
}
}  // namespace

OpenPagesKeeper::OpenPagesKeeper(App& app) : app_(app) {}

OpenPagesKeeper::~OpenPagesKeeper() { idle_.disconnect(); }

void OpenPagesKeeper::Start(const std::string& userDataDir, std::chrono::milliseconds gap) {
  Stop();  // a writer of an earlier start finishes first
  path_ = fileops::Join(userDataDir, openpages::kFileName);
  offered_ = openpages::Read(path_);
  anyRecorded_ = false;
  writer_ = std::make_unique<openpages::Writer>(path_, gap);
}

void OpenPagesKeeper::Stop() {
  idle_.disconnect();
  writer_.reset();
}

void OpenPagesKeeper::Changed() {
  if (!writer_ || idle_.connected()) return;
  idle_ = Glib::signal_idle().connect(sigc::bind_return(sigc::mem_fun(*this, &OpenPagesKeeper::RecordNow), false));
}

openpages::Pages OpenPagesKeeper::OpenNow() const {
  openpages::Pages pages;
  for (Form1* w : app_.MainWindows()) {
    const std::string url = w->WebBrowser1.LocationURL();
    if (w->RecordsItsPage() && openpages::Recordable(url)) pages.push_back({url, w->PageTitle()});
  }
  if (Form5* full = app_.FullScreenWindow(); full && full->get_visible()) {
    const std::string url = full->WebBrowser1.LocationURL();
    if (openpages::Recordable(url)) pages.push_back({url, full->PageTitle()});
  }
  return pages;
}

void OpenPagesKeeper::RecordNow() {
  idle_.disconnect();
  if (!writer_) return;
  openpages::Pages pages = OpenNow();
  // An offer not yet answered stays in the record, so that a second crash
  // does not lose it.
  for (const openpages::Page& p : offered_)
    if (!Holds(pages, p.url)) pages.push_back(p);
  // A reload or a page that loads again changes nothing on disk.
  if (anyRecorded_ && pages == lastRecorded_) return;
  anyRecorded_ = true;
  lastRecorded_ = pages;
  writer_->Record(std::move(pages));
}

void OpenPagesKeeper::Ended() {
  idle_.disconnect();
  offered_.clear();
  if (!writer_) return;
  writer_->Remove();
  anyRecorded_ = true;
  lastRecorded_.clear();
}

void OpenPagesKeeper::Offer(Form1& window) {
  if (offered_.empty()) return;
  window.ReopenBar1.Reopened.connect(sigc::mem_fun(*this, &OpenPagesKeeper::Reopen));
  window.ReopenBar1.Declined.connect(sigc::mem_fun(*this, &OpenPagesKeeper::Forget));
  window.ReopenBar1.Ask(offered_.size());
}

// Each page in a main window of its own, as a second start opens one.
void OpenPagesKeeper::Reopen() {
  const openpages::Pages pages = std::move(offered_);
  offered_.clear();
  Module1State& m = Module1();
  for (const openpages::Page& p : pages) {
    m.CommandLineArg = p.url;
    app_.OpenNewMainWindow();
  }
  m.CommandLineArg.clear();
  Changed();
}

void OpenPagesKeeper::Forget() {
  offered_.clear();
  Changed();
}

void OpenPagesKeeper::Flush() {
  if (idle_.connected()) RecordNow();
  if (writer_) writer_->Flush();
}
