#include "core/popups/DontKillList.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwipsPerPixel = 15;
constexpr int kDefaultWidth = 560, kDefaultHeight = 400;
constexpr int kMinWidth = 320, kMinHeight = 240;
constexpr int kDefaultNameColumn = 170, kDefaultUrlColumn = 340;
constexpr int kMinColumn = 30, kMaxColumn = 4000;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Pixels from a stored twips value, or the fallback when it makes no sense.
int Pixels(float twips, int fallback, int low, int high) {
  if (!std::isfinite(twips) || twips <= 0) return fallback;
  const float px = std::round(twips / kTwipsPerPixel);
  if (px >= static_cast<float>(high)) return high;
  return std::max(static_cast<int>(px), low);
}

}  // namespace

std::string FirstChars(const std::string& utf8, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < count && pos < utf8.size(); ++n) {
    ++pos;  // the lead byte, then the character's continuation bytes
    while (pos < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[pos]))) ++pos;
  }
  return utf8.substr(0, pos);
}

SiteRecord DontKillEntry(const std::string& name, const std::string& url) {
  return {FirstChars(name, list_layout::kSiteNameWidth), FirstChars(url, list_layout::kSiteUrlWidth)};
}

EntryPlacement PlaceEntry(int count, bool replaceSelected, int selected) {
  if (replaceSelected && selected >= 0 && selected < count) return {selected, true};
  return {std::max(count, 0), false};
}

DontKillLayout LayoutFromSettings(const std::array<float, 4>& stored, int screenWidth, int screenHeight) {
  const int maxWidth = std::max(screenWidth, kMinWidth), maxHeight = std::max(screenHeight, kMinHeight);
  DontKillLayout l;
  l.width = Pixels(stored[0], std::min(kDefaultWidth, maxWidth), kMinWidth, maxWidth);
  l.height = Pixels(stored[1], std::min(kDefaultHeight, maxHeight), kMinHeight, maxHeight);
  l.nameColumn = Pixels(stored[2], kDefaultNameColumn, kMinColumn, kMaxColumn);
  l.urlColumn = Pixels(stored[3], kDefaultUrlColumn, kMinColumn, kMaxColumn);
  return l;
}

std::array<float, 4> LayoutToSettings(const DontKillLayout& layout) {
  return {layout.width * kTwipsPerPixel, layout.height * kTwipsPerPixel, layout.nameColumn * kTwipsPerPixel,
          layout.urlColumn * kTwipsPerPixel};
}
