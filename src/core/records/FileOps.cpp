#include "core/records/FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace fileops {

namespace {

bool WriteFully(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

constexpr char kTempTag[] = ".tmp-";
constexpr std::size_t kTempTagSize = sizeof kTempTag - 1;
constexpr std::size_t kTempRandomSize = 6;  // what mkostemp fills in

// A hidden name next to the file, so that a stale one is recognised as ours.
std::string TempTemplate(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return dir + "." + name + kTempTag + std::string(kTempRandomSize, 'X');
}

// An empty temporary file for a rewrite of `path`; -1 on error.
int MakeTemp(const std::string& path, std::string& temp) {
  temp = TempTemplate(path);
  return ::mkostemp(temp.data(), O_CLOEXEC);
}

// A rewrite keeps the mode the user gave the file; a new file gets the usual
// mode of a data file (mkstemp would leave it 0600).
mode_t ModeFor(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  return 0644;
}

// The rename is only durable once the folder entry itself is on disk.
void SyncFolder(const std::string& path) {
  const int dfd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  ::fsync(dfd);
  ::close(dfd);
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string SelfExecutable() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

int RemoveOwnOpenFiles(const std::string& dir, std::string_view prefix) {
  const std::string lead = Join(dir, std::string(prefix));
  int removed = 0;
  for (const auto& fd : ListNames("/proc/self/fd")) {
    char buf[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + fd).c_str(), buf, sizeof buf - 1);
    if (n <= 0) continue;
    const std::string target(buf, static_cast<std::size_t>(n));
    if (target.rfind(lead, 0) != 0 || target.find('/', lead.size()) != std::string::npos) continue;
    // The name shown for a file deleted already may now belong to another.
    struct stat st {};
    if (::fstat(std::atoi(fd.c_str()), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink == 0) continue;
    removed += ::unlink(target.c_str()) == 0;
  }
  return removed;
}

namespace {

template <typename Buffer>
std::optional<Buffer> ReadWhole(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  // Read straight into a buffer of the file's size; grow only if the file
  // grew meanwhile.
  struct stat st {};
  std::size_t capacity = (::fstat(fd, &st) == 0 && st.st_size > 0) ? static_cast<std::size_t>(st.st_size) : 0;
  Buffer data(capacity + 1, 0);
  std::size_t used = 0;
  for (;;) {
    if (used == data.size()) data.resize(data.size() * 2);
    const ssize_t n = ::read(fd, data.data() + used, data.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  ::close(fd);
  data.resize(used);
  return data;
}

}  // namespace

std::optional<Bytes> ReadAll(const std::string& path) { return ReadWhole<Bytes>(path); }

std::optional<std::string> ReadAllText(const std::string& path) { return ReadWhole<std::string>(path); }

bool IsWriteTempName(const std::string& name) {
  if (name.size() < 2 + kTempTagSize + kTempRandomSize || name[0] != '.') return false;
  const std::size_t tag = name.size() - kTempRandomSize - kTempTagSize;
  if (name.compare(tag, kTempTagSize, kTempTag) != 0) return false;
  for (std::size_t i = tag + kTempTagSize; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

void RemoveStaleTemps(const std::string& dir) {
  for (const auto& name : ListNames(dir)) {
    if (!IsWriteTempName(name)) continue;
    const std::string path = Join(dir, name);
    if (IsRegularFile(path)) ::unlink(path.c_str());
  }
}

bool WriteAtomic(const std::string& path, const Bytes& content) {
  // A write killed half-way leaves its temporary file; the next one clears it.
  // (A second process writing into the same folder at this very moment would
  // lose its temporary file and report failure, its old file kept.)
  RemoveStaleTemps(FolderOf(path));
  return ReplaceContent(path, content);
}

bool ReplaceContent(const std::string& path, const Bytes& content) {
  std::string temp;
  const int fd = MakeTemp(path, temp);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, ModeFor(path)) == 0 && WriteFully(fd, content.data(), content.size()) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(path);
  return true;
}

bool WriteAt(const std::string& path, std::size_t offset, const Bytes& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0 && WriteFully(fd, bytes.data(), bytes.size());
  ok = (::close(fd) == 0) && ok;
  return ok;
}

bool CutTo(const std::string& path, std::size_t length) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && static_cast<std::size_t>(st.st_size) > length) ok = ::ftruncate(fd, static_cast<off_t>(length)) == 0;
  ok = (::close(fd) == 0) && ok;
  return ok;
}

bool CopyFile(const std::string& from, const std::string& to) {
  const auto data = ReadAll(from);
  return data && WriteAtomic(to, *data);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool MakeDir(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool MakeDirs(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const auto slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirs(path.substr(0, slash))) return false;
  return MakeDir(path) || errno == EEXIST;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// Each name in the folder with its type as the folder tells it (DT_UNKNOWN
// where the file system does not).
std::vector<std::pair<std::string, unsigned char>> Entries(const std::string& dir) {
  std::vector<std::pair<std::string, unsigned char>> entries;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return entries;
  while (const dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") entries.emplace_back(std::move(name), e->d_type);
  }
  ::closedir(d);
  return entries;
}

}  // namespace

std::vector<std::string> ListNames(const std::string& dir) {
  std::vector<std::string> names;
  for (auto& entry : Entries(dir)) names.push_back(std::move(entry.first));
  return names;
}

std::vector<std::string> ListFiles(const std::string& dir) {
  // The History window lists a folder of hundreds of day files on every
  // search: the folder's own types spare a stat of each.
  std::vector<std::string> files;
  for (auto& [name, type] : Entries(dir)) {
    struct stat st {};
    const bool folder =
        type == DT_UNKNOWN ? ::lstat(Join(dir, name).c_str(), &st) != 0 || S_ISDIR(st.st_mode) : type == DT_DIR;
    if (!folder) files.push_back(std::move(name));
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool RemoveDirWithFiles(const std::string& dir) {
  const auto files = ListFiles(dir);
  for (auto it = files.rbegin(); it != files.rend(); ++it) RemoveFile(Join(dir, *it));
  ::rmdir(dir.c_str());
  struct stat st {};
  return ::lstat(dir.c_str(), &st) != 0;
}

bool RenameDurably(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  SyncFolder(to);
  return true;
}

bool ReplaceDirDurably(const std::string& fresh, const std::string& dir) {
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) return RenameDurably(fresh, dir);
  // One step where the file system can swap two names; the old set then sits
  // under the fresh set's name until it is removed.
  if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, dir.c_str(), RENAME_EXCHANGE) == 0) {
    SyncFolder(dir);
    RemoveDirWithFiles(fresh);
    return true;
  }
  // Otherwise the old set steps aside first and comes back if the new one
  // cannot take its place.
  const std::string old = dir + ".old";
  RemoveDirWithFiles(old);
  if (!RenameDurably(dir, old)) return false;
  if (!RenameDurably(fresh, dir)) {
    RenameDurably(old, dir);
    return false;
  }
  RemoveDirWithFiles(old);
  return true;
}

bool CopyFilesDurably(const std::vector<std::pair<std::string, std::string>>& copies) {
  std::vector<std::string> temps;
  auto fail = [&temps] {
    for (const auto& t : temps) ::unlink(t.c_str());
    return false;
  };
  for (const auto& [from, to] : copies) {
    const auto data = ReadAll(from);
    if (!data) return fail();
    std::string temp;
    const int fd = MakeTemp(to, temp);
    if (fd < 0) return fail();
    temps.push_back(temp);
    const bool ok = ::fchmod(fd, ModeFor(to)) == 0 && WriteFully(fd, data->data(), data->size());
    if (::close(fd) != 0 || !ok) return fail();
  }
  if (copies.empty()) return true;
  // One sync puts every new file on disk before any takes its name.
  const int dfd = ::open(FolderOf(copies.front().second).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool synced = dfd >= 0 && ::syncfs(dfd) == 0;
  if (dfd >= 0) ::close(dfd);
  if (!synced) return fail();
  for (std::size_t i = 0; i < copies.size(); ++i)
    if (::rename(temps[i].c_str(), copies[i].second.c_str()) != 0) return fail();
  SyncFolder(copies.front().second);
  return true;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace fileops
