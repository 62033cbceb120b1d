// The program's own preferences: choices the settings record has no field
// for (the address box's search engine, in-page ad blocking). They live in
// "Preferences.json" in the user's data folder, next to the settings record,
// which keeps its layout and meaning untouched.
//
// A missing, unreadable or damaged file gives the defaults; a value of the
// wrong type or out of range gives that value's default alone. Keys this
// version does not know are kept and written back, so an older and a newer
// program can share one data folder.
#pragma once

#include <string>
#include <vector>

namespace prefs {

// The search engines offered for text typed into the address box that is not
// an address; "custom" uses `Preferences::CustomSearchUrl` (with "%s").
struct SearchEngine {
  const char* id;
  const char* name;
  const char* url;  // "%s" stands for the query, percent-encoded
};
const std::vector<SearchEngine>& SearchEngines();
constexpr const char* kDefaultSearchEngine = "duckduckgo";
constexpr const char* kCustomSearchEngine = "custom";

struct Preferences {
  std::string SearchEngineId = kDefaultSearchEngine;
  std::string CustomSearchUrl;
  bool BlockAdsInPages = true;
  std::string Unknown = "{}";  // keys of other versions, as JSON text
};

constexpr const char* kFileName = "Preferences.json";

// Parses the file's text; any fault gives defaults (never throws).
Preferences Parse(const std::string& text);
std::string Serialize(const Preferences& p);

// The running program's preferences: loaded at start-up, changed by the
// options window (which saves them).
Preferences& Current();

// The file in a data folder; defaults when it is missing or damaged.
Preferences Load(const std::string& userDataDir);
// Crash-safe rewrite; false (old file kept) on error.
bool Save(const std::string& userDataDir, const Preferences& p);

// The search address for a query with the chosen engine; an unknown engine or
// a custom address without "%s" falls back to the default engine.
std::string SearchUrl(const Preferences& p, const std::string& query);

}  // namespace prefs
