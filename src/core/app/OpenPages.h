// The record of what is open: the address and title of the page of every
// recorded window, in window order, in "OpenPages.json" in the user's data
// folder. It is there while the program runs and removed when the last main
// window closes normally, so finding it at start-up means the last run was
// killed; its pages are then offered back.
//
//   {"pages": [{"url": "https://example.org/", "title": "Example"}, ...]}
//
// The file is rewritten crash-safely by a thread of its own, at most once a
// `gap`, so that page loads never wait for the disk.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace openpages {

struct Page {
  std::string url, title;
  bool operator==(const Page& o) const { return url == o.url && title == o.title; }
  bool operator!=(const Page& o) const { return !(*this == o); }
};
using Pages = std::vector<Page>;

constexpr const char* kFileName = "OpenPages.json";
constexpr std::size_t kMaxPages = 200;        // more is not a record of ours
constexpr std::size_t kMaxUrlLength = 8192;   // longer addresses are not recorded
constexpr std::size_t kMaxTitleLength = 512;  // longer titles are cut
constexpr std::size_t kMaxFileSize = 4 << 20;

// Whether a window's address is worth recording and safe to reopen: a web or
// file address of sensible length without control characters.
bool Recordable(const std::string& url);

// The pages of a record's text; damaged text gives none, and entries that are
// not recordable are left out (never throws).
Pages Parse(const std::string& text);
std::string Serialize(const Pages& pages);

// The record in a data folder; none when it is missing or damaged.
Pages Read(const std::string& path);
// Rewrites the record crash-safely; an empty list removes the file.
bool Write(const std::string& path, const Pages& pages);

// Writes the newest list it was given, off the caller's thread, leaving at
// least `gap` between two writes; lists given meanwhile are coalesced into
// the next write.
class Writer {
 public:
  explicit Writer(std::string path, std::chrono::milliseconds gap = std::chrono::seconds(1));
  ~Writer();  // writes what is still pending, then ends its thread
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Returns at once; the list is written within `gap`.
  void Record(Pages pages);
  // Writes what is pending now, without waiting for the gap, and returns
  // when it is on disk.
  void Flush();
  // Drops what is pending and removes the file; returns when it is gone.
  void Remove();
  // Writes and removals done so far.
  std::size_t Writes() const;

 private:
  void Run();

  const std::string path_;
  const std::chrono::milliseconds gap_;
  mutable std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::optional<Pages> pending_;
  bool busy_ = false, hurry_ = false, stop_ = false;
  std::size_t writes_ = 0;
  std::chrono::steady_clock::time_point lastWrite_;
  std::thread thread_;  // last: it starts once the rest is set
};

}  // namespace openpages
