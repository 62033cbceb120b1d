#include "core/adblock/FilterLists.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/records/Coding.h"
#include "core/records/FileOps.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace adblock {
namespace {

// Changes whenever the converter makes different rules from the same lists.
constexpr const char* kConverterVersion = "2";

std::string_view NextLine(std::string_view text, std::size_t& pos) {
  const std::size_t end = std::min(text.find('\n', pos), text.size());
  std::string_view line = text.substr(pos, end - pos);
  pos = end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool IsFilterLine(std::string_view line) {
  const auto first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] != '!' && line[first] != '[';
}

std::string ReadText(const std::string& path) {
  auto text = fileops::ReadAllText(path);
  if (!text || text->size() > kMaxListSize) return {};
  return std::move(*text);
}

}  // namespace

const std::vector<FilterList>& FilterLists() {
  static const std::vector<FilterList> lists = {
      {"EasyList", "easylist.txt", "https://easylist.to/easylist/easylist.txt"},
      {"EasyPrivacy", "easyprivacy.txt", "https://easylist.to/easylist/easyprivacy.txt"},
  };
  return lists;
}

int ExpiresHours(std::string_view list) {
  constexpr std::string_view kKey = "! Expires:";
  std::size_t pos = 0;
  // The header is at the top; a line like it deep in the list is not it.
  for (int n = 0; n < 50 && pos < list.size(); ++n) {
    const std::string_view line = NextLine(list, pos);
    if (line.rfind(kKey, 0) != 0) continue;
    unsigned value = 0;
    char unit[16] = {};
    const std::string rest(line.substr(kKey.size()));
    if (std::sscanf(rest.c_str(), "%u %15s", &value, unit) != 2 || value == 0 || value > 365) break;
    const std::string u = unit;
    if (u.rfind("day", 0) == 0) return static_cast<int>(value) * 24;
    if (u.rfind("hour", 0) == 0) return static_cast<int>(value);
    break;
  }
  return kDefaultExpiresHours;
}

bool LooksLikeFilterList(std::string_view bytes, std::string* why) {
  const auto fail = [why](const char* reason) {
    if (why) *why = reason;
    return false;
  };
  if (bytes.size() > kMaxListSize) return fail("the download is too large");
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.remove_prefix(3);
  if (bytes.rfind("[Adblock", 0) != 0) return fail("the download is not a filter list");
  if (bytes.find('\0') != std::string_view::npos) return fail("the download is not text");
  if (FilterLineCount(bytes) < 10) return fail("the download holds almost no filters");
  return true;
}

std::size_t FilterLineCount(std::string_view list) {
  std::size_t n = 0, pos = 0;
  while (pos < list.size()) n += IsFilterLine(NextLine(list, pos));
  return n;
}

std::string RulesId(const std::vector<std::string_view>& lists) {
  // Each part is ended by a NUL so that moving text from one list to the
  // next changes the sum. Every start sums megabytes of lists while the
  // first page loads, so the sum is a fast one.
  XXH3_state_t state;
  XXH3_64bits_reset(&state);
  const auto add = [&state](std::string_view s) {
    XXH3_64bits_update(&state, s.data(), s.size());
    XXH3_64bits_update(&state, "", 1);
  };
  add(kConverterVersion);
  for (auto list : lists) add(list);
  char text[32];
  std::snprintf(text, sizeof text, "ads-%016llx", static_cast<unsigned long long>(XXH3_64bits_digest(&state)));
  return text;
}

std::string DownloadedListPath(const std::string& userDataDir, const FilterList& list) {
  return fileops::Join(fileops::Join(userDataDir, kListsFolder), list.file);
}

std::string ReadList(const std::string& programDir, const std::string& userDataDir, const FilterList& list) {
  std::string text = ReadText(DownloadedListPath(userDataDir, list));
  if (!text.empty() && LooksLikeFilterList(text)) return text;
  return ReadText(fileops::Join(fileops::Join(programDir, kListsFolder), list.file));
}

bool StoreDownloadedList(const std::string& userDataDir, const FilterList& list, std::string_view bytes,
                         std::string* why) {
  if (!LooksLikeFilterList(bytes, why)) return false;
  if (!fileops::MakeDirs(fileops::Join(userDataDir, kListsFolder)) ||
      !fileops::WriteAtomic(DownloadedListPath(userDataDir, list), fileops::Bytes(bytes.begin(), bytes.end()))) {
    if (why) *why = "the list could not be saved";
    return false;
  }
  return true;
}

std::string HostOf(const std::string& url) {
  const std::string lc = coding::ToLower(url);
  std::size_t start;
  if (lc.rfind("http://", 0) == 0)
    start = 7;
  else if (lc.rfind("https://", 0) == 0)
    start = 8;
  else
    return "";
  std::string host = lc.substr(start, lc.find_first_of("/?#", start) - start);
  if (const auto at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
  if (!host.empty() && host.front() == '[') return host.substr(0, host.find(']') + 1);  // IPv6
  return host.substr(0, host.find(':'));
}

AllowedSites AllowedSites::Parse(std::string_view text) {
  AllowedSites sites;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::string_view line = NextLine(text, pos);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.empty() && line.front() != '#' && line.size() <= 253) sites.Set(std::string(line), true);
  }
  return sites;
}

AllowedSites AllowedSites::Load(const std::string& userDataDir) {
  return Parse(ReadText(fileops::Join(userDataDir, kAllowedSitesFile)));
}

bool AllowedSites::Save(const std::string& userDataDir) const {
  std::string text = "# Sites whose pages show ads and trackers, one a line.\n";
  for (const auto& h : hosts_) text += h + "\n";
  return fileops::WriteAtomic(fileops::Join(userDataDir, kAllowedSitesFile), fileops::Bytes(text.begin(), text.end()));
}

bool AllowedSites::Allows(const std::string& host) const {
  const std::string h = coding::ToLower(host);
  for (const auto& site : hosts_) {
    if (h == site) return true;
    if (h.size() > site.size() && h.compare(h.size() - site.size(), site.size(), site) == 0 &&
        h[h.size() - site.size() - 1] == '.')
      return true;
  }
  return false;
}

void AllowedSites::Set(const std::string& host, bool allowed) {
  const std::string h = coding::ToLower(host);
  const auto it = std::find(hosts_.begin(), hosts_.end(), h);
  if (allowed && it == hosts_.end() && !h.empty()) hosts_.push_back(h);
  if (!allowed && it != hosts_.end()) hosts_.erase(it);
}

}  // namespace adblock
