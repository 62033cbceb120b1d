#include "support/Corruption.h"

#include <algorithm>

namespace corruption {

Bytes Truncated(const Bytes& good, std::size_t length) {
  return Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(std::min(length, good.size())));
}

Bytes Extended(const Bytes& good, std::size_t extra, unsigned char fill) {
  Bytes out = good;
  out.resize(good.size() + extra, fill);
  return out;
}

Bytes Flipped(const Bytes& good, std::size_t offset) {
  Bytes out = good;
  if (offset < out.size()) out[offset] = static_cast<unsigned char>(~out[offset]);
  return out;
}

Bytes Rechunked(const Bytes& good, std::size_t recordLength, std::size_t wrongLength) {
  Bytes out;
  for (std::size_t at = 0; at < good.size(); at += recordLength) {
    Bytes record(good.begin() + static_cast<std::ptrdiff_t>(at),
                 good.begin() + static_cast<std::ptrdiff_t>(std::min(at + recordLength, good.size())));
    record.resize(wrongLength, ' ');
    out.insert(out.end(), record.begin(), record.end());
  }
  return out;
}

Bytes Garbage(std::size_t length, unsigned seed) {
  Bytes out(length);
  unsigned x = seed * 2654435761u + 1;
  for (auto& b : out) {
    x = x * 1103515245u + 12345u;
    b = static_cast<unsigned char>(x >> 16);
  }
  return out;
}

std::vector<Damage> DamagedCopies(const Bytes& good, std::size_t recordLength) {
  const std::size_t n = good.size() / recordLength;
  const std::size_t half = recordLength / 2;
  std::vector<Damage> d;
  d.push_back({"Empty", {}, 0});
  d.push_back({"OneByte", Truncated(good, 1), 0});
  d.push_back({"CutInTheFirstRecord", Truncated(good, half), 0});
  d.push_back({"CutOneByteShort", Truncated(good, good.size() - 1), n - 1});
  d.push_back({"CutInTheLastRecord", Truncated(good, good.size() - half - 1), n - 1});
  d.push_back({"OneByteMore", Extended(good, 1, 0xFF), n});
  d.push_back({"HalfARecordMore", Extended(good, half + 1, 'x'), n});
  d.push_back({"AMegabyteOfNoughts", Extended(good, 1 << 20, 0), n});
  d.push_back({"FirstByteFlipped", Flipped(good, 0), 0});
  d.push_back({"LastByteFlipped", Flipped(good, good.size() - 1), n - 1});
  d.push_back({"RecordsOneByteLonger", Rechunked(good, recordLength, recordLength + 1), 1});
  d.push_back({"RecordsOneByteShorter", Rechunked(good, recordLength, recordLength - 1), 0});
  d.push_back({"Garbage", Garbage(good.size() + 7), 0});
  return d;
}

}  // namespace corruption
