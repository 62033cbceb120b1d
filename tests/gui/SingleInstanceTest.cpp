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
#include <functional>
#include <iostream>
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
#include "gui/InstanceFixtures.h"
#include "platform/Dialogs.h"
#include "platform/InstanceChannel.h"
#include "platform/fakes/FakeBrowser.h"
#include "ui/app/Form8.h"
#include "ui/app/Main.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form3.h"

namespace {

const char* const kBusyText =
    "Can't Launch A New Browser Window While Options, Edit,\nOpen-About, Or App-Message Window Like This Is Open.";
const char* const kRunningText =
    "Your Browser Is Already Running.. If You\nWant To Launch A New Browser Window,\n"
    "Click The -Menu- Button. Then On The\nMenu Click -Launch A New Window-";

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
  EXPECT_EQ(SecondStart(paths_, {"/tmp/p.htm"}, 300), 0);  // after waiting that long for it
  SetMsgAnswerer({});
  EXPECT_EQ(answers.shown, std::vector<std::string>{kRunningText});
}

// The lock is held from the first moment of a start to the last of its end,
// the marker only while windows can open: a second start in between waits
// for the marker, or for the lock to come free (and then starts the program
// itself), instead of giving up at once.
TEST_F(InstanceSocket, ASecondStartDuringStartUpOrShutdownWaitsForTheMarkerOrTheFreeLock) {
  struct Row {
    const char* name;
    std::function<void()> meanwhile;  // what the first process does while the second waits
    HandOverResult result;
  };
  const Row rows[] = {
      {"start-up", [&] { server_ = std::make_unique<InstanceServer>(marker_), server_->Listen(paths_.socketPath); },
       HandOverResult::Delivered},
      {"shutdown", [&] { lock_.Release(); }, HandOverResult::Ended},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    server_.reset();
    ASSERT_TRUE(lock_.Held() || lock_.Acquire(paths_.lockPath) == InstanceLock::State::Acquired);
    marker_.resizes.clear();
    std::atomic<bool> done{false};
    HandOverResult result = HandOverResult::NoMarker;
    std::thread second([&] {
      result = HandOverToMarker(paths_.socketPath, "/tmp/early.htm", 20000,
                                [&] { return LockHeldElsewhere(paths_.lockPath); });
      done = true;
    });
    RunFor(300);
    EXPECT_FALSE(done);  // still waiting
    row.meanwhile();
    EXPECT_TRUE(RunUntil([&] { return done.load(); }, 25000));
    second.join();
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(marker_.resizes.size(), row.result == HandOverResult::Delivered ? 1u : 0u);
  }
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

// A message box counts as an "App-Message" window, and the About window as
// a secondary one: a hand-over is refused with the message, never taken and
// dropped, and its address waits for the next hand-over. Pages' own windows
// are left as they were.
TEST_F(MarkerWindow, RefusedUnderAMessageBoxOrTheAboutWindowAndNothingOfItIsLeftBehind) {
  Form8& marker = TheApp().Marker();
  Form1* first = OpenWindow(std::make_unique<FakeBrowser>());
  struct Row {
    const char* name;
    std::function<void(const std::function<void()>& handOver)> whileOpen;
  };
  const Row rows[] = {
      {"message box",
       [&](const std::function<void()>& handOver) {
         bool handedOver = false;
         SetMsgAnswerer([&](const std::string& text, MsgButtons) {
           answers_.shown.push_back(text);
           if (!handedOver) {
             handedOver = true;
             handOver();
           }
           return MsgAnswer::Ok;
         });
         first->Command6_Click();  // "You Are (NOT) CONNECTED ..."
         SetMsgAnswerer(answers_.Answerer());
       }},
      {"About window",
       [&](const std::function<void()>& handOver) {
         TheApp().OpenAbout(first);
         handOver();
         TheApp().About()->Form_QueryUnload();
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    answers_.shown.clear();
    row.whileOpen([&] {
      SecondStartOn(marker, "/tmp/handed over.htm");
      EXPECT_EQ(MainWindows().size(), 1u);
    });
    EXPECT_NE(std::find(answers_.shown.begin(), answers_.shown.end(), kBusyText), answers_.shown.end());
    EXPECT_EQ(MainWindows().size(), 1u);
    EXPECT_TRUE(Module1().CommandLineArg.empty());
    EXPECT_EQ(Module1().StartPageFlag, 1);
    EXPECT_EQ(Module1().BusyWindowOpen, 0);

    // A page's pop-up opening now gets its own page, not the handed-over one.
    first->WebBrowser1.NavigateNewWindow("http://popup.example/");
    ASSERT_EQ(MainWindows().size(), 2u);
    EXPECT_EQ(static_cast<FakeBrowser&>(MainWindows().back()->WebBrowser1).navigations,
              std::vector<std::string>{"http://popup.example/"});
    CloseWindow(MainWindows().back());

    SecondStartOn(marker, "");  // the next start opens what the refused one brought
    ASSERT_EQ(MainWindows().size(), 2u);
    EXPECT_EQ(LastNavigation(MainWindows().back()), "/tmp/handed over.htm");
    CloseWindow(MainWindows().back());
  }
}

// A window request turned down under a message box leaves neither the
// handed-over address nor a cleared start-page flag for the next window.
TEST_F(MarkerWindow, ANewWindowRefusedUnderAMessageBoxLeavesNoStateBehind) {
  Form1* first = OpenWindow(std::make_unique<FakeBrowser>());
  Module1State& m = Module1();
  m.CommandLineArg = "/tmp/handed over.htm";
  m.MsgBoxOpen = 1;
  first->NewApplWindo();
  m.MsgBoxOpen = 0;
  EXPECT_EQ(MainWindows().size(), 1u);
  EXPECT_TRUE(m.CommandLineArg.empty());
  EXPECT_EQ(m.StartPageFlag, 1);
  first->WebBrowser1.NavigateNewWindow("http://popup.example/");
  ASSERT_EQ(MainWindows().size(), 2u);
  EXPECT_EQ(LastNavigation(MainWindows().back()), "http://popup.example/");
  EXPECT_EQ(static_cast<FakeBrowser&>(MainWindows().back()->WebBrowser1).navigations.size(), 1u);
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

// A second start while the first is still starting: it finds the lock held
// before the first can take hand-overs, and waits for it (the first is held
// still a moment to be sure of that).
TEST_F(SingleInstance, ASecondStartDuringTheFirstStartUpOpensItsPageThere) {
  const std::string early = Page("early.htm", "Hand-over page E");
  first_ = Start({});
  ASSERT_TRUE(first_);
  ASSERT_TRUE(RunUntil([&] { return LockHeldElsewhere(home_ / "run/skelvornax/instance.lock"); }, 30000));
  ::kill(first_->pid, SIGSTOP);
  if (Exists(home_ / "run/skelvornax/marker.sock")) std::cout << "note: the first start was serving already\n";
  Child* second = Start({early});
  ASSERT_TRUE(second);
  RunFor(1500);
  EXPECT_FALSE(second->exited);  // waiting
  ::kill(first_->pid, SIGCONT);
  ASSERT_TRUE(RunUntil([&] { return second->exited; }, 40000));
  EXPECT_TRUE(WIFEXITED(second->status) && WEXITSTATUS(second->status) == 0);
  EXPECT_TRUE(RunUntil([&] { return Logged("Hand-over page E"); }, 30000));
  EXPECT_FALSE(first_->exited);
}

}  // namespace
