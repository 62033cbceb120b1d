// A child process rewrites the lists, the settings record and the record of
// open pages, adds sites and logs pages in a loop, and is killed at random
// moments. After every kill each rewritten file holds exactly its old or its new content, an added
// site or logged page is there whole or not at all, and the next write
// leaves no temporary file behind.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/app/OpenPages.h"
#include "core/app/SettingsRecord.h"
#include "core/history/HistoryLog.h"
#include "core/records/FileOps.h"
#include "core/sitelists/ListFiles.h"
#include "support/TestDirs.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kKills = 300;
constexpr int kMaxDelayUs = 25000;   // a kill lands this long after the loop is running, at most
constexpr std::size_t kGrowTo = 48;  // sites added before the file starts again empty

struct Paths {
  explicit Paths(const std::string& base)
      : lists(base + "/SiteLists"),
        history(base + "/History"),
        cat(lists + "/CatList.dab"),
        sites(lists + "/Sites00001.dab"),
        grow(lists + "/Sites00002.dab"),
        dontKill(base + "/DontKill.dab"),
        ini(base + "/skelvorn.ini"),
        openPages(base + "/" + openpages::kFileName),
        root(base) {}
  std::string lists, history, cat, sites, grow, dontKill, ini, openPages, root;
};

// The two contents each rewritten file alternates between; of different
// sizes, so that a cut or a mix of the two shows.
struct Version {
  std::vector<CategoryRecord> cats;
  std::vector<SiteRecord> sites, dontKill;
  Settings settings;
  openpages::Pages openPages;
};

Version MakeVersion(int v) {
  Version out;
  const int n = v == 0 ? 3 : 41;
  for (int i = 0; i < n; ++i) {
    const std::string tag = std::to_string(v) + "." + std::to_string(i);
    out.cats.push_back({"Category " + tag, static_cast<int16_t>(i + 1)});
    out.sites.push_back({"Site " + tag, "http://example.org/" + tag});
    if (i < n / 2 + 1) out.dontKill.push_back({"Spared " + tag, "http://spared.org/" + tag});
    out.openPages.push_back({"https://open.org/" + tag, "Open " + tag});
  }
  out.settings.StartPage = "http://start.org/" + std::to_string(v);
  out.settings.HistoryDays = 7 + v;
  out.settings.MainWidth = 9000.0f + static_cast<float>(v);
  return out;
}

template <typename Record, typename Encode>
Bytes Concat(const std::vector<Record>& list, Encode encode) {
  Bytes all;
  for (const auto& r : list) {
    const auto b = encode(r);
    all.insert(all.end(), b.begin(), b.end());
  }
  return all;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// What each file must hold after a write of a version, byte for byte.
struct Expected {
  Bytes cat, sites, dontKill, ini, openPages;
};

Expected ExpectedBytes(const Version& v) {
  return {Concat(v.cats, EncodeCategory), Concat(v.sites, EncodeSite), Concat(v.dontKill, EncodeSite),
          EncodeSettings(v.settings), Text(openpages::Serialize(v.openPages))};
}

void WriteVersion(const Paths& p, const Version& v) {
  RewriteCategories(p.cat, v.cats);
  RewriteSites(p.sites, v.sites);
  RewriteDontKill(p.dontKill, v.dontKill);
  SaveSettings(p.ini, v.settings);
  openpages::Write(p.openPages, v.openPages);
}

std::string SiteName(std::size_t i) { return "Added " + std::to_string(i); }
std::string SiteUrl(std::size_t i) { return "http://added.org/" + std::to_string(i); }
std::string PageUrl(std::size_t i) { return "http://page.org/" + std::to_string(i); }

HistoryLogContext LogContext(const Paths& p) {
  HistoryLogContext ctx;
  ctx.historyDir = p.history;
  ctx.StoreDupUrls = 1;  // every visit a record of its own
  ctx.now = {2026, 12, 5, 10, 30, 0};
  return ctx;
}

std::string DayPath(const Paths& p) { return p.history + "/WB_12052026.hiz"; }

// One more page at the end of the day file.
void LogNextPage(const Paths& p) {
  const std::size_t n = ReadDayFile(DayPath(p)).size();
  LogHistoryPage(LogContext(p), "Page " + std::to_string(n), PageUrl(n));
}

// One more site at the end of the growing list (or the list starts again).
void AddNextSite(const Paths& p) {
  const std::size_t n = ReadSites(p.grow).size();
  if (n >= kGrowTo) {
    RewriteSites(p.grow, {});
  } else {
    AppendSite(p.grow, SiteName(n), SiteUrl(n));
  }
}

// The child: writes until it is killed. Tells the parent once it is looping.
[[noreturn]] void WriteForever(const Paths& p, const Version (&versions)[2], int readyFd) {
  for (unsigned long n = 0;; ++n) {
    WriteVersion(p, versions[n % 2]);
    AddNextSite(p);
    LogNextPage(p);
    if (n == 0) {
      const char ready = 'r';
      if (::write(readyFd, &ready, 1) != 1) ::_exit(3);
      ::close(readyFd);
    }
  }
}

std::size_t TempsIn(const std::string& dir) {
  std::size_t n = 0;
  for (const auto& name : fileops::ListNames(dir)) n += fileops::IsWriteTempName(name) ? 1 : 0;
  return n;
}

struct Tally {
  int kills = 0;
  int filesChecked = 0;
  int lostOrTorn = 0;
  int secondVersion = 0;   // rewritten files found holding the second version
  int tempsAfterKill = 0;  // temporary files a killed write left
  int tempsAfterWrite = 0;
  int tornDayTails = 0;  // a page append cut short
};

// Whether a rewritten file is whole: exactly one of the two versions.
void CheckRewritten(const std::string& path, const Bytes& a, const Bytes& b, Tally& t) {
  ++t.filesChecked;
  const auto got = fileops::ReadAll(path);
  if (got && (*got == a || *got == b)) {
    t.secondVersion += *got == b ? 1 : 0;
    return;
  }
  if (++t.lostOrTorn <= 5)
    ADD_FAILURE() << path << (got ? " holds " + std::to_string(got->size()) + " bytes of neither version" : " missing");
}

// Whether every added site and logged page is whole and in its place.
void CheckAppended(const Paths& p, Tally& t) {
  t.filesChecked += 2;
  const auto grow = fileops::ReadAll(p.grow);
  const auto sites = ReadSites(p.grow);
  bool ok = grow && grow->size() % list_layout::kSiteRecordSize == 0;
  for (std::size_t i = 0; ok && i < sites.size(); ++i) ok = sites[i] == SiteRecord{SiteName(i), SiteUrl(i)};
  const auto day = fileops::ReadAll(DayPath(p));
  const auto pages = ReadDayFile(DayPath(p));
  for (std::size_t i = 0; ok && i < pages.size(); ++i)
    ok = pages[i].URL == PageUrl(i) && pages[i].Hits == 1 && pages[i].Title == "Page " + std::to_string(i);
  if (day && day->size() % 512 != 0) ++t.tornDayTails;
  if (!ok && ++t.lostOrTorn <= 5) ADD_FAILURE() << "an added site or logged page is not whole or not in place";
}

void SleepUs(long us) {
  timespec ts{us / 1000000, (us % 1000000) * 1000};
  while (::nanosleep(&ts, &ts) != 0) {
  }
}

TEST(CrashInjection, KilledRewritesLeaveOldOrNewFilesAndNoTemporaryFiles) {
  TempDir dir;
  const Paths p(dir.path());
  MakeDirs(p.lists);
  MakeDirs(p.history);
  const Version versions[2] = {MakeVersion(0), MakeVersion(1)};
  const Expected want[2] = {ExpectedBytes(versions[0]), ExpectedBytes(versions[1])};
  WriteVersion(p, versions[0]);
  ASSERT_TRUE(RewriteSites(p.grow, {}));

  std::mt19937 random(20261205);  // fixed: a failure can be run again as it was
  std::uniform_int_distribution<long> delay(0, kMaxDelayUs);
  Tally t;
  for (int round = 0; round < kKills; ++round) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      WriteForever(p, versions, ready[1]);
    }
    ::close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    char byte = 0;
    const bool looping = ::poll(&wait, 1, 20000) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (looping) SleepUs(delay(random));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(looping) << "the writing child did not start";
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ++t.kills;

    CheckRewritten(p.cat, want[0].cat, want[1].cat, t);
    CheckRewritten(p.sites, want[0].sites, want[1].sites, t);
    CheckRewritten(p.dontKill, want[0].dontKill, want[1].dontKill, t);
    CheckRewritten(p.ini, want[0].ini, want[1].ini, t);
    CheckRewritten(p.openPages, want[0].openPages, want[1].openPages, t);
    CheckAppended(p, t);
    t.tempsAfterKill += static_cast<int>(TempsIn(p.lists) + TempsIn(p.root));

    // The next write into each folder clears what the killed one left.
    const Version& v = versions[round % 2];
    RewriteCategories(p.cat, v.cats);
    SaveSettings(p.ini, v.settings);
    openpages::Write(p.openPages, v.openPages);
    LogNextPage(p);
    t.tempsAfterWrite += static_cast<int>(TempsIn(p.lists) + TempsIn(p.root));
    const auto day = fileops::ReadAll(DayPath(p));
    EXPECT_TRUE(day && day->size() % 512 == 0) << "round " << round;
  }
  EXPECT_EQ(t.lostOrTorn, 0);
  EXPECT_EQ(t.tempsAfterWrite, 0);
  // Both versions were seen, so the kills did land in the middle of the writing.
  EXPECT_GT(t.secondVersion, 0);
  EXPECT_LT(t.secondVersion, t.kills * 5);
  std::printf(
      "kills %d, files checked %d, lost or torn %d, holding the second version %d, temporary files left "
      "by a kill %d (after the next write %d), torn page appends %d, pages logged %zu\n",
      t.kills, t.filesChecked, t.lostOrTorn, t.secondVersion, t.tempsAfterKill, t.tempsAfterWrite, t.tornDayTails,
      ReadDayFile(DayPath(p)).size());
}

}  // namespace
