// How a start reads its command line. The browser program and the launcher
// in front of it read it the same way, so that both hand over exactly the
// same addresses for the same start.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// What a start asks for.
struct StartRequest {
  enum class Kind { Browse, Help, Version, BadOption };
  Kind kind = Kind::Browse;
  // Browse: each address opens a window of its own; none opens the start page.
  std::vector<std::string> addresses;
  std::string badOption;  // BadOption: the option as given
};

// The arguments after the program's name, with the toolkit's own options
// already taken out. "--help"/"-h" and "--version" win over everything;
// "--" ends the options; any other argument starting with '-' is refused.
// Several arguments are several addresses, unless together, joined by
// blanks, they name an existing file (a path with blanks, unquoted).
// Each address is cleaned as a handed-over command line is.
StartRequest ParseStartArguments(const std::vector<std::string>& args,
                                 const std::function<bool(const std::string&)>& isFile);

// The same from main()'s argc/argv.
std::vector<std::string> ArgumentsOf(int argc, const char* const* argv);

// True when the toolkit's start-up could take the argument (or the one after
// it) out of the command line: anything that starts with '-' and is none of
// the program's own options.
bool MayBeToolkitOption(const std::string& argument);

// The addresses the launcher hands over by itself. nullopt when an argument
// may be a toolkit option, or asks for help or the version: then the browser
// program, which lets the toolkit read its options first, decides.
std::optional<std::vector<std::string>> LauncherAddresses(const std::vector<std::string>& args,
                                                          const std::function<bool(const std::string&)>& isFile);

// The program's version, as the build names it ("0.2.0").
std::string ProgramVersion();
// The texts of --help and --version, and the one line for a refused option.
std::string HelpText();
std::string VersionText();
std::string BadOptionText(const std::string& option);
