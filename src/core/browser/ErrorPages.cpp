#include "core/browser/ErrorPages.h"

#include <utility>

#include "core/records/Coding.h"

bool IsErrorPageTitle(const std::string& title) {
  const std::string lower = coding::ToLower(title);
  for (const char* error : {kErrorTitleNotFound, kErrorTitleOffline, kErrorTitleCertificate})
    if (lower == coding::ToLower(error)) return true;
  return false;
}

std::vector<std::string> CertificateProblemTexts(unsigned problems) {
  static const std::pair<unsigned, const char*> kTexts[] = {
      {kCertExpired, "The certificate has expired."},
      {kCertNotYetValid, "The certificate is not valid yet."},
      {kCertRevoked, "The certificate was revoked by its issuer."},
      {kCertWrongHost, "The certificate was issued for another host name."},
      {kCertUnknownIssuer,
       "The certificate was issued by an authority this computer does not trust (it may be "
       "self-signed)."},
      {kCertInsecure, "The certificate uses an algorithm that is no longer safe."},
  };
  std::vector<std::string> texts;
  for (const auto& [bit, text] : kTexts)
    if (problems & bit) texts.emplace_back(text);
  if (texts.empty() || (problems & kCertOther)) texts.emplace_back("The certificate could not be checked.");
  return texts;
}
