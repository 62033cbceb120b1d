#include "platform/InstanceChannel.h"

#include <errno.h>
#include <glib-unix.h>
#include <glib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <list>
#include <optional>

#include "platform/InstanceSocket.h"

using instance_socket::FillAddress;
using instance_socket::kReadChunk;
using instance_socket::PeerUid;

namespace {

constexpr int kListenBacklog = 64;
constexpr unsigned kIdleTimeoutMs = 3000;  // to send a first request after connecting
constexpr unsigned kTurnTimeoutMs = 2000;  // to finish once served (a hand-over takes milliseconds)
constexpr unsigned kAcceptPauseMs = 100;   // after the process ran out of descriptors
constexpr gint64 kSilentForUs = 500000;    // a peer silent this long may make room for another
constexpr int kAcceptsPerWake = 64;        // then the loop gets its turn again

void SetWhy(std::string* why, const std::string& text) {
  if (why) *why = text;
}

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

// Server side: never blocks; a reply that does not fit at once ends the session.
bool SendNow(int fd, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::size_t SessionLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 256;
  return std::clamp<std::size_t>(static_cast<std::size_t>(limit.rlim_cur / 8), 16, 256);
}

void RemoveSource(guint& id) {
  if (id) g_source_remove(id);
  id = 0;
}

}  // namespace

// ---- Server -------------------------------------------------------------------

struct InstanceServer::Impl {
  struct Session {
    Impl* server = nullptr;
    int fd = -1;
    guint readSource = 0, timerSource = 0;
    LineBuffer buffer;
    bool queued = false;                       // has a request and waits for its turn
    std::optional<std::string> captionBefore;  // set when it wrote the caption
    gint64 acceptedAt = 0;                     // monotonic microseconds
  };

  explicit Impl(MarkerPort& p) : port(p) {}
  ~Impl() {
    closing = true;
    while (!sessions.empty()) Drop(sessions.front().get());
    RemoveSource(listenSource);
    RemoveSource(pauseSource);
    RemoveSource(nextTurnSource);
    if (listenFd >= 0) {
      close(listenFd);
      unlink(socketPath.c_str());
    }
  }

  MarkerPort& port;
  std::string socketPath;
  int listenFd = -1;
  guint listenSource = 0, pauseSource = 0, nextTurnSource = 0;
  std::list<std::unique_ptr<Session>> sessions;  // oldest first
  std::deque<Session*> queue;                    // waiting for their turn, in order
  Session* turn = nullptr;                       // the session being served
  InstanceServerStats stats;
  const std::size_t maxSessions = SessionLimit();
  bool closing = false;

  void ArmListen() {
    if (closing || listenFd < 0 || listenSource != 0 || pauseSource != 0) return;
    listenSource = g_unix_fd_add(listenFd, G_IO_IN, OnListen, this);
  }

  void CountBuffered() {
    std::size_t total = 0;
    for (const auto& s : sessions) total += s->buffer.Buffered();
    stats.peakBufferedBytes = std::max(stats.peakBufferedBytes, total);
  }

  void Restart(Session* s, unsigned ms) {
    RemoveSource(s->timerSource);
    s->timerSource = g_timeout_add(ms, OnTimeout, s);
  }

  // Ends a session. Sources that are running now must be left to end by
  // their return value: the caller clears their id first.
  void Drop(Session* s) {
    RemoveSource(s->readSource);
    RemoveSource(s->timerSource);
    if (s->fd >= 0) close(s->fd);
    s->fd = -1;
    queue.erase(std::remove(queue.begin(), queue.end(), s), queue.end());
    if (turn == s) {
      turn = nullptr;
      // The next session is served from the loop, after the caller has
      // applied what this one asked for.
      if (!closing && !queue.empty() && nextTurnSource == 0) nextTurnSource = g_idle_add(OnNextTurn, this);
    }
    sessions.remove_if([s](const std::unique_ptr<Session>& p) { return p.get() == s; });
    stats.openSessions = sessions.size();
    ArmListen();
  }

  // Ends a session that did not finish its hand-over; a caption it wrote
  // would otherwise be taken up by the next start.
  void DropBad(Session* s) {
    ++stats.dropped;
    if (s->captionBefore && !closing) port.SetMarkerWindowCaption(*s->captionBefore);
    Drop(s);
  }

  // Makes room by dropping the oldest session that has asked nothing for a
  // while. A second start asks at once, so it is never the one to go.
  bool EvictSilent() {
    const gint64 now = g_get_monotonic_time();
    for (const auto& s : sessions) {
      if (s.get() != turn && !s->queued && !s->buffer.HasLine() && now - s->acceptedAt >= kSilentForUs) {
        DropBad(s.get());
        return true;
      }
    }
    return false;
  }

  void GiveTurn(Session* s) {
    turn = s;
    s->queued = false;
    Restart(s, kTurnTimeoutMs);
  }

  // Serves the session's waiting requests when it is its turn, or puts it in
  // the queue. False when the session has ended.
  bool Serve(Session* s) {
    if (s->buffer.Overflowed()) {
      DropBad(s);
      return false;
    }
    if (!s->buffer.HasLine()) return true;
    if (turn != s) {
      if (turn || !queue.empty()) {
        if (!s->queued) {
          s->queued = true;
          queue.push_back(s);
          RemoveSource(s->timerSource);  // it has asked: no longer silent
        }
        return true;
      }
      GiveTurn(s);
    }
    while (auto line = s->buffer.NextLine()) {
      const auto request = ParseRequest(*line);
      if (request && request->kind == MarkerRequest::SetCaption && !s->captionBefore)
        s->captionBefore = port.MarkerWindowCaption();
      const ServedLine served = ServeMarkerLine(*line, port);
      const bool sent = SendNow(s->fd, served.reply);
      if (sent && !served.endSession) continue;
      // The resize runs last: its handler may open windows or a message box,
      // and the next session must see the new width.
      const std::optional<int> resize = served.resizeTo;
      if (resize) ++stats.served;
      resize ? Drop(s) : DropBad(s);
      if (resize) port.ResizeMarkerWindow(*resize);
      return false;
    }
    if (s->buffer.Overflowed()) {
      DropBad(s);
      return false;
    }
    return true;
  }

  // Reads what the peer sent. False when the session has ended.
  bool Read(Session* s) {
    char chunk[kReadChunk];
    const ssize_t n = recv(s->fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n <= 0) {
      // Gone (or broken) before its exchange was done.
      DropBad(s);
      return false;
    }
    s->buffer.Append(chunk, static_cast<std::size_t>(n));
    CountBuffered();
    return Serve(s);
  }

  void Accept(int peer) {
    uid_t uid = 0;
    if (!PeerUid(peer, uid) || !PeerAllowed(uid, geteuid())) {
      ++stats.refusedPeers;
      close(peer);
      return;
    }
    auto owned = std::make_unique<Session>();
    Session* s = owned.get();
    s->server = this;
    s->fd = peer;
    s->acceptedAt = g_get_monotonic_time();
    sessions.push_back(std::move(owned));
    stats.openSessions = sessions.size();
    stats.peakSessions = std::max(stats.peakSessions, sessions.size());
    s->readSource = g_unix_fd_add(peer, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), OnReadable, s);
    Restart(s, kIdleTimeoutMs);
    // A start sends its first request right after connecting; reading it now
    // keeps it from being taken for a silent peer.
    Read(s);
  }

  static gboolean OnListen(gint fd, GIOCondition, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    for (int i = 0; i < kAcceptsPerWake; ++i) {
      if (self->sessions.size() >= self->maxSessions && !self->EvictSilent()) {
        // Nobody to drop yet: the rest wait in the backlog until a session
        // ends or a silent one has waited long enough.
        self->listenSource = 0;
        self->pauseSource = g_timeout_add(kAcceptPauseMs, OnPauseOver, self);
        return G_SOURCE_REMOVE;
      }
      const int peer = accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (peer >= 0) {
        self->Accept(peer);
        continue;
      }
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      // Out of descriptors or memory: pause instead of spinning on the socket.
      self->listenSource = 0;
      self->pauseSource = g_timeout_add(kAcceptPauseMs, OnPauseOver, self);
      return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
  }

  static gboolean OnPauseOver(gpointer data) {
    auto* self = static_cast<Impl*>(data);
    self->pauseSource = 0;
    self->ArmListen();
    return G_SOURCE_REMOVE;
  }

  static gboolean OnReadable(gint, GIOCondition, gpointer data) {
    auto* s = static_cast<Session*>(data);
    const guint self = s->readSource;
    s->readSource = 0;  // Drop must not remove the source that is running
    if (!s->server->Read(s)) return G_SOURCE_REMOVE;
    s->readSource = self;
    return G_SOURCE_CONTINUE;
  }

  static gboolean OnTimeout(gpointer data) {
    auto* s = static_cast<Session*>(data);
    s->timerSource = 0;
    s->server->DropBad(s);
    return G_SOURCE_REMOVE;
  }

  static gboolean OnNextTurn(gpointer data) {
    auto* self = static_cast<Impl*>(data);
    self->nextTurnSource = 0;
    while (!self->turn && !self->queue.empty()) {
      Session* next = self->queue.front();
      self->queue.pop_front();
      self->GiveTurn(next);
      self->Serve(next);
    }
    return G_SOURCE_REMOVE;
  }
};

InstanceServer::InstanceServer(MarkerPort& port) : impl_(std::make_unique<Impl>(port)) {}
InstanceServer::~InstanceServer() = default;

const InstanceServerStats& InstanceServer::Stats() const { return impl_->stats; }
std::size_t InstanceServer::MaxSessions() const { return impl_->maxSessions; }

bool InstanceServer::Listen(const std::string& socketPath, std::string* why) {
  sockaddr_un addr{};
  if (impl_->listenFd >= 0) {
    SetWhy(why, "already listening");
    return false;
  }
  if (!FillAddress(socketPath, addr)) {
    SetWhy(why, "socket path too long: " + socketPath);
    return false;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    SetWhy(why, Errno("socket"));
    return false;
  }
  unlink(socketPath.c_str());  // left by a process that ended without cleaning up
  // The file bind makes takes the socket's own mode (less the umask), so it
  // is never there with wider permissions, not even until the chmod.
  if (fchmod(fd, 0600) != 0 || bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      chmod(socketPath.c_str(), 0600) != 0 || listen(fd, kListenBacklog) != 0) {
    SetWhy(why, Errno("cannot listen on " + socketPath));
    close(fd);
    return false;
  }
  impl_->listenFd = fd;
  impl_->socketPath = socketPath;
  impl_->ArmListen();
  return true;
}
