// Start-up: prepares the per-user data directory, loads the settings and
// fixes the process-wide locations. Everything the machine tells (folders,
// clock, screen) comes in as input, so a test can run it whole.
#pragma once

#include <string>

#include "core/app/Dates.h"
#include "core/app/Module1.h"

struct StartupInputs {
  std::string commandLine;  // the arguments joined by blanks
  std::string appDir;       // where the shipped data lives
  std::string profileDir;   // the home directory
  std::string dataHome;     // the XDG data directory (~/.local/share)
  LocalDateTime now;
  float screenWidthTwips = 19200, screenHeightTwips = 15360;
};

// The command line with every '"' blanked, then trimmed.
std::string CleanCommandLine(const std::string& raw);

// The program directory for the running program `exe`: its own folder when
// that holds the shipped settings (a build tree), else the shipped data at
// `dataFromExe`, a path relative to the program's folder, so an installed
// tree works wherever it was unpacked. Lexically tidied ("a/b/../c" is "a/c").
std::string FindAppDir(const std::string& exe, const std::string& dataFromExe);

// Start-up steps 3..26, except the list font (ApplyListFontRules), which
// waits until the first page is asked for. On failure returns false with the
// breadcrumb of the failing step in state.BootErrorText.
bool PrepareStart(const StartupInputs& in, Module1State& state);

// The eight lines of "DefPage.htm", CR LF ended.
std::string DefPageContent();

// Start page setting after re-anchoring to this installation's help page.
std::string ResolveStartPage(const std::string& setting, const std::string& appDir);
// Address of a start page setting: a local path becomes a file address.
std::string StartPageAddress(const std::string& startPage);
