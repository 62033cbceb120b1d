// An in-memory browser for window tests: records what the window asked and
// plays a whole page load synchronously, so handlers can be driven without
// pages or an engine.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/WebBrowser.h"

// A download the test drives: it runs until the test finishes or fails it,
// or the window cancels it.
class FakeDownload : public FileDownload {
 public:
  FakeDownload(std::string name, std::string path) : name_(std::move(name)), path_(std::move(path)) {}
  std::string Name() const override { return name_; }
  std::string Path() const override { return path_; }
  uint64_t Received() const override { return received; }
  uint64_t Total() const override { return total; }
  bool Running() const override { return running_; }
  void Cancel() override { End(kDownloadCancelled); }
  void Finish() { End(""); }
  void Fail(const std::string& why) { End(why); }

  uint64_t received = 0, total = 0;

 private:
  void End(const std::string& failure);
  std::string name_, path_;
  bool running_ = true;
};

// Site data kept in memory; answers at once.
class FakeSiteData : public SiteData {
 public:
  struct Cleared {
    int kinds;
    long long seconds;
  };
  void Clear(int kinds, long long seconds, const std::function<void(bool)>& done) override {
    clears.push_back({kinds, seconds});
    if (kinds & kCookiesAndStorage) sites.clear();
    done(true);
  }
  void SitesWithCookies(const std::function<void(std::vector<std::string>)>& done) override { done(sites); }
  void RemoveCookiesOf(const std::string& site, const std::function<void(bool)>& done) override;
  std::vector<std::string> sites;
  std::vector<Cleared> clears;
};

class FakeBrowser : public WebBrowser {
 public:
  FakeBrowser();

  Gtk::Widget& Widget() override { return area_; }
  void Navigate(const std::string& url) override;
  void Refresh2(int level) override { refreshes.push_back(level); }
  void Stop() override { ++stops; }
  void GoBack() override;
  void GoForward() override;
  std::string LocationURL() const override { return location_; }
  std::string LocationName() const override;
  void SetSilent(bool s) override { silent = s; }
  std::unique_ptr<WebBrowser> CreateRelated() override;
  std::unique_ptr<WebBrowser> CreatePrivate() override;
  bool IsPrivate() const override { return isPrivate; }
  // A store over `siteData`, which the test fills and reads.
  std::unique_ptr<SiteData> CreateSiteData() override;
  static FakeSiteData& TheSiteData();
  bool OpenedByPage() const override { return openedByPage; }
  void SetTextSize(int level) override { textSize = level; }
  void SelectAll() override { ++selectAlls; }
  // Counts the text in the page's `texts` entry and answers at once.
  void Find(const std::string& text, bool matchCase, FindStep step) override;
  void FindFinish() override { ++findFinishes; }
  void Print(Gtk::Window*, const std::function<void(bool)>& done) override {
    ++printDialogs;
    done(commandsSucceed);
  }
  void PrintToFile(const std::string& path, const std::function<void(bool)>& done) override {
    printedTo.push_back(path);
    done(commandsSucceed);
  }
  void SaveAs(const std::string& path, const std::function<void(bool)>& done) override {
    savedTo.push_back(path);
    done(commandsSucceed);
  }
  // `properties` with the page's address and title filled in.
  void PageProperties(const std::function<void(const PageInfo&)>& done) override;

  // Plays BeforeNavigate2 .. DownloadComplete for a page with this title
  // (titles come from `titles`, else none).
  void CompleteLoad(const std::string& url);
  // A link the user follows in the page.
  void ClickLink(const std::string& url);

  std::map<std::string, std::string> titles;
  std::map<std::string, std::string> texts;  // what Find searches, by address
  std::vector<std::string> navigations;      // every Navigate call, as asked
  std::vector<int> refreshes;
  int stops = 0;
  bool silent = false;
  bool autoComplete = true;  // Navigate plays the whole load at once
  bool openedByPage = false;
  bool isPrivate = false;
  int textSize = -1;  // not set yet
  int selectAlls = 0, findFinishes = 0, printDialogs = 0;
  struct FindCall {
    std::string text;
    bool matchCase;
    FindStep step;
  };
  std::vector<FindCall> finds;
  std::vector<std::string> printedTo, savedTo;
  PageInfo properties;
  bool commandsSucceed = true;  // what print and save report

 private:
  Gtk::DrawingArea area_;
  std::string location_;
  std::vector<std::string> history_;
  std::size_t position_ = 0;
  void Show(std::size_t index);
  void Load(const std::string& url, int flags);
};
