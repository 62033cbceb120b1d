// Downloads of the ad filter lists from their publishers, in the background.
// Each download is checked to be a filter list before it replaces the copy
// in use; one that fails changes nothing and says why.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/adblock/FilterLists.h"

namespace adblocking {

struct ListSource {
  adblock::FilterList list;
  std::string url;  // the publisher's address (another one in tests)
};
// The lists with their publishers' addresses.
std::vector<ListSource> PublishedLists();

// Fetches every list; `done` gets one status text for the user and whether
// any list was replaced (the filter is then made again from the new lists).
void UpdateFilterLists(const std::string& userDataDir, const std::vector<ListSource>& sources,
                       const std::function<void(const std::string& status, bool replaced)>& done);

// The lists whose copy in use is older than its "! Expires:" header allows,
// by the age of the files (`nowSeconds` since the epoch).
std::vector<ListSource> DueLists(const std::string& programDir, const std::string& userDataDir, long long nowSeconds);

}  // namespace adblocking
