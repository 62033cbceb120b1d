// Shared by the fuzz targets: a scratch file on a memory file system for the
// readers that take a path, a check that fails the run, and a cursor that
// takes an input apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

using Bytes = std::vector<unsigned char>;

// Stops the run with a message; libFuzzer keeps the input that did it.
[[noreturn]] void Fail(const char* what, const char* file, int line);
#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::fuzz::Fail(#cond, __FILE__, __LINE__))

// A folder of this process's own (in /dev/shm when there is one, so that
// the syncs of crash-safe writes cost nothing).
const std::string& ScratchDir();
// Writes the bytes to a file of that name in the scratch folder; its path.
std::string ScratchFile(const std::string& name, const unsigned char* data, std::size_t size);

// Takes an input apart from the front: the first bytes decide, the rest is data.
class Cursor {
 public:
  Cursor(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Up to `n` bytes, or up to the next NUL when n is 0 (the NUL is skipped).
  std::string Text(std::size_t n = 0);
  std::string Rest() { return Text(size_); }
  bool Empty() const { return pos_ >= size_; }

 private:
  const unsigned char* data_;
  std::size_t size_, pos_ = 0;
};

// True when the bytes are well-formed UTF-8.
bool IsUtf8(const std::string& s);

}  // namespace fuzz
