#include "platform/FileDialogs.h"

#include <glib.h>

#include "core/records/Coding.h"
#include "platform/ModalLoop.h"

namespace {

OpenFilesChooser& CurrentChooser() {
  static OpenFilesChooser chooser;
  return chooser;
}

SaveFileChooser& CurrentSaveChooser() {
  static SaveFileChooser chooser;
  return chooser;
}

FontChooser& CurrentFontChooser() {
  static FontChooser chooser;
  return chooser;
}

void AddFilters(Gtk::FileChooser& dialog, const std::string& filter);

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const auto at = text.find(sep, from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

}  // namespace

void SetOpenFilesChooser(OpenFilesChooser chooser) { CurrentChooser() = std::move(chooser); }
void SetSaveFileChooser(SaveFileChooser chooser) { CurrentSaveChooser() = std::move(chooser); }
void SetFontChooser(FontChooser chooser) { CurrentFontChooser() = std::move(chooser); }

std::vector<std::pair<std::string, std::vector<std::string>>> ParseFileFilter(const std::string& filter) {
  std::vector<std::pair<std::string, std::vector<std::string>>> out;
  const auto parts = Split(filter, '|');
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::vector<std::string> patterns;
    for (const auto& p : Split(parts[i + 1], ';')) {
      const std::string trimmed = coding::TrimBlanks(p);
      if (!trimmed.empty()) patterns.push_back(trimmed);
    }
    out.emplace_back(coding::TrimBlanks(parts[i]), patterns);
  }
  return out;
}

std::vector<std::string> ShowOpenFiles(const OpenFilesRequest& request) {
  const ModalLoopScope modal;
  std::vector<std::string> chosen;
  if (CurrentChooser()) {
    chosen = CurrentChooser()(request);
  } else {
    Gtk::FileChooserDialog dialog(request.title.empty() ? "Open" : request.title, Gtk::FILE_CHOOSER_ACTION_OPEN);
    if (request.parent) dialog.set_transient_for(*request.parent);
    dialog.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    dialog.add_button("_Open", Gtk::RESPONSE_OK);
    dialog.set_default_response(Gtk::RESPONSE_OK);
    dialog.set_select_multiple(request.multiple);
    dialog.set_local_only(true);
    AddFilters(dialog, request.filter);
    if (!request.folder.empty() && g_file_test(request.folder.c_str(), G_FILE_TEST_IS_DIR))
      dialog.set_current_folder(request.folder);
    // The chooser truly waits: the handler that asked goes on with the files.
    if (dialog.run() == Gtk::RESPONSE_OK) chosen = dialog.get_filenames();
  }
  // Only existing files count, whatever typed text the dialog let through.
  std::vector<std::string> files;
  for (const auto& path : chosen)
    if (g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR)) files.push_back(path);
  return files;
}

namespace {
void AddFilters(Gtk::FileChooser& dialog, const std::string& filter) {
  for (const auto& [name, patterns] : ParseFileFilter(filter)) {
    auto f = Gtk::FileFilter::create();
    f->set_name(name);
    for (const auto& p : patterns) f->add_pattern(p);
    dialog.add_filter(f);
  }
}
}  // namespace

std::string ShowSaveFile(const SaveFileRequest& request) {
  const ModalLoopScope modal;
  if (CurrentSaveChooser()) return CurrentSaveChooser()(request);
  Gtk::FileChooserDialog dialog(request.title.empty() ? "Save As" : request.title, Gtk::FILE_CHOOSER_ACTION_SAVE);
  if (request.parent) dialog.set_transient_for(*request.parent);
  dialog.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
  dialog.add_button("_Save", Gtk::RESPONSE_OK);
  dialog.set_default_response(Gtk::RESPONSE_OK);
  dialog.set_do_overwrite_confirmation(true);
  dialog.set_local_only(true);
  AddFilters(dialog, request.filter);
  if (!request.folder.empty() && g_file_test(request.folder.c_str(), G_FILE_TEST_IS_DIR))
    dialog.set_current_folder(request.folder);
  if (!request.suggestedName.empty()) dialog.set_current_name(request.suggestedName);
  // The chooser truly waits: the handler that asked goes on with the path.
  return dialog.run() == Gtk::RESPONSE_OK ? dialog.get_filename() : "";
}

std::optional<FontChoice> ShowFontChooser(const FontRequest& request) {
  const ModalLoopScope modal;
  if (CurrentFontChooser()) return CurrentFontChooser()(request);
  Gtk::FontChooserDialog dialog(request.title.empty() ? "Font" : request.title);
  if (request.parent) dialog.set_transient_for(*request.parent);
  Pango::FontDescription preset;
  preset.set_family(request.preset.family);
  preset.set_weight(request.preset.bold ? Pango::WEIGHT_BOLD : Pango::WEIGHT_NORMAL);
  if (request.preset.size > 0) preset.set_size(static_cast<int>(request.preset.size * PANGO_SCALE));
  dialog.set_font_desc(preset);
  if (dialog.run() != Gtk::RESPONSE_OK) return std::nullopt;
  const Pango::FontDescription chosen = dialog.get_font_desc();
  FontChoice choice;
  choice.family = chosen.get_family();
  choice.bold = chosen.get_weight() >= Pango::WEIGHT_BOLD;
  choice.size = static_cast<float>(chosen.get_size()) / PANGO_SCALE;
  if (choice.family.empty()) return std::nullopt;
  return choice;
}
