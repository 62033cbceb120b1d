// What the engine keeps of the sites the user visited (cookies, storage,
// cache), as the clear-data window sees it. Answers come later, on the UI
// thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

class SiteData {
 public:
  virtual ~SiteData() = default;
  enum Kind { kCookiesAndStorage = 1, kCache = 2 };
  // Clears the kinds stored in the last `seconds` (0: whatever their age).
  virtual void Clear(int kinds, long long seconds, const std::function<void(bool ok)>& done) = 0;
  // The sites that keep cookies, sorted.
  virtual void SitesWithCookies(const std::function<void(std::vector<std::string>)>& done) = 0;
  virtual void RemoveCookiesOf(const std::string& site, const std::function<void(bool ok)>& done) = 0;
};
