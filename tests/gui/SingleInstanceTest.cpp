// One running process per user: the lock, the private folder, the marker
// socket and its peer check, the marker window's handler over the fake
// browser, the launcher's hand-over next to the browser's, and the real
// program started twice.
#include <errno.h>
#include <glib.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/app/Marker.h"
#include "core/app/Module1.h"
#include "core/app/SettingsRecord.h"
#include "core/history/HistoryRecord.h"
#include "gui/GuiTest.h"
#include "platform/Dialogs.h"
#include "platform/InstanceChannel.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/app/Form8.h"
#include "ui/app/Main.h"
#include "ui/browser/Form1.h"

namespace {

const char* const kBusyText =
    "Can't Launch A New Browser Window While Options, Edit,\nOpen-About, Or App-Message Window Like This Is Open.";
const char* const kRunningText =
    "Your Browser Is Already Running.. If You\nWant To Launch A New Browser Window,\n"
    "Click The -Menu- Button. Then On The\nMenu Click -Launch A New Window-";

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// ---- Folder, lock and peer check ----------------------------------------------

TEST(InstanceDir, CreatedPrivateAndTightenedWhenTooOpen) {
  TempDir rt;
  auto paths = PrepareInstanceDir(rt.path());
  ASSERT_TRUE(paths);
  EXPECT_EQ(ModeOf(paths->dir), 0700u);
  ASSERT_EQ(::chmod(paths->dir.c_str(), 0755), 0);
  paths = PrepareInstanceDir(rt.path());
  ASSERT_TRUE(paths);
  EXPECT_EQ(ModeOf(paths->dir), 0700u);
}

TEST(InstanceDir, RefusesWhatIsNotItsOwnFolder) {
  TempDir link, file, deep, elsewhere;
  ASSERT_EQ(::symlink(elsewhere.path().c_str(), (link / "skelvornax").c_str()), 0);
  WriteString(file / "skelvornax", "a file");
  // The last: the socket path would not fit an address.
  for (const std::string& rt : {link.path(), file.path(), deep / std::string(120, 'd')}) {
    std::string why;
    EXPECT_FALSE(PrepareInstanceDir(rt, &why)) << rt;
    EXPECT_FALSE(why.empty()) << rt;
  }
}

TEST(InstanceLock, HeldUntilReleased) {
  TempDir rt;
  const auto paths = PrepareInstanceDir(rt.path());
  ASSERT_TRUE(paths);
  InstanceLock first, second;
  EXPECT_EQ(first.Acquire(paths->lockPath), InstanceLock::State::Acquired);
  EXPECT_EQ(second.Acquire(paths->lockPath), InstanceLock::State::HeldElsewhere);
  EXPECT_FALSE(second.Held());
  first.Release();
  EXPECT_EQ(second.Acquire(paths->lockPath), InstanceLock::State::Acquired);
  EXPECT_EQ(ModeOf(paths->lockPath), 0600u);
}

TEST(InstancePeer, OnlyTheSameUserId) {
  EXPECT_TRUE(PeerAllowed(1000, 1000));
  EXPECT_FALSE(PeerAllowed(1001, 1000) || PeerAllowed(0, 1000) || PeerAllowed(1000, 0));  // not even root
}

// ---- Programs started by a test -------------------------------------------------

struct Child {
  GPid pid = 0;
  bool exited = false;
  int status = 0;
};

// Starts programs with an environment of their own and ends every one of
// them before the test does.
class ProgramTest : public GuiTest {
 protected:
  void SetUp() override { env_ = g_get_environ(); }
  void TearDown() override {
    // Every process this test started ends before its watch's data goes.
    for (auto& c : children_)
      if (!c->exited) ::kill(c->pid, SIGTERM);
    EXPECT_TRUE(RunUntil(
        [&] { return std::all_of(children_.begin(), children_.end(), [](const auto& c) { return c->exited; }); },
        20000));
    g_strfreev(env_);
  }
  void SetEnv(const char* name, const std::string& value) { env_ = g_environ_setenv(env_, name, value.c_str(), TRUE); }

  Child* Start(std::vector<std::string> args, std::string exe = SKELVORNAX_EXE) {
    std::vector<char*> argv = {exe.data()};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Child* child = children_.emplace_back(std::make_unique<Child>()).get();
    GError* error = nullptr;
    if (!g_spawn_async(nullptr, argv.data(), env_, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &child->pid, &error)) {
      ADD_FAILURE() << error->message;
      g_error_free(error);
      child->exited = true;
      return nullptr;
    }
    g_child_watch_add(
        child->pid,
        [](GPid pid, gint status, gpointer data) {
          auto* c = static_cast<Child*>(data);
          c->status = status;
          c->exited = true;
          g_spawn_close_pid(pid);
        },
        child);
    return child;
  }

  // Starts a program that should end by itself; -1 when it did not (or was killed).
  int ExitCodeOf(const std::vector<std::string>& args, const std::string& exe) {
    Child* c = Start(args, exe);
    if (!c || !RunUntil([&] { return c->exited; }, 20000)) return -1;
    return WIFEXITED(c->status) ? WEXITSTATUS(c->status) : -1;
  }

  // The launcher alone, in a folder without the browser program next to it.
  std::string LonelyLauncher(const TempDir& dir) {
    std::string copy = dir / "skelvornax";
    WriteBytes(copy, ReadBytes(SKELVORNAX_EXE));
    EXPECT_EQ(::chmod(copy.c_str(), 0700), 0);
    return copy;
  }

  char** env_ = nullptr;
  std::vector<std::unique_ptr<Child>> children_;
};

// ---- The socket, in this process ----------------------------------------------

// A marker that records each resize with the caption it found.
class RecordingMarker : public MarkerPort {
 public:
  std::string MarkerWindowCaption() const override { return caption; }
  void SetMarkerWindowCaption(const std::string& c) override { caption = c; }
  int MarkerWindowWidth() const override { return width; }
  void ResizeMarkerWindow(int w) override {
    width = w;
    resizes.emplace_back(caption, w);
    caption = MarkerCaption();
  }
  std::string caption = MarkerCaption();
  int width = kMarkerInitialWidthPx;
  std::vector<std::pair<std::string, int>> resizes;
};

// The lock held and the marker served here, as by a first process.
class InstanceSocket : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    SetEnv("XDG_RUNTIME_DIR", rt_.path());
    const auto p = PrepareInstanceDir(rt_.path());
    ASSERT_TRUE(p);
    paths_ = *p;
    ASSERT_EQ(lock_.Acquire(paths_.lockPath), InstanceLock::State::Acquired);
    server_ = std::make_unique<InstanceServer>(marker_);
    std::string why;
    ASSERT_TRUE(server_->Listen(paths_.socketPath, &why)) << why;
  }

  // Hand-overs from other threads, as second starts; the main loop serves them.
  std::vector<HandOverResult> HandOver(const std::vector<std::string>& commandLines, int timeoutMs = 10000) {
    std::vector<HandOverResult> results(commandLines.size(), HandOverResult::NoMarker);
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < commandLines.size(); ++i)
      threads.emplace_back([&, i] {
        results[i] = HandOverToMarker(paths_.socketPath, commandLines[i], timeoutMs);
        ++done;
      });
    const bool finished = RunUntil([&] { return done == static_cast<int>(commandLines.size()); }, timeoutMs + 5000);
    for (auto& t : threads) t.join();
    EXPECT_TRUE(finished);
    return results;
  }

  // A raw connection, for peers that do not follow the protocol.
  int Connect() {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, paths_.socketPath.c_str(), sizeof addr.sun_path - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << std::strerror(errno);
    return fd;
  }
  // Runs the loop until the server has answered and closed; returns all it sent.
  std::string ReadUntilClosed(int fd) {
    std::string got;
    EXPECT_TRUE(RunUntil([&] {
      char buf[256];
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
      return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }));
    ::close(fd);
    return got;
  }

  // What a program handed over for these arguments, one command line per
  // hand-over; nullopt when it handed nothing over (or did not end with 0).
  std::optional<std::vector<std::string>> HandedOverBy(const std::string& exe, const std::vector<std::string>& args) {
    const std::size_t before = marker_.resizes.size();
    const int code = ExitCodeOf(args, exe);
    if (code != 0 || marker_.resizes.size() == before) return std::nullopt;
    std::vector<std::string> lines;
    for (std::size_t i = before; i < marker_.resizes.size(); ++i) lines.push_back(marker_.resizes[i].first);
    return lines;
  }

  TempDir rt_, bin_;
  InstancePaths paths_;
  InstanceLock lock_;
  RecordingMarker marker_;
  std::unique_ptr<InstanceServer> server_;
};

TEST_F(InstanceSocket, QuickStartsAreServedInTurnAndAnEmptyLineKeepsTheCaption) {
  EXPECT_EQ(ModeOf(paths_.socketPath), 0600u);
  EXPECT_EQ(HandOver({"/tmp/a b/one.htm", "/tmp/two.htm"}), std::vector<HandOverResult>(2, HandOverResult::Delivered));
  EXPECT_EQ(HandOver({""}), std::vector<HandOverResult>{HandOverResult::Delivered});
  // Each resize saw its own start's caption and the widths alternated.
  ASSERT_EQ(marker_.resizes.size(), 3u);
  if (marker_.resizes[0].first == "/tmp/two.htm") std::swap(marker_.resizes[0].first, marker_.resizes[1].first);
  const std::vector<std::pair<std::string, int>> expected = {
      {"/tmp/a b/one.htm", 500}, {"/tmp/two.htm", 300}, {MarkerCaption(), 500}};
  EXPECT_EQ(marker_.resizes, expected);
}

TEST_F(InstanceSocket, AnswerWithoutTheMarkerTagIsNotAMarker) {
  marker_.caption = "some other window";
  EXPECT_EQ(HandOver({"/tmp/page.htm"}), std::vector<HandOverResult>{HandOverResult::NoMarker});
  EXPECT_TRUE(marker_.resizes.empty());
  EXPECT_EQ(marker_.caption, "some other window");
}

TEST_F(InstanceSocket, GarbageAndSilentPeersAreDroppedAndServingGoesOn) {
  int fd = Connect();
  ASSERT_EQ(::send(fd, "HELLO\nWIDTH 500\n", 16, MSG_NOSIGNAL), 16);
  EXPECT_EQ(ReadUntilClosed(fd), "ERR\n");  // the request after the garbage is never served

  fd = Connect();
  const std::string endless(kMaxMarkerLine + 100, 'x');
  ::send(fd, endless.data(), endless.size(), MSG_NOSIGNAL);
  EXPECT_EQ(ReadUntilClosed(fd), "");

  const int silent = Connect();  // holds the session until the server gives up on it
  EXPECT_EQ(HandOver({"/tmp/after.htm"}), std::vector<HandOverResult>{HandOverResult::Delivered});
  ::close(silent);
  ASSERT_EQ(marker_.resizes.size(), 1u);
  EXPECT_EQ(marker_.resizes[0], std::make_pair(std::string("/tmp/after.htm"), 500));
}

TEST_F(InstanceSocket, SecondStartWithoutAnsweringMarkerSaysTheProgramRuns) {
  server_.reset();  // the lock is held, but the first process is not listening (yet or any more)
  EXPECT_FALSE(Exists(paths_.socketPath));
  EXPECT_EQ(HandOverToMarker(paths_.socketPath, "/tmp/p.htm", 2000), HandOverResult::NoMarker);
  ScriptedAnswers answers;
  SetMsgAnswerer(answers.Answerer());
  EXPECT_EQ(SecondStart(paths_, {"/tmp/p.htm"}), 0);
  SetMsgAnswerer({});
  EXPECT_EQ(answers.shown, std::vector<std::string>{kRunningText});
}

// ---- The marker window's handler, over the fake browser -----------------------

class MarkerWindow : public GuiTest {
 protected:
  void SetUp() override {
    StartupInputs in = GatherStartupInputs("");
    in.appDir = SKELVORNAX_PROGRAM_DIR;
    Module1State& m = Module1();
    ASSERT_TRUE(PrepareStart(in, m)) << m.BootErrorText;
    m.Working.HoldNewWindowBox = 0;
    m.MsgBoxOpen = 0;
    m.BusyWindowOpen = 0;
    m.StartPageFlag = 1;
    m.CommandLineArg.clear();
    SetMsgAnswerer(answers_.Answerer());
  }
  void TearDown() override {
    SetMsgAnswerer({});
    Module1().BusyWindowOpen = 0;
    CloseAllMainWindows();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
  }
  // What a second start does to the marker.
  static void SecondStartOn(Form8& marker, const std::string& commandLine) {
    if (!commandLine.empty()) marker.SetMarkerWindowCaption(commandLine);
    marker.ResizeMarkerWindow(HandOverWidth(marker.MarkerWindowWidth()));
  }
  static std::string LastNavigation(Form1* w) {
    const auto& n = static_cast<FakeBrowser&>(w->WebBrowser1).navigations;
    return n.empty() ? "" : n.back();
  }
  ScriptedAnswers answers_;
};

TEST_F(MarkerWindow, RefusedWhileBusyThenTheNextStartOpensTheKeptAddress) {
  Form8& marker = TheApp().Marker();
  SecondStartOn(marker, "/tmp/page.htm");  // no main window: nothing happens
  EXPECT_TRUE(MainWindows().empty());
  EXPECT_TRUE(answers_.shown.empty());

  OpenWindow(std::make_unique<FakeBrowser>());
  Module1().BusyWindowOpen = 1;
  SecondStartOn(marker, "/tmp/kept page.htm");
  EXPECT_EQ(answers_.shown, std::vector<std::string>{kBusyText});
  EXPECT_EQ(MainWindows().size(), 1u);
  EXPECT_TRUE(CaptionHasMarker(marker.MarkerWindowCaption()));  // the next start still finds it

  Module1().BusyWindowOpen = 0;
  SecondStartOn(marker, "");
  ASSERT_EQ(MainWindows().size(), 2u);
  EXPECT_EQ(LastNavigation(MainWindows().back()), "/tmp/kept page.htm");
  EXPECT_EQ(answers_.shown.size(), 1u);

  // Once used, a start without arguments opens the start page again.
  SecondStartOn(marker, "");
  ASSERT_EQ(MainWindows().size(), 3u);
  EXPECT_EQ(LastNavigation(MainWindows().back()), Module1().Working.StartPage);
}

// ---- The launcher next to the browser, against the marker served here ---------------

TEST_F(InstanceSocket, LauncherHandsOverWhatTheBrowserWouldOrLeavesItToTheBrowser) {
  const std::string lonely = LonelyLauncher(bin_);
  // No toolkit option: the launcher alone hands over exactly what the browser
  // does, one window per address.
  using Lines = std::vector<std::string>;
  const std::string withBlank = rt_ / "a b.htm";
  WriteString(withBlank, "<title>x</title>");
  const std::pair<std::vector<std::string>, Lines> rows[] = {
      {{}, {MarkerCaption()}},  // an empty hand-over leaves the marker its caption
      {{"\"/tmp/a b/page.htm\""}, {"/tmp/a b/page.htm"}},
      {{"/tmp/a", "b.htm"}, {"/tmp/a", "b.htm"}},
      {{rt_ / "a", "b.htm"}, {withBlank}},  // an unquoted path with a blank stays one
      {{"https://e.org/?q=-x", "  "}, {"https://e.org/?q=-x"}}};
  for (const auto& [args, lines] : rows) {
    EXPECT_EQ(HandedOverBy(SKELVORNAX_BROWSER_EXE, args), lines) << args.size();
    EXPECT_EQ(HandedOverBy(lonely, args), lines);
  }
  // The toolkit takes these out before the browser hands over; the launcher
  // leaves them to it (alone, it finds no browser and fails).
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--class=Other", "/tmp/x.htm"}, {"--", "/tmp/y.htm"}}) {
    EXPECT_EQ(HandedOverBy(SKELVORNAX_BROWSER_EXE, args), Lines{args.back()}) << args.front();
    EXPECT_EQ(HandedOverBy(SKELVORNAX_EXE, args), Lines{args.back()});
    const std::size_t before = marker_.resizes.size();
    EXPECT_EQ(ExitCodeOf(args, lonely), 1);
    EXPECT_EQ(marker_.resizes.size(), before);
  }
}

TEST_F(InstanceSocket, LauncherWithoutAnAnsweringMarkerItIsLeftToTheBrowser) {
  server_.reset();  // the lock is held, but nobody serves the socket
  const std::string lonely = LonelyLauncher(bin_);
  // The launcher hands over nothing itself: alone it can only fail, with the lock held or free.
  EXPECT_EQ(ExitCodeOf({"/tmp/p.htm"}, lonely), 1);
  lock_.Release();
  EXPECT_EQ(ExitCodeOf({"/tmp/p.htm"}, lonely), 1);
}

// ---- The real program, twice ----------------------------------------------------

class SingleInstance : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    for (const char* d : {"run", "data", "config", "cache", "pages"}) MakeDirs(home_ / d);
    ::chmod((home_ / "run").c_str(), 0700);
    SetEnv("HOME", home_.path());
    for (const auto& [name, dir] : {std::pair{"XDG_DATA_HOME", "data"},
                                    {"XDG_CONFIG_HOME", "config"},
                                    {"XDG_CACHE_HOME", "cache"},
                                    {"XDG_RUNTIME_DIR", "run"}})
      SetEnv(name, home_ / dir);
    // The shipped settings keep no history; the pages' windows are seen in it.
    auto settings = LoadSettings(std::string(SKELVORNAX_PROGRAM_DIR) + "/skelvorn.ini");
    ASSERT_TRUE(settings);
    settings->HistoryDays = 7;
    MakeDirs(home_ / "data/skelvornax");
    ASSERT_TRUE(SaveSettings(home_ / "data/skelvornax/skelvorn.ini", *settings));
  }

  // A page whose title tells its window apart.
  std::string Page(const std::string& name, const std::string& title) {
    std::string path = home_ / ("pages/" + name);
    WriteString(path, "<html><head><title>" + title + "</title></head><body>" + title + "</body></html>");
    return path;
  }

  // A page is in the first process's history once a window of it loaded it.
  bool Logged(const std::string& title) const {
    const std::string dir = home_ / "data/skelvornax/History";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
      for (const HistoryRecord& r : ReadDayFile(entry.path().string()))
        if (r.Title == title) return true;
    return false;
  }

  // Started as users start it: the launcher, which becomes the browser.
  void StartFirst() {
    first_ = Start({});
    ASSERT_TRUE(first_);
    const std::string socket = home_ / "run/skelvornax/marker.sock";
    ASSERT_TRUE(RunUntil([&] { return Exists(socket) || first_->exited; }, 60000)) << "no marker socket";
    ASSERT_FALSE(first_->exited);
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(first_->pid) + "/exe", ec);
    EXPECT_EQ(exe.filename(), "skelvornax-browser") << exe;
  }

  TempDir home_;
  Child* first_ = nullptr;
};

// Two quick second starts: the launcher with a quoted path, and the launcher
// alone, without the browser program next to it.
TEST_F(SingleInstance, QuickSecondStartsOpenTheirPagesInTheRunningProcess) {
  StartFirst();
  TempDir bin;
  const std::string a = Page("hand over a.htm", "Hand-over page A");
  const std::string l = Page("lonely.htm", "Hand-over page L");
  Child* second = Start({"\"" + a + "\""});
  Child* third = Start({l}, LonelyLauncher(bin));
  ASSERT_TRUE(second && third);
  ASSERT_TRUE(RunUntil([&] { return second->exited && third->exited; }, 20000));
  for (const Child* c : {second, third}) EXPECT_TRUE(WIFEXITED(c->status) && WEXITSTATUS(c->status) == 0);
  EXPECT_TRUE(RunUntil([&] { return Logged("Hand-over page A") && Logged("Hand-over page L"); }, 30000))
      << "A " << Logged("Hand-over page A") << ", L " << Logged("Hand-over page L");
  EXPECT_FALSE(first_->exited);
}

}  // namespace
