// skelvornax as users start it. A second start hands its addresses to the
// running process with nothing but GLib loaded, so it ends quickly; anything
// else replaces this process with the browser program, which repeats the
// checks itself (and says so when the running process does not answer).
// --help and --version are answered here, without a display.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/app/CommandLine.h"
#include "core/app/SharedRoutines.h"
#include "core/records/FileOps.h"
#include "launcher/Launcher.h"
#include "platform/InstanceClient.h"

#ifndef SKELVORNAX_BROWSER_FROM_LAUNCHER
#error "SKELVORNAX_BROWSER_FROM_LAUNCHER: the browser program's path relative to the launcher's folder"
#endif

namespace {

bool IsFile(const std::string& path) { return FileTest(path) == 0; }

bool HandedOver(const std::vector<std::string>& args) {
  const auto addresses = LauncherAddresses(args, IsFile);
  if (!addresses) return false;
  const std::optional<InstancePaths> channel = PrepareInstanceDir(UserRuntimeDir());
  if (!channel) return false;
  {
    // A free lock is let go again at once: the browser program takes it.
    InstanceLock probe;
    if (probe.Acquire(channel->lockPath) != InstanceLock::State::HeldElsewhere) return false;
  }
  return HandOverAll(channel->socketPath, *addresses) > 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = ArgumentsOf(argc, argv);
  const StartRequest request = ParseStartArguments(args, IsFile);
  if (request.kind == StartRequest::Kind::Help) {
    std::cout << HelpText();
    return 0;
  }
  if (request.kind == StartRequest::Kind::Version) {
    std::cout << VersionText();
    return 0;
  }
  if (HandedOver(args)) return 0;
  return ExecBrowser(BrowserCandidates(fileops::SelfExecutable(), SKELVORNAX_BROWSER_FROM_LAUNCHER), argv);
}
