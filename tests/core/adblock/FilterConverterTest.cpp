#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/adblock/FilterConverter.h"

namespace {

using nlohmann::json;

const char* const kHost = R"(^[a-z][a-z0-9.+-]*://([a-z0-9-]+\.)*)";
const char* const kSep = "[^a-zA-Z0-9_.%-]";  // what follows a host is always a separator
const json kSubresources = {"image",        "style-sheet", "script",    "font", "raw",  "fetch",
                            "svg-document", "media",       "websocket", "ping", "other"};

json Block(json trigger) { return {{"trigger", trigger}, {"action", {{"type", "block"}}}}; }
json Allow(json trigger) { return {{"trigger", trigger}, {"action", {{"type", "ignore-previous-rules"}}}}; }
json Hide(json trigger, const std::string& selector) {
  return {{"trigger", trigger}, {"action", {{"type", "css-display-none"}, {"selector", selector}}}};
}

struct Row {
  const char* name;
  std::string lines;
  json rules;                // the whole output
  std::string skipped = {};  // the reason, when the line is skipped
};

// Real lines of EasyList and EasyPrivacy (or of their form) and what they become.
TEST(FilterConverter, LinesBecomeRulesOrAreSkippedWithAReason) {
  const std::string host = kHost;
  const Row rows[] = {
      {"host anchor",
       "||doubleclick.net^",
       {Block({{"url-filter", host + "doubleclick\\.net" + kSep}, {"resource-type", kSubresources}})}},
      {"third-party script",
       "||ads.example.com^$script,third-party",
       {Block({{"url-filter", host + "ads\\.example\\.com" + kSep},
               {"resource-type", {"script"}},
               {"load-type", {"third-party"}}})}},
      {"first-party substring",
       "/banner/ad.$~third-party",
       {Block({{"url-filter", "/banner/ad\\."}, {"resource-type", kSubresources}, {"load-type", {"first-party"}}})}},
      {"negated type",
       "/adframe.$~image,~script",
       {Block({{"url-filter", "/adframe\\."},
               {"resource-type",
                {"style-sheet", "font", "raw", "fetch", "svg-document", "media", "websocket", "ping", "other"}}})}},
      {"xmlhttprequest and image",
       "&ad_type=$xmlhttprequest,image",
       {Block({{"url-filter", "&ad_type="}, {"resource-type", {"image", "raw", "fetch"}}})}},
      {"frames get a document rule of their own",
       "||adserver.net^$subdocument,stylesheet",
       {Block({{"url-filter", host + "adserver\\.net" + kSep}, {"resource-type", {"style-sheet"}}}),
        Block({{"url-filter", host + "adserver\\.net" + kSep},
               {"resource-type", {"document"}},
               {"load-context", {"child-frame"}}})}},
      {"pop-up",
       "||popads.example^$popup",
       {Block({{"url-filter", host + "popads\\.example" + kSep}, {"resource-type", {"popup"}}})}},
      {"only on some sites",
       "||cdn.example^$script,domain=A.com|b.org",
       {Block({{"url-filter", host + "cdn\\.example" + kSep},
               {"resource-type", {"script"}},
               {"if-domain", {"*a.com", "*b.org"}}})}},
      {"not on some sites",
       "/ads.js$domain=~good.com",
       {Block({{"url-filter", "/ads\\.js"}, {"resource-type", kSubresources}, {"unless-domain", {"*good.com"}}})}},
      {"match-case",
       "/AdBanner/*$match-case",
       {Block(
           {{"url-filter", "/AdBanner/"}, {"url-filter-is-case-sensitive", true}, {"resource-type", kSubresources}})}},
      {"start and end anchors, wildcard",
       "|http://x.com/ad*.gif|",
       {Block({{"url-filter", "^http://x\\.com/ad.*\\.gif$"}, {"resource-type", kSubresources}})}},
      {"separator inside",
       "ad^banner",
       {Block({{"url-filter", "ad[^a-zA-Z0-9_.%-]banner"}, {"resource-type", kSubresources}})}},
      {"regex the engine takes",
       R"(/^https?:\/\/ads\d+\.example\//$script)",
       {Block({{"url-filter", R"(^https?:\/\/ads[0-9]+\.example\/)"}, {"resource-type", {"script"}}})}},
      {"exception",
       "@@||example.com/ads.js$script",
       {Allow({{"url-filter", host + "example\\.com/ads\\.js"}, {"resource-type", {"script"}}})}},
      {"whole-page exception",
       "@@||bank.example^$document",
       {Allow({{"url-filter", ".*"}, {"if-top-url", {host + "bank\\.example" + kSep}}})}},
      {"hiding switched off on a page",
       "@@||shop.example^$elemhide",
       {Allow({{"url-filter", host + "shop\\.example" + kSep},
               {"resource-type", {"document"}},
               {"load-context", {"top-frame"}}})}},
      {"generic hiding", "##.ad-banner", {Hide({{"url-filter", ".*"}}, ".ad-banner")}},
      {"generic hiding shares a rule",
       "##.ad-banner\n###sponsor\n##.ad-banner",
       {Hide({{"url-filter", ".*"}}, ".ad-banner, #sponsor")}},
      {"site hiding",
       "example.com,Example.org##.sponsored",
       {Hide({{"url-filter", ".*"}, {"if-domain", {"*example.com", "*example.org"}}, {"resource-type", {"document"}}},
             ".sponsored")}},
      {"hiding except on some sites",
       "~news.example##.promo",
       {Hide({{"url-filter", ".*"}, {"unless-domain", {"*news.example"}}, {"resource-type", {"document"}}}, ".promo")}},
      {"hiding exception everywhere",
       "##.ad-banner\n##.ad-box\n#@#.ad-banner",
       {Hide({{"url-filter", ".*"}}, ".ad-box")}},
      {"hiding exception on one site",
       "##.ad-banner\nnews.example#@#.ad-banner",
       {Hide({{"url-filter", ".*"}, {"unless-domain", {"*news.example"}}, {"resource-type", {"document"}}},
             ".ad-banner")}},
      {"comments and headers", "[Adblock Plus 2.0]\n! Title: EasyList\n\n", json::array()},
      {"alternation", "/(ads|track)\\.js/", json::array(), "regular expression with alternation"},
      {"counted repeat", "/ad[0-9]{3}\\.png/", json::array(), "regular expression with counted repeat"},
      {"look-around", "/ads(?!free)/", json::array(), "regular expression with look-around"},
      {"unbalanced group", "/ads(x/", json::array(), "regular expression broken"},
      {"repeat of nothing", "/+ads/", json::array(), "regular expression broken"},
      {"csp", "||x.com^$csp=script-src 'none'", json::array(), "option csp"},
      {"redirect", "||x.com/ads.js$script,redirect=noopjs", json::array(), "option redirect"},
      {"mixed sites", "/ad.js$domain=a.com|~b.a.com", json::array(), "sites both included and excluded"},
      {"wildcard site", "example.*##.ad", json::array(), "site name with wildcard or odd characters"},
      {"scriptlet", "example.com##+js(aopr, ads)", json::array(), "scriptlet"},
      {"procedural", "example.com#?#div:-abp-has(.ad)", json::array(), "procedural element hiding"},
      {"procedural in ##", "example.com##div:has-text(Sponsored)", json::array(), "procedural element hiding"},
      {"style injection", "example.com#$#.ad { display: none }", json::array(), "style or snippet injection"},
      {"selector with a brace", "##.ad{color:red}", json::array(), "selector the engine cannot take"},
      {"not ASCII", "||exämple.com^", json::array(), "not ASCII"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const adblock::Conversion c = adblock::Convert({row.lines});
    EXPECT_EQ(json::parse(c.json), row.rules);
    EXPECT_EQ(c.counts.rules, row.rules.size());
    if (row.skipped.empty()) {
      EXPECT_EQ(c.counts.Skipped(), 0u);
    } else {
      EXPECT_EQ(c.counts.skipped.count(row.skipped), 1u) << c.json;
    }
  }
}

// The engine applies an exception only to what came before it.
TEST(FilterConverter, ExceptionsComeAfterWhatTheyUndoAcrossLists) {
  const std::string privacy = "@@||example.com^$elemhide\n@@||cdn.example/ads.js\n@@||bank.example^$document";
  const std::string ads = "||cdn.example^\n##.ad\nexample.org##.box\n";
  const json rules = json::parse(adblock::Convert({privacy, ads}).json);
  std::vector<std::string> order;
  for (const auto& r : rules) {
    const std::string type = r["action"]["type"];
    const auto& t = r["trigger"];
    if (type == "ignore-previous-rules")
      order.emplace_back(t.contains("if-top-url") ? "page" : t.contains("load-context") ? "elemhide" : "request");
    else
      order.emplace_back(type == "block" ? "block" : t.contains("if-domain") ? "site hide" : "hide");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"hide", "site hide", "elemhide", "block", "request", "page"}));
}

TEST(FilterConverter, CountsAddUpOverLists) {
  const adblock::Conversion c =
      adblock::Convert({"[Adblock Plus 2.0]\n! c\n||a.com^\r\n##.x\n", "||b.com^$csp=x\n\n/c/$script,font"});
  EXPECT_EQ(c.counts.lines, 7u);
  EXPECT_EQ(c.counts.ignored, 3u);
  EXPECT_EQ(c.counts.used, 3u);
  EXPECT_EQ(c.counts.Skipped(), 1u);
  EXPECT_EQ(c.counts.rules, 3u);
}

TEST(FilterConverter, PatternsBecomeTheEnginesExpressions) {
  struct Case {
    const char* name;
    const char* abp;
    std::string urlFilter;
  } cases[] = {
      {"leading and trailing wildcards say nothing", "*ads*", "ads"},
      {"only wildcards match everything", "*", ".*"},
      {"special characters escaped", "a+b?(c)[d]{e}$f\\g", "a\\+b\\?\\(c\\)\\[d\\]\\{e\\}\\$f\\\\g"},
      {"separator then end anchor", "/ad^|", "/ad[^a-zA-Z0-9_.%-]?$"},
      {"separator or the end after a path", "/ads^", "/ads([^a-zA-Z0-9_.%-].*)?$"},
      {"host and path keep the end case", "||x.com/ad^", std::string(kHost) + "x\\.com/ad([^a-zA-Z0-9_.%-].*)?$"},
      {"repeated wildcards collapse", "a**b", "a.*b"},
      {"a pipe inside is literal", "a|b", "a\\|b"},
      {"regex: word class and escaped slash", "/\\/ads\\w+\\//", "\\/ads[A-Za-z0-9_]+\\/"},
      {"regex: classes keep their caret", "/[^a-z]ad[\\d_]/", "[^a-z]ad[0-9_]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const adblock::Pattern p = adblock::TranslatePattern(c.abp);
    EXPECT_EQ(p.why, "");
    EXPECT_EQ(p.urlFilter, c.urlFilter);
  }
  EXPECT_EQ(adblock::TranslateRegex("a$b").why, "regular expression with inner anchor");
  EXPECT_EQ(adblock::TranslateRegex("\\bad\\b").why, "regular expression with \\b");
}

}  // namespace
