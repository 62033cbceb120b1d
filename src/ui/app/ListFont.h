// The program's list font, as the settings name it.
#pragma once

#include <pangomm.h>

#include "core/app/SettingsRecord.h"

// ListFontName (a sans-serif face when empty), ListFontSize (8 points when
// not set) and ListFontBold.
Pango::FontDescription ListFont(const Settings& s);
