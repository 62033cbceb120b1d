// The launcher's way to the browser program: where it looks for it and how
// it replaces itself with it.
#pragma once

#include <string>
#include <vector>

inline const char* const kBrowserProgramName = "skelvornax-browser";

// Where the browser program is looked for, in order: next to this program
// (the build tree), then where it is installed, as a path relative to this
// program's folder (so an installed tree works wherever it was put).
std::vector<std::string> BrowserCandidates(const std::string& selfExe, const std::string& installedRelative);

// Replaces this process with the first candidate that starts, passing argv
// on untouched. Returns only when none did: prints why to stderr and
// returns the exit code 1.
int ExecBrowser(const std::vector<std::string>& candidates, char** argv);
