// Turns filter lists in Adblock Plus syntax (EasyList, EasyPrivacy) into the
// web engine's content-blocker rules, a JSON array of {trigger, action}.
//
// The engine matches with a small regular-expression dialect (no alternation,
// no counted repeats, no look-around, ASCII only) and one condition on the
// page's site per rule, so some lines cannot be expressed: those are skipped
// and counted by reason, never guessed at. Any text is accepted.
//
// Rule order matters to the engine (an "ignore-previous-rules" undoes only
// what came before it), so the output is: generic element hiding, the
// exceptions that switch generic hiding off, site-specific hiding, the
// exceptions that switch all hiding off, blocking rules, request exceptions,
// whole-page exceptions.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace adblock {

struct ConversionCounts {
  std::size_t lines = 0;                       // every line read
  std::size_t ignored = 0;                     // comments, headers, blank lines
  std::size_t used = 0;                        // filter lines that became (part of) a rule
  std::size_t rules = 0;                       // rules in the output
  std::map<std::string, std::size_t> skipped;  // reason -> filter lines
  std::size_t Skipped() const;
};

struct Conversion {
  std::string json;  // the engine's rule list
  ConversionCounts counts;
};

// Converts the lists, in order, into one rule list.
Conversion Convert(const std::vector<std::string_view>& lists);

// A filter's address pattern (or "/regex/") as the engine's url-filter; an
// empty filter and the reason when it cannot be expressed.
struct Pattern {
  std::string urlFilter;
  std::string why;  // non-empty: the reason it was not translated
};
Pattern TranslatePattern(std::string_view abpPattern);
Pattern TranslateRegex(std::string_view regex);

}  // namespace adblock
