// What the full-screen window decides without a window: the checks of its
// add-page panel, in their order, the add itself, and where a new main
// window opened from it goes.
#pragma once

#include <optional>
#include <string>

// The panel's category box as the add-page checks see it.
struct AddPagePanel {
  int itemCount = 0;
  int selected = -1;                       // -1: nothing selected
  std::string selectedText;                // the selected item's caption
  std::optional<std::string> selectedKey;  // nullopt: it could not be read
  bool separateSelectors = false;          // SeparateSelectors = 1
};
// The message of the first check that fails, or "" when the page may be added.
std::string AddPageCheck(const AddPagePanel& panel);

extern const char* const kNoCategoriesText;  // the add-page button, with no category to add to

struct AddPageResult {
  std::string message;     // "" on success
  std::string storedName;  // the name as stored, made unique in its category
  int16_t fileNumber = 0;  // the site file it went into
};
// Appends the page to the site file of category `category` (0-based) of the
// category list, under `name` made unique (its address when it has none).
AddPageResult AddPageToCategory(const std::string& catListPath, const std::string& siteListsDir, int category,
                                const std::string& name, const std::string& url);

// The shared main-window position (twips) for a window the full-screen
// page opens: 600 up and left, and 600 when that would pass zero.
float FullScreenCascadeStep(float position);
