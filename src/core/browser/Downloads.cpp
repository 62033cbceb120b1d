#include "core/browser/Downloads.h"

#include <cstdio>

namespace {
constexpr std::size_t kMaxNameBytes = 200;

// Cuts at a UTF-8 character boundary.
std::string CutUtf8(const std::string& s, std::size_t limit) {
  if (s.size() <= limit) return s;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}
}  // namespace

std::string SafeDownloadName(const std::string& suggested) {
  const auto slash = suggested.find_last_of("/\\");
  std::string name = slash == std::string::npos ? suggested : suggested.substr(slash + 1);
  std::string clean;
  for (const char c : name)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) clean += c;
  const auto first = clean.find_first_not_of(". ");
  clean = first == std::string::npos ? "" : clean.substr(first);
  while (!clean.empty() && (clean.back() == ' ' || clean.back() == '.')) clean.pop_back();
  if (clean.size() > kMaxNameBytes) {
    // Keep a short extension, so the file still opens with the right program.
    const auto dot = clean.find_last_of('.');
    const std::string ext = dot != std::string::npos && clean.size() - dot <= 10 ? clean.substr(dot) : "";
    clean = CutUtf8(clean.substr(0, clean.size() - ext.size()), kMaxNameBytes - ext.size()) + ext;
  }
  return clean.empty() ? "download" : clean;
}

std::string UniqueDownloadName(const std::string& name, const std::function<bool(const std::string&)>& taken) {
  if (!taken(name)) return name;
  const auto dot = name.find_last_of('.');
  const bool hasExt = dot != std::string::npos && dot > 0;
  const std::string stem = hasExt ? name.substr(0, dot) : name;
  const std::string ext = hasExt ? name.substr(dot) : "";
  for (int n = 1;; ++n) {
    std::string candidate = stem;
    candidate.append(" (").append(std::to_string(n)).append(")").append(ext);
    if (!taken(candidate)) return candidate;
  }
}

std::string SizeText(uint64_t bytes) {
  if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  const char* const units[] = {"kB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1000;
  std::size_t unit = 0;
  while (value >= 999.95 && unit + 1 < sizeof units / sizeof *units) {
    value /= 1000;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

std::string DownloadProgressText(const std::string& name, uint64_t received, uint64_t total) {
  std::string text = "Downloading " + name + ": ";
  if (total > 0) {
    const uint64_t percent = received >= total ? 100 : received * 100 / total;
    text += std::to_string(percent) + "% of " + SizeText(total);
  } else {
    text += SizeText(received) + " so far";
  }
  return text + " - Esc cancels";
}
