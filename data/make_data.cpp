// Build-time generator of the shipped data files: the default settings
// record, DefPage.htm and the six starter site lists from sites.txt.
//   make_data SITES_TXT OUTDIR
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/app/SettingsRecord.h"
#include "core/app/Startup.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"
#include "core/sitelists/ListFiles.h"

namespace {

struct Category {
  std::string name;
  std::vector<SiteRecord> sites;
};

bool ParseSites(const std::string& path, std::vector<Category>& out) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = coding::TrimBlanks(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      out.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    const auto bar = line.find('|');
    if (bar == std::string::npos || out.empty()) {
      std::cerr << path << ":" << number << ": expected 'Name | address'\n";
      return false;
    }
    out.back().sites.push_back({coding::TrimBlanks(line.substr(0, bar)), coding::TrimBlanks(line.substr(bar + 1))});
  }
  return !out.empty();
}

bool WriteText(const std::string& path, const std::string& text) {
  return fileops::WriteAtomic(path, fileops::Bytes(text.begin(), text.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_data SITES_TXT OUTDIR\n";
    return 2;
  }
  const std::string out = argv[2];
  std::vector<Category> categories;
  if (!ParseSites(argv[1], categories)) return 1;

  Settings defaults;
  defaults.InstallMarker = kFreshInstallMarker;
  defaults.HistoryDays = 7;     // a week of history unless the user says otherwise
  defaults.BackupInEditor = 1;  // the list editor offers back-up and restore
  bool ok = SaveSettings(out + "/skelvorn.ini", defaults) && WriteText(out + "/DefPage.htm", DefPageContent());

  fileops::MakeDir(out + "/SiteLists");
  std::vector<CategoryRecord> catList;
  for (std::size_t i = 0; i < categories.size(); ++i) {
    const auto number = static_cast<int16_t>(i + 1);
    catList.push_back({categories[i].name, number});
    ok = ok && RewriteSites(out + "/SiteLists/" + SiteFileName(number), categories[i].sites);
  }
  ok = ok && RewriteCategories(out + "/SiteLists/CatList.dab", catList);
  if (!ok) std::cerr << "make_data: cannot write into " << out << "\n";
  return ok ? 0 : 1;
}
