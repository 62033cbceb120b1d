// An in-memory browser for window tests: records what the window asked and
// plays a whole page load synchronously, so handlers can be driven without
// pages or an engine.
#pragma once

#include <map>
#include <vector>

#include "platform/WebBrowser.h"

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
  bool OpenedByPage() const override { return openedByPage; }

  // Plays BeforeNavigate2 .. DownloadComplete for a page with this title
  // (titles come from `titles`, else none).
  void CompleteLoad(const std::string& url);
  // A link the user follows in the page.
  void ClickLink(const std::string& url);

  std::map<std::string, std::string> titles;
  std::vector<std::string> navigations;  // every Navigate call, as asked
  std::vector<int> refreshes;
  int stops = 0;
  bool silent = false;
  bool autoComplete = true;  // Navigate plays the whole load at once
  bool openedByPage = false;

 private:
  Gtk::DrawingArea area_;
  std::string location_;
  std::vector<std::string> history_;
  std::size_t position_ = 0;
  void Show(std::size_t index);
  void Load(const std::string& url, int flags);
};
