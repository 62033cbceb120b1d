// What a page asks of the window it opens: any features text parses, and
// the geometry it asks for is judged without overflow.
#include "FuzzSupport.h"
#include "core/popups/PopupKiller.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  const bool killMode = in.Byte() & 1;
  const OpenFeatures f = ParseOpenFeatures(in.Rest());
  PopupState s;
  const WorkAreaTwips area;
  if (f.left) WindowSetLeft(s, *f.left, area, killMode);
  if (f.top) WindowSetTop(s, *f.top, area, killMode);
  if (f.width) WindowSetWidth(s, *f.width, area, killMode);
  if (f.height) WindowSetHeight(s, *f.height, area, killMode);
  if (f.toolbar) OnToolBar(s, *f.toolbar, killMode);
  FUZZ_CHECK(s.killState >= kNotSuspected && s.killState <= kCondemned);
  return 0;
}
