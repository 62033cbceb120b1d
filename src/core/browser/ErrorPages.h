// Titles of the program's own error pages. The engine wrapper shows them;
// the history check knows an error page by its title and never logs it.
#pragma once

#include <string>
#include <vector>

inline const char* const kErrorTitleNotFound = "Cannot find server";
inline const char* const kErrorTitleOffline = "Web page unavailable while offline";
inline const char* const kErrorTitleCertificate = "Security certificate not trusted";

// True for the title of one of the program's error pages (any case).
bool IsErrorPageTitle(const std::string& title);

// What can be wrong with a site's certificate, as bits (the TLS library's own
// values).
enum CertificateProblem : unsigned {
  kCertUnknownIssuer = 1,
  kCertWrongHost = 2,
  kCertNotYetValid = 4,
  kCertExpired = 8,
  kCertRevoked = 16,
  kCertInsecure = 32,
  kCertOther = 64,
};
// One sentence in plain words for each problem found, most telling first.
std::vector<std::string> CertificateProblemTexts(unsigned problems);
