#include "core/browser/Addresses.h"

#include "core/app/SharedRoutines.h"
#include "core/records/Coding.h"

namespace {

bool HasScheme(const std::string& s) {
  const auto colon = s.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = s[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return false;
  }
  // "localhost:8080/x" is a host and port, not a scheme.
  const std::string rest = s.substr(colon + 1);
  return rest.empty() || !(rest[0] >= '0' && rest[0] <= '9');
}

}  // namespace

std::string CompleteAddress(const std::string& typed) {
  std::string text = coding::TrimBlanks(typed);
  if (text.empty()) return text;
  if (text[0] == '/') return LocalPageUrl(text);
  if (HasScheme(text)) return text;
  return "http://" + text;
}

namespace {
bool IsLocalhost(const std::string& text) {
  const std::string lc = coding::ToLower(text);
  return lc == "localhost" || lc.rfind("localhost:", 0) == 0;
}
}  // namespace

TypedKind ClassifyTyped(const std::string& typed) {
  const std::string text = coding::TrimBlanks(typed);
  if (!text.empty() && text[0] == '/') return TypedKind::LocalFile;
  if (coding::ToLower(text).rfind("file:", 0) == 0) return TypedKind::LocalFile;
  const bool blank = text.find_first_of(" \t") != std::string::npos;
  // A full address with a blank in it ("http://host/a b") is still one.
  if (blank) return HasScheme(text) && text.find("://") != std::string::npos ? TypedKind::Address : TypedKind::Search;
  if (text.empty() || HasScheme(text) || IsLocalhost(text) || text[0] == '[' ||
      text.find_first_of("./") != std::string::npos)
    return TypedKind::Address;
  return TypedKind::Search;
}

std::string AddressForTyped(const std::string& typed, const prefs::Preferences& preferences) {
  if (ClassifyTyped(typed) != TypedKind::Search) return CompleteAddress(typed);
  return prefs::SearchUrl(preferences, coding::TrimBlanks(typed));
}

std::string AddressBoxText(const std::string& locationUrl) {
  if (coding::ToUpper(locationUrl) == "HTTP:///") return "http://";
  return MyComboTex(locationUrl);
}

namespace {
// Everything but the unreserved characters (and '@' in the address) as %XX.
std::string PercentEncoded(const std::string& text, bool keepAt) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~' || (keepAt && b == '@')) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}
}  // namespace

std::string MailtoUri(const std::string& recipient, const std::string& subject) {
  return "mailto:" + PercentEncoded(recipient, true) + "?subject=" + PercentEncoded(subject, false);
}
