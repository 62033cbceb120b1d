// Fixtures of the single-instance tests: programs started with an
// environment of their own, the marker socket served in the test process,
// and the real program running in a private home.
#pragma once

#include <glib.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/app/Marker.h"
#include "core/app/SettingsRecord.h"
#include "core/history/HistoryRecord.h"
#include "gui/GuiTest.h"
#include "platform/InstanceChannel.h"
#include "ui/app/Main.h"

inline mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
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

// ---- The real program, in a home of its own ------------------------------------

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
