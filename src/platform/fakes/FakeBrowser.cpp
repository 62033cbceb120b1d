#include "platform/fakes/FakeBrowser.h"

#include <algorithm>
#include <cctype>

void FakeDownload::End(const std::string& failure) {
  if (!running_) return;
  running_ = false;
  if (failure.empty())
    Finished.emit();
  else
    Failed.emit(failure);
}

// Focusable like a page, so that tests see where the keys go.
FakeBrowser::FakeBrowser() { area_.set_can_focus(true); }

void FakeBrowser::Find(const std::string& text, bool matchCase, FindStep step) {
  finds.push_back({text, matchCase, step});
  const auto page = texts.find(location_);
  auto fold = [matchCase](std::string s) {
    if (!matchCase)
      std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
  };
  unsigned matches = 0;
  if (page != texts.end() && !text.empty()) {
    const std::string hay = fold(page->second), needle = fold(text);
    for (auto at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size())) ++matches;
  }
  if (matches == 0)
    FindFailed.emit();
  else
    FindFound.emit(matches);
}

void FakeBrowser::PageProperties(const std::function<void(const PageInfo&)>& done) {
  PageInfo info = properties;
  if (info.url.empty()) info.url = location_;
  if (info.title.empty()) info.title = LocationName();
  done(info);
}

void FakeBrowser::Navigate(const std::string& url) {
  navigations.push_back(url);
  if (autoComplete) CompleteLoad(url);
}

void FakeBrowser::ClickLink(const std::string& url) { Load(url, kNavigateByUser); }
void FakeBrowser::CompleteLoad(const std::string& url) { Load(url, 0); }

void FakeBrowser::Load(const std::string& url, int flags) {
  bool cancel = false;
  BeforeNavigate2.emit(url, flags, cancel);
  if (cancel) return;
  if (history_.empty() || history_[position_] != url) {
    if (!history_.empty()) history_.resize(position_ + 1);
    history_.push_back(url);
    position_ = history_.size() - 1;
  }
  Show(position_);
}

void FakeBrowser::Show(std::size_t index) {
  position_ = index;
  location_ = history_[index];
  DownloadBegin.emit();
  NavigateComplete2.emit(location_);
  CommandStateChange.emit(kCommandForward, position_ + 1 < history_.size());
  CommandStateChange.emit(kCommandBack, position_ > 0);
  const auto t = titles.find(location_);
  TitleChange.emit(t != titles.end() ? t->second : LocationName());
  ProgressChange.emit(1000, 1000);
  ProgressChange.emit(-1, 1000);
  DocumentComplete.emit(location_);
  DownloadComplete.emit();
}

void FakeBrowser::GoBack() {
  if (position_ > 0) Show(position_ - 1);
}

void FakeBrowser::GoForward() {
  if (position_ + 1 < history_.size()) Show(position_ + 1);
}

std::string FakeBrowser::LocationName() const {
  const auto t = titles.find(location_);
  if (t != titles.end()) return t->second;
  const auto slash = location_.find_last_of('/');
  return slash == std::string::npos ? location_ : location_.substr(slash + 1);
}

std::unique_ptr<WebBrowser> FakeBrowser::CreateRelated() {
  auto fresh = std::make_unique<FakeBrowser>();
  fresh->isPrivate = isPrivate;
  return fresh;
}

std::unique_ptr<WebBrowser> FakeBrowser::CreatePrivate() {
  auto fresh = std::make_unique<FakeBrowser>();
  fresh->isPrivate = true;
  return fresh;
}

void FakeSiteData::RemoveCookiesOf(const std::string& site, const std::function<void(bool)>& done) {
  const auto at = std::find(sites.begin(), sites.end(), site);
  const bool found = at != sites.end();
  if (found) sites.erase(at);
  done(found);
}

FakeSiteData& FakeBrowser::TheSiteData() {
  static FakeSiteData data;
  return data;
}

namespace {
// Hands out the one fake store; the window owns only this wrapper.
class FakeSiteDataView : public SiteData {
 public:
  void Clear(int kinds, long long seconds, const std::function<void(bool)>& done) override {
    FakeBrowser::TheSiteData().Clear(kinds, seconds, done);
  }
  void SitesWithCookies(const std::function<void(std::vector<std::string>)>& done) override {
    FakeBrowser::TheSiteData().SitesWithCookies(done);
  }
  void RemoveCookiesOf(const std::string& site, const std::function<void(bool)>& done) override {
    FakeBrowser::TheSiteData().RemoveCookiesOf(site, done);
  }
};
}  // namespace

std::unique_ptr<SiteData> FakeBrowser::CreateSiteData() { return std::make_unique<FakeSiteDataView>(); }
