// File dialogs, all through one place so tests can script them.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct OpenFilesRequest {
  std::string title;
  std::string filter;  // pairs of name and patterns: "Favorites |*.URL;*.url;*.Url|All Files |*.*"
  std::string folder;  // where the dialog opens; empty: the desktop's choice
  bool multiple = false;
  Gtk::Window* parent = nullptr;
};

// Shows a modal file-open dialog; returns the full paths of the chosen
// existing files, in the order given, or nothing when cancelled.
std::vector<std::string> ShowOpenFiles(const OpenFilesRequest& request);

// Tests install a chooser that answers instead of the dialog.
using OpenFilesChooser = std::function<std::vector<std::string>(const OpenFilesRequest&)>;
void SetOpenFilesChooser(OpenFilesChooser chooser);  // empty function: the real dialog again

struct SaveFileRequest {
  std::string title;
  std::string suggestedName;  // offered in the name box
  std::string filter;         // as for OpenFilesRequest
  std::string folder;
  Gtk::Window* parent = nullptr;
};
// Shows a modal save dialog that asks before replacing a file; returns the
// chosen path, or "" when cancelled.
std::string ShowSaveFile(const SaveFileRequest& request);
using SaveFileChooser = std::function<std::string(const SaveFileRequest&)>;
void SetSaveFileChooser(SaveFileChooser chooser);  // empty function: the real dialog again

struct FontChoice {
  std::string family;
  bool bold = false;
  float size = 0;  // points
};
struct FontRequest {
  std::string title;
  FontChoice preset;  // what the dialog shows first
  Gtk::Window* parent = nullptr;
};
// Shows a modal font dialog; nothing when cancelled.
std::optional<FontChoice> ShowFontChooser(const FontRequest& request);
using FontChooser = std::function<std::optional<FontChoice>(const FontRequest&)>;
void SetFontChooser(FontChooser chooser);  // empty function: the real dialog again

// The filter text as (name, patterns) pairs; names are trimmed.
std::vector<std::pair<std::string, std::vector<std::string>>> ParseFileFilter(const std::string& filter);
