// The category list, the per-category site lists and the don't-kill list.
//
// CatList.dab: headerless 160-byte CategoryRecords
//     0  text158  Name        (Windows-1252, blank padded)
//   158  I16      FileNumber  (1..32767, little-endian): owns Sites + Pad5(n) + ".dab"
// SitesNNNNN.dab and DontKill.dab: headerless 400-byte SiteRecords
//     0  text140  Name
//   140  text260  URL
// Record count = file length / record length, rounded to the nearest whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace list_layout {
constexpr std::size_t kCategoryRecordSize = 160;
constexpr std::size_t kCategoryNameWidth = 158;
constexpr std::size_t kCategoryFileNumber = 158;
constexpr std::size_t kSiteRecordSize = 400;
constexpr std::size_t kSiteNameWidth = 140;
constexpr std::size_t kSiteUrl = 140;
constexpr std::size_t kSiteUrlWidth = 260;
static_assert(kCategoryNameWidth + 2 == kCategoryRecordSize, "category record is 160 bytes");
static_assert(kSiteNameWidth + kSiteUrlWidth == kSiteRecordSize, "site record is 400 bytes");
}  // namespace list_layout

struct CategoryRecord {
  std::string Name;
  int16_t FileNumber = 0;
  bool operator==(const CategoryRecord& o) const { return Name == o.Name && FileNumber == o.FileNumber; }
};

struct SiteRecord {
  std::string Name;
  std::string URL;
  bool operator==(const SiteRecord& o) const { return Name == o.Name && URL == o.URL; }
};

// "Sites" + five digits + ".dab".
std::string SiteFileName(int16_t number);
// The number held in characters 6 to 10 of a site file name; 0 when none.
int16_t FileNumberFromName(const std::string& siteFileName);

// A missing or unreadable file reads as an empty list: for showing lists.
std::vector<CategoryRecord> ReadCategories(const std::string& catListPath);
std::vector<SiteRecord> ReadSites(const std::string& path);
// A missing file reads as an empty list, one that is there but cannot be
// read as nullopt: whatever rewrites a list reads it this way, so that a list
// it could not read is never written back with only the new entry.
std::optional<std::vector<CategoryRecord>> TryReadCategories(const std::string& catListPath);
std::optional<std::vector<SiteRecord>> TryReadSites(const std::string& path);
std::vector<SiteRecord> ReadDontKill(const std::string& path);

// Replace a whole file crash-safely. An empty category or don't-kill list
// leaves no file; an empty site list leaves an empty file. False on error.
bool RewriteCategories(const std::string& catListPath, const std::vector<CategoryRecord>& list);
bool RewriteSites(const std::string& path, const std::vector<SiteRecord>& list);
bool RewriteDontKill(const std::string& path, const std::vector<SiteRecord>& list);

// The smallest positive file number no category uses, as five digits;
// nullopt when all of 1..32767 are taken or the list cannot be read.
std::optional<std::string> NewSiteFileNumber(const std::string& catListPath);

// name, or name + "(k)" for the first k not in use (exact comparison).
// With maxBytes, the name is shortened so that it still fits a field of
// that many single-byte characters with its "(k)".
std::string UniqueSiteName(const std::string& name, const std::vector<std::string>& existing, std::size_t maxBytes = 0);
// Adds a site as the last record of a site file, its name made unique
// against the names already there. Returns the stored name, or nullopt on error.
std::optional<std::string> AppendSite(const std::string& path, const std::string& name, const std::string& url);

// Encoding of single records, shared with tests and the data generator.
std::vector<unsigned char> EncodeCategory(const CategoryRecord& c);
std::vector<unsigned char> EncodeSite(const SiteRecord& s);
