// Whether the desktop opens web pages with this program, and making it so,
// through the desktop's own default-handler settings (mimeapps.list).
#pragma once

#include <string>

// True when both http and https addresses open with the desktop entry `desktopId`.
bool IsDefaultBrowser(const std::string& desktopId);

// Makes the entry the handler of http, https and HTML files. False, with the
// reason, when the entry is not installed or the settings cannot be written.
bool MakeDefaultBrowser(const std::string& desktopId, std::string* why);
