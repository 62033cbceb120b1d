#include "core/windows/FullScreenRules.h"

#include "core/app/SharedRoutines.h"
#include "core/records/Coding.h"
#include "core/sitelists/ListFiles.h"

const char* const kNoCategoriesText = "Can't Add Page. No Categories Exist.";

std::string AddPageCheck(const AddPagePanel& panel) {
  if (panel.itemCount <= 0)
    return "No Categories Exist, Click The -List- Button\nTo Open Edit Window And Create A Category.";
  if (panel.selected < 0 || panel.selected >= panel.itemCount)
    return "Can't Add Page. No Category Is Currently Selected.";
  if (panel.selectedText.empty()) return "Can't Add Page. Category Name Was Null";
  if (!panel.separateSelectors) {
    if (!panel.selectedKey) return "Can't Add Page. An Error Occurred";
    if (panel.selectedKey->empty() || panel.selectedKey->front() != 'C')
      return "Can't Add Page. Selected Item Is Not A Category";
  }
  return "";
}

AddPageResult AddPageToCategory(const std::string& catListPath, const std::string& siteListsDir, int category,
                                const std::string& name, const std::string& url) {
  if (FileTest(catListPath) != 0) return {"An Error Occurred Opening File And Adding Page", ""};
  if (coding::TrimBlanks(url).empty()) return {"Can't Add Page. No Page Is Showing.", ""};
  const auto categories = ReadCategories(catListPath);
  const char* const fileError = "Can't Add Page. File Error Occurred";
  // The list may have changed since the panel was filled.
  if (category < 0 || static_cast<std::size_t>(category) >= categories.size()) return {fileError, ""};
  const auto& record = categories[static_cast<std::size_t>(category)];
  if (record.FileNumber < 1) return {fileError, ""};
  // A page without a name is listed under its address.
  const std::string listed = coding::TrimBlanks(name).empty() ? url : name;
  const auto stored = AppendSite(siteListsDir + "/" + SiteFileName(record.FileNumber), listed, url);
  if (!stored) return {fileError, ""};
  return {"", *stored, record.FileNumber};
}

float FullScreenCascadeStep(float position) {
  const float moved = position - 600;
  return moved < 0 ? 600 : moved;
}
