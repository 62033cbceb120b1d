// The connection as the desktop reports it, the program's own offline mode,
// and handing things to other programs.
#pragma once

#include <functional>
#include <string>
#include <vector>

bool IsConnected();  // the network is available
bool IsMetered();    // a metered link stands in for a dial-up modem

// The program's offline mode for every window: no page, image, script
// request or socket reaches the network while it is on. `done` runs once
// the mode is in force (it may take a moment), with false on failure.
void GoOffline(const std::function<void(bool)>& done);
void GoOnline(const std::function<void(bool)>& done);
bool IsOffline();

// Opens the desktop's network settings tool; false when none is installed.
bool OpenNetworkSettings();
// Opens the desktop's tool for the network and proxy settings of all
// programs; false when none is installed.
bool OpenInternetSettings();
// Starts a program with arguments (never through a shell); false on failure.
bool LaunchProgram(const std::vector<std::string>& argv);
// Hands an address (e.g. "mailto:") to the desktop's default handler.
bool OpenWithDefaultHandler(const std::string& uri);
// Tests see the addresses instead of the desktop (an empty function: the desktop again).
void SetDefaultHandlerForTest(std::function<bool(const std::string&)> handler);
