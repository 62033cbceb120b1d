#include "ui/app/ListFont.h"

Pango::FontDescription ListFont(const Settings& s) {
  Pango::FontDescription font;
  font.set_family(s.ListFontName.empty() ? "Sans" : s.ListFontName);
  font.set_size(static_cast<int>((s.ListFontSize > 0 ? s.ListFontSize : 8) * PANGO_SCALE));
  font.set_weight(s.ListFontBold ? Pango::WEIGHT_BOLD : Pango::WEIGHT_NORMAL);
  return font;
}
