#include "core/app/OpenPages.h"

#include <cctype>
#include <nlohmann/json.hpp>
#include <utility>

#include "core/records/FileOps.h"

namespace openpages {
namespace {

using nlohmann::json;

constexpr const char* kPagesKey = "pages";
constexpr const char* kUrlKey = "url";
constexpr const char* kTitleKey = "title";

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))) != prefix[i]) return false;
  return true;
}

// Cut to at most `limit` bytes without splitting a UTF-8 sequence.
std::string CutTitle(const std::string& title) {
  if (title.size() <= kMaxTitleLength) return title;
  std::size_t end = kMaxTitleLength;
  while (end > 0 && (static_cast<unsigned char>(title[end]) & 0xC0) == 0x80) --end;
  return title.substr(0, end);
}

std::optional<Page> PageOf(const json& entry) {
  if (!entry.is_object()) return std::nullopt;
  const auto url = entry.find(kUrlKey);
  if (url == entry.end() || !url->is_string() || !Recordable(url->get_ref<const std::string&>())) return std::nullopt;
  Page page{url->get<std::string>(), ""};
  const auto title = entry.find(kTitleKey);
  if (title != entry.end() && title->is_string()) page.title = CutTitle(title->get<std::string>());
  return page;
}

}  // namespace

bool Recordable(const std::string& url) {
  if (url.empty() || url.size() > kMaxUrlLength) return false;
  for (unsigned char c : url)
    if (c < 0x20 || c == 0x7F) return false;
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://") || StartsWithNoCase(url, "file:///");
}

Pages Parse(const std::string& text) {
  // Invalid UTF-8 or bad JSON gives a discarded value instead of an exception.
  const json doc = json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return {};
  const auto list = doc.find(kPagesKey);
  if (list == doc.end() || !list->is_array() || list->size() > kMaxPages) return {};
  Pages pages;
  for (const auto& entry : *list)
    if (auto page = PageOf(entry)) pages.push_back(std::move(*page));
  return pages;
}

std::string Serialize(const Pages& pages) {
  json list = json::array();
  for (const Page& p : pages) {
    if (list.size() >= kMaxPages) break;
    if (Recordable(p.url)) list.push_back({{kUrlKey, p.url}, {kTitleKey, CutTitle(p.title)}});
  }
  // A page title is page input: bytes that are not UTF-8 are replaced rather
  // than failing the whole write.
  return json{{kPagesKey, list}}.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

Pages Read(const std::string& path) {
  const auto text = fileops::ReadAllText(path);
  if (!text || text->size() > kMaxFileSize) return {};
  return Parse(*text);
}

bool Write(const std::string& path, const Pages& pages) {
  if (pages.empty()) return fileops::RemoveFile(path);
  const std::string text = Serialize(pages);
  return fileops::WriteAtomic(path, fileops::Bytes(text.begin(), text.end()));
}

// ---- the writer ----

Writer::Writer(std::string path, std::chrono::milliseconds gap)
    : path_(std::move(path)),
      gap_(gap),
      lastWrite_(std::chrono::steady_clock::now() - gap),
      thread_([this] { Run(); }) {}

Writer::~Writer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void Writer::Record(Pages pages) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = std::move(pages);
  }
  wake_.notify_all();
}

void Writer::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  hurry_ = true;
  wake_.notify_all();
  done_.wait(lock, [this] { return !pending_ && !busy_; });
  hurry_ = false;
}

void Writer::Remove() {
  Record({});
  Flush();
}

std::size_t Writer::Writes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return writes_;
}

void Writer::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || pending_; });
    if (!pending_) return;  // stopping with nothing left to write
    // Lists that come in meanwhile replace this one: only the newest is written.
    wake_.wait_until(lock, lastWrite_ + gap_, [this] { return stop_ || hurry_; });
    Pages pages = std::move(*pending_);
    pending_.reset();
    busy_ = true;
    lock.unlock();
    Write(path_, pages);
    lock.lock();
    busy_ = false;
    ++writes_;
    lastWrite_ = std::chrono::steady_clock::now();
    done_.notify_all();
  }
}

}  // namespace openpages
