#include "core/sitelists/ListFiles.h"

#include <algorithm>
#include <cerrno>
#include <set>

#include "core/app/SharedRoutines.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"

using namespace list_layout;

namespace {

// Decodes a file's records in place; the last, partial one reads as if
// padded with zeros (the field readers stop at the end of the bytes).
// A missing file is an empty list; one that is there but cannot be read
// (or is not a plain file) gives nullopt.
template <typename Decode>
auto TryReadRecords(const std::string& path, std::size_t recordSize, Decode decode) {
  using List = std::vector<decltype(decode(coding::Bytes(), 0))>;
  const int32_t test = FileTest(path);
  if (test == ENOENT || test == ENOTDIR) return std::optional<List>(List());
  if (test != 0) return std::optional<List>();
  const auto bytes = fileops::ReadAll(path);
  if (!bytes) return std::optional<List>();
  const std::size_t count = coding::RecordCount(bytes->size(), recordSize);
  List out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) out.push_back(decode(*bytes, i * recordSize));
  return std::optional<List>(std::move(out));
}

CategoryRecord DecodeCategory(const coding::Bytes& r, std::size_t at) {
  return {coding::GetText(r, at, kCategoryNameWidth), coding::GetI16(r, at + kCategoryFileNumber)};
}

SiteRecord DecodeSite(const coding::Bytes& r, std::size_t at) {
  return {coding::GetText(r, at, kSiteNameWidth), coding::GetText(r, at + kSiteUrl, kSiteUrlWidth)};
}

template <typename Record, typename Encode>
bool RewriteRecords(const std::string& path, const std::vector<Record>& list, bool removeWhenEmpty, Encode encode) {
  if (list.empty() && removeWhenEmpty) return fileops::RemoveFile(path);
  coding::Bytes all;
  for (const auto& rec : list) {
    const auto bytes = encode(rec);
    all.insert(all.end(), bytes.begin(), bytes.end());
  }
  return fileops::WriteAtomic(path, all);
}

}  // namespace

std::string SiteFileName(int16_t number) { return "Sites" + Pad5(number) + ".dab"; }

int16_t FileNumberFromName(const std::string& name) {
  if (name.size() < 10) return 0;
  int value = 0;
  for (std::size_t i = 5; i < 10; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    value = value * 10 + (name[i] - '0');
  }
  return value > 32767 ? 0 : static_cast<int16_t>(value);
}

std::vector<unsigned char> EncodeCategory(const CategoryRecord& c) {
  coding::Bytes r(kCategoryRecordSize, 0);
  coding::PutText(r, 0, kCategoryNameWidth, c.Name);
  coding::PutI16(r, kCategoryFileNumber, c.FileNumber);
  return r;
}

std::vector<unsigned char> EncodeSite(const SiteRecord& s) {
  coding::Bytes r(kSiteRecordSize, 0);
  coding::PutText(r, 0, kSiteNameWidth, s.Name);
  coding::PutText(r, kSiteUrl, kSiteUrlWidth, s.URL);
  return r;
}

std::optional<std::vector<CategoryRecord>> TryReadCategories(const std::string& path) {
  return TryReadRecords(path, kCategoryRecordSize, DecodeCategory);
}

std::optional<std::vector<SiteRecord>> TryReadSites(const std::string& path) {
  return TryReadRecords(path, kSiteRecordSize, DecodeSite);
}

std::vector<CategoryRecord> ReadCategories(const std::string& path) {
  return TryReadCategories(path).value_or(std::vector<CategoryRecord>());
}

std::vector<SiteRecord> ReadSites(const std::string& path) {
  return TryReadSites(path).value_or(std::vector<SiteRecord>());
}

std::vector<SiteRecord> ReadDontKill(const std::string& path) { return ReadSites(path); }

bool RewriteCategories(const std::string& path, const std::vector<CategoryRecord>& list) {
  return RewriteRecords(path, list, true, EncodeCategory);
}

bool RewriteSites(const std::string& path, const std::vector<SiteRecord>& list) {
  return RewriteRecords(path, list, false, EncodeSite);
}

bool RewriteDontKill(const std::string& path, const std::vector<SiteRecord>& list) {
  return RewriteRecords(path, list, true, EncodeSite);
}

std::optional<std::string> NewSiteFileNumber(const std::string& catListPath) {
  const auto categories = TryReadCategories(catListPath);
  if (!categories) return std::nullopt;
  std::set<int> used;
  for (const auto& c : *categories) used.insert(c.FileNumber);
  for (int n = 1; n <= 32767; ++n)
    if (!used.count(n)) return Pad5(static_cast<int16_t>(n));
  return std::nullopt;
}

std::string UniqueSiteName(const std::string& name, const std::vector<std::string>& existing, std::size_t maxBytes) {
  const std::set<std::string> taken(existing.begin(), existing.end());
  if (!taken.count(name)) return name;
  const std::string base1252 = coding::Utf8ToCp1252(name);
  for (int k = 1;; ++k) {
    const std::string suffix = "(" + std::to_string(k) + ")";
    std::string stem = name;
    if (maxBytes > 0 && base1252.size() + suffix.size() > maxBytes)
      stem = coding::Cp1252ToUtf8(base1252.substr(0, maxBytes > suffix.size() ? maxBytes - suffix.size() : 0));
    std::string candidate = stem + suffix;
    if (!taken.count(candidate)) return candidate;
  }
}

std::optional<std::string> AppendSite(const std::string& path, const std::string& name, const std::string& url) {
  // The file is there but cannot be read: adding would overwrite it.
  const bool exists = FileTest(path) == 0;
  auto file = exists ? fileops::ReadAll(path) : std::optional<coding::Bytes>(coding::Bytes());
  if (!file) return std::nullopt;
  const std::size_t count = coding::RecordCount(file->size(), kSiteRecordSize);
  std::vector<std::string> names;
  names.reserve(count);
  for (std::size_t i = 0; i < count; ++i) names.push_back(DecodeSite(*file, i * kSiteRecordSize).Name);
  // The stored name is what a reader gets back: cut to the field and trimmed.
  const std::string stored = UniqueSiteName(DecodeSite(EncodeSite({name, ""}), 0).Name, names, kSiteNameWidth);
  // The new record goes in as record count + 1, the others byte for byte as
  // they were; the file is replaced whole, so a crash cannot leave half a record.
  file->resize(count * kSiteRecordSize, 0);
  const auto record = EncodeSite({stored, url});
  file->insert(file->end(), record.begin(), record.end());
  if (!fileops::WriteAtomic(path, *file)) return std::nullopt;
  return stored;
}
