#include "core/browser/Permissions.h"

#include "core/records/Coding.h"

std::optional<bool> PermissionAnswers::Recall(const std::string& host, const std::string& what) const {
  const auto it = answers_.find({coding::ToLower(host), what});
  if (it == answers_.end()) return std::nullopt;
  return it->second;
}

void PermissionAnswers::Remember(const std::string& host, const std::string& what, bool allowed) {
  answers_[{coding::ToLower(host), what}] = allowed;
}

std::string PermissionQuestion(const std::string& host, const std::string& what) {
  return (host.empty() ? std::string("This page") : host) + " wants to " + what;
}
