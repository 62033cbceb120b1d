#include "core/app/Preferences.h"

#include <cctype>
#include <nlohmann/json.hpp>

#include "core/records/FileOps.h"

namespace prefs {
namespace {

using nlohmann::json;

constexpr const char* kSearchEngineKey = "searchEngine";
constexpr const char* kCustomSearchKey = "customSearchUrl";
constexpr const char* kBlockAdsKey = "blockAdsInPages";
constexpr std::size_t kMaxFileSize = 1 << 20;  // a larger file is not ours
constexpr std::size_t kMaxUrlLength = 2048;

const SearchEngine* FindEngine(const std::string& id) {
  for (const auto& e : SearchEngines())
    if (id == e.id) return &e;
  return nullptr;
}

bool IsKnownKey(const std::string& key) {
  return key == kSearchEngineKey || key == kCustomSearchKey || key == kBlockAdsKey;
}

std::string PercentEncode(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

void ReadKnown(const json& doc, Preferences& p) {
  const auto engine = doc.find(kSearchEngineKey);
  if (engine != doc.end() && engine->is_string() && FindEngine(engine->get<std::string>()))
    p.SearchEngineId = engine->get<std::string>();
  const auto custom = doc.find(kCustomSearchKey);
  if (custom != doc.end() && custom->is_string() && custom->get_ref<const std::string&>().size() <= kMaxUrlLength)
    p.CustomSearchUrl = custom->get<std::string>();
  const auto block = doc.find(kBlockAdsKey);
  if (block != doc.end() && block->is_boolean()) p.BlockAdsInPages = block->get<bool>();
}

}  // namespace

const std::vector<SearchEngine>& SearchEngines() {
  static const std::vector<SearchEngine> engines = {
      {"duckduckgo", "DuckDuckGo", "https://duckduckgo.com/?q=%s"},
      {"startpage", "Startpage", "https://www.startpage.com/do/search?query=%s"},
      {"wikipedia", "Wikipedia", "https://en.wikipedia.org/w/index.php?search=%s"},
      {"google", "Google", "https://www.google.com/search?q=%s"},
      {"bing", "Bing", "https://www.bing.com/search?q=%s"},
      {kCustomSearchEngine, "Custom", ""},
  };
  return engines;
}

Preferences& Current() {
  static Preferences current;
  return current;
}

Preferences Parse(const std::string& text) {
  Preferences p;
  // Invalid UTF-8 or bad JSON gives a discarded value instead of an exception.
  const json doc = json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return p;
  ReadKnown(doc, p);
  json unknown = json::object();
  for (const auto& [key, value] : doc.items())
    if (!IsKnownKey(key)) unknown[key] = value;
  p.Unknown = unknown.dump(-1, ' ', false, json::error_handler_t::replace);
  return p;
}

std::string Serialize(const Preferences& p) {
  json doc = json::parse(p.Unknown, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) doc = json::object();
  doc[kSearchEngineKey] = p.SearchEngineId;
  doc[kCustomSearchKey] = p.CustomSearchUrl;
  doc[kBlockAdsKey] = p.BlockAdsInPages;
  // Texts typed by the user may hold bytes that are not UTF-8: replace them
  // rather than fail the whole write.
  return doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

Preferences Load(const std::string& userDataDir) {
  const auto text = fileops::ReadAllText(fileops::Join(userDataDir, kFileName));
  if (!text || text->size() > kMaxFileSize) return {};
  return Parse(*text);
}

bool Save(const std::string& userDataDir, const Preferences& p) {
  const std::string text = Serialize(p);
  return fileops::WriteAtomic(fileops::Join(userDataDir, kFileName), fileops::Bytes(text.begin(), text.end()));
}

std::string SearchUrl(const Preferences& p, const std::string& query) {
  std::string pattern;
  if (p.SearchEngineId == kCustomSearchEngine) {
    if (p.CustomSearchUrl.find("%s") != std::string::npos) pattern = p.CustomSearchUrl;
  } else if (const auto* e = FindEngine(p.SearchEngineId)) {
    pattern = e->url;
  }
  if (pattern.empty()) pattern = FindEngine(kDefaultSearchEngine)->url;
  return pattern.replace(pattern.find("%s"), 2, PercentEncode(query));
}

}  // namespace prefs
