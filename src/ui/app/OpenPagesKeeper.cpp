#include "ui/app/OpenPagesKeeper.h"

#include <algorithm>

#include "core/app/Module1.h"
#include "core/records/FileOps.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form5.h"

namespace {
constexpr std::size_t kListedInTip = 15;

bool Holds(const openpages::Pages& pages, const std::string& url) {
  return std::any_of(pages.begin(), pages.end(), [&url](const openpages::Page& p) { return p.url == url; });
}

// A window's page worth listing: not the blank page a window leaves for when
// it closes, nor the one a killed pop-up shows.
bool Listed(const std::string& url) {
  const Module1State& m = Module1();
  return openpages::Recordable(url) && url != m.DefPageUrl && url != m.KillPopPageUrl;
}

// The offered pages by title (or address), one a line, for the bar's tooltip.
std::string PageLines(const openpages::Pages& pages) {
  std::string lines;
  for (std::size_t i = 0; i < pages.size() && i < kListedInTip; ++i)
    lines += (i ? "\n" : "") + (pages[i].title.empty() ? pages[i].url : pages[i].title);
  if (pages.size() > kListedInTip) lines += "\n\u2026";
  return lines;
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
    if (w->RecordsItsPage() && Listed(url)) pages.push_back({url, w->PageTitle()});
  }
  // A private page is never written down, in either kind of window.
  if (Form5* full = app_.FullScreenWindow(); full && full->get_visible() && !full->WebBrowser1.IsPrivate()) {
    const std::string url = full->WebBrowser1.LocationURL();
    if (Listed(url)) pages.push_back({url, full->PageTitle()});
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
  window.ReopenBar1.Ask(offered_.size(), PageLines(offered_));
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
