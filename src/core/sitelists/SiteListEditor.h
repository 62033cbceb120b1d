// What the list editor does to the list files, without a window: category
// and site edits, one-time sorts, copy and move between categories, the
// back-up / restore / undo of the whole SiteLists directory, and reading
// internet shortcut (.url) files for the favourites import.
//
// Every operation reads the files afresh, changes the list and writes it back
// whole and crash-safely, so the editor's lists are only ever a view of the
// files. Indices are list positions, counted from 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/sitelists/ListFiles.h"

namespace site_list_editor {

enum class EditResult {
  Done,
  Unchanged,     // nothing to do (blank text, a move past an end, same name)
  Duplicate,     // the name or address is already on the list
  NoFreeNumber,  // all site file numbers 1..32767 are taken, or the category list cannot be read
  SameCategory,  // copy or move onto the category itself
  FileError,
};

struct Outcome {
  EditResult result = EditResult::Unchanged;
  int index = -1;    // where the entry concerned stands now / how many entries were handled
  std::string name;  // the name as stored
};

// The texts as the record files store them: cut to the field, trimmed.
std::string StoredCategoryName(const std::string& name);
std::string StoredSiteName(const std::string& name);
std::string StoredUrl(const std::string& url);

std::string CatListPathIn(const std::string& liveDir);
std::string SitePathIn(const std::string& liveDir, int16_t fileNumber);

// Categories. A new one gets the lowest free file number and an empty site
// file; a deleted one takes its site file with it.
Outcome AddCategory(const std::string& liveDir, const std::string& name);
Outcome DeleteCategory(const std::string& liveDir, int index);
Outcome RenameCategory(const std::string& liveDir, int index, const std::string& newName);

// Sites of one site file.
// A typed address: blank or a bare "http://" (any case) adds nothing; an
// address already on the list (exact comparison) is a Duplicate.
Outcome AddTypedAddress(const std::string& sitePath, const std::string& text);
// A page with its title as name (made unique); an empty address adds nothing.
Outcome AddPage(const std::string& sitePath, const std::string& title, const std::string& url);
Outcome DeleteSites(const std::string& sitePath, const std::vector<int>& rows);
Outcome RenameSite(const std::string& sitePath, int index, const std::string& newName);

// Reordering (one entry) and the one-time sort (by name, letter case
// ignored, equal names keep their order). `index` of the result is the new
// place of the moved or previously selected entry.
enum class Move { Up, Down, ToTop, ToBottom };
int MovedIndex(int index, int count, Move how);  // -1: stays where it is
Outcome MoveCategory(const std::string& liveDir, int index, Move how);
Outcome MoveSite(const std::string& sitePath, int index, Move how);
Outcome SortCategories(const std::string& liveDir, bool ascending, int selected);
Outcome SortSites(const std::string& sitePath, bool ascending, int selected);

// Copy appends the chosen sites, first to last, to the destination; move
// walks them last to first and takes them off the source. Names already in
// the destination get "(1)", "(2)" ... The destination is written before the
// source, so a failure can leave a site twice but never lose one.
Outcome CopySites(const std::string& sourcePath, const std::vector<int>& rows, const std::string& destPath);
Outcome MoveSites(const std::string& sourcePath, const std::vector<int>& rows, const std::string& destPath);

// Appends entries, first to last, each name made unique against the file's
// names ("(1)", "(2)" ...); entries without a name or an address are
// skipped. The file is rewritten once. `index` of the result is the number added.
Outcome AppendSites(const std::string& sitePath, const std::vector<SiteRecord>& entries);

// Favourites import: each readable shortcut is appended with its name made
// unique; others are skipped. `index` of the result is the number added.
Outcome ImportShortcuts(const std::string& sitePath, const std::vector<std::string>& shortcutPaths);

// The address of an internet shortcut file, or "" when it is not one.
std::string ReadShortcutUrl(const std::string& path);
// A site name from a shortcut's file name ("News.url" gives "News"), or "".
std::string ShortcutName(const std::string& fileName);

// Back-up, restore and undo work on whole directories under the data directory.
struct ListDirs {
  std::string live;    // SiteLists
  std::string backup;  // BU_SiteLists
  std::string undo;    // UnDo_SiteLists: the lists from before the last restore
};
ListDirs DirsUnder(const std::string& userDataDir);

enum class DirResult {
  Done,
  NothingToBackUp,  // the live directory holds no files
  EmptyBackup,      // restore: the back-up holds no files; the live lists are now empty
  UndoInTheWay,     // restore: an old undo directory could not be removed
  Error,
};

// Replaces the whole back-up set by copies of the live files.
DirResult BackUpLists(const ListDirs& dirs);
// Moves the live directory aside as the undo directory and fills a new one
// from the back-up. `restorePending` becomes true as soon as the undo
// directory holds the user's lists, also when the copying fails afterwards;
// it is false when an old undo directory was in the way.
DirResult RestoreLists(const ListDirs& dirs, bool& restorePending);
// Puts the lists from before the restore back. On failure nothing is lost
// and `restorePending` stays true, so the undo can be tried again.
DirResult UndoRestore(const ListDirs& dirs, bool& restorePending);
// Makes a restore final: removes the undo directory when a restore is
// pending. True when no undo directory is left to worry about.
bool DiscardUndo(const ListDirs& dirs, bool& restorePending);

// " -Last BU: " + the time, or "" for a back-up more than ten years before
// `now` (the fresh-install value lies twenty years back).
std::string LastBackupSuffix(double lastBackup, double now);

}  // namespace site_list_editor
