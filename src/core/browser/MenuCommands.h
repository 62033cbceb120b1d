// What the main window's menu commands decide without a window: the open
// dialogs' filters, how a configured program is started, where the mail-check
// add-in lives and what the user is told when something is missing.
#pragma once

#include <string>
#include <vector>

// "Open": pages and the files a browser shows.
extern const char* const kDocumentFilter;
// "Internet Explorer Favorites": internet shortcut files.
extern const char* const kFavoritesFilter;

// The argument vector that starts a program set in the options: the whole
// text is the program's path, blanks and quotes included, and never goes
// through a shell. A path written inside a pair of double quotes (as typed
// for a path with blanks) loses them. Blank text gives nothing.
std::vector<std::string> ProgramArgv(const std::string& path);

// The mail-check add-in: "/Quillbox/Quillbox" under the program directory.
std::string AddInPath(const std::string& appDir);
std::string AddInMissingText();
// What the user is told when a program from the options does not start.
std::string ProgramMissingText(const std::string& name, const std::string& path);
// The text when no program takes "mailto:" addresses.
extern const char* const kNoMailHandlerText;
// Only web and file addresses are opened from a shortcut: one that runs a
// script or names another scheme is not followed.
bool IsOpenableShortcutUrl(const std::string& url);
// A shortcut file that holds no address that may be opened.
std::string NotAShortcutText(const std::string& path);

// A menu caption for a name from the settings: its first letter is the
// access key, and underscores in the name stay underscores.
std::string NameCaption(const std::string& name);
