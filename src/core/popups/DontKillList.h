// Rules of the don't-kill list window that need no window: the field cuts,
// where a new entry goes, and the window layout kept in the settings.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "core/sitelists/ListFiles.h"

// The first `count` characters of UTF-8 text; a character is never split.
std::string FirstChars(const std::string& utf8, std::size_t count);

// An entry made from the Name and URL boxes, cut to the record's fields
// (140 and 260 characters).
SiteRecord DontKillEntry(const std::string& name, const std::string& url);

// Where "Enter Address >>>" puts a new entry in a list of `count` rows. When
// replacing and a row is selected, the entry takes that row's place; with
// nothing selected (or no replacing) it goes to the end.
struct EntryPlacement {
  int row = 0;
  bool replaces = false;
};
EntryPlacement PlaceEntry(int count, bool replaceSelected, int selected);

// The window's size and column widths, in pixels. The settings keep them as
// DontKillLayout1..4 in twips: window width, window height, Name column,
// URL column. Zero or nonsense values fall back to defaults; the window is
// kept within the screen's work area.
struct DontKillLayout {
  int width = 0, height = 0, nameColumn = 0, urlColumn = 0;
};
DontKillLayout LayoutFromSettings(const std::array<float, 4>& stored, int screenWidth, int screenHeight);
std::array<float, 4> LayoutToSettings(const DontKillLayout& layout);
