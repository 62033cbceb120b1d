// The program's icon, for every window.
#pragma once

#include <string>

// The name of the program's icon in the icon theme.
extern const char* const kProgramIconName;
// Every window shows the program's icon: from the build tree's icons, or the
// theme folder next to the installed data (found wherever the tree was put).
void UseProgramIcon(const std::string& appDir);
