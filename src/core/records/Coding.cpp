#include "core/records/Coding.h"

#include <algorithm>
#include <cstring>

namespace coding {

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252; 0 marks the five unused bytes.
constexpr uint16_t kHighTable[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Byte `i` of the field at `off`; 0 past the end (also for offsets so large
// that adding would wrap round).
unsigned char ByteAt(const Bytes& buf, std::size_t off, std::size_t i) {
  return off < buf.size() && i < buf.size() - off ? buf[off + i] : 0;
}

uint64_t GetLE(const Bytes& buf, std::size_t off, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | ByteAt(buf, off, static_cast<std::size_t>(i));
  return v;
}

void PutLE(Bytes& buf, std::size_t off, uint64_t v, int width) {
  if (buf.size() < off + width) buf.resize(off + width, 0);
  for (int i = 0; i < width; ++i) buf[off + i] = static_cast<unsigned char>(v >> (8 * i));
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char CodePointTo1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighTable[i] != 0 && kHighTable[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

// Decodes one UTF-8 sequence at s[i]; returns its length (0 when malformed).
// Longer forms of a character than needed, surrogates and code points past
// U+10FFFF are malformed: a longer "/" must not turn into a real one.
int DecodeUtf8(const std::string& s, std::size_t i, uint32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  cp = len == 1 ? b0 : b0 & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
  return len;
}

}  // namespace

void PutI16(Bytes& buf, std::size_t off, int16_t v) { PutLE(buf, off, static_cast<uint16_t>(v), 2); }
void PutI32(Bytes& buf, std::size_t off, int32_t v) { PutLE(buf, off, static_cast<uint32_t>(v), 4); }

void PutF32(Bytes& buf, std::size_t off, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutLE(buf, off, bits, 4);
}

void PutF64(Bytes& buf, std::size_t off, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutLE(buf, off, bits, 8);
}

int16_t GetI16(const Bytes& buf, std::size_t off) { return static_cast<int16_t>(GetLE(buf, off, 2)); }
int32_t GetI32(const Bytes& buf, std::size_t off) { return static_cast<int32_t>(GetLE(buf, off, 4)); }

float GetF32(const Bytes& buf, std::size_t off) {
  const auto bits = static_cast<uint32_t>(GetLE(buf, off, 4));
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

double GetF64(const Bytes& buf, std::size_t off) {
  const uint64_t bits = GetLE(buf, off, 8);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::string Utf8ToCp1252(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    uint32_t cp = 0;
    const int len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {
      out += '?';
      ++i;
      continue;
    }
    out += CodePointTo1252(cp);
    i += len;
  }
  return out;
}

bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    const int len = DecodeUtf8(text, i, cp);
    if (len == 0) return false;
    i += static_cast<std::size_t>(len);
  }
  return true;
}

std::string Cp1252ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    uint32_t cp = b;
    if (b >= 0x80 && b < 0xA0) cp = kHighTable[b - 0x80] ? kHighTable[b - 0x80] : '?';
    AppendUtf8(out, cp);
  }
  return out;
}

void PutText(Bytes& buf, std::size_t off, std::size_t width, const std::string& utf8) {
  std::string text = Utf8ToCp1252(utf8);
  if (text.size() > width) text.resize(width);
  text.resize(width, ' ');
  if (buf.size() < off + width) buf.resize(off + width, 0);
  std::memcpy(buf.data() + off, text.data(), width);
}

std::string GetText(const Bytes& buf, std::size_t off, std::size_t width) {
  if (off >= buf.size()) return {};
  const std::size_t end = std::min(buf.size(), off + width);
  std::size_t first = off, last = off;
  while (last < end && buf[last] != 0) ++last;  // a NUL ends the text
  while (first < last && buf[first] == ' ') ++first;
  while (last > first && buf[last - 1] == ' ') --last;
  std::string raw(reinterpret_cast<const char*>(buf.data()) + first, last - first);
  for (const char c : raw)
    if (static_cast<unsigned char>(c) >= 0x80) return Cp1252ToUtf8(raw);
  return raw;  // plain ASCII needs no conversion
}

std::string TrimBlanks(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string ToLower(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string ToUpper(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::size_t RecordCount(std::size_t fileLength, std::size_t recordLength) {
  const std::size_t whole = fileLength / recordLength;
  const std::size_t rest = fileLength % recordLength;
  if (2 * rest > recordLength) return whole + 1;
  if (2 * rest == recordLength && (whole % 2) == 1) return whole + 1;
  return whole;
}

}  // namespace coding
