// The running process's end of the instance channel: serves its marker
// window over the socket. The lock, the folder and the second start's side
// are in InstanceClient.h.
#pragma once

#include <memory>
#include <string>

#include "core/app/Marker.h"
#include "platform/InstanceClient.h"

// Running process: serves the marker over the socket from the main loop.
// One session at a time, so the hand-overs of two quick second starts cannot
// interleave; a silent or misbehaving peer is dropped.
class InstanceServer {
 public:
  explicit InstanceServer(MarkerPort& port);
  ~InstanceServer();
  InstanceServer(const InstanceServer&) = delete;
  InstanceServer& operator=(const InstanceServer&) = delete;

  // Binds the socket (replacing a stale one: the caller holds the lock).
  bool Listen(const std::string& socketPath, std::string* why = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
