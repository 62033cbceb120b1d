#include "platform/InstanceChannel.h"

#include <errno.h>
#include <glib-unix.h>
#include <glib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/InstanceSocket.h"

using instance_socket::FillAddress;
using instance_socket::kReadChunk;
using instance_socket::PeerUid;

namespace {

constexpr int kListenBacklog = 16;
constexpr unsigned kSessionTimeoutMs = 3000;  // a peer that goes quiet is dropped

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

}  // namespace

// ---- Server -------------------------------------------------------------------

struct InstanceServer::Impl {
  explicit Impl(MarkerPort& p) : port(p) {}
  ~Impl() {
    EndSession(false);
    if (listenSource) g_source_remove(listenSource);
    if (listenFd >= 0) {
      close(listenFd);
      unlink(socketPath.c_str());
    }
  }

  MarkerPort& port;
  std::string socketPath;
  int listenFd = -1;
  guint listenSource = 0;
  int sessionFd = -1;
  guint sessionSource = 0, timerSource = 0;
  LineBuffer buffer;

  void ArmListen() {
    if (listenFd >= 0 && listenSource == 0) listenSource = g_unix_fd_add(listenFd, G_IO_IN, OnListen, this);
  }

  // Ends the current session and takes the next waiting start.
  void EndSession(bool rearm = true) {
    if (sessionSource) g_source_remove(sessionSource);
    if (timerSource) g_source_remove(timerSource);
    sessionSource = timerSource = 0;
    if (sessionFd >= 0) close(sessionFd);
    sessionFd = -1;
    if (rearm) ArmListen();
  }

  static gboolean OnListen(gint fd, GIOCondition, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    const int peer = accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (peer < 0) return G_SOURCE_CONTINUE;
    uid_t uid = 0;
    if (!PeerUid(peer, uid) || !PeerAllowed(uid, geteuid())) {
      close(peer);
      return G_SOURCE_CONTINUE;
    }
    self->sessionFd = peer;
    self->buffer = LineBuffer();
    self->sessionSource =
        g_unix_fd_add(peer, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), OnSession, self);
    self->timerSource = g_timeout_add(kSessionTimeoutMs, OnSessionTimeout, self);
    // Other starts wait in the backlog until this one is done.
    self->listenSource = 0;
    return G_SOURCE_REMOVE;
  }

  static gboolean OnSessionTimeout(gpointer data) {
    auto* self = static_cast<Impl*>(data);
    self->timerSource = 0;  // this source ends by returning
    self->EndSession();
    return G_SOURCE_REMOVE;
  }

  static gboolean OnSession(gint fd, GIOCondition, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    char chunk[kReadChunk];
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return G_SOURCE_CONTINUE;
    if (n > 0 && !self->buffer.Append(chunk, static_cast<std::size_t>(n))) {
      self->EndSession();
      return G_SOURCE_REMOVE;
    }
    while (auto line = self->buffer.NextLine()) {
      const ServedLine served = ServeMarkerLine(*line, self->port);
      const bool sent = SendNow(fd, served.reply);
      if (sent && !served.endSession) continue;
      // The resize runs last: its handler may open windows or a message box
      // (with a main loop of its own), and by then this session is closed and
      // the next start may be served.
      const std::optional<int> resize = served.resizeTo;
      MarkerPort& port = self->port;
      self->EndSession();
      if (resize) port.ResizeMarkerWindow(*resize);
      return G_SOURCE_REMOVE;
    }
    if (n <= 0 || self->buffer.Overflowed()) {
      self->EndSession();
      return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
  }
};

InstanceServer::InstanceServer(MarkerPort& port) : impl_(std::make_unique<Impl>(port)) {}
InstanceServer::~InstanceServer() = default;

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
  if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || chmod(socketPath.c_str(), 0600) != 0 ||
      listen(fd, kListenBacklog) != 0) {
    SetWhy(why, Errno("cannot listen on " + socketPath));
    close(fd);
    return false;
  }
  impl_->listenFd = fd;
  impl_->socketPath = socketPath;
  impl_->ArmListen();
  return true;
}
