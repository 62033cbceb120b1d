// The command line: arguments (NUL-separated in the input) become addresses
// the same way for the launcher and the browser; every address is cleaned
// (no quotes, no blanks around it, cleaning it again changes nothing), and
// what a hand-over does with one never keeps a script address.
#include <vector>

#include "FuzzSupport.h"
#include "core/app/CommandLine.h"
#include "core/app/Marker.h"
#include "core/app/Startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  std::vector<std::string> args;
  while (!in.Empty() && args.size() < 64) args.push_back(in.Text());
  // Any joined text of an odd length is "a file": both readings get tried.
  const auto isFile = [](const std::string& path) { return path.size() % 2 == 1; };

  const StartRequest request = ParseStartArguments(args, isFile);
  for (const std::string& address : request.addresses) {
    FUZZ_CHECK(!address.empty() && address.find('"') == std::string::npos);
    FUZZ_CHECK(address.front() != ' ' && address.back() != ' ');
    FUZZ_CHECK(CleanCommandLine(address) == address);
  }
  if (request.kind == StartRequest::Kind::BadOption) FUZZ_CHECK(!request.badOption.empty());

  bool dash = false;
  for (const auto& a : args) dash = dash || (!a.empty() && a[0] == '-');
  const auto launcher = LauncherAddresses(args, isFile);
  FUZZ_CHECK(dash ? !launcher.has_value() : (launcher && *launcher == request.addresses));

  for (const std::string& address : request.addresses) {
    MarkerState state;
    state.caption = address;
    MarkerResizeInput input;
    input.currentWidth = 500 * kMarkerTwipsPerPixel;
    input.mainWindowLoaded = true;
    const MarkerDecision d = DecideMarkerResize(state, input);
    FUZZ_CHECK(d.action == MarkerAction::OpenWindow);
    if (d.commandLine) FUZZ_CHECK(*d.commandLine == address && !IsScriptOrDataAddress(address));
    if (address != MarkerCaption() && !IsScriptOrDataAddress(address)) FUZZ_CHECK(d.commandLine == address);
  }
  return 0;
}
