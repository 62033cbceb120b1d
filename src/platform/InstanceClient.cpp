#include "platform/InstanceClient.h"

#include <errno.h>
#include <fcntl.h>
#include <glib.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "core/app/Marker.h"
#include "platform/InstanceSocket.h"

using instance_socket::FillAddress;
using instance_socket::kReadChunk;
using instance_socket::PeerUid;

namespace {

constexpr const char* kDirName = "skelvornax";
constexpr const char* kLockName = "instance.lock";
constexpr const char* kSocketName = "marker.sock";

void SetWhy(std::string* why, const std::string& text) {
  if (why) *why = text;
}

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

// Closes a descriptor when the client's exchange ends, however it ends.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

int RemainingMs(gint64 deadline) {
  const gint64 left = (deadline - g_get_monotonic_time()) / 1000;
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the descriptor is ready for the events or the deadline passes.
bool WaitFor(int fd, short events, gint64 deadline) {
  for (;;) {
    const int left = RemainingMs(deadline);
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    const int r = poll(&p, 1, left);
    if (r > 0) return true;
    if (r < 0 && errno != EINTR) return false;
  }
}

bool ConnectBefore(int fd, const sockaddr_un& addr, gint64 deadline) {
  for (;;) {
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return true;
    if (errno == EINTR) continue;
    if (errno == EINPROGRESS) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
      int error = 0;
      socklen_t len = sizeof error;
      return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
    if (errno != EAGAIN) return false;  // nobody listening, or no socket at all
    // The backlog is full: the marker serves one start at a time. Try again shortly.
    if (RemainingMs(deadline) <= 0) return false;
    poll(nullptr, 0, 10);
  }
}

bool SendAllBefore(int fd, const std::string& data, gint64 deadline) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// One request and its reply line.
std::optional<MarkerReply> Ask(int fd, LineBuffer& in, const MarkerRequest& request, gint64 deadline) {
  if (!SendAllBefore(fd, EncodeRequest(request), deadline)) return std::nullopt;
  for (;;) {
    if (auto line = in.NextLine()) return ParseReply(*line);
    if (in.Overflowed() || !WaitFor(fd, POLLIN, deadline)) return std::nullopt;
    char chunk[kReadChunk];
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n <= 0) return std::nullopt;
    if (!in.Append(chunk, static_cast<std::size_t>(n))) return std::nullopt;
  }
}

}  // namespace

namespace instance_socket {

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool PeerUid(int fd, uid_t& uid) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred) return false;
  uid = cred.uid;
  return true;
}

}  // namespace instance_socket

std::string UserRuntimeDir() {
  const char* env = std::getenv("XDG_RUNTIME_DIR");
  if (env && *env) return env;
  return g_get_user_runtime_dir();
}

std::optional<InstancePaths> PrepareInstanceDir(const std::string& runtimeDir, std::string* why) {
  if (runtimeDir.empty()) {
    SetWhy(why, "no runtime directory");
    return std::nullopt;
  }
  // The fallback (a cache folder) may not exist yet.
  if (g_mkdir_with_parents(runtimeDir.c_str(), 0700) != 0) {
    SetWhy(why, Errno("cannot create " + runtimeDir));
    return std::nullopt;
  }
  InstancePaths paths;
  paths.dir = runtimeDir + "/" + kDirName;
  if (mkdir(paths.dir.c_str(), 0700) != 0 && errno != EEXIST) {
    SetWhy(why, Errno("cannot create " + paths.dir));
    return std::nullopt;
  }
  struct stat st {};
  if (lstat(paths.dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetWhy(why, paths.dir + " is not a folder");
    return std::nullopt;
  }
  if (st.st_uid != geteuid()) {
    SetWhy(why, paths.dir + " belongs to another user");
    return std::nullopt;
  }
  if ((st.st_mode & 07777) != 0700 && chmod(paths.dir.c_str(), 0700) != 0) {
    SetWhy(why, Errno("cannot make " + paths.dir + " private"));
    return std::nullopt;
  }
  paths.lockPath = paths.dir + "/" + kLockName;
  paths.socketPath = paths.dir + "/" + kSocketName;
  sockaddr_un probe{};
  if (!FillAddress(paths.socketPath, probe)) {
    SetWhy(why, "socket path too long: " + paths.socketPath);
    return std::nullopt;
  }
  return paths;
}

bool PeerAllowed(uid_t peer, uid_t self) { return peer == self; }

// ---- Lock ---------------------------------------------------------------------

InstanceLock::~InstanceLock() { Release(); }

InstanceLock::State InstanceLock::Acquire(const std::string& lockPath) {
  Release();
  // Close-on-exec: the engine's helper processes and launched programs must
  // not keep the lock alive after this process ends.
  const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return State::Unavailable;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    fd_ = fd;
    return State::Acquired;
  }
  const bool held = errno == EWOULDBLOCK;
  close(fd);
  return held ? State::HeldElsewhere : State::Unavailable;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  close(fd_);  // closing the only descriptor drops the lock
  fd_ = -1;
}

// ---- Client -------------------------------------------------------------------

bool LockHeldElsewhere(const std::string& lockPath) {
  InstanceLock probe;
  return probe.Acquire(lockPath) == InstanceLock::State::HeldElsewhere;
}

namespace {

// How one exchange with the marker went.
enum class Exchange {
  Delivered,
  Unreachable,  // no socket, nobody listening, or the exchange broke off
  NotAMarker,   // someone answered, but not as the marker does
};

Exchange ExchangeOnce(const sockaddr_un& addr, const std::string& commandLine, gint64 deadline) {
  Fd sock(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (sock.get() < 0 || !ConnectBefore(sock.get(), addr, deadline)) return Exchange::Unreachable;
  uid_t server = 0;
  if (!PeerUid(sock.get(), server) || !PeerAllowed(server, geteuid())) return Exchange::NotAMarker;

  LineBuffer in;
  MarkerRequest request;
  request.kind = MarkerRequest::AskCaption;
  auto reply = Ask(sock.get(), in, request, deadline);
  if (!reply) return Exchange::Unreachable;
  if (reply->kind != MarkerReply::Caption || !CaptionHasMarker(reply->text)) return Exchange::NotAMarker;

  request.kind = MarkerRequest::AskWidth;
  reply = Ask(sock.get(), in, request, deadline);
  if (!reply) return Exchange::Unreachable;
  if (reply->kind != MarkerReply::Width) return Exchange::NotAMarker;
  const int newWidth = HandOverWidth(reply->width);

  // The caption first: the resize that follows is what makes the running
  // process read it.
  if (!commandLine.empty()) {
    request.kind = MarkerRequest::SetCaption;
    request.text = commandLine;
    reply = Ask(sock.get(), in, request, deadline);
    if (!reply) return Exchange::Unreachable;
    if (reply->kind != MarkerReply::Ok) return Exchange::NotAMarker;
  }
  request.kind = MarkerRequest::SetWidth;
  request.width = newWidth;
  reply = Ask(sock.get(), in, request, deadline);
  if (!reply) return Exchange::Unreachable;
  return reply->kind == MarkerReply::Ok ? Exchange::Delivered : Exchange::NotAMarker;
}

constexpr int kRetryPauseMs = 50;

}  // namespace

HandOverResult HandOverToMarker(const std::string& socketPath, const std::string& commandLine, int timeoutMs,
                                const std::function<bool()>& stillRunning) {
  const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
  sockaddr_un addr{};
  if (!FillAddress(socketPath, addr)) return HandOverResult::NoMarker;
  for (;;) {
    const Exchange e = ExchangeOnce(addr, commandLine, deadline);
    if (e == Exchange::Delivered) return HandOverResult::Delivered;
    if (e == Exchange::NotAMarker || !stillRunning) return HandOverResult::NoMarker;
    if (!stillRunning()) return HandOverResult::Ended;
    if (RemainingMs(deadline) <= kRetryPauseMs) return HandOverResult::NoMarker;
    poll(nullptr, 0, kRetryPauseMs);
  }
}

std::size_t HandOverAll(const std::string& socketPath, const std::vector<std::string>& addresses,
                        const std::function<bool()>& stillRunning, int timeoutMs, HandOverResult* last) {
  const std::vector<std::string> commandLines = addresses.empty() ? std::vector<std::string>{""} : addresses;
  std::size_t delivered = 0;
  HandOverResult result = HandOverResult::NoMarker;
  for (const auto& commandLine : commandLines) {
    result = HandOverToMarker(socketPath, commandLine, timeoutMs, stillRunning);
    if (result != HandOverResult::Delivered) break;
    ++delivered;
  }
  if (last) *last = result;
  return delivered;
}
