#include "core/app/CommandLine.h"

#include "core/app/Module1.h"
#include "core/app/Startup.h"

#ifndef SKELVORNAX_VERSION
#define SKELVORNAX_VERSION "0"
#endif

namespace {

bool IsHelp(const std::string& a) { return a == "--help" || a == "-h" || a == "-?"; }
bool IsVersion(const std::string& a) { return a == "--version"; }

std::string Joined(const std::vector<std::string>& parts) {
  std::string line;
  for (const auto& p : parts) line += (line.empty() ? "" : " ") + p;
  return line;
}

}  // namespace

std::vector<std::string> ArgumentsOf(int argc, const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
  return args;
}

StartRequest ParseStartArguments(const std::vector<std::string>& args,
                                 const std::function<bool(const std::string&)>& isFile) {
  StartRequest r;
  std::vector<std::string> rest;
  bool optionsEnded = false;
  for (const auto& a : args) {
    if (a == "--") break;
    if (IsHelp(a)) return {StartRequest::Kind::Help, {}, {}};
    if (IsVersion(a)) return {StartRequest::Kind::Version, {}, {}};
  }
  for (const auto& a : args) {
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      if (r.kind != StartRequest::Kind::BadOption) r.badOption = a;
      r.kind = StartRequest::Kind::BadOption;
    } else {
      rest.push_back(a);
    }
  }
  if (r.kind == StartRequest::Kind::BadOption) return r;
  // An unquoted path with blanks arrives in pieces; a file of that name wins.
  const std::string whole = CleanCommandLine(Joined(rest));
  if (rest.size() > 1 && isFile && isFile(whole)) rest = {whole};
  for (const auto& a : rest) {
    const std::string address = CleanCommandLine(a);
    if (!address.empty()) r.addresses.push_back(address);
  }
  return r;
}

bool MayBeToolkitOption(const std::string& argument) {
  return argument.size() > 1 && argument[0] == '-' && !IsHelp(argument) && !IsVersion(argument);
}

std::optional<std::vector<std::string>> LauncherAddresses(const std::vector<std::string>& args,
                                                          const std::function<bool(const std::string&)>& isFile) {
  // "--" too: the toolkit's parser may drop it, and then only the browser knows.
  for (const auto& a : args)
    if (!a.empty() && a[0] == '-') return std::nullopt;
  return ParseStartArguments(args, isFile).addresses;
}

std::string HelpText() {
  return std::string("Usage: ") + kAppTitle +
         " [OPTION...] [ADDRESS-OR-FILE...]\n"
         "A web browser with a personal site selector, a pop-up killer and a history of the pages you visit.\n"
         "Each address or file opens in a window of its own; with none, the start page opens.\n"
         "When the program already runs, the windows open there.\n\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n"
         "  --             what follows is an address or file, even if it starts with '-'\n\n"
         "The toolkit's own options (for example --display=DISPLAY) are accepted too.\n";
}

std::string ProgramVersion() { return SKELVORNAX_VERSION; }
std::string VersionText() { return std::string(kAppTitle) + " " + ProgramVersion() + "\n"; }

std::string BadOptionText(const std::string& option) {
  return std::string(kAppTitle) + ": unknown option " + option + " (see " + kAppTitle + " --help)\n";
}
