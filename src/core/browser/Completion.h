// What the address box offers while the user types: sites of the lists
// (name and address) and pages of the history (title and address), ranked by
// how often and how recently they were visited.
//
// The index is built once from the files (off the main thread), then kept
// current by the page logger and the retention purge; a look-up never
// touches the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

struct CompletionMatch {
  std::string title, url;
  bool listed = false;  // kept in the site lists
  // Where the typed text sits in the title and in the address (npos: not
  // there), for showing it bold.
  std::size_t titleAt = std::string::npos, urlAt = std::string::npos;
};

// The form addresses are matched in: lower case, without "http://",
// "https://" and "www." in front.
std::string CompletionKey(const std::string& text);

class CompletionIndex {
 public:
  static constexpr std::size_t kMaxMatches = 10;

  // A site of the lists. `today` weighs it as much as one visit that day.
  void AddListed(const std::string& name, const std::string& url, int64_t today);
  // Visits of a page on a day (a day file's record, or one more visit).
  void AddVisits(const std::string& title, const std::string& url, int64_t day, int32_t visits);
  // The history of days before `firstKeptDay` is gone (retention).
  void ForgetBefore(int64_t firstKeptDay);
  // The lists were edited: these are the sites they hold now.
  void ReplaceListed(const std::vector<std::pair<std::string, std::string>>& nameAndUrl, int64_t today);

  // The best matches for the typed text, best first: the text starts the
  // address (prefixes ignored) or is found in the title or name.
  std::vector<CompletionMatch> Find(const std::string& typed, std::size_t max = kMaxMatches) const;
  std::size_t Size() const { return entries_.size(); }
  // Keeps the entries best first from now on, so that a look-up stops at the
  // first matches instead of ranking them all. Building calls it once at the
  // end; each change after it moves only the entry it changed.
  void Order();
  void Reserve(std::size_t entries);

 private:
  struct Entry {
    std::string url, title;
    std::string key, lowerTitle;  // what is matched
    bool listed = false;
    double listedWeight = 0;
    std::vector<std::pair<int32_t, int32_t>> days;  // day, visits
    double score = 0;
  };
  std::size_t IndexFor(const std::string& url, const std::string& key);
  static void Rescore(Entry& e);
  bool Better(std::size_t a, std::size_t b) const;
  void Reposition(std::size_t i);  // after a change of its score
  std::vector<CompletionMatch> FindUnordered(const std::string& key, const std::string& words, std::size_t max) const;
  CompletionMatch MatchOf(std::size_t i, const std::string& key, const std::string& words) const;

  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> byKey_;
  // While ordered: the entries best first, each with its key and lower-case
  // title copied into one text, so that a look-up reads memory in a row.
  struct Row {
    std::size_t entry;
    uint32_t key, keyLength, title, titleLength;  // in text_
  };
  bool ordered_ = false;
  std::vector<Row> order_;
  std::vector<std::size_t> rank_;  // each entry's place in order_
  std::string text_;
  uint32_t Stored(const std::string& s);
  void TitleChanged(std::size_t i);
};

// Every site of the lists, as name and address.
std::vector<std::pair<std::string, std::string>> ListedSites(const std::string& catListPath,
                                                             const std::string& siteListsDir);

// The index of the site lists under `catListPath`'s folder and of every day
// file in `historyDir`.
CompletionIndex BuildCompletionIndex(const std::string& catListPath, const std::string& siteListsDir,
                                     const std::string& historyDir, int64_t today);

// The program's one index, shared by its windows. It is built in a thread of
// its own; until it is in, look-ups find nothing and changes are left to the
// files it reads.
class CompletionStore {
 public:
  CompletionStore() = default;
  ~CompletionStore();
  CompletionStore(const CompletionStore&) = delete;
  CompletionStore& operator=(const CompletionStore&) = delete;

  // Runs `build` in the background, once; later calls do nothing.
  void StartBuilding(std::function<CompletionIndex()> build);
  // Builds anew (the history was cleared): look-ups find nothing until then.
  void Rebuild(std::function<CompletionIndex()> build);
  bool Ready() const;
  std::vector<CompletionMatch> Find(const std::string& typed) const;
  void PageLogged(const std::string& title, const std::string& url, int64_t day);
  void HistoryPurged(int64_t firstKeptDay);
  void ListsChanged(const std::vector<std::pair<std::string, std::string>>& nameAndUrl, int64_t today);
  // Waits for a build under way (tests, and the end of the program).
  void WaitUntilBuilt();

 private:
  mutable std::mutex mutex_;
  CompletionIndex index_;
  bool ready_ = false;
  std::thread builder_;
};

CompletionStore& SharedCompletion();
