// In-page ad blocking from the windows' side: started once with the
// program, its state shown in every main window.
#pragma once

#include <string>

class App;

// Starts blocking as the preferences say (Preferences.json), with the lists
// shipped in the program folder and compiled into `cacheDir`; checks for
// newer lists a while after start when a copy has expired.
void StartAdBlocking(App& app, const std::string& cacheDir);
// Fetches the lists from their publishers; the status goes to every window.
void UpdateFilterListsNow(App& app);
