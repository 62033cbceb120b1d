#include "core/browser/Completion.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

CompletionIndex::Entry& CompletionIndex::EntryFor(const std::string& url) {
  const std::string key = CompletionKey(url);
  const auto [it, added] = byKey_.emplace(key, entries_.size());
  if (added) {
    entries_.emplace_back();
    entries_.back().url = url;
    entries_.back().key = key;
  }
  return entries_[it->second];
}

void CompletionIndex::Rescore(Entry& e) {
  e.score = e.listedWeight;
  for (const auto& [day, visits] : e.days) e.score += visits * VisitWeight(day);
}

void CompletionIndex::AddListed(const std::string& name, const std::string& url, int64_t today) {
  if (CompletionKey(url).empty()) return;
  Entry& e = EntryFor(url);
  // The name the user gave it says more than a page's title.
  e.title = name;
  e.lowerTitle = coding::ToLower(name);
  e.url = url;
  e.listed = true;
  e.listedWeight = VisitWeight(today);
  Rescore(e);
}

void CompletionIndex::AddVisits(const std::string& title, const std::string& url, int64_t day, int32_t visits) {
  if (CompletionKey(url).empty() || visits <= 0) return;
  Entry& e = EntryFor(url);
  if (!e.listed && !title.empty()) {
    e.title = title;
    e.lowerTitle = coding::ToLower(title);
  }
  const auto d = static_cast<int32_t>(day);
  auto at = std::find_if(e.days.begin(), e.days.end(), [d](const auto& p) { return p.first == d; });
  if (at == e.days.end())
    e.days.emplace_back(d, visits);
  else
    at->second += visits;
  e.score += visits * VisitWeight(day);
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

std::vector<CompletionMatch> CompletionIndex::Find(const std::string& typed, std::size_t max) const {
  const std::string key = CompletionKey(typed);
  const std::string words = coding::ToLower(coding::TrimBlanks(typed));
  if (key.empty() || max == 0) return {};
  std::vector<std::pair<double, std::size_t>> hits;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (e.key.compare(0, key.size(), key) == 0 || e.lowerTitle.find(words) != std::string::npos)
      hits.emplace_back(e.score, i);
  }
  const auto best = [](const auto& a, const auto& b) {
    return a.first > b.first || (a.first == b.first && a.second < b.second);
  };
  const std::size_t n = std::min(max, hits.size());
  std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(n), hits.end(), best);
  std::vector<CompletionMatch> out;
  out.reserve(n);
  for (std::size_t k = 0; k < n; ++k) {
    const Entry& e = entries_[hits[k].second];
    CompletionMatch m{e.title, e.url, e.listed, e.lowerTitle.find(words), coding::ToLower(e.url).find(key)};
    out.push_back(std::move(m));
  }
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
  for (const auto& [name, url] : ListedSites(catListPath, siteListsDir)) index.AddListed(name, url, today);
  for (const std::string& name : fileops::ListNames(historyDir)) {
    const auto day = DayFileDate(name);
    if (!day) continue;
    for (const HistoryRecord& r : ReadDayFile(fileops::Join(historyDir, name)))
      index.AddVisits(r.Title, r.URL, *day, r.Hits);
  }
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
