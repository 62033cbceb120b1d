#include "core/browser/ErrorPages.h"

#include "core/records/Coding.h"

bool IsErrorPageTitle(const std::string& title) {
  const std::string lower = coding::ToLower(title);
  for (const char* error : {kErrorTitleNotFound, kErrorTitleOffline})
    if (lower == coding::ToLower(error)) return true;
  return false;
}
