#include "launcher/Launcher.h"

#include <errno.h>
#include <unistd.h>

#include <cstring>
#include <iostream>

#include "core/app/Module1.h"

std::vector<std::string> BrowserCandidates(const std::string& selfExe, const std::string& installedRelative) {
  std::vector<std::string> candidates;
  const std::size_t slash = selfExe.find_last_of('/');
  if (slash == std::string::npos) return candidates;
  const std::string dir = selfExe.substr(0, slash + 1);
  candidates.push_back(dir + kBrowserProgramName);
  if (!installedRelative.empty() && installedRelative != kBrowserProgramName)
    candidates.push_back(dir + installedRelative);
  return candidates;
}

int ExecBrowser(const std::vector<std::string>& candidates, char** argv) {
  // A start without even a program name still gets one.
  char* fallbackArgv[] = {const_cast<char*>(kAppTitle), nullptr};
  char** args = (argv && argv[0]) ? argv : fallbackArgv;

  std::string tried;
  for (const std::string& path : candidates) {
    ::execv(path.c_str(), args);
    tried += "\n  " + path + ": " + std::strerror(errno);
  }
  std::cerr << kAppTitle << ": cannot start the browser program" << (tried.empty() ? " (no place to look)" : ":")
            << tried << "\n";
  return 1;
}
