#include "core/app/CommandLine.h"

#include "core/app/Startup.h"

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

bool MayBeToolkitOption(const std::string& argument) { return !argument.empty() && argument[0] == '-'; }

std::optional<std::string> LauncherCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i)
    if (MayBeToolkitOption(argv[i])) return std::nullopt;
  return CleanCommandLine(JoinArguments(argc, argv));
}
