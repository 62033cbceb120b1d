// The command line: arguments (NUL-separated in the input) are joined and
// cleaned the same way by the launcher and the browser; the cleaned text
// has no quotes and no blanks around it, and cleaning it again changes
// nothing. What a hand-over does with it never keeps a script address.
#include <vector>

#include "FuzzSupport.h"
#include "core/app/CommandLine.h"
#include "core/app/Marker.h"
#include "core/app/Startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  std::vector<std::string> args = {"skelvornax"};
  while (!in.Empty() && args.size() < 64) args.push_back(in.Text());
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  const int argc = static_cast<int>(argv.size());

  const std::string joined = JoinArguments(argc, argv.data());
  const std::string clean = CleanCommandLine(joined);
  FUZZ_CHECK(clean.find('"') == std::string::npos);
  FUZZ_CHECK(clean.empty() || (clean.front() != ' ' && clean.back() != ' '));
  FUZZ_CHECK(CleanCommandLine(clean) == clean);

  bool option = false;
  for (std::size_t i = 1; i < args.size(); ++i) option = option || MayBeToolkitOption(args[i]);
  const auto launcher = LauncherCommandLine(argc, argv.data());
  FUZZ_CHECK(option ? !launcher.has_value() : launcher == clean);

  MarkerState state;
  state.caption = clean.empty() ? MarkerCaption() : clean;
  MarkerResizeInput input;
  input.currentWidth = 500 * kMarkerTwipsPerPixel;
  input.mainWindowLoaded = true;
  const MarkerDecision d = DecideMarkerResize(state, input);
  FUZZ_CHECK(d.action == MarkerAction::OpenWindow);
  if (d.commandLine) FUZZ_CHECK(*d.commandLine == clean && !IsScriptOrDataAddress(clean));
  if (!clean.empty() && clean != MarkerCaption() && !IsScriptOrDataAddress(clean)) FUZZ_CHECK(d.commandLine == clean);
  return 0;
}
