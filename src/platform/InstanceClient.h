// One running process per user: a lock file tells a second start that the
// program runs, and a Unix-domain socket next to it reaches the running
// process's marker window. Both live in a private (0700) folder under the
// user's runtime directory, and the socket serves only the same user id.
//
// This half needs GLib only: the launcher uses it to hand a second start's
// command line over without loading the toolkit or the web engine. The
// socket's server side is in InstanceChannel.h.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct InstancePaths {
  std::string dir;         // <runtime>/skelvornax, mode 0700
  std::string lockPath;    // held by the running process
  std::string socketPath;  // the marker's socket
};

// $XDG_RUNTIME_DIR, or GLib's fallback when that is unset.
std::string UserRuntimeDir();
// Creates (or tightens to 0700) the program's folder under the runtime
// directory. nullopt, with the reason, when it is not a folder of this user
// or the socket path would be too long.
std::optional<InstancePaths> PrepareInstanceDir(const std::string& runtimeDir, std::string* why = nullptr);

// Only the same user id may talk to the marker.
bool PeerAllowed(uid_t peer, uid_t self);

// The per-user lock, held for the life of the running process.
class InstanceLock {
 public:
  enum class State { Acquired, HeldElsewhere, Unavailable };
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  State Acquire(const std::string& lockPath);
  bool Held() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

// True while another process holds the lock.
bool LockHeldElsewhere(const std::string& lockPath);

// Second start: finds the marker over the socket and hands the command line
// over (caption first, then the alternating width). Runs before any window
// exists; every step is bounded by the time limit. With `stillRunning`, a
// marker that cannot be reached yet (the running process is starting) or
// any more (it is ending, or broke off the exchange) is tried again while
// that says the program runs, until the time limit; Ended when it stopped
// running meanwhile.
enum class HandOverResult { Delivered, NoMarker, Ended };
HandOverResult HandOverToMarker(const std::string& socketPath, const std::string& commandLine, int timeoutMs = 4000,
                                const std::function<bool()>& stillRunning = {});
// Hands each address over in turn (none: one empty command line, the start
// page). Stops at the first the marker does not take; returns how many it
// took, and in `last` how the last attempt went.
std::size_t HandOverAll(const std::string& socketPath, const std::vector<std::string>& addresses,
                        const std::function<bool()>& stillRunning = {}, int timeoutMs = 4000,
                        HandOverResult* last = nullptr);
