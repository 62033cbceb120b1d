#include "core/app/Startup.h"

#include <algorithm>

#include "core/app/SharedRoutines.h"
#include "core/app/ToolTips.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"

namespace {

const char* const kShippedLists[] = {"CatList.dab",    "Sites00001.dab", "Sites00002.dab", "Sites00003.dab",
                                     "Sites00004.dab", "Sites00005.dab", "Sites00006.dab"};

std::string HelpPageName() { return std::string(kAppTitle) + "Help.htm"; }

// Makes the directory when it is missing; the breadcrumb names it first.
bool EnsureDir(const std::string& path, Module1State& st) {
  st.BootErrorText = path + " Dir, or Error Creating It";
  if (DirTest(path) == 0) return true;
  return fileops::MakeDir(path) || DirTest(path) == 0;
}

// The first start's lists are filled in a folder of their own and renamed
// into place when complete: a start that dies half-way must not leave a
// half-filled SiteLists, which later starts would take for the user's own.
bool CopyShippedLists(const std::string& appDir, const std::string& siteLists, Module1State& st) {
  const std::string staging = siteLists + ".new";
  fileops::RemoveDirWithFiles(staging);  // left by a start that died
  if (!fileops::MakeDir(staging)) return false;
  st.BootErrorText = "No App Source Data/App/SiteLists Dir, Or Error Copying It's Files To User Dir.";
  std::vector<std::pair<std::string, std::string>> copies;
  for (const char* name : kShippedLists) copies.emplace_back(appDir + "/SiteLists/" + name, staging + "/" + name);
  return fileops::CopyFilesDurably(copies) && fileops::RenameDurably(staging, siteLists);
}

bool MakeDataDirs(const StartupInputs& in, Module1State& st) {
  st.BootErrorText = "App Start-Up, Error Accessing Or Creating App Data Sub-Dirs In XP-NT User Dir";
  // The data home itself may be missing on a fresh account, parents and all.
  st.BootErrorText = in.dataHome + " Dir, or Error Creating It";
  if (!fileops::MakeDirs(in.dataHome)) return false;
  for (const auto& dir : {st.UserDataDir, st.HistoryDir, st.UserDataDir + "/BU_SiteLists"})
    if (!EnsureDir(dir, st)) return false;
  st.BootErrorText = st.SiteListsDir + " Dir, or Error Creating It";
  if (DirTest(st.SiteListsDir) == 0) return true;  // never touched once it exists
  return CopyShippedLists(st.AppDir, st.SiteListsDir, st);
}

bool CheckShippedSettings(Module1State& st) {
  st.BootErrorText = "No App Data/App/Ini File, Error Copying It";
  const std::string shipped = st.AppDir + "/skelvorn.ini";
  if (FileTest(shipped) != 0) return false;
  const auto bytes = fileops::ReadAll(shipped);
  if (!bytes || bytes->size() < settings_layout::kMinShippedSize) return false;
  if (FileTest(st.UserIniPath) != 0 && !fileops::CopyFile(shipped, st.UserIniPath)) return false;
  return true;
}

bool LoadUserSettings(const StartupInputs& in, Module1State& st) {
  st.BootErrorText = "No.. " + st.UserIniPath + " ..Or Error Opening Or Reading It";
  const auto loaded = LoadSettings(st.UserIniPath);
  if (!loaded) return false;
  st.Working = *loaded;
  st.BootErrorText = "After.. " + st.UserIniPath + " ..Read, Sub_Main App. Boot Error";
  LoadContext ctx;
  ctx.today = static_cast<double>(dates::DayNumber(in.now.year, in.now.month, in.now.day));
  ctx.screenWidthTwips = in.screenWidthTwips;
  ctx.screenHeightTwips = in.screenHeightTwips;
  ApplyLoadRules(st.Working, ctx);
  return true;
}

bool WriteDefPageIfMissing(Module1State& st) {
  if (FileTest(st.DefPagePath) == 0) return true;
  const std::string text = DefPageContent();
  return fileops::WriteAtomic(st.DefPagePath, fileops::Bytes(text.begin(), text.end()));
}

}  // namespace

std::string CleanCommandLine(const std::string& raw) {
  std::string s = raw;
  for (char& c : s)
    if (c == '"') c = ' ';
  return coding::TrimBlanks(s);
}

namespace {
std::string Tidied(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    const std::string part = path.substr(at, slash - at);
    if (part == ".." && !parts.empty() && parts.back() != "..") {
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = slash + 1;
  }
  std::string out = path.rfind('/', 0) == 0 ? "" : ".";
  for (const auto& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}
}  // namespace

std::string FindAppDir(const std::string& exe, const std::string& dataFromExe) {
  const std::size_t slash = exe.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : exe.substr(0, slash);
  if (FileTest(dir + "/skelvorn.ini") == 0) return dir;
  return Tidied(dir + "/" + dataFromExe);
}

std::string DefPageContent() {
  const char* const lines[] = {"<html>",  "<head>", "<title>Pre-Navigate Default Page</title>",
                               "</head>", "<body>", "<p align=\"center\">___________________________</p>",
                               "</body>", "</html>"};
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

std::string ResolveStartPage(const std::string& setting, const std::string& appDir) {
  const std::string help = HelpPageName();
  const bool pointsAtOldHelp =
      setting.size() > help.size() && setting.compare(setting.size() - help.size(), help.size(), help) == 0;
  if (!setting.empty() && !pointsAtOldHelp) return setting;
  if (FileTest(appDir + "/" + help) == 0) return appDir + "/" + help;
  if (FileTest(appDir + "/DefPage.htm") == 0) return appDir + "/DefPage.htm";
  return "";
}

std::string StartPageAddress(const std::string& startPage) {
  if (startPage.empty()) return "";
  if (startPage[0] == '/') return LocalPageUrl(startPage);
  return startPage;
}

bool PrepareStart(const StartupInputs& in, Module1State& st) {
  st.AppDir = in.appDir;
  st.BootErrorText = "Error Operating System Version";
  st.BootErrorText = "App Start-Up, Error Geting Your XP-NT User Dir";
  if (in.profileDir.empty() || DirTest(in.profileDir) != 0) {
    st.BootErrorText = "App Start-Up, Error Geting Your XP-NT User Dir, Then Default User Dir";
    return false;
  }
  st.UserDataDir = in.dataHome + "/" + kAppTitle;
  st.HistoryDir = st.UserDataDir + "/History";
  st.SiteListsDir = st.UserDataDir + "/SiteLists";
  st.CatListPath = st.SiteListsDir + "/CatList.dab";
  st.UserIniPath = st.UserDataDir + "/skelvorn.ini";
  if (!MakeDataDirs(in, st) || !CheckShippedSettings(st)) return false;

  st.FavoritesDir = in.profileDir + "/Favorites";
  if (DirTest(st.FavoritesDir) != 0) st.FavoritesDir.clear();
  st.KillPopPagePath = st.AppDir + "/KillPopUps.htm";
  st.KillPopPageUrl = LocalPageUrl(st.KillPopPagePath);

  if (!LoadUserSettings(in, st)) return false;

  st.DefPagePath = st.AppDir + "/DefPage.htm";
  if (!WriteDefPageIfMissing(st)) return false;
  st.DefPageUrl = LocalPageUrl(st.DefPagePath);
  st.HelpPagePath = st.AppDir + "/" + HelpPageName();
  st.Working.StartPage = ResolveStartPage(st.Working.StartPage, st.AppDir);
  st.StartPageUrl = StartPageAddress(st.Working.StartPage);

  st.ToolTipTexts = BuildToolTipTexts(kAppTitle, st.Working.RefreshMode, st.Working.MailName);
  if (st.Working.InstallMarker < 1) st.Working.InstallMarker = 1;
  st.DontKillPath = st.UserDataDir + "/DontKill.dab";
  return true;
}
