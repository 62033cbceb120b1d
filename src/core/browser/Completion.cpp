#include "core/browser/Completion.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string_view>

#include "core/history/HistoryRecord.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"
#include "core/sitelists/ListFiles.h"

namespace {

// A visit counts half as much every 30 days. Weights are kept relative to a
// fixed day, so that scores made on different days compare without change.
constexpr double kHalfLifeDays = 30;
constexpr int64_t kWeightBaseDay = 46000;  // in 2025

double VisitWeight(int64_t day) { return std::exp2(static_cast<double>(day - kWeightBaseDay) / kHalfLifeDays); }

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

std::string CompletionKey(const std::string& text) {
  std::string key = coding::ToLower(coding::TrimBlanks(text));
  for (const char* scheme : {"http://", "https://"})
    if (StartsWith(key, scheme)) {
      key.erase(0, std::char_traits<char>::length(scheme));
      break;
    }
  if (StartsWith(key, "www.")) key.erase(0, 4);
  return key;
}

std::size_t CompletionIndex::IndexFor(const std::string& url, const std::string& key) {
  const auto [it, added] = byKey_.emplace(key, entries_.size());
  if (added) {
    entries_.emplace_back();
    entries_.back().url = url;
    entries_.back().key = key;
    if (ordered_) {
      rank_.push_back(order_.size());
      order_.push_back({it->second, Stored(key), static_cast<uint32_t>(key.size()), 0, 0});
    }
  }
  return it->second;
}

void CompletionIndex::Rescore(Entry& e) {
  e.score = e.listedWeight;
  for (const auto& [day, visits] : e.days) e.score += visits * VisitWeight(day);
}

bool CompletionIndex::Better(std::size_t a, std::size_t b) const {
  return entries_[a].score > entries_[b].score || (entries_[a].score == entries_[b].score && a < b);
}

uint32_t CompletionIndex::Stored(const std::string& s) {
  const auto at = static_cast<uint32_t>(text_.size());
  text_ += s;
  return at;
}

void CompletionIndex::Reserve(std::size_t entries) {
  entries_.reserve(entries);
  byKey_.reserve(entries);
}

void CompletionIndex::Order() {
  std::vector<std::size_t> sorted(entries_.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i] = i;
  std::sort(sorted.begin(), sorted.end(), [this](std::size_t a, std::size_t b) { return Better(a, b); });
  text_.clear();
  order_.clear();
  order_.reserve(sorted.size());
  rank_.resize(entries_.size());
  for (const std::size_t i : sorted) {
    const Entry& e = entries_[i];
    rank_[i] = order_.size();
    const uint32_t key = Stored(e.key);
    order_.push_back({i, key, static_cast<uint32_t>(e.key.size()), Stored(e.lowerTitle),
                      static_cast<uint32_t>(e.lowerTitle.size())});
  }
  ordered_ = true;
}

// The old copy of the title stays in the text: titles change seldom.
void CompletionIndex::TitleChanged(std::size_t i) {
  if (!ordered_) return;
  Row& row = order_[rank_[i]];
  row.title = Stored(entries_[i].lowerTitle);
  row.titleLength = static_cast<uint32_t>(entries_[i].lowerTitle.size());
}

void CompletionIndex::Reposition(std::size_t i) {
  if (!ordered_) return;
  std::size_t at = rank_[i];
  const auto swapWith = [&](std::size_t other) {
    std::swap(order_[at], order_[other]);
    rank_[order_[at].entry] = at;
    rank_[i] = other;
    at = other;
  };
  while (at > 0 && Better(i, order_[at - 1].entry)) swapWith(at - 1);
  while (at + 1 < order_.size() && Better(order_[at + 1].entry, i)) swapWith(at + 1);
}

void CompletionIndex::AddListed(const std::string& name, const std::string& url, int64_t today) {
  const std::string key = CompletionKey(url);
  if (key.empty()) return;
  const std::size_t i = IndexFor(url, key);
  Entry& e = entries_[i];
  // The name the user gave it says more than a page's title.
  e.title = name;
  e.lowerTitle = coding::ToLower(name);
  e.url = url;
  e.listed = true;
  e.listedWeight = VisitWeight(today);
  Rescore(e);
  TitleChanged(i);
  Reposition(i);
}

void CompletionIndex::AddVisits(const std::string& title, const std::string& url, int64_t day, int32_t visits) {
  const std::string key = CompletionKey(url);
  if (key.empty() || visits <= 0) return;
  const std::size_t i = IndexFor(url, key);
  Entry& e = entries_[i];
  if (!e.listed && !title.empty() && title != e.title) {
    e.title = title;
    e.lowerTitle = coding::ToLower(title);
    TitleChanged(i);
  }
  const auto d = static_cast<int32_t>(day);
  auto at = std::find_if(e.days.begin(), e.days.end(), [d](const auto& p) { return p.first == d; });
  if (at == e.days.end())
    e.days.emplace_back(d, visits);
  else
    at->second += visits;
  e.score += visits * VisitWeight(day);
  Reposition(i);
}

void CompletionIndex::ForgetBefore(int64_t firstKeptDay) {
  std::vector<Entry> kept;
  kept.reserve(entries_.size());
  byKey_.clear();
  for (Entry& e : entries_) {
    e.days.erase(std::remove_if(e.days.begin(), e.days.end(), [&](const auto& p) { return p.first < firstKeptDay; }),
                 e.days.end());
    if (e.days.empty() && !e.listed) continue;
    Rescore(e);
    byKey_.emplace(e.key, kept.size());
    kept.push_back(std::move(e));
  }
  entries_ = std::move(kept);
  if (ordered_) Order();
}

void CompletionIndex::ReplaceListed(const std::vector<std::pair<std::string, std::string>>& nameAndUrl, int64_t today) {
  for (Entry& e : entries_) {
    e.listed = false;
    e.listedWeight = 0;
  }
  for (const auto& [name, url] : nameAndUrl) AddListed(name, url, today);
  // Sites no longer listed and never visited are no match any more.
  ForgetBefore(std::numeric_limits<int32_t>::min());
}

CompletionMatch CompletionIndex::MatchOf(std::size_t i, const std::string& key, const std::string& words) const {
  const Entry& e = entries_[i];
  return {e.title, e.url, e.listed, e.lowerTitle.find(words), coding::ToLower(e.url).find(key)};
}

std::vector<CompletionMatch> CompletionIndex::Find(const std::string& typed, std::size_t max) const {
  const std::string key = CompletionKey(typed);
  const std::string words = coding::ToLower(coding::TrimBlanks(typed));
  if (key.empty() || max == 0) return {};
  if (!ordered_) return FindUnordered(key, words, max);
  // Best first: the first matches met are the best ones.
  std::vector<CompletionMatch> out;
  const std::string_view text(text_);
  for (const Row& row : order_) {
    const bool startsAddress = row.keyLength >= key.size() && text.compare(row.key, key.size(), key) == 0;
    if (!startsAddress && text.substr(row.title, row.titleLength).find(words) == std::string_view::npos) continue;
    out.push_back(MatchOf(row.entry, key, words));
    if (out.size() == max) break;
  }
  return out;
}

std::vector<CompletionMatch> CompletionIndex::FindUnordered(const std::string& key, const std::string& words,
                                                            std::size_t max) const {
  std::vector<std::size_t> hits;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (e.key.compare(0, key.size(), key) == 0 || e.lowerTitle.find(words) != std::string::npos) hits.push_back(i);
  }
  const std::size_t n = std::min(max, hits.size());
  std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(n), hits.end(),
                    [this](std::size_t a, std::size_t b) { return Better(a, b); });
  std::vector<CompletionMatch> out;
  for (std::size_t k = 0; k < n; ++k) out.push_back(MatchOf(hits[k], key, words));
  return out;
}

std::vector<std::pair<std::string, std::string>> ListedSites(const std::string& catListPath,
                                                             const std::string& siteListsDir) {
  std::vector<std::pair<std::string, std::string>> sites;
  for (const CategoryRecord& c : ReadCategories(catListPath))
    for (const SiteRecord& s : ReadSites(fileops::Join(siteListsDir, SiteFileName(c.FileNumber))))
      sites.emplace_back(s.Name, s.URL);
  return sites;
}

CompletionIndex BuildCompletionIndex(const std::string& catListPath, const std::string& siteListsDir,
                                     const std::string& historyDir, int64_t today) {
  CompletionIndex index;
  std::vector<std::pair<std::string, int64_t>> dayFiles;
  std::size_t records = 0;
  for (const std::string& name : fileops::ListNames(historyDir)) {
    const auto day = DayFileDate(name);
    if (!day) continue;
    dayFiles.emplace_back(fileops::Join(historyDir, name), *day);
    std::error_code error;
    records += static_cast<std::size_t>(std::filesystem::file_size(dayFiles.back().first, error)) /
               history_layout::kRecordSize;
  }
  // As many entries as records at most; growing step by step costs more.
  index.Reserve(std::min<std::size_t>(records, 1u << 20));
  for (const auto& [name, url] : ListedSites(catListPath, siteListsDir)) index.AddListed(name, url, today);
  for (const auto& [path, day] : dayFiles)
    for (const HistoryRecord& r : ReadDayFile(path)) index.AddVisits(r.Title, r.URL, day, r.Hits);
  index.Order();
  return index;
}

CompletionStore::~CompletionStore() { WaitUntilBuilt(); }

void CompletionStore::StartBuilding(std::function<CompletionIndex()> build) {
  if (builder_.joinable() || Ready()) return;
  builder_ = std::thread([this, build = std::move(build)] {
    CompletionIndex built = build();
    const std::lock_guard<std::mutex> lock(mutex_);
    index_ = std::move(built);
    ready_ = true;
  });
}

void CompletionStore::Rebuild(std::function<CompletionIndex()> build) {
  WaitUntilBuilt();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ready_ = false;
    index_ = CompletionIndex();
  }
  StartBuilding(std::move(build));
}

bool CompletionStore::Ready() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return ready_;
}

std::vector<CompletionMatch> CompletionStore::Find(const std::string& typed) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return ready_ ? index_.Find(typed) : std::vector<CompletionMatch>{};
}

void CompletionStore::PageLogged(const std::string& title, const std::string& url, int64_t day) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (ready_) index_.AddVisits(title, url, day, 1);
}

void CompletionStore::HistoryPurged(int64_t firstKeptDay) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (ready_) index_.ForgetBefore(firstKeptDay);
}

void CompletionStore::ListsChanged(const std::vector<std::pair<std::string, std::string>>& nameAndUrl, int64_t today) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (ready_) index_.ReplaceListed(nameAndUrl, today);
}

void CompletionStore::WaitUntilBuilt() {
  if (builder_.joinable()) builder_.join();
}

CompletionStore& SharedCompletion() {
  static CompletionStore store;
  return store;
}
