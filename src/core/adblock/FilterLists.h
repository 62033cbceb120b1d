// The filter lists the program blocks with, where their copies live, when a
// copy is due for an update, and the sites the user lets show ads.
//
// A shipped copy of each list sits in the program's data ("FilterLists/");
// a downloaded one in the user's data folder ("FilterLists/" there too)
// replaces it once it has been checked to be a filter list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace adblock {

struct FilterList {
  const char* name;  // shown to the user
  const char* file;  // in the FilterLists folders
  const char* url;   // the publisher's address for updates
};
const std::vector<FilterList>& FilterLists();
constexpr const char* kListsFolder = "FilterLists";
// The sites whose pages show ads, one host a line, in the user's data folder.
constexpr const char* kAllowedSitesFile = "AdAllowedSites.txt";
constexpr int kDefaultExpiresHours = 4 * 24;
constexpr std::size_t kMaxListSize = 32u << 20;  // far above any real list

// Hours from the list's "! Expires: 4 days" (or "12 hours") header line;
// the default when it has none or a nonsense one.
int ExpiresHours(std::string_view list);
// Whether downloaded bytes are a filter list worth using: the header line,
// text, a sane size and some filter lines. On false, `why` says what is wrong.
bool LooksLikeFilterList(std::string_view bytes, std::string* why = nullptr);
// Number of filter lines (not comments, headers or blank).
std::size_t FilterLineCount(std::string_view list);

// A short name for the rules made from these lists (and this converter), so a
// compiled filter is used again only for the same lists.
std::string RulesId(const std::vector<std::string_view>& lists);

// The copy to read: the downloaded one when it is a filter list, else the
// shipped one; empty when neither can be read.
std::string ReadList(const std::string& programDir, const std::string& userDataDir, const FilterList& list);
// Stores a downloaded list crash-safely after checking it. False (and the old
// copy kept) when the bytes are no filter list or cannot be written; `why`
// says which.
bool StoreDownloadedList(const std::string& userDataDir, const FilterList& list, std::string_view bytes,
                         std::string* why);
std::string DownloadedListPath(const std::string& userDataDir, const FilterList& list);

// The user's list of sites that show ads. A site covers its subdomains.
class AllowedSites {
 public:
  static AllowedSites Load(const std::string& userDataDir);
  bool Save(const std::string& userDataDir) const;
  bool Allows(const std::string& host) const;
  // Adds or removes the host (lower-cased; "www." kept as typed).
  void Set(const std::string& host, bool allowed);
  const std::vector<std::string>& Hosts() const { return hosts_; }
  static AllowedSites Parse(std::string_view text);

 private:
  std::vector<std::string> hosts_;
};

// The host of an http(s) address, lower-cased; empty for anything else.
std::string HostOf(const std::string& url);

}  // namespace adblock
