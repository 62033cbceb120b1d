// Damaged copies of a good record file, for the tests of every reader: cut
// short, grown, with flipped bytes, and laid out with a wrong record length.
// A reader given any of them returns records or nothing, and never reads
// past what the file holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace corruption {

using Bytes = std::vector<unsigned char>;

Bytes Truncated(const Bytes& good, std::size_t length);                    // the first `length` bytes
Bytes Extended(const Bytes& good, std::size_t extra, unsigned char fill);  // `extra` more bytes of `fill`
Bytes Flipped(const Bytes& good, std::size_t offset);                      // that byte inverted
// Each record cut or blank-padded to `wrongLength`, as if written by a
// program with another idea of the layout.
Bytes Rechunked(const Bytes& good, std::size_t recordLength, std::size_t wrongLength);
// Deterministic noise of any length.
Bytes Garbage(std::size_t length, unsigned seed = 1);

struct Damage {
  std::string name;
  Bytes bytes;
  std::size_t wholeRecords;  // records of `good` still whole at their place
};
// The usual damages of a file of `recordLength`-byte records.
std::vector<Damage> DamagedCopies(const Bytes& good, std::size_t recordLength);

}  // namespace corruption
