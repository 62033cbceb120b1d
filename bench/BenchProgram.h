// The program's state for a benchmark: a fresh home and data folder under
// /tmp (never the user's), and the start-up steps that fill Module1 from it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/app/Module1.h"
#include "core/app/Startup.h"
#include "ui/app/Main.h"

// Returns the home folder, for the benchmark to remove at the end.
inline std::string PrepareBenchProgram() {
  char dir[] = "/tmp/skelvornax-bench-XXXXXX";
  const std::string home = mkdtemp(dir);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  StartupInputs in = GatherStartupInputs("");
  in.appDir = SKELVORNAX_PROGRAM_DIR;
  PrepareStart(in, Module1());
  return home;
}
