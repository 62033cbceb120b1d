// The preferences file: any bytes give usable preferences, and what is written
// back reads again to the same choices.
#include "FuzzSupport.h"
#include "core/app/Preferences.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const prefs::Preferences p = prefs::Parse(text);
  const prefs::Preferences again = prefs::Parse(prefs::Serialize(p));
  FUZZ_CHECK(again.SearchEngineId == p.SearchEngineId);
  FUZZ_CHECK(again.BlockAdsInPages == p.BlockAdsInPages);
  FUZZ_CHECK(prefs::Serialize(again) == prefs::Serialize(p));
  FUZZ_CHECK(!prefs::SearchUrl(p, text).empty());
  return 0;
}
