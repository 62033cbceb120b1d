// The History window searching a year of history (365 day files of 300
// distinct pages) with "Date Sort": the time from "Search" to a filled
// return list of about 110,000 rows, the longest the main loop was held up
// meanwhile (a 5 ms timer notes every gap), and what the process grew by
// for the rows (resident memory, after the first run). Needs a display: run
// it through scripts/headless.sh.
#include <gdk/gdk.h>
#include <gtkmm.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchProgram.h"
#include "core/app/Module1.h"
#include "core/app/Startup.h"
#include "core/history/HistoryRecord.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/app/App.h"
#include "ui/app/Main.h"
#include "ui/history/Form6.h"

namespace {

using Clock = std::chrono::steady_clock;

void WriteYear(const std::string& dir, int64_t today) {
  for (int ago = 0; ago < 365; ++ago) {
    std::ofstream out(dir + "/" + DayFileName(dates::FromDayNumber(today - ago)), std::ios::binary);
    for (int i = 0; i < 300; ++i) {
      HistoryRecord r;
      r.VisitTime = static_cast<double>(today - ago) + i / 400.0;
      r.Hits = 1;
      r.Title = "Page " + std::to_string(i) + " of day " + std::to_string(ago);
      r.Host = "site" + std::to_string((i * 7 + ago) % 400) + ".example.org";
      r.URL = "http://" + r.Host + "/" + std::to_string(ago) + "/" + std::to_string(i) + ".html";
      const auto bytes = EncodeHistoryRecord(r);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
}

// Resident memory of the process, in bytes.
double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  double pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

}  // namespace

int main() {
  gdk_set_allowed_backends("x11,*");
  App app;
  const std::string home = PrepareBenchProgram();
  Module1().StartPageFlag = 1;
  Module1().Working.HistoryDays = 365;
  const LocalDateTime now = dates::NowLocal();
  WriteYear(Module1().HistoryDir, dates::DayNumber(now.year, now.month, now.day));
  ::sync();  // the files' write-back would compete with the searches
  app.OpenMainWindow(std::make_unique<FakeBrowser>());
  Form6& f = app.OpenHistory();
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);

  const double before = ResidentBytes();
  for (int run = 0; run < 3; ++run) {
    f.Combo1.set_active(0);  // 0-365 Days Ago
    f.Combo2.set_active(static_cast<int>(SearchMode::DateSort));
    double longestGap = 0;
    Clock::time_point last = Clock::now();
    sigc::connection ticker = Glib::signal_timeout().connect(
        [&] {
          const Clock::time_point t = Clock::now();
          longestGap = std::max(longestGap, std::chrono::duration<double, std::milli>(t - last).count());
          last = t;
          return true;
        },
        5);
    const Clock::time_point start = last = Clock::now();
    f.ImgButton1_Click();
    while (f.Searching()) g_main_context_iteration(nullptr, TRUE);
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ticker.disconnect();
    std::printf("run %d: %d rows in %.0f ms (target <= 100), longest main-loop gap %.1f ms (target <= 16)\n", run + 1,
                f.ListView2.RowCount(), total, longestGap);
    if (run == 0) {
      const double rows = f.ListView2.RowCount();
      std::printf(
          "  resident memory grew by %.0f B/row: the rows' own %.1f B/row, %.1f B/row of records kept, the rest "
          "the list's\n",
          (ResidentBytes() - before) / rows, static_cast<double>(f.ReturnRows().OwnBytes()) / rows,
          static_cast<double>(f.ReturnRows().KeptBytes()) / rows);
    }
  }
  app.CloseHistory();
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
  std::filesystem::remove_all(home);
  return 0;
}
