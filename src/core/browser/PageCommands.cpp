#include "core/browser/PageCommands.h"

#include <algorithm>
#include <cstdio>

#include "core/records/Coding.h"

namespace {
constexpr double kZoom[kTextSizeLevels] = {0.8, 0.9, 1.0, 1.2, 1.4};
constexpr std::size_t kMaxNameBytes = 120;  // leaves room for the extension and a "(1)"

std::string WithThousands(int64_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}

// Cuts UTF-8 text to at most `bytes` without splitting a character.
std::string CutUtf8(const std::string& s, std::size_t bytes) {
  if (s.size() <= bytes) return s;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}

std::string FileNamePart(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    // The path separator, NUL and control characters cannot be in a name;
    // the others are refused by the file systems a page may be saved to.
    if (u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
        c == '>' || c == '|')
      out += ' ';
    else
      out += c;
  }
  std::string collapsed;
  for (const char c : out)
    if (c != ' ' || (!collapsed.empty() && collapsed.back() != ' ')) collapsed += c;
  collapsed = coding::TrimBlanks(CutUtf8(collapsed, kMaxNameBytes));
  // A name of dots alone is no name ("." and ".." are folders).
  if (collapsed.find_first_not_of('.') == std::string::npos) return "";
  // A leading dot would hide the file.
  return coding::TrimBlanks(collapsed.substr(collapsed.find_first_not_of('.')));
}
}  // namespace

double TextZoom(int level) { return kZoom[std::clamp(level, 0, kTextSizeLevels - 1)]; }

std::string SaveNameFromTitle(const std::string& title, const std::string& url) {
  std::string name = FileNamePart(title);
  if (name.empty()) {
    std::string path = url.substr(0, url.find_first_of("?#"));
    while (!path.empty() && path.back() == '/') path.pop_back();
    const auto slash = path.find_last_of('/');
    const bool hostOnly = path.find("://") != std::string::npos && slash <= path.find("://") + 2;
    if (!hostOnly) name = FileNamePart(slash == std::string::npos ? path : path.substr(slash + 1));
    // A saved copy of "page.html" is an archive, not the page itself.
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
  }
  return (name.empty() ? "page" : name) + ".mht";
}

void FindCounter::Found(FindStep step, unsigned matches) {
  missing_ = false;
  total_ = std::min(matches, kMaxMatches);
  if (total_ == 0) {
    current_ = 0;
    return;
  }
  switch (step) {
    case FindStep::First:
      current_ = 1;
      break;
    case FindStep::Next:
      current_ = current_ >= total_ ? 1 : current_ + 1;
      break;
    case FindStep::Previous:
      current_ = (current_ <= 1 || current_ > total_) ? total_ : current_ - 1;
      break;
  }
}

void FindCounter::NotFound() {
  current_ = total_ = 0;
  missing_ = true;
}

void FindCounter::Clear() {
  current_ = total_ = 0;
  missing_ = false;
}

std::string FindCounter::Text() const {
  if (missing_) return "Not Found";
  if (total_ == 0) return "";
  return std::to_string(current_) + " of " + std::to_string(total_) + (total_ >= kMaxMatches ? "+" : "");
}

std::string ByteSizeText(int64_t bytes) {
  if (bytes < 0) return "Unknown";
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  char scaled[32];
  if (bytes < 1024 * 1024)
    std::snprintf(scaled, sizeof scaled, "%.1f KB", static_cast<double>(bytes) / 1024.0);
  else
    std::snprintf(scaled, sizeof scaled, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return std::string(scaled) + " (" + WithThousands(bytes) + " bytes)";
}

std::vector<std::pair<std::string, std::string>> PropertyRows(const PageInfo& info) {
  std::vector<std::pair<std::string, std::string>> rows = {
      {"Address", info.url.empty() ? "(none)" : info.url},
      {"Title", info.title.empty() ? "(none)" : info.title},
      {"Type", info.mimeType.empty() ? "Unknown" : info.mimeType},
      {"Size", ByteSizeText(info.size)},
  };
  const bool https = coding::ToLower(info.url).rfind("https:", 0) == 0;
  if (!https) {
    rows.emplace_back("Connection", "Not Encrypted");
    return rows;
  }
  if (!info.secure) {
    rows.emplace_back("Connection", "Encrypted, No Certificate Reported");
    return rows;
  }
  rows.emplace_back("Connection", info.certProblems.empty() ? "Encrypted (TLS)" : "Encrypted, Certificate Not Trusted");
  rows.emplace_back("Certificate Subject", info.certSubject.empty() ? "Unknown" : info.certSubject);
  rows.emplace_back("Certificate Issuer", info.certIssuer.empty() ? "Unknown" : info.certIssuer);
  rows.emplace_back("Valid From", info.validFrom.empty() ? "Unknown" : info.validFrom);
  rows.emplace_back("Valid Until", info.validUntil.empty() ? "Unknown" : info.validUntil);
  std::string problems;
  for (const auto& p : info.certProblems) problems += (problems.empty() ? "" : " ") + p;
  if (!problems.empty()) rows.emplace_back("Certificate Problems", problems);
  return rows;
}
