// In-page ad and tracker blocking for every web view of the program: the
// filter lists become one content filter, compiled once into the cache
// folder in the background; pages load unblocked until it is ready. Views
// made later (new, full-screen or private windows) get it as they are made.
#pragma once

#include <functional>
#include <string>

namespace adblocking {

struct Setup {
  std::string programDir;   // the shipped lists
  std::string userDataDir;  // downloaded lists, the allowed sites
  std::string cacheDir;     // the compiled filter
  bool enabled = true;
  // Making the filter anew costs seconds of work: it waits this long, so
  // that the first pages of a start load first.
  unsigned compileDelayMs = 5000;
};

enum class State { Off, Preparing, On, Failed };

// `changed` runs in the main loop whenever the state changes.
void Start(const Setup& setup, const std::function<void()>& changed);
void SetEnabled(bool on);
State Current();
// Whether the page at this address shows ads by the user's choice.
bool AllowedOn(const std::string& url);
// Allows or blocks ads on a host at once: the choice is saved, and every
// view showing that host loads again under it. False when it cannot be saved.
bool SetAllowed(const std::string& host, bool allowed);
// Reads the lists again (after an update) and compiles them when they changed.
void ReloadLists();

}  // namespace adblocking
