#include "core/sitelists/SiteListEditor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "core/app/Dates.h"
#include "core/app/SharedRoutines.h"
#include "core/records/Coding.h"
#include "core/records/FileOps.h"

namespace fs = std::filesystem;
using namespace list_layout;

namespace site_list_editor {

namespace {

constexpr std::size_t kUrlChars = 260;              // a shortcut's address is cut here
constexpr std::size_t kNameChars = 140;             // and its name here
constexpr std::size_t kMaxShortcutBytes = 1 << 20;  // anything bigger is not a shortcut

std::string StoredText(const std::string& text, std::size_t width) {
  coding::Bytes field(width, ' ');
  coding::PutText(field, 0, width, text);
  return coding::GetText(field, 0, width);
}

Outcome Result(EditResult r, int index = -1, std::string name = "") { return {r, index, std::move(name)}; }

std::vector<std::string> NamesOf(const std::vector<SiteRecord>& sites) {
  std::vector<std::string> names;
  names.reserve(sites.size());
  for (const auto& s : sites) names.push_back(s.Name);
  return names;
}

bool InRange(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

// The valid rows, ascending, each once.
std::vector<int> ValidRows(const std::vector<int>& rows, std::size_t size) {
  std::set<int> valid;
  for (int r : rows)
    if (InRange(r, size)) valid.insert(r);
  return {valid.begin(), valid.end()};
}

template <typename Record>
bool MoveInList(std::vector<Record>& list, int index, int target) {
  if (target < 0) return false;
  Record moved = list[static_cast<std::size_t>(index)];
  list.erase(list.begin() + index);
  list.insert(list.begin() + target, std::move(moved));
  return true;
}

// Sorts by name, letter case ignored; returns the new place of `selected`.
template <typename Record>
int SortByName(std::vector<Record>& list, bool ascending, int selected) {
  std::vector<std::pair<Record, int>> tagged;
  for (std::size_t i = 0; i < list.size(); ++i) tagged.emplace_back(list[i], static_cast<int>(i));
  std::stable_sort(tagged.begin(), tagged.end(), [ascending](const auto& a, const auto& b) {
    const std::string x = coding::ToLower(a.first.Name), y = coding::ToLower(b.first.Name);
    return ascending ? x < y : y < x;
  });
  int now = -1;
  for (std::size_t i = 0; i < tagged.size(); ++i) {
    list[i] = tagged[i].first;
    if (tagged[i].second == selected) now = static_cast<int>(i);
  }
  return now;
}

// Reads a list file, lets `edit` change the list and writes it back when
// the edit is Done: a file that cannot be read or written is a FileError,
// and nothing is written for an edit that changes nothing.
template <typename Read, typename Rewrite, typename Edit>
Outcome EditListFile(const std::string& path, Read read, Rewrite rewrite, Edit edit) {
  auto list = read(path);
  if (!list) return Result(EditResult::FileError);
  Outcome outcome = edit(*list);
  if (outcome.result == EditResult::Done && !rewrite(path, *list)) return Result(EditResult::FileError);
  return outcome;
}

template <typename Edit>
Outcome EditCategories(const std::string& liveDir, Edit edit) {
  return EditListFile(CatListPathIn(liveDir), TryReadCategories, RewriteCategories, edit);
}

template <typename Edit>
Outcome EditSites(const std::string& sitePath, Edit edit) {
  return EditListFile(sitePath, TryReadSites, RewriteSites, edit);
}

// Gives entry `index` the name `stored` (as the file keeps it), unless
// another entry has that name already.
template <typename Record>
Outcome RenameEntry(std::vector<Record>& list, int index, const std::string& stored) {
  if (stored.empty() || !InRange(index, list.size())) return Result(EditResult::Unchanged);
  auto& entry = list[static_cast<std::size_t>(index)];
  if (entry.Name == stored) return Result(EditResult::Unchanged, index, stored);
  for (const auto& e : list)
    if (e.Name == stored) return Result(EditResult::Duplicate, index, stored);
  entry.Name = stored;
  return Result(EditResult::Done, index, stored);
}

template <typename Record>
Outcome MoveEntry(std::vector<Record>& list, int index, Move how) {
  const int target = MovedIndex(index, static_cast<int>(list.size()), how);
  if (!MoveInList(list, index, target)) return Result(EditResult::Unchanged, index);
  return Result(EditResult::Done, target);
}

template <typename Record>
Outcome SortEntries(std::vector<Record>& list, bool ascending, int selected) {
  if (list.empty()) return Result(EditResult::Unchanged);
  return Result(EditResult::Done, SortByName(list, ascending, selected));
}

// Shortcut files and file names come in UTF-8 or in the old single-byte code page.
std::string AsUtf8(const std::string& bytes) { return coding::IsUtf8(bytes) ? bytes : coding::Cp1252ToUtf8(bytes); }

std::string CutChars(const std::string& utf8, std::size_t chars) {
  std::size_t i = 0, n = 0;
  while (i < utf8.size() && n < chars) {
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
    ++n;
  }
  return utf8.substr(0, i);
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

std::vector<std::string> FilesIn(const std::string& dir) { return fileops::ListFiles(dir); }
using fileops::RemoveDirWithFiles;
bool Rename(const std::string& from, const std::string& to) { return fileops::RenameDurably(from, to); }

std::string TwoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

}  // namespace

std::string StoredCategoryName(const std::string& name) { return StoredText(name, kCategoryNameWidth); }
std::string StoredSiteName(const std::string& name) { return StoredText(name, kSiteNameWidth); }
std::string StoredUrl(const std::string& url) { return StoredText(url, kSiteUrlWidth); }

std::string CatListPathIn(const std::string& liveDir) { return fileops::Join(liveDir, "CatList.dab"); }
std::string SitePathIn(const std::string& liveDir, int16_t fileNumber) {
  return fileops::Join(liveDir, SiteFileName(fileNumber));
}

// ---- categories ----

Outcome AddCategory(const std::string& liveDir, const std::string& name) {
  const std::string stored = StoredCategoryName(name);
  if (stored.empty()) return Result(EditResult::Unchanged);
  const std::string catList = CatListPathIn(liveDir);
  auto read = TryReadCategories(catList);
  if (!read) return Result(EditResult::NoFreeNumber);
  auto& cats = *read;
  for (const auto& c : cats)
    if (c.Name == stored) return Result(EditResult::Duplicate, -1, stored);
  const auto number = NewSiteFileNumber(catList);
  if (!number) return Result(EditResult::NoFreeNumber);
  const auto fileNumber = static_cast<int16_t>(std::stoi(*number));
  // The empty site file first: a category is never listed without its file.
  if (!fileops::MakeDirs(liveDir) || !fileops::WriteAtomic(SitePathIn(liveDir, fileNumber), {}))
    return Result(EditResult::FileError);
  cats.push_back({stored, fileNumber});
  if (!RewriteCategories(catList, cats)) return Result(EditResult::FileError);
  return Result(EditResult::Done, static_cast<int>(cats.size()) - 1, stored);
}

Outcome DeleteCategory(const std::string& liveDir, int index) {
  const std::string catList = CatListPathIn(liveDir);
  auto read = TryReadCategories(catList);
  if (!read) return Result(EditResult::FileError);
  auto& cats = *read;
  if (!InRange(index, cats.size())) return Result(EditResult::Unchanged);
  const int16_t number = cats[static_cast<std::size_t>(index)].FileNumber;
  cats.erase(cats.begin() + index);
  // The list first: if it cannot be written, the category keeps its sites.
  if (!RewriteCategories(catList, cats)) return Result(EditResult::FileError);
  const bool shared = std::any_of(cats.begin(), cats.end(), [&](const auto& c) { return c.FileNumber == number; });
  if (!shared) fileops::RemoveFile(SitePathIn(liveDir, number));
  const int next = cats.empty() ? -1 : std::min(index, static_cast<int>(cats.size()) - 1);
  return Result(EditResult::Done, next);
}

Outcome RenameCategory(const std::string& liveDir, int index, const std::string& newName) {
  const std::string stored = StoredCategoryName(newName);
  return EditCategories(liveDir, [&](auto& cats) { return RenameEntry(cats, index, stored); });
}

// ---- sites ----

Outcome AddTypedAddress(const std::string& sitePath, const std::string& text) {
  const std::string typed = coding::TrimBlanks(text);
  if (typed.empty() || coding::ToUpper(typed) == "HTTP://") return Result(EditResult::Unchanged);
  const std::string url = StoredUrl(typed);
  return EditSites(sitePath, [&](auto& sites) {
    for (const auto& s : sites)
      if (s.URL == url) return Result(EditResult::Duplicate, -1, url);
    sites.push_back({"", url});
    return Result(EditResult::Done, static_cast<int>(sites.size()) - 1, "");
  });
}

Outcome AddPage(const std::string& sitePath, const std::string& title, const std::string& url) {
  const std::string address = StoredUrl(url);
  if (address.empty()) return Result(EditResult::Unchanged);
  return EditSites(sitePath, [&](auto& sites) {
    const std::string name = UniqueSiteName(StoredSiteName(title), NamesOf(sites), kSiteNameWidth);
    sites.push_back({name, address});
    return Result(EditResult::Done, static_cast<int>(sites.size()) - 1, name);
  });
}

Outcome DeleteSites(const std::string& sitePath, const std::vector<int>& rows) {
  return EditSites(sitePath, [&](auto& sites) {
    const auto valid = ValidRows(rows, sites.size());
    if (valid.empty()) return Result(EditResult::Unchanged);
    for (auto it = valid.rbegin(); it != valid.rend(); ++it) sites.erase(sites.begin() + *it);
    return Result(EditResult::Done, static_cast<int>(valid.size()));
  });
}

Outcome RenameSite(const std::string& sitePath, int index, const std::string& newName) {
  const std::string stored = StoredSiteName(newName);
  return EditSites(sitePath, [&](auto& sites) { return RenameEntry(sites, index, stored); });
}

// ---- order ----

int MovedIndex(int index, int count, Move how) {
  if (index < 0 || index >= count) return -1;
  switch (how) {
    case Move::Up:
      return index > 0 ? index - 1 : -1;
    case Move::Down:
      return index < count - 1 ? index + 1 : -1;
    case Move::ToTop:
      return index > 0 ? 0 : -1;
    case Move::ToBottom:
      return index < count - 1 ? count - 1 : -1;
  }
  return -1;
}

Outcome MoveCategory(const std::string& liveDir, int index, Move how) {
  return EditCategories(liveDir, [&](auto& cats) { return MoveEntry(cats, index, how); });
}

Outcome MoveSite(const std::string& sitePath, int index, Move how) {
  return EditSites(sitePath, [&](auto& sites) { return MoveEntry(sites, index, how); });
}

Outcome SortCategories(const std::string& liveDir, bool ascending, int selected) {
  return EditCategories(liveDir, [&](auto& cats) { return SortEntries(cats, ascending, selected); });
}

Outcome SortSites(const std::string& sitePath, bool ascending, int selected) {
  return EditSites(sitePath, [&](auto& sites) { return SortEntries(sites, ascending, selected); });
}

// ---- copy and move between categories ----

Outcome CopySites(const std::string& sourcePath, const std::vector<int>& rows, const std::string& destPath) {
  if (sourcePath == destPath) return Result(EditResult::SameCategory);
  const auto readSource = TryReadSites(sourcePath);
  if (!readSource) return Result(EditResult::FileError);
  const auto& source = *readSource;
  const auto valid = ValidRows(rows, source.size());
  if (valid.empty()) return Result(EditResult::Unchanged);
  auto readDest = TryReadSites(destPath);
  if (!readDest) return Result(EditResult::FileError);
  auto& dest = *readDest;
  auto names = NamesOf(dest);
  for (int r : valid) {
    const auto& site = source[static_cast<std::size_t>(r)];
    names.push_back(UniqueSiteName(site.Name, names, kSiteNameWidth));
    dest.push_back({names.back(), site.URL});
  }
  if (!RewriteSites(destPath, dest)) return Result(EditResult::FileError);
  return Result(EditResult::Done, static_cast<int>(valid.size()));
}

Outcome MoveSites(const std::string& sourcePath, const std::vector<int>& rows, const std::string& destPath) {
  if (sourcePath == destPath) return Result(EditResult::SameCategory);
  auto readSource = TryReadSites(sourcePath);
  if (!readSource) return Result(EditResult::FileError);
  auto& source = *readSource;
  const auto valid = ValidRows(rows, source.size());
  if (valid.empty()) return Result(EditResult::Unchanged);
  auto readDest = TryReadSites(destPath);
  if (!readDest) return Result(EditResult::FileError);
  auto& dest = *readDest;
  auto names = NamesOf(dest);
  for (auto it = valid.rbegin(); it != valid.rend(); ++it) {
    const auto& site = source[static_cast<std::size_t>(*it)];
    names.push_back(UniqueSiteName(site.Name, names, kSiteNameWidth));
    dest.push_back({names.back(), site.URL});
    source.erase(source.begin() + *it);
  }
  if (!RewriteSites(destPath, dest) || !RewriteSites(sourcePath, source)) return Result(EditResult::FileError);
  return Result(EditResult::Done, static_cast<int>(valid.size()));
}

// ---- favourites ----

std::string ReadShortcutUrl(const std::string& path) {
  if (FileTest(path) != 0) return "";
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec || size > kMaxShortcutBytes) return "";
  const auto bytes = fileops::ReadAll(path);
  if (!bytes || bytes->size() < 30) return "";
  const std::string content(bytes->begin(), bytes->end());
  const std::string upper = coding::ToUpper(content);
  // The section line must be directly followed by the URL= line. Files from
  // this desktop may end their lines with LF alone.
  static const std::string kSection = "[INTERNETSHORTCUT]";
  std::size_t start = std::string::npos;
  for (auto at = upper.find(kSection); at != std::string::npos; at = upper.find(kSection, at + 1)) {
    const std::size_t after = at + kSection.size();
    for (const char* lineEnd : {"\r\nURL=", "\nURL="}) {
      if (upper.compare(after, std::char_traits<char>::length(lineEnd), lineEnd) == 0) {
        start = after + std::char_traits<char>::length(lineEnd);
        break;
      }
    }
    if (start != std::string::npos) break;
  }
  if (start == std::string::npos || start >= content.size()) return "";
  std::size_t end = content.find('\n', start);
  if (end == std::string::npos) end = content.size();  // the last line may lack its line end
  if (end > start && content[end - 1] == '\r') --end;
  const std::string url = coding::TrimBlanks(content.substr(start, end - start));
  return url.empty() ? "" : CutChars(AsUtf8(url), kUrlChars);
}

std::string ShortcutName(const std::string& fileName) {
  const auto at = coding::ToUpper(fileName).rfind(".URL");
  if (at == std::string::npos || at < 1) return "";
  return CutChars(AsUtf8(fileName.substr(0, at)), kNameChars);
}

Outcome AppendSites(const std::string& sitePath, const std::vector<SiteRecord>& entries) {
  auto read = TryReadSites(sitePath);
  if (!read) return Result(EditResult::FileError);
  auto& sites = *read;
  auto names = NamesOf(sites);
  int added = 0;
  for (const auto& entry : entries) {
    if (entry.Name.empty() || entry.URL.empty()) continue;
    names.push_back(UniqueSiteName(StoredSiteName(entry.Name), names, kSiteNameWidth));
    sites.push_back({names.back(), entry.URL});
    ++added;
  }
  if (added == 0) return Result(EditResult::Unchanged, 0);
  if (!RewriteSites(sitePath, sites)) return Result(EditResult::FileError);
  return Result(EditResult::Done, added);
}

Outcome ImportShortcuts(const std::string& sitePath, const std::vector<std::string>& shortcutPaths) {
  std::vector<SiteRecord> entries;
  for (const auto& path : shortcutPaths) {
    std::string url = ReadShortcutUrl(path);
    if (!url.empty()) entries.push_back({ShortcutName(fs::path(path).filename().string()), std::move(url)});
  }
  return AppendSites(sitePath, entries);
}

// ---- back-up, restore, undo ----

ListDirs DirsUnder(const std::string& userDataDir) {
  return {fileops::Join(userDataDir, "SiteLists"), fileops::Join(userDataDir, "BU_SiteLists"),
          fileops::Join(userDataDir, "UnDo_SiteLists")};
}

DirResult BackUpLists(const ListDirs& dirs) {
  const auto files = FilesIn(dirs.live);
  if (files.empty()) return DirResult::NothingToBackUp;
  // The new set is built beside the old one and swapped in whole: a full disk
  // or a crash half-way keeps the last good back-up.
  const std::string fresh = dirs.backup + ".new";
  RemoveDirWithFiles(fresh);  // left by a back-up that died
  if (!fileops::MakeDirs(fresh)) return DirResult::Error;
  std::vector<std::pair<std::string, std::string>> copies;
  for (const auto& f : files) copies.emplace_back(fileops::Join(dirs.live, f), fileops::Join(fresh, f));
  if (!fileops::CopyFilesDurably(copies) || !fileops::ReplaceDirDurably(fresh, dirs.backup)) {
    RemoveDirWithFiles(fresh);
    return DirResult::Error;
  }
  return DirResult::Done;
}

DirResult RestoreLists(const ListDirs& dirs, bool& restorePending) {
  // An undo directory left by an earlier run goes first; its restore is final.
  // One that cannot be removed is half deleted: it must never be offered as
  // an undo, so nothing is pending until the live lists have moved aside.
  if (Exists(dirs.undo)) {
    bool discarding = true;
    const bool discarded = DiscardUndo(dirs, discarding);
    restorePending = false;
    if (!discarded) return DirResult::UndoInTheWay;
  }
  if (Exists(dirs.live)) {
    if (!Rename(dirs.live, dirs.undo)) return DirResult::Error;
  } else if (!fileops::MakeDirs(dirs.undo)) {
    return DirResult::Error;
  }
  restorePending = true;
  if (!fileops::MakeDirs(dirs.live)) {
    // Without a live directory to copy into, put the lists straight back.
    if (Rename(dirs.undo, dirs.live)) restorePending = false;
    return DirResult::Error;
  }
  const auto files = FilesIn(dirs.backup);
  if (files.empty()) return DirResult::EmptyBackup;
  const auto stale = FilesIn(dirs.live);
  for (auto it = stale.rbegin(); it != stale.rend(); ++it) fileops::RemoveFile(fileops::Join(dirs.live, *it));
  for (const auto& f : files)
    if (!fileops::CopyFile(fileops::Join(dirs.backup, f), fileops::Join(dirs.live, f))) return DirResult::Error;
  return DirResult::Done;
}

DirResult UndoRestore(const ListDirs& dirs, bool& restorePending) {
  if (!Exists(dirs.undo)) {
    restorePending = false;  // nothing left to bring back
    return DirResult::Error;
  }
  // The restored lists are moved aside whole, so a failure half-way can put
  // them back instead of leaving half a directory.
  const std::string aside = dirs.live + ".undone";
  if (Exists(aside) && !RemoveDirWithFiles(aside)) return DirResult::Error;
  const bool hadLive = Exists(dirs.live);
  if (hadLive && !Rename(dirs.live, aside)) return DirResult::Error;
  if (!Rename(dirs.undo, dirs.live)) {
    if (hadLive) Rename(aside, dirs.live);
    return DirResult::Error;
  }
  restorePending = false;
  if (hadLive) RemoveDirWithFiles(aside);
  return DirResult::Done;
}

bool DiscardUndo(const ListDirs& dirs, bool& restorePending) {
  if (!restorePending) return true;
  if (!RemoveDirWithFiles(dirs.undo)) return false;
  restorePending = false;
  return true;
}

std::string LastBackupSuffix(double lastBackup, double now) {
  const double tenYearsBack = dates::ToOleDate(dates::YearsBack(dates::FromOleDate(now), 10));
  if (lastBackup < tenYearsBack) return "";
  const LocalDateTime t = dates::FromOleDate(lastBackup);
  return " -Last BU: " + std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " +
         TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

}  // namespace site_list_editor
