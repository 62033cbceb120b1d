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
