// How a start reads its command line. The browser program and the launcher
// in front of it must hand over exactly the same text for the same start.
#pragma once

#include <optional>
#include <string>

// The arguments after the program's name, joined by blanks.
std::string JoinArguments(int argc, const char* const* argv);

// True when the toolkit's start-up could take the argument (or the one after
// it) out of the command line: anything that starts with '-'.
bool MayBeToolkitOption(const std::string& argument);

// The cleaned command line the launcher hands over by itself. nullopt when an
// argument may be a toolkit option: then only the browser program, which
// lets the toolkit read its options first, knows what is left.
std::optional<std::string> LauncherCommandLine(int argc, const char* const* argv);
