// The filter-list converter: any text gives a rule list the engine can
// parse (valid JSON, expressions within its subset) and counts that add up.
#include <nlohmann/json.hpp>

#include "FuzzSupport.h"
#include "core/adblock/FilterConverter.h"
#include "core/adblock/FilterLists.h"

namespace {

// What the engine refuses in an expression: alternation, counted repeats,
// text that is not ASCII.
bool WithinSubset(const std::string& filter) {
  bool escaped = false;
  for (unsigned char c : filter) {
    if (c < 0x20 || c > 0x7e) return false;
    if (!escaped && (c == '|' || c == '{' || c == '}')) return false;
    escaped = !escaped && c == '\\';
  }
  return !filter.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const adblock::Conversion c = adblock::Convert({text, text.substr(size / 2)});
  const auto rules = nlohmann::json::parse(c.json, nullptr, false);
  FUZZ_CHECK(rules.is_array());
  FUZZ_CHECK(rules.size() == c.counts.rules);
  for (const auto& r : rules) FUZZ_CHECK(WithinSubset(r["trigger"]["url-filter"].get<std::string>()));
  FUZZ_CHECK(c.counts.ignored + c.counts.used + c.counts.Skipped() == c.counts.lines);
  const int hours = adblock::ExpiresHours(text);
  FUZZ_CHECK(hours > 0 && hours <= 365 * 24);
  adblock::LooksLikeFilterList(text);
  adblock::AllowedSites::Parse(text).Allows(text);
  return 0;
}
