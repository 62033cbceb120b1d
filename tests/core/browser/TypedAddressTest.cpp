// Where the address box sends what the user typed: an address as before, a
// local file, or the chosen search engine.
#include <gtest/gtest.h>

#include "core/browser/Addresses.h"

namespace {

struct TypedRow {
  const char* name;
  const char* typed;
  TypedKind kind;
  const char* opens;  // with the default engine
};

TEST(TypedAddress, EachTypedTextGoesWhereItBelongs) {
  const TypedRow rows[] = {
      {"host and port", "localhost:8080", TypedKind::Address, "http://localhost:8080"},
      {"bare localhost", "localhost", TypedKind::Address, "http://localhost"},
      {"localhost in capitals", "LOCALHOST:3000/x", TypedKind::Address, "http://LOCALHOST:3000/x"},
      {"two-part host", "a.b", TypedKind::Address, "http://a.b"},
      {"file name without a path is a host", "file.html", TypedKind::Address, "http://file.html"},
      {"words", "what is c++", TypedKind::Search, "https://duckduckgo.com/?q=what+is+c%2B%2B"},
      {"one word", "weather", TypedKind::Search, "https://duckduckgo.com/?q=weather"},
      {"words with a dot", "weather tomorrow in st. louis", TypedKind::Search,
       "https://duckduckgo.com/?q=weather+tomorrow+in+st.+louis"},
      {"blanks around one word", "  news  ", TypedKind::Search, "https://duckduckgo.com/?q=news"},
      {"full address", "https://example.org/a?b=c", TypedKind::Address, "https://example.org/a?b=c"},
      {"full address with a blank", "http://example.org/a b", TypedKind::Address, "http://example.org/a b"},
      {"other scheme", "about:blank", TypedKind::Address, "about:blank"},
      {"mail address", "mailto:someone@example.org", TypedKind::Address, "mailto:someone@example.org"},
      {"path", "/tmp/page.html", TypedKind::LocalFile, "file:///tmp/page.html"},
      {"path with blanks", "/tmp/My Pages/a b.html", TypedKind::LocalFile, "file:///tmp/My%20Pages/a%20b.html"},
      {"file address", "file:///tmp/x.html", TypedKind::LocalFile, "file:///tmp/x.html"},
      {"host with a slash", "intranet/wiki", TypedKind::Address, "http://intranet/wiki"},
      {"address of numbers", "127.0.0.1:8000", TypedKind::Address, "http://127.0.0.1:8000"},
      {"bracketed host", "[::1]:8080", TypedKind::Address, "http://[::1]:8080"},
      {"nothing", "   ", TypedKind::Address, ""},
  };
  const prefs::Preferences defaults;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ClassifyTyped(row.typed), row.kind);
    EXPECT_EQ(AddressForTyped(row.typed, defaults), row.opens);
  }
}

TEST(TypedAddress, SearchesGoToTheChosenEngine) {
  prefs::Preferences p;
  p.SearchEngineId = "startpage";
  EXPECT_EQ(AddressForTyped("a b", p), "https://www.startpage.com/do/search?query=a+b");
  p.SearchEngineId = prefs::kCustomSearchEngine;
  p.CustomSearchUrl = "https://find.example/?w=%s&lang=en";
  EXPECT_EQ(AddressForTyped("x&y z", p), "https://find.example/?w=x%26y+z&lang=en");
  // An address typed is never searched, whatever the engine.
  EXPECT_EQ(AddressForTyped("example.org", p), "http://example.org");
}

}  // namespace
