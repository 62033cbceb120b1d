// The marker socket under abuse: peers that stay silent, hang mid-line or
// mid-turn, flood it, arrive by the hundred or send garbage, a peer of
// another user, and script or data addresses handed over. The socket's
// owner keeps serving (its main loop never waits on a peer), holds little
// of what peers send, drops each bad session, and the next genuine second
// start still opens its window.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "gui/InstanceFixtures.h"
#include "support/Corruption.h"
#include "support/LoopbackServer.h"

namespace {

constexpr std::size_t kFlood = 10u << 20;

std::size_t OpenFds(pid_t pid) {
  std::error_code ec;
  std::size_t n = 0;
  for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
    ++n;
  return n;
}

long RssKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// A blocking connection, from a thread of its own; -1 when refused.
int ConnectFromThread(const std::string& socketPath) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Sends up to 10 MB without a line break; what got through before the peer
// was dropped, and why the sending stopped.
struct FloodResult {
  std::size_t sent = 0;
  int error = 0;
};

FloodResult Flood(const std::string& socketPath) {
  FloodResult r;
  const int fd = ConnectFromThread(socketPath);
  if (fd < 0) return {0, errno};
  const std::string chunk(64 * 1024, 'x');
  while (r.sent < kFlood) {
    const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
    if (n <= 0) {
      r.error = errno;
      break;
    }
    r.sent += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return r;
}

// Peers of four kinds, one after another as fast as they connect: garbage, a
// request cut off, a connection closed at once, and silence. Returns the ones
// kept open.
std::vector<int> Burst(const std::string& socketPath, int count, const std::function<void(int)>& atEach) {
  std::vector<int> open;
  for (int i = 0; i < count; ++i) {
    atEach(i);
    const int fd = ConnectFromThread(socketPath);
    if (fd < 0) continue;
    if (i % 4 == 0) {
      const auto noise = corruption::Garbage(300, static_cast<unsigned>(i));
      ::send(fd, noise.data(), noise.size(), MSG_NOSIGNAL);
    } else if (i % 4 == 1) {
      ::send(fd, "CAPTION /tmp/burst", 18, MSG_NOSIGNAL);
    } else if (i % 4 == 2) {
      ::close(fd);
      continue;
    }
    open.push_back(fd);
  }
  return open;
}

void CloseAll(std::vector<int>& fds) {
  for (const int fd : fds) ::close(fd);
  fds.clear();
}

// ---- The socket served in this process ------------------------------------------

TEST_F(InstanceSocket, SilentAndHalfLinePeersDoNotHoldUpAHandOver) {
  const int silent = Connect();
  const int half = Connect();
  ASSERT_EQ(::send(half, "CAPTION /tmp/half", 17, MSG_NOSIGNAL), 17);
  // Served at once, long before either peer's time is up.
  EXPECT_EQ(HandOver({"/tmp/after.htm"}, 2000), std::vector<HandOverResult>{HandOverResult::Delivered});
  EXPECT_EQ(marker_.resizes, (std::vector<std::pair<std::string, int>>{{"/tmp/after.htm", 500}}));
  // Then both are dropped for their silence, the half line never used.
  EXPECT_EQ(ReadUntilClosed(silent), "");
  EXPECT_EQ(ReadUntilClosed(half), "");
  EXPECT_EQ(server_->Stats().openSessions, 0u);
  EXPECT_EQ(server_->Stats().dropped, 2u);
  EXPECT_EQ(marker_.caption, MarkerCaption());
}

TEST_F(InstanceSocket, APeerThatStallsInItsTurnIsCutShort) {
  const int stalled = Connect();
  ASSERT_EQ(::send(stalled, "WIDTH?\n", 7, MSG_NOSIGNAL), 7);
  std::string got;
  ASSERT_TRUE(RunUntil([&] {
    char buf[64];
    const ssize_t n = ::recv(stalled, buf, sizeof buf, 0);
    if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    return got == "WIDTH 300\n";
  }));
  // Its turn ends it; the start waiting behind it is served in time.
  EXPECT_EQ(HandOver({"/tmp/next.htm"}, 4000), std::vector<HandOverResult>{HandOverResult::Delivered});
  EXPECT_EQ(ReadUntilClosed(stalled), "");
  EXPECT_EQ(marker_.resizes, (std::vector<std::pair<std::string, int>>{{"/tmp/next.htm", 500}}));
}

TEST_F(InstanceSocket, TenMegabytesWithoutALineBreakAreRefusedEarly) {
  FloodResult flood;
  std::atomic<bool> done{false};
  std::thread sender([&] {
    flood = Flood(paths_.socketPath);
    done = true;
  });
  EXPECT_TRUE(RunUntil([&] { return done.load(); }));
  sender.join();
  EXPECT_LT(flood.sent, kFlood);
  EXPECT_TRUE(flood.error == EPIPE || flood.error == ECONNRESET)
      << std::strerror(flood.error) << " after " << flood.sent << " bytes";
  EXPECT_LE(server_->Stats().peakBufferedBytes, LineBuffer().Capacity());
  EXPECT_EQ(HandOver({"/tmp/then.htm"}), std::vector<HandOverResult>{HandOverResult::Delivered});
}

TEST_F(InstanceSocket, MorePeersAtOnceThanItServesAndAGenuineStartAmongThem) {
  const std::size_t fdsBefore = OpenFds(::getpid());
  std::vector<int> peers;
  std::atomic<bool> burstDone{false}, startDone{false};
  HandOverResult start = HandOverResult::NoMarker;
  std::thread starter;
  std::thread burst([&] {
    // Half of them stay connected; more than the server takes at once.
    peers = Burst(paths_.socketPath, 2 * static_cast<int>(server_->MaxSessions()) + 100, [&](int i) {
      if (i == 100)
        starter = std::thread([&] {
          start = HandOverToMarker(paths_.socketPath, "/tmp/burst.htm", 4000);
          startDone = true;
        });
    });
    burstDone = true;
  });
  EXPECT_TRUE(RunUntil([&] { return burstDone && startDone; }, 30000));
  burst.join();
  starter.join();
  EXPECT_EQ(start, HandOverResult::Delivered);
  EXPECT_EQ(marker_.resizes, (std::vector<std::pair<std::string, int>>{{"/tmp/burst.htm", 500}}));
  const InstanceServerStats stats = server_->Stats();
  EXPECT_EQ(stats.peakSessions, server_->MaxSessions());
  EXPECT_LE(stats.peakBufferedBytes, server_->MaxSessions() * LineBuffer().Capacity());
  CloseAll(peers);
  EXPECT_TRUE(RunUntil([&] { return server_->Stats().openSessions == 0; }));
  EXPECT_TRUE(RunUntil([&] { return OpenFds(::getpid()) <= fdsBefore; })) << OpenFds(::getpid()) << " " << fdsBefore;
  std::printf("burst: %zu sessions at most, %zu bytes held at most, %zu dropped\n", stats.peakSessions,
              stats.peakBufferedBytes, server_->Stats().dropped);
}

TEST_F(InstanceSocket, GarbageLeavesTheMarkerAsItWas) {
  struct Row {
    const char* name;
    std::string bytes;
  };
  const auto noise = corruption::Garbage(5000, 7);
  const Row rows[] = {
      {"Noise", std::string(noise.begin(), noise.end())},
      {"Nuls", std::string("\0\0\0\n", 4)},
      {"WidthTooLarge", "WIDTH 999999\n"},
      {"CaptionWithoutText", "CAPTION\n"},
      // Writes the caption, then fails before the resize: the caption goes back.
      {"HandOverBrokenOff", "CAPTION?\nWIDTH?\nCAPTION /tmp/x\nHELLO\nWIDTH 500\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const int fd = Connect();
    ::send(fd, row.bytes.data(), row.bytes.size(), MSG_NOSIGNAL);
    const std::string reply = ReadUntilClosed(fd);
    EXPECT_TRUE(reply.empty() || reply.size() >= 4) << reply;
    EXPECT_EQ(reply.substr(reply.size() >= 4 ? reply.size() - 4 : 0), reply.empty() ? "" : "ERR\n");
  }
  EXPECT_TRUE(marker_.resizes.empty());
  EXPECT_EQ(marker_.caption, MarkerCaption());
}

// The folder and the socket keep other users out; should one get in all the
// same, the marker does not talk to it.
TEST_F(InstanceSocket, OnlyTheSameUserIdIsServed) {
  EXPECT_EQ(ModeOf(paths_.dir), 0700u);
  EXPECT_EQ(ModeOf(paths_.socketPath), 0600u);
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
  ASSERT_EQ(::chmod(rt_.path().c_str(), 0711), 0);
  ASSERT_EQ(::chmod(paths_.dir.c_str(), 0711), 0);
  ASSERT_EQ(::chmod(paths_.socketPath.c_str(), 0666), 0);
  const std::string path = paths_.socketPath;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Another user: 0 when the marker hung up without a word, 1 when it
    // answered, 2 when it could not even connect.
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    const int fd = ConnectFromThread(path);
    if (fd < 0) ::_exit(2);
    ::send(fd, "CAPTION?\n", 9, MSG_NOSIGNAL);
    pollfd p{fd, POLLIN, 0};
    char c;
    if (::poll(&p, 1, 10000) != 1) ::_exit(1);
    const ssize_t n = ::recv(fd, &c, 1, 0);
    ::_exit(n == 0 || (n < 0 && errno == ECONNRESET) ? 0 : 1);
  }
  int status = 0;
  EXPECT_TRUE(RunUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }));
  ::chmod(paths_.dir.c_str(), 0700);
  ::chmod(paths_.socketPath.c_str(), 0600);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(server_->Stats().refusedPeers, 1u);
  EXPECT_EQ(HandOver({"/tmp/own.htm"}), std::vector<HandOverResult>{HandOverResult::Delivered});
}

// ---- The real program -----------------------------------------------------------

// Whether the marker answers a caption request in time.
bool MarkerAnswers(const std::string& socketPath, int timeoutMs) {
  const int fd = ConnectFromThread(socketPath);
  if (fd < 0) return false;
  std::string got;
  bool ok = ::send(fd, "CAPTION?\n", 9, MSG_NOSIGNAL) == 9;
  const gint64 deadline = g_get_monotonic_time() + timeoutMs * 1000L;
  while (ok && got.find('\n') == std::string::npos) {
    pollfd p{fd, POLLIN, 0};
    const int left = static_cast<int>((deadline - g_get_monotonic_time()) / 1000);
    char buf[512];
    ssize_t n = 0;
    ok = left > 0 && ::poll(&p, 1, left) == 1 && (n = ::recv(fd, buf, sizeof buf, 0)) > 0;
    if (ok) got.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok && CaptionHasMarker(got);
}

TEST_F(SingleInstance, UnderAbuseTheProgramKeepsServingAndRefusesScriptAddresses) {
  LoopbackServer web;
  web.TitledPage("/script-ran", "A handed-over script ran");
  web.TitledPage("/data-ran", "A handed-over data page ran");
  StartFirst();
  const pid_t pid = first_->pid;
  const std::string dir = home_ / "run/skelvornax", socket = dir + "/marker.sock";
  EXPECT_EQ(ModeOf(dir), 0700u);
  EXPECT_EQ(ModeOf(socket), 0600u);
  RunFor(2000);  // the first window settles
  const long rssBefore = RssKb(pid);
  const std::size_t fdsBefore = OpenFds(pid);

  std::vector<int> held;
  std::atomic<int> floodsStopped{0};
  std::atomic<bool> abuseDone{false};
  std::thread abuse([&] {
    held.push_back(ConnectFromThread(socket));  // silent
    held.push_back(ConnectFromThread(socket));  // hangs in the middle of a line
    ::send(held.back(), "CAPTION /tmp/never", 18, MSG_NOSIGNAL);
    std::vector<std::thread> floods;
    for (int i = 0; i < 4; ++i) floods.emplace_back([&] { floodsStopped += Flood(socket).sent < kFlood ? 1 : 0; });
    for (int fd : Burst(socket, 200, [](int) {})) held.push_back(fd);
    for (auto& f : floods) f.join();
    abuseDone = true;
  });
  int probes = 0, answered = 0;
  long rssPeak = rssBefore;
  while (!abuseDone || probes < 10) {
    ++probes;
    answered += MarkerAnswers(socket, 3000) ? 1 : 0;
    rssPeak = std::max(rssPeak, RssKb(pid));
    RunFor(50);
  }
  abuse.join();
  EXPECT_EQ(answered, probes);
  EXPECT_EQ(floodsStopped, 4);
  CloseAll(held);
  // Every session is dropped: the descriptors go back to where they were.
  EXPECT_TRUE(RunUntil([&] { return OpenFds(pid) <= fdsBefore; }, 15000)) << OpenFds(pid) << " " << fdsBefore;
  EXPECT_LT(rssPeak - rssBefore, 32 * 1024) << "KiB";

  // Script and data addresses from second starts open no such page; the
  // genuine start after them opens its own.
  const std::string page = Page("after abuse.htm", "After the abuse");
  for (const std::string& arg :
       {"javascript:location.href='" + web.Url("/script-ran") + "'",
        "data:text/html,<script>location.href='" + web.Url("/data-ran") + "'</script>", page}) {
    Child* c = Start({arg});
    ASSERT_TRUE(c);
    ASSERT_TRUE(RunUntil([&] { return c->exited; }));
    EXPECT_TRUE(WIFEXITED(c->status) && WEXITSTATUS(c->status) == 0) << arg;
  }
  EXPECT_TRUE(RunUntil([&] { return Logged("After the abuse"); }, 30000));
  RunFor(1500);
  EXPECT_EQ(web.Requests("/script-ran"), 0);
  EXPECT_EQ(web.Requests("/data-ran"), 0);
  EXPECT_FALSE(first_->exited);
  std::printf("under abuse: %d of %d probes answered, RSS %ld -> peak %ld KiB, descriptors %zu -> %zu\n", answered,
              probes, rssBefore, rssPeak, fdsBefore, OpenFds(pid));
}

}  // namespace
