#include "FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "core/records/FileOps.h"

namespace fuzz {

void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
  std::abort();
}

const std::string& ScratchDir() {
  // Never destroyed, so that the clean-up at exit can still read it.
  static const std::string* const dir = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && *tmp ? tmp : "/tmp");
    std::string templ = base + "/skelvornax-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) Fail("no scratch folder", __FILE__, __LINE__);
    return new std::string(templ);
  }();
  static const bool cleanUp = std::atexit([] { fileops::RemoveDirWithFiles(*dir); }) == 0;
  (void)cleanUp;
  return *dir;
}

std::string ScratchFile(const std::string& name, const unsigned char* data, std::size_t size) {
  std::string path = ScratchDir() + "/" + name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) Fail("cannot write a scratch file", __FILE__, __LINE__);
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) Fail("cannot write a scratch file", __FILE__, __LINE__);
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return path;
}

std::string Cursor::Text(std::size_t n) {
  std::string out;
  if (n == 0) {
    while (pos_ < size_ && data_[pos_] != 0) out += static_cast<char>(data_[pos_++]);
    if (pos_ < size_) ++pos_;
    return out;
  }
  while (pos_ < size_ && out.size() < n) out += static_cast<char>(data_[pos_++]);
  return out;
}

bool IsUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    uint32_t cp = len == 1 ? b : b & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    // The shortest form only, no surrogates, nothing past U+10FFFF.
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += len;
  }
  return true;
}

}  // namespace fuzz
