// skelvornax as users start it. A second start hands its command line to the
// running process with nothing but GLib loaded, so it ends quickly; anything
// else replaces this process with the browser program, which repeats the
// checks itself (and says so when the running process does not answer).
#include <optional>
#include <string>

#include "core/app/CommandLine.h"
#include "core/records/FileOps.h"
#include "launcher/Launcher.h"
#include "platform/InstanceClient.h"

#ifndef SKELVORNAX_BROWSER_PATH
#error "SKELVORNAX_BROWSER_PATH: where the browser program is installed"
#endif

namespace {

bool HandedOver(int argc, char** argv) {
  const std::optional<std::string> commandLine = LauncherCommandLine(argc, argv);
  if (!commandLine) return false;
  const std::optional<InstancePaths> channel = PrepareInstanceDir(UserRuntimeDir());
  if (!channel) return false;
  {
    // A free lock is let go again at once: the browser program takes it.
    InstanceLock probe;
    if (probe.Acquire(channel->lockPath) != InstanceLock::State::HeldElsewhere) return false;
  }
  return HandOverToMarker(channel->socketPath, *commandLine) == HandOverResult::Delivered;
}

}  // namespace

int main(int argc, char** argv) {
  if (HandedOver(argc, argv)) return 0;
  return ExecBrowser(BrowserCandidates(fileops::SelfExecutable(), SKELVORNAX_BROWSER_PATH), argv);
}
