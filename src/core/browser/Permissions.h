// What the user answered to a site's permission requests in this run. Never
// stored: a new run asks again.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

class PermissionAnswers {
 public:
  std::optional<bool> Recall(const std::string& host, const std::string& what) const;
  void Remember(const std::string& host, const std::string& what, bool allowed);

 private:
  std::map<std::pair<std::string, std::string>, bool> answers_;
};

// "example.org wants to use your location"
std::string PermissionQuestion(const std::string& host, const std::string& what);
