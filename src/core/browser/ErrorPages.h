// Titles of the program's own error pages. The engine wrapper shows them;
// the history check knows an error page by its title and never logs it.
#pragma once

#include <string>

inline const char* const kErrorTitleNotFound = "Cannot find server";
inline const char* const kErrorTitleOffline = "Web page unavailable while offline";

// True for the title of one of the program's error pages (any case).
bool IsErrorPageTitle(const std::string& title);
