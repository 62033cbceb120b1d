#include "core/browser/MenuCommands.h"

#include "core/records/Coding.h"

const char* const kDocumentFilter =
    "HTML Files |*.HTML;*.Html;*.html;*.HTM;*.Htm;*.htm|XML Files |*.XML;*.Xml;*.xml|TEXT Files "
    "|*.TXT;*.Txt;*.txt|GIF Files |*.GIF;*.Gif;*.gif|JPEG Files |*.JPG;*.Jpg;*.jpg|PNG Files "
    "|*.PNG;*.Png;*.png|All Files |*.*";
const char* const kFavoritesFilter = "Favorites |*.URL;*.url;*.Url";
const char* const kNoMailHandlerText = "No Mail Program Is Set Up To Write New Mail On This Computer.";

std::vector<std::string> ProgramArgv(const std::string& path) {
  const std::string trimmed = coding::TrimBlanks(path);
  if (trimmed.empty()) return {};
  const bool quoted = trimmed.size() > 2 && trimmed.front() == '"' && trimmed.back() == '"';
  if (quoted) return {trimmed.substr(1, trimmed.size() - 2)};
  return {trimmed};
}

std::string AddInPath(const std::string& appDir) { return appDir + "/Quillbox/Quillbox"; }

std::string AddInMissingText() { return ".../Quillbox/Quillbox Is Not Installed.\nIt Is A Separate Add-In Utility"; }

std::string ProgramMissingText(const std::string& name, const std::string& path) {
  const std::string trimmed = coding::TrimBlanks(path);
  return name + " Could Not Be Started.\n" +
         (trimmed.empty() ? std::string("No Program Is Set For It.") : "The Program " + trimmed + " Was Not Found.");
}

bool IsOpenableShortcutUrl(const std::string& url) {
  const std::string lc = coding::ToLower(coding::TrimBlanks(url));
  for (const char* scheme : {"http://", "https://", "file://"})
    if (lc.rfind(scheme, 0) == 0 && lc.size() > std::char_traits<char>::length(scheme)) return true;
  return false;
}

std::string NotAShortcutText(const std::string& path) { return "The File " + path + " Is Not An Internet Shortcut."; }

std::string NameCaption(const std::string& name) {
  std::string caption = "_";
  for (const char c : name) caption += c == '_' ? std::string("__") : std::string(1, c);
  return caption;
}
