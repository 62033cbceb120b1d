#include "core/adblock/FilterConverter.h"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <unordered_set>

namespace adblock {
namespace {

using nlohmann::json;

// A separator in the filter syntax: anything but a letter, digit or "_-.%".
constexpr const char* kSeparator = "[^a-zA-Z0-9_.%-]";
// "||host": any scheme, then the host itself or any subdomain of it.
constexpr const char* kHostAnchor = "^[a-z][a-z0-9.+-]*://([a-z0-9-]+\\.)*";
// Many selectors share one hiding rule; the engine drops a rule whose
// selector list it cannot parse, so chunks stay small.
constexpr std::size_t kSelectorsPerRule = 200;

// The loads a request rule can name, as bits: the engine's resource types,
// then frames and whole pages (both "document" to the engine, told apart by
// where they load).
const char* const kEngineTypes[] = {"image",        "style-sheet", "script",    "font", "raw",   "fetch",
                                    "svg-document", "media",       "websocket", "ping", "other", "popup"};
using Loads = uint32_t;
constexpr Loads Bit(int i) { return Loads(1) << i; }
constexpr int kEngineTypeCount = sizeof kEngineTypes / sizeof kEngineTypes[0];
constexpr Loads kFrame = Bit(kEngineTypeCount), kPage = Bit(kEngineTypeCount + 1);
// A request rule without a type option: every sub-resource, not pop-ups and
// not documents. Frames would need a second rule for each filter, doubling
// the list; an ad frame's own scripts and images are blocked all the same.
constexpr Loads kSubresources = Bit(kEngineTypeCount - 1) - 1;

Loads TypeBit(const char* engineType) {
  for (int i = 0; i < kEngineTypeCount; ++i)
    if (std::string_view(engineType) == kEngineTypes[i]) return Bit(i);
  return 0;
}

struct TypeOption {
  const char* name;
  Loads loads;
};

const std::vector<TypeOption>& TypeOptions() {
  static const std::vector<TypeOption> options = {
      {"script", TypeBit("script")},
      {"image", TypeBit("image")},
      {"stylesheet", TypeBit("style-sheet")},
      {"css", TypeBit("style-sheet")},
      {"xmlhttprequest", TypeBit("raw") | TypeBit("fetch")},
      {"xhr", TypeBit("raw") | TypeBit("fetch")},
      {"media", TypeBit("media")},
      {"font", TypeBit("font")},
      {"object", TypeBit("other")},
      {"object-subrequest", TypeBit("other")},
      {"other", TypeBit("other")},
      {"ping", TypeBit("ping")},
      {"beacon", TypeBit("ping")},
      {"websocket", TypeBit("websocket")},
      {"popup", TypeBit("popup")},
      {"subdocument", kFrame},
      {"frame", kFrame},
      {"document", kPage},
      {"doc", kPage},
  };
  return options;
}

const TypeOption* FindType(const std::string& name) {
  for (const auto& t : TypeOptions())
    if (name == t.name) return &t;
  return nullptr;
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

std::string_view Trim(std::string_view s) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Split(std::string_view s, char by) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == by) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// The sites a filter is limited to ("a.com|~b.a.com" or "a.com,~b.a.com").
struct Sites {
  std::vector<std::string> only, except;  // in the engine's form: "*host"
  std::string why;
};

Sites ParseSites(std::string_view list, char by) {
  Sites s;
  for (std::string_view d : Split(list, by)) {
    d = Trim(d);
    const bool negated = !d.empty() && d.front() == '~';
    if (negated) d.remove_prefix(1);
    if (d.empty()) continue;
    if (!IsAscii(d)) return {{}, {}, "site name not in ASCII"};
    std::string host(d);
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
    if (host.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789.-") != std::string::npos)
      return {{}, {}, "site name with wildcard or odd characters"};
    (negated ? s.except : s.only).push_back("*" + host);
  }
  if (!s.only.empty() && !s.except.empty()) s.why = "sites both included and excluded";
  return s;
}

// The engine accepts one site condition per rule.
void AddSites(json& trigger, const Sites& sites) {
  if (!sites.only.empty())
    trigger["if-domain"] = sites.only;
  else if (!sites.except.empty())
    trigger["unless-domain"] = sites.except;
}

json Rule(json trigger, const char* action) {
  return {{"trigger", std::move(trigger)}, {"action", {{"type", action}}}};
}

// ---- Request filters -------------------------------------------------------

struct RequestOptions {
  Loads types = 0, notTypes = 0;
  std::string loadType;  // "", "first-party", "third-party"
  Sites sites;
  bool matchCase = false;
  bool pageException = false;   // @@...$document: nothing is blocked on the page
  bool hideException = false;   // @@...$elemhide: nothing is hidden on the page
  bool genericHideOff = false;  // @@...$generichide: only site-specific hiding
  std::string why;
};

bool IsPageOption(const std::string& name) {
  return name == "elemhide" || name == "ehide" || name == "generichide" || name == "ghide" || name == "genericblock";
}

void ReadOption(std::string_view raw, bool exception, RequestOptions& o) {
  const bool negated = !raw.empty() && raw.front() == '~';
  if (negated) raw.remove_prefix(1);
  const auto eq = raw.find('=');
  const std::string name(raw.substr(0, eq));
  const std::string_view value = eq == std::string_view::npos ? std::string_view() : raw.substr(eq + 1);
  if (name == "third-party" || name == "3p") {
    o.loadType = negated ? "first-party" : "third-party";
  } else if (name == "first-party" || name == "1p") {
    o.loadType = negated ? "third-party" : "first-party";
  } else if (name == "match-case") {
    o.matchCase = !negated;
  } else if (name == "important") {
    // Exceptions are not split by importance here; the filter still blocks.
  } else if (name == "domain" || name == "from") {
    o.sites = ParseSites(value, '|');
    if (!o.sites.why.empty()) o.why = o.sites.why;
  } else if (exception && name == "document" && !negated) {
    o.pageException = true;
  } else if (exception && IsPageOption(name)) {
    if (name == "genericblock") o.why = "option genericblock";
    (name == "elemhide" || name == "ehide" ? o.hideException : o.genericHideOff) = true;
  } else if (const TypeOption* t = FindType(name)) {
    (negated ? o.notTypes : o.types) |= t->loads;
  } else {
    o.why = "option " + (name.empty() ? std::string("(empty)") : name);
  }
}

RequestOptions ParseOptions(std::string_view options, bool exception) {
  RequestOptions o;
  if (options.empty()) return o;
  for (std::string_view raw : Split(options, ',')) {
    ReadOption(Trim(raw), exception, o);
    if (!o.why.empty()) break;
  }
  return o;
}

Loads LoadsOf(const RequestOptions& o) { return o.types ? o.types : kSubresources & ~o.notTypes; }

// The engine's type list for some loads, made once for each mix.
using TypeLists = std::map<Loads, json>;
const json& TypeList(Loads loads, TypeLists& made) {
  auto it = made.find(loads);
  if (it == made.end()) {
    json list = json::array();
    for (int i = 0; i < kEngineTypeCount; ++i)
      if (loads & Bit(i)) list.push_back(kEngineTypes[i]);
    it = made.emplace(loads, std::move(list)).first;
  }
  return it->second;
}

// One rule per kind of load: sub-resources (and pop-ups), frames, pages.
std::vector<json> RequestRules(const json& base, Loads loads, const char* action, TypeLists& made) {
  std::vector<json> rules;
  if (loads & ~(kFrame | kPage)) {
    json t = base;
    t["resource-type"] = TypeList(loads & ~(kFrame | kPage), made);
    rules.push_back(Rule(std::move(t), action));
  }
  for (const auto& [kind, context] : {std::pair{kFrame, "child-frame"}, std::pair{kPage, "top-frame"}}) {
    if (!(loads & kind)) continue;
    json t = base;
    t["resource-type"] = {"document"};
    t["load-context"] = {context};
    rules.push_back(Rule(std::move(t), action));
  }
  return rules;
}

// ---- Element hiding --------------------------------------------------------

// Selectors only a script could apply (or that would change more than the
// display of an element).
bool IsProcedural(std::string_view selector) {
  static const char* const markers[] = {
      ":-abp-",   ":has-text(",     ":contains(",        ":xpath(",        ":upward(", ":remove(",
      ":style(",  ":matches-",      ":min-text-length(", ":watch-attr(",   ":others(", ":if(",
      ":if-not(", ":nth-ancestor(", ":remove-attr(",     ":remove-class(", ":shadow"};
  for (const char* m : markers)
    if (selector.find(m) != std::string_view::npos) return true;
  return false;
}

// Brackets and quotes balanced, no braces (a rule body would break out of
// the selector), no escape at the end (it would take the next selector's comma).
bool LooksLikeSelector(std::string_view s) {
  if (s.empty() || s.find_first_of("{}") != std::string_view::npos || s.back() == '\\') return false;
  int round = 0, square = 0;
  char quote = 0;
  for (char c : s) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else {
      round += (c == '(') - (c == ')');
      square += (c == '[') - (c == ']');
      if (round < 0 || square < 0) return false;
    }
  }
  return !quote && round == 0 && square == 0;
}

class Builder {
 public:
  void Line(std::string_view line);
  Conversion Finish();

 private:
  void Skip(const std::string& why) { ++counts_.skipped[why]; }
  void Used() { ++counts_.used; }
  bool HidingLine(std::string_view line);
  void Hiding(std::string_view siteList, std::string_view selector, bool exception);
  void Request(std::string_view line);
  void PageException(const RequestOptions& o, const Pattern& p);
  void AddHidingRules(const std::vector<std::string>& selectors, const json& base, std::string& out);
  // Each rule is written out as soon as it is made: a tree of a hundred
  // thousand rules costs seconds to build and free.
  void Emit(std::string& group, const json& rule);

  ConversionCounts counts_;
  std::vector<std::string> generic_;  // in first-seen order
  std::unordered_set<std::string> genericSeen_;
  std::map<std::string, std::vector<std::string>> hideExceptions_;              // selector -> sites ("" = everywhere)
  std::map<std::string, std::pair<Sites, std::vector<std::string>>> specific_;  // by site list
  std::size_t emitted_ = 0;
  TypeLists typeLists_;
  std::string genericHideOff_, hideOff_, blocks_, exceptions_, pageExceptions_;  // rules, each after a comma
};

// The element-hiding forms: "sites##sel", "sites#@#sel" and the extensions
// a content filter cannot run ("#?#", "#$#", "#%#", "##+js(").
bool Builder::HidingLine(std::string_view line) {
  const auto hash = line.find('#');
  if (hash == std::string_view::npos) return false;
  const std::string_view sites = line.substr(0, hash);
  if (sites.find_first_of("/|@\"!$") != std::string_view::npos) return false;
  std::string_view rest = line.substr(hash + 1);
  const bool exception = !rest.empty() && rest.front() == '@';
  if (exception) rest.remove_prefix(1);
  if (rest.empty()) return false;
  const char kind = rest.front();
  if (kind == '?' || kind == '$' || kind == '%') {
    if (rest.size() < 2 || rest[1] != '#') return false;
    Skip(kind == '?' ? "procedural element hiding" : kind == '$' ? "style or snippet injection" : "script injection");
    return true;
  }
  if (kind != '#') return false;
  const std::string_view selector = Trim(rest.substr(1));
  if (selector.rfind("+js(", 0) == 0) {
    Skip("scriptlet");
  } else if (!selector.empty() && selector.front() == '^') {
    Skip("HTML filtering");
  } else if (IsProcedural(selector)) {
    Skip("procedural element hiding");
  } else if (!IsAscii(selector) || !LooksLikeSelector(selector)) {
    Skip("selector the engine cannot take");
  } else {
    Hiding(sites, selector, exception);
  }
  return true;
}

void Builder::Hiding(std::string_view siteList, std::string_view selector, bool exception) {
  const Sites sites = ParseSites(siteList, ',');
  if (!sites.why.empty()) return Skip(sites.why);
  const std::string sel(selector);
  if (exception) {
    // Hiding everywhere but some sites is expressible; undoing one site's
    // own hiding of one selector is not.
    if (!sites.except.empty()) return Skip("element hiding exception for excluded sites");
    auto& where = hideExceptions_[sel];
    if (sites.only.empty())
      where.push_back("");
    else
      where.insert(where.end(), sites.only.begin(), sites.only.end());
    return Used();
  }
  Used();
  if (sites.only.empty() && sites.except.empty()) {
    if (genericSeen_.insert(sel).second) generic_.push_back(sel);
    return;
  }
  std::string key;
  for (const auto& s : sites.only) key += s + ",";
  key += "|";
  for (const auto& s : sites.except) key += s + ",";
  auto& group = specific_[key];
  group.first = sites;
  group.second.push_back(sel);
}

void Builder::Emit(std::string& group, const json& rule) {
  group += ',';
  group += rule.dump();
  ++emitted_;
}

void Builder::AddHidingRules(const std::vector<std::string>& selectors, const json& base, std::string& out) {
  // Hiding limited to some sites is matched only by the loads of pages: the
  // engine tests every load against every rule whose address is ".*", and
  // thousands of them made each picture of a page cost as much as a page.
  // Hiding for every site needs no such test and stays one style sheet.
  json trigger = base;
  if (trigger.contains("if-domain") || trigger.contains("unless-domain")) trigger["resource-type"] = {"document"};
  for (std::size_t i = 0; i < selectors.size(); i += kSelectorsPerRule) {
    std::string list;
    for (std::size_t j = i; j < std::min(selectors.size(), i + kSelectorsPerRule); ++j)
      list += (list.empty() ? "" : ", ") + selectors[j];
    json rule = Rule(trigger, "css-display-none");
    rule["action"]["selector"] = list;
    Emit(out, rule);
  }
}

void Builder::Request(std::string_view line) {
  const bool exception = line.rfind("@@", 0) == 0;
  if (exception) line.remove_prefix(2);
  std::string_view pattern = line, options;
  const auto dollar = line.rfind('$');
  const bool regex = line.size() > 1 && line.front() == '/';
  if (dollar != std::string_view::npos && (!regex || dollar > line.rfind('/'))) {
    pattern = line.substr(0, dollar);
    options = line.substr(dollar + 1);
  }
  const RequestOptions o = ParseOptions(options, exception);
  if (!o.why.empty()) return Skip(o.why);
  const Pattern p = TranslatePattern(pattern);
  if (!p.why.empty()) return Skip(p.why);
  if (o.pageException || o.hideException || o.genericHideOff) return PageException(o, p);
  const Loads loads = LoadsOf(o);
  if (!loads) return Skip("no load type left");
  json base = {{"url-filter", p.urlFilter}};
  if (o.matchCase) base["url-filter-is-case-sensitive"] = true;
  if (!o.loadType.empty()) base["load-type"] = {o.loadType};
  AddSites(base, o.sites);
  for (const auto& rule : RequestRules(base, loads, exception ? "ignore-previous-rules" : "block", typeLists_))
    Emit(exception ? exceptions_ : blocks_, rule);
  Used();
}

// "@@page$document" lets everything load on a page, "$elemhide" shows
// everything on it, "$generichide" keeps only its site-specific hiding. The
// page is the top-level document: for hiding, its own load; for requests,
// the page they are made from.
void Builder::PageException(const RequestOptions& o, const Pattern& p) {
  if (!o.sites.only.empty() || !o.sites.except.empty()) return Skip("page exception limited to sites");
  if (o.pageException) {
    Emit(pageExceptions_, Rule({{"url-filter", ".*"}, {"if-top-url", {p.urlFilter}}}, "ignore-previous-rules"));
  } else {
    json trigger = {{"url-filter", p.urlFilter}, {"resource-type", {"document"}}, {"load-context", {"top-frame"}}};
    Emit(o.hideException ? hideOff_ : genericHideOff_, Rule(trigger, "ignore-previous-rules"));
  }
  Used();
}

void Builder::Line(std::string_view line) {
  ++counts_.lines;
  line = Trim(line);
  if (line.empty() || line.front() == '!' || line.front() == '[') {
    ++counts_.ignored;
    return;
  }
  if (HidingLine(line)) return;
  if (!IsAscii(line)) return Skip("not ASCII");
  Request(line);
}

Conversion Builder::Finish() {
  std::string out;
  // Generic hiding: what some site's exception excludes gets a rule of its
  // own that skips those sites; what is excluded everywhere is left out.
  std::vector<std::string> everywhere;
  std::map<std::string, std::vector<std::string>> exceptFor;  // sites -> selectors
  for (const auto& sel : generic_) {
    const auto e = hideExceptions_.find(sel);
    if (e == hideExceptions_.end()) {
      everywhere.push_back(sel);
    } else if (std::find(e->second.begin(), e->second.end(), "") == e->second.end()) {
      std::string key;
      for (const auto& s : e->second) key += s + ",";
      exceptFor[key].push_back(sel);
    }
  }
  AddHidingRules(everywhere, {{"url-filter", ".*"}}, out);
  for (const auto& [key, selectors] : exceptFor) {
    Sites except;
    except.except = hideExceptions_.at(selectors.front());
    json base = {{"url-filter", ".*"}};
    AddSites(base, except);
    AddHidingRules(selectors, base, out);
  }
  out += genericHideOff_;
  for (const auto& [key, group] : specific_) {
    json base = {{"url-filter", ".*"}};
    AddSites(base, group.first);
    AddHidingRules(group.second, base, out);
  }
  for (const std::string* part : {&hideOff_, &blocks_, &exceptions_, &pageExceptions_}) out += *part;
  counts_.rules = emitted_;
  if (out.empty()) return {"[]", counts_};
  out.front() = '[';  // the first rule's comma
  out += ']';
  return {std::move(out), counts_};
}

Pattern Broken() { return {"", "regular expression broken"}; }

// Escapes what is special in the engine's expressions.
void AppendLiteral(std::string& out, char c) {
  if (std::string_view(".+?()[]{}\\$|^*").find(c) != std::string_view::npos) out += '\\';
  out += c;
}

}  // namespace

std::size_t ConversionCounts::Skipped() const {
  std::size_t n = 0;
  for (const auto& [why, count] : skipped) n += count;
  return n;
}

Pattern TranslatePattern(std::string_view abpPattern) {
  std::string_view p = abpPattern;
  if (!IsAscii(p)) return {"", "not ASCII"};
  if (p.size() > 2 && p.front() == '/' && p.back() == '/') return TranslateRegex(p.substr(1, p.size() - 2));
  std::string out;
  bool hostOnly = false;  // "||host^": the address goes on after the host
  if (p.rfind("||", 0) == 0) {
    out = kHostAnchor;
    p.remove_prefix(2);
    hostOnly = p.find_first_of("/*^|?=&") + 1 == p.size() && p.back() == '^';
  } else if (!p.empty() && p.front() == '|') {
    out = "^";
    p.remove_prefix(1);
  }
  const bool endAnchor = !p.empty() && p.back() == '|';
  if (endAnchor) p.remove_suffix(1);
  // Leading and trailing wildcards say nothing: matches are searched anywhere.
  while (out.empty() && !p.empty() && p.front() == '*') p.remove_prefix(1);
  while (!endAnchor && !p.empty() && p.back() == '*') p.remove_suffix(1);
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    const bool last = i + 1 == p.size();
    if (c == '*') {
      if (out.size() < 2 || out.compare(out.size() - 2, 2, ".*") != 0) out += ".*";
    } else if (c == '^' && last) {
      // A separator or the end of the address. A host is always followed by
      // one in the addresses the engine matches ("http://host/"), and the
      // plain form keeps the engine's matching fast.
      out += hostOnly    ? std::string(kSeparator)
             : endAnchor ? std::string(kSeparator) + "?$"
                         : std::string("(") + kSeparator + ".*)?$";
      return {out, ""};
    } else if (c == '^') {
      out += kSeparator;
    } else {
      AppendLiteral(out, c);
    }
  }
  if (endAnchor) out += '$';
  if (out.empty()) out = ".*";
  return {out, ""};
}

// Keeps what the engine's subset can take; anything else is refused with
// the reason. One bad expression would make the engine refuse the whole
// list, so the shape is checked too: groups balanced, a repeat only after
// something to repeat.
Pattern TranslateRegex(std::string_view regex) {
  const std::string_view r = regex;
  std::string out;
  bool inClass = false, atom = false, repeat = false;
  int depth = 0;
  for (std::size_t i = 0; i < r.size(); ++i) {
    const char c = r[i];
    if (c < 0x20 || c > 0x7e) return {"", "regular expression not in ASCII"};
    if (c == '\\') {
      if (++i == r.size()) return Broken();
      const char e = r[i];
      if (e == 'd') {
        out += inClass ? "0-9" : "[0-9]";
      } else if (e == 'w') {
        out += inClass ? "A-Za-z0-9_" : "[A-Za-z0-9_]";
      } else if (std::isalnum(static_cast<unsigned char>(e))) {
        return {"", "regular expression with \\" + std::string(1, e)};
      } else {
        out += '\\';
        out += e;
      }
      atom = !inClass || atom;
      repeat = false;
      continue;
    }
    if (inClass) {
      if (c == '[') return {"", "regular expression with nested class"};
      if (c == ']') inClass = false, atom = true, repeat = false;
      if (c == '|' || c == '{' || c == '}') out += '\\';  // literal in a class; escaped all the same
      out += c;
      continue;
    }
    const bool isRepeat = c == '*' || c == '+' || c == '?';
    if (isRepeat) {
      const bool lazy = c == '?' && repeat && out.back() != '?';
      if (!atom && !lazy) return Broken();
      out += c;
      atom = false;
      repeat = true;
      continue;
    }
    repeat = false;
    atom = true;
    if (c == '[') {
      inClass = true;
      atom = false;
      out += c;
      if (i + 1 < r.size() && r[i + 1] == '^') out += r[++i];
      if (i + 1 < r.size() && r[i + 1] == ']') out += r[++i];  // a "]" first is a literal
      continue;
    }
    if (c == '|') return {"", "regular expression with alternation"};
    if (c == '{' || c == '}') return {"", "regular expression with counted repeat"};
    if (c == '(' && i + 1 < r.size() && r[i + 1] == '?') return {"", "regular expression with look-around"};
    if ((c == '^' && i != 0) || (c == '$' && i + 1 != r.size())) return {"", "regular expression with inner anchor"};
    if (c == '(') ++depth, atom = false;
    if (c == ')' && (--depth < 0 || out.back() == '(')) return Broken();
    if (c == '^') atom = false;
    out += c;
  }
  if (inClass || depth != 0 || out.empty()) return Broken();
  return {out, ""};
}

Conversion Convert(const std::vector<std::string_view>& lists) {
  Builder b;
  for (std::string_view text : lists) {
    std::size_t start = 0;
    while (start < text.size()) {
      auto end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      b.Line(text.substr(start, end - start));
      start = end + 1;
    }
  }
  return b.Finish();
}

}  // namespace adblock
