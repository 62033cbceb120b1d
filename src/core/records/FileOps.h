// File primitives every record file goes through. Reads take the whole file
// in one call; rewrites go to a temporary file in the same folder that is
// flushed and renamed over the old one, so a crash leaves the old or the new
// file and never half of one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fileops {

using Bytes = std::vector<unsigned char>;

// Whole file, or nullopt when it cannot be opened or read.
std::optional<Bytes> ReadAll(const std::string& path);
// The same as text, without a second copy of a large file.
std::optional<std::string> ReadAllText(const std::string& path);
// Replaces the file's content crash-safely, keeping the file's mode (0644 for
// a new file). False (and the old file kept) on error.
// The temporary file is named "." + name + ".tmp-XXXXXX" in the same folder; one
// left there by a write that died is removed by the next write into the folder.
bool WriteAtomic(const std::string& path, const Bytes& content);
// The same without clearing the folder's leftovers first: for folders the
// program does not own (Save As into the user's own folder), where a file
// of that name shape may be someone else's.
bool ReplaceContent(const std::string& path, const Bytes& content);
// Whether a name in a folder is such a temporary file.
bool IsWriteTempName(const std::string& name);
// Removes the temporary files that writes into the folder left behind.
void RemoveStaleTemps(const std::string& dir);
// Writes bytes at a byte offset of an existing or new file (in-place record
// updates and appends). False on error.
bool WriteAt(const std::string& path, std::size_t offset, const Bytes& bytes);
// Cuts an existing file to `length` bytes (when it is longer). False on error.
bool CutTo(const std::string& path, std::size_t length);
// Copies a file crash-safely onto dest (dest replaced when it exists).
bool CopyFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);                    // true when gone afterwards
bool MakeDir(const std::string& path);                       // mode 0700; true when created
bool MakeDirs(const std::string& path);                      // with missing parents; true when it exists after
bool IsRegularFile(const std::string& path);                 // not following a final link
std::vector<std::string> ListNames(const std::string& dir);  // empty on error
// The entries of a folder that are not folders, in name order.
std::vector<std::string> ListFiles(const std::string& dir);
// Deletes a folder's files, then the folder; true when it is gone.
bool RemoveDirWithFiles(const std::string& dir);
// Renames a file or folder and makes the new name durable.
bool RenameDurably(const std::string& from, const std::string& to);
// Puts the folder `fresh` in the place of `dir` (made when missing) and
// removes the old folder's files: at every moment `dir` holds the whole old
// or the whole new set. False, with `dir` untouched, on error.
bool ReplaceDirDurably(const std::string& fresh, const std::string& dir);
// Copies files (source, destination) so that each destination afterwards
// holds the whole source or what it held before; one disk sync for all.
bool CopyFilesDurably(const std::vector<std::pair<std::string, std::string>>& copies);
std::string Join(const std::string& dir, const std::string& name);
// The folder part of a path: "/" for a file in the root, "." for a bare name.
std::string FolderOf(const std::string& path);
// The running program's own path ("" when the system does not tell).
std::string SelfExecutable();
// Deletes the files directly in `dir` whose names start with `prefix` and
// that this process holds open (files of the same name shape that another
// program may be writing are left alone). Returns how many went.
int RemoveOwnOpenFiles(const std::string& dir, std::string_view prefix);

}  // namespace fileops
