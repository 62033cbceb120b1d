#include "platform/FileDialogs.h"

#include <glib.h>

#include "core/records/Coding.h"

namespace {

OpenFilesChooser& CurrentChooser() {
  static OpenFilesChooser chooser;
  return chooser;
}

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
    for (const auto& [name, patterns] : ParseFileFilter(request.filter)) {
      auto f = Gtk::FileFilter::create();
      f->set_name(name);
      for (const auto& p : patterns) f->add_pattern(p);
      dialog.add_filter(f);
    }
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
