#include "core/popups/PopupKiller.h"

#include <algorithm>
#include <cctype>

#include "core/records/Coding.h"

namespace {

constexpr float kTwips = 15;

bool ParseInt(const std::string& s, int& out) {
  if (s.empty()) return false;
  long v = 0;
  std::size_t i = 0;
  const bool negative = s[0] == '-';
  if (negative || s[0] == '+') i = 1;
  if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i)
    v = std::min(v * 10 + (s[i] - '0'), 1000000L);
  out = static_cast<int>(negative ? -v : v);
  return true;
}

// Window features count as "yes" unless they say no or 0.
bool FeatureOn(const std::string& value) {
  const std::string v = coding::ToLower(value);
  return !(v == "no" || v == "0" || v == "false" || v == "off");
}

void Suspect(PopupState& s, bool killMode) {
  s.scriptShaped = true;
  if (killMode) s.killState = std::max(s.killState, static_cast<int>(kSuspected));
}

}  // namespace

OpenFeatures ParseOpenFeatures(const std::string& features) {
  OpenFeatures f;
  std::string token;
  auto take = [&f](const std::string& raw) {
    const auto eq = raw.find('=');
    const std::string key = coding::ToLower(coding::TrimBlanks(raw.substr(0, eq)));
    const std::string value = eq == std::string::npos ? "yes" : coding::TrimBlanks(raw.substr(eq + 1));
    int n = 0;
    if ((key == "left" || key == "screenx") && ParseInt(value, n)) f.left = n;
    if ((key == "top" || key == "screeny") && ParseInt(value, n)) f.top = n;
    if ((key == "width" || key == "innerwidth") && ParseInt(value, n)) f.width = n;
    if ((key == "height" || key == "innerheight") && ParseInt(value, n)) f.height = n;
    if (key == "toolbar") f.toolbar = FeatureOn(value);
    if (key == "status") f.statusbar = FeatureOn(value);
  };
  for (const char c : features) {
    if (c == ',' || c == ';') {
      take(token);
      token.clear();
    } else {
      token += c;
    }
  }
  take(token);
  return f;
}

void PopupState::ClearRequests() { requestedLeft = requestedTop = requestedWidth = requestedHeight = kNoRequest; }

void WindowSetLeft(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode) {
  s.requestedLeft = std::clamp(pixels * kTwips, 0.f, std::max(0.f, area.width - 6600));
  s.geometryPending = true;
  Suspect(s, killMode);
}

void WindowSetTop(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode) {
  s.requestedTop = std::clamp(pixels * kTwips, 0.f, std::max(0.f, area.height - 1800));
  s.geometryPending = true;
  Suspect(s, killMode);
}

float WindowSetWidth(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode) {
  s.requestedWidth = std::min(std::max(pixels * kTwips, 6720.f), area.width);
  s.geometryPending = true;
  Suspect(s, killMode);
  return s.requestedWidth + 1200 > area.width ? area.width : s.requestedWidth + 120;
}

float WindowSetHeight(PopupState& s, int pixels, const WorkAreaTwips& area, bool killMode) {
  s.requestedHeight = std::min(std::max(pixels * kTwips, 1500.f), area.height);
  s.geometryPending = true;
  Suspect(s, killMode);
  return s.requestedHeight + 1200 > area.height ? area.height : s.requestedHeight + 1200;
}

void OnToolBar(PopupState& s, bool visible, bool killMode) {
  s.toolbarRequest = visible;
  Suspect(s, killMode);
}

float ChromeAllowance(int captionPixels) {
  if (captionPixels < 20) return 405;
  if (captionPixels < 24) return 465;
  if (captionPixels < 26) return 495;
  if (captionPixels < 30) return 510;
  if (captionPixels < 34) return 570;
  return 660;
}

bool DontKillSpares(const std::string& url, const std::vector<SiteRecord>& list) {
  const std::string lc = coding::ToLower(url);
  for (const auto& entry : list) {
    const std::string prefix = coding::ToLower(coding::TrimBlanks(entry.URL));
    // Every address begins with an empty entry: a blank entry spares every window.
    if (lc.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

void ToggleKillMode(int16_t& kill, int16_t& boom) {
  if (kill != 0) {
    kill = 0;  // the boom setting waits for the kill mode to return
  } else {
    kill = 1;
    boom = 0;
  }
}

// The boom item is checked exactly while the boom mode is on.
void ToggleKillBoomMode(int16_t& kill, int16_t& boom) {
  if (boom != 0) {
    kill = boom = 0;
  } else {
    kill = boom = 1;
  }
}

std::string PopupPanelText(bool kill, bool scriptMessagesOff) {
  if (kill) return scriptMessagesOff ? "Pops-Script" : "Pop-Ups";
  return scriptMessagesOff ? "Script Msg" : "";
}

std::string KilledCountText(int killed) {
  return std::to_string(killed) + (killed == 1 ? " Pop-Up Window Killed" : " Pop-Up Windows Killed");
}
