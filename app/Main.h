// Start-up of the program: prepares the data, then shows the first window.
#pragma once

#include <string>

#include "app/Startup.h"

// The machine's facts for start-up: folders, clock, screen and fonts.
StartupInputs GatherStartupInputs(const std::string& commandLine);

// Runs start-up and shows the first main window, or the boot error window.
// Returns the process exit code once the last window has closed.
int Main(const std::string& commandLine);
// The same with the machine's facts given (tests point it at their folders).
int RunProgram(const StartupInputs& inputs);
