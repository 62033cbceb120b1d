// What the main window's page commands decide without an engine: the text
// size levels, the name a saved page is offered under, the match counter of
// the find bar and the rows of the page properties.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Text size of pages, process-wide: 0 smallest .. 4 largest; pages open at 2.
constexpr int kTextSizeLevels = 5;
constexpr int kDefaultTextSize = 2;
// The text-only zoom factor of a level (levels out of range are clamped).
double TextZoom(int level);

// A file name for saving a page: its title without characters a file name
// cannot hold, else the last part of its address, else "page"; with ".mht".
std::string SaveNameFromTitle(const std::string& title, const std::string& url);

// The find bar's "3 of 12". The engine reports how many matches there are;
// which one is showing is counted here. A new search shows the first match,
// and the next and previous ones wrap round at both ends, as the search does.
enum class FindStep { First, Next, Previous };
class FindCounter {
 public:
  static constexpr unsigned kMaxMatches = 1000;  // counted no further
  void Found(FindStep step, unsigned matches);
  void NotFound();
  void Clear();
  unsigned Current() const { return current_; }
  unsigned Total() const { return total_; }
  bool Missing() const { return missing_; }
  // "3 of 12", "3 of 1000+", "Not Found", or "" before a search.
  std::string Text() const;

 private:
  unsigned current_ = 0, total_ = 0;
  bool missing_ = false;
};

// What the properties dialog tells about the page in a window.
struct PageInfo {
  std::string url, title, mimeType;
  int64_t size = -1;    // bytes of the document itself; -1 unknown
  bool secure = false;  // came over TLS
  std::string certSubject, certIssuer, validFrom, validUntil;
  std::vector<std::string> certProblems;  // sentences: what the engine found wrong with the certificate
};
// The dialog's rows: caption and value, in the order shown.
std::vector<std::pair<std::string, std::string>> PropertyRows(const PageInfo& info);
// "980 bytes", "12.1 KB (12,345 bytes)", "3.4 MB (3,565,158 bytes)".
std::string ByteSizeText(int64_t bytes);
