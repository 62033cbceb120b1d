// The pop-up killer's rules: what a page asked of its window, when a window
// is condemned, and which addresses the don't-kill list spares.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/sitelists/ListFiles.h"

constexpr float kNoRequest = -15;  // a geometry request not made

// What a page script asked of the window it opened, from its window.open
// features ("width=300,height=200,toolbar=no").
struct OpenFeatures {
  std::optional<int> left, top, width, height;  // pixels
  std::optional<bool> toolbar, statusbar;
};
OpenFeatures ParseOpenFeatures(const std::string& features);

// How far the killer has judged a window.
enum KillState : int {
  kNotSuspected = 0,  // nothing the page did marks it
  kSuspected = 1,     // the page shaped it while the kill mode was on
  kCondemned = 2,     // sent to the kill page on the next tick
};

// Per-window state of the killer.
struct PopupState {
  float requestedLeft = kNoRequest, requestedTop = kNoRequest;
  float requestedWidth = kNoRequest, requestedHeight = kNoRequest;  // twips
  bool geometryPending = false;
  bool scriptShaped = false;  // stays set for the window's life
  bool toolbarRequest = true, statusBarRequest = true;
  int killState = kNotSuspected;
  bool killed = false;  // its own unload has begun

  void ClearRequests();
};

struct WorkAreaTwips {
  float width = 19200, height = 15360;
};

// The page's requests, in pixels; each marks the window script-shaped and,
// with the kill mode on, suspected. Width and height return the outer size
// (twips) the window takes at once.
void WindowSetLeft(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode);
void WindowSetTop(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode);
float WindowSetWidth(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode);
float WindowSetHeight(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode);
void OnToolBar(PopupState& s, bool visible, bool killMode);

// Title bar and frame allowance (twips) for a caption height in pixels.
float ChromeAllowance(int captionPixels);

// True when the address begins with one of the listed addresses, ignoring
// case. Entries with no address spare nothing.
bool DontKillSpares(const std::string& url, const std::vector<SiteRecord>& list);

// The kill mode menu toggles. kill/boom are 0 or 1.
void ToggleKillMode(int16_t& kill, int16_t& boom);
void ToggleKillBoomMode(int16_t& kill, int16_t& boom);
// Text of status panel 3 for the modes.
std::string PopupPanelText(bool kill, bool scriptMessagesOff);
// Tooltip of that panel with the run's count of killed windows.
std::string KilledCountText(int killed);
