// The desktop's programs the options window offers: its mail program, an
// installed messenger, and whether a path is a program at all.
#pragma once

#include <string>

struct DesktopProgram {
  std::string name, path;  // empty when none was found
};

// The program the desktop opens "mailto:" addresses with.
DesktopProgram DesktopMailProgram();
// The first messenger installed of those the program knows.
DesktopProgram InstalledMessenger();
// An existing regular file that may be run.
bool IsExecutableFile(const std::string& path);
