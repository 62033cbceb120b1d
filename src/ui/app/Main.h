// Start-up of the program: prepares the data, then shows the first window.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/app/Startup.h"

class App;
struct InstancePaths;

// The machine's facts for start-up: folders, clock, screen and fonts.
StartupInputs GatherStartupInputs(const std::string& commandLine);

// Runs start-up and shows a main window for each address (or one for the
// start page), or the boot error window. When the program already runs for
// this user, hands the addresses over to it instead and returns 0 at once.
// Returns the process exit code once the last window has closed.
int Main(const std::vector<std::string>& addresses);
// The same with the machine's facts given (tests point it at their folders);
// `inputs.commandLine` is the first window's address, `further` each opens
// one more window. With `channel`, the marker window is served on its socket.
int RunProgram(App& app, const StartupInputs& inputs, const InstancePaths* channel = nullptr,
               const std::vector<std::string>& further = {});
// How long a second start waits for a running process that is starting up
// or ending before it says the program runs already.
constexpr int kHandOverWaitMs = 15000;
// A second start: hands the addresses to the running process, or, when its
// marker does not answer within `waitMs`, tells the user the program is
// running already. The toolkit is only started for that message. Returns the
// exit code; nothing when the running process ended before it took any
// address, so that this start runs the program itself.
std::optional<int> SecondStart(const InstancePaths& channel, const std::vector<std::string>& addresses,
                               int waitMs = kHandOverWaitMs);
