// The running process's end of the instance channel: serves its marker
// window over the socket. The lock, the folder and the second start's side
// are in InstanceClient.h.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "core/app/Marker.h"
#include "platform/InstanceClient.h"

// What the server has seen, for tests and diagnostics.
struct InstanceServerStats {
  std::size_t openSessions = 0, peakSessions = 0;
  std::size_t peakBufferedBytes = 0;  // peer bytes held at once, all sessions together
  std::size_t served = 0;             // sessions that ended with a resize request
  std::size_t dropped = 0;            // sessions ended for silence, stalling, garbage or overflow
  std::size_t refusedPeers = 0;       // connections from another user id
};

// Running process: serves the marker over the socket from the main loop,
// which never waits on a peer. Many peers may be connected at once, but only
// one is served at a time, in the order their first request came, so the
// hand-overs of two quick second starts cannot interleave. A peer that sends
// no request in time, stalls during its turn, sends garbage or more than a
// line's worth is dropped, and a caption it wrote without finishing its
// hand-over is taken back. When too many are connected, the oldest peer that
// has been silent for a while makes room (a second start asks at once), or
// the next ones wait in the backlog.
class InstanceServer {
 public:
  explicit InstanceServer(MarkerPort& port);
  ~InstanceServer();
  InstanceServer(const InstanceServer&) = delete;
  InstanceServer& operator=(const InstanceServer&) = delete;

  // Binds the socket (replacing a stale one: the caller holds the lock).
  bool Listen(const std::string& socketPath, std::string* why = nullptr);
  const InstanceServerStats& Stats() const;
  // Peers connected at once, at the most: an eighth of the descriptors the
  // process may open, within 16..256, so that a burst cannot starve the rest
  // of the program of them.
  std::size_t MaxSessions() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
