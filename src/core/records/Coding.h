// Byte-level helpers shared by every record file: explicit little-endian
// integers and floats, and fixed-width single-byte text fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace coding {

using Bytes = std::vector<unsigned char>;

void PutI16(Bytes& buf, std::size_t off, int16_t v);
void PutI32(Bytes& buf, std::size_t off, int32_t v);
void PutF32(Bytes& buf, std::size_t off, float v);
void PutF64(Bytes& buf, std::size_t off, double v);

// Readers return 0 for any byte that lies past the end of the buffer, so a
// short record reads as if it were padded with zeros.
int16_t GetI16(const Bytes& buf, std::size_t off);
int32_t GetI32(const Bytes& buf, std::size_t off);
float GetF32(const Bytes& buf, std::size_t off);
double GetF64(const Bytes& buf, std::size_t off);

// UTF-8 <-> Windows-1252. Characters 1252 cannot hold become '?'; malformed
// UTF-8 bytes become '?' too.
std::string Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& bytes);
// Well-formed UTF-8: shortest forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(const std::string& text);

// Writes text into a fixed field: converted to 1252, cut to width, blank padded.
void PutText(Bytes& buf, std::size_t off, std::size_t width, const std::string& utf8);
// Reads a fixed field: stops at the first NUL, converts to UTF-8, trims blanks.
std::string GetText(const Bytes& buf, std::size_t off, std::size_t width);

// Blanks only, the way the record files pad.
std::string TrimBlanks(const std::string& s);
std::string ToLower(const std::string& s);  // ASCII letters only
std::string ToUpper(const std::string& s);  // ASCII letters only

// Record count of a file of fixed-length records: length / record length,
// rounded to the nearest whole number (halves to even).
std::size_t RecordCount(std::size_t fileLength, std::size_t recordLength);

}  // namespace coding
