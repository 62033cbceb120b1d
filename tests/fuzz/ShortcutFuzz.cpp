// Internet shortcut files and their names: any bytes give an address and a
// name that are text, cut to their fields.
#include "FuzzSupport.h"
#include "core/sitelists/SiteListEditor.h"

namespace {

std::size_t Chars(const std::string& utf8) {
  std::size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string url = site_list_editor::ReadShortcutUrl(fuzz::ScratchFile("Shortcut.url", data, size));
  FUZZ_CHECK(fuzz::IsUtf8(url) && Chars(url) <= 260);
  FUZZ_CHECK(url.find('\n') == std::string::npos);
  FUZZ_CHECK(url.empty() || (url.front() != ' ' && url.back() != ' ') || Chars(url) == 260);

  const std::string name = site_list_editor::ShortcutName(std::string(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(fuzz::IsUtf8(name) && Chars(name) <= 140);
  return 0;
}
