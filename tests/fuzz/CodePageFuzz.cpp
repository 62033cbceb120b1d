// Windows-1252 in both directions: any bytes become valid UTF-8 and come
// back as they were (but for the five bytes 1252 leaves unused); any text
// becomes at most as many bytes; fixed fields read back trimmed and cut.
#include "FuzzSupport.h"
#include "core/records/Coding.h"

namespace {

bool Unused1252(unsigned char b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  const std::size_t width = in.Byte();
  const std::string x = in.Rest();

  const std::string utf8 = coding::Cp1252ToUtf8(x);
  FUZZ_CHECK(fuzz::IsUtf8(utf8));
  std::string expected = x;
  for (char& c : expected)
    if (Unused1252(static_cast<unsigned char>(c))) c = '?';
  FUZZ_CHECK(coding::Utf8ToCp1252(utf8) == expected);

  const std::string bytes = coding::Utf8ToCp1252(x);
  FUZZ_CHECK(bytes.size() <= x.size());
  FUZZ_CHECK(coding::Utf8ToCp1252(coding::Cp1252ToUtf8(bytes)) == bytes);
  if (fuzz::IsUtf8(x) && bytes.find('?') == std::string::npos) FUZZ_CHECK(coding::Cp1252ToUtf8(bytes) == x);

  coding::Bytes field;
  coding::PutText(field, 3, width, x);
  FUZZ_CHECK(field.size() == 3 + width);
  const std::string back = coding::GetText(field, 3, width);
  FUZZ_CHECK(fuzz::IsUtf8(back));
  FUZZ_CHECK(back.empty() || (back.front() != ' ' && back.back() != ' '));
  FUZZ_CHECK(coding::Utf8ToCp1252(back).size() <= width);
  return 0;
}
