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
