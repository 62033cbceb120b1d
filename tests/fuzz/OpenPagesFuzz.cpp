// The record of open pages: any bytes give a list of pages that may be
// reopened, and what is written back reads again to the same list.
#include "FuzzSupport.h"
#include "core/app/OpenPages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const openpages::Pages pages = openpages::Parse(text);
  FUZZ_CHECK(pages.size() <= openpages::kMaxPages);
  for (const auto& p : pages) {
    FUZZ_CHECK(openpages::Recordable(p.url));
    FUZZ_CHECK(p.title.size() <= openpages::kMaxTitleLength);
  }
  const std::string written = openpages::Serialize(pages);
  FUZZ_CHECK(fuzz::IsUtf8(written));
  const openpages::Pages again = openpages::Parse(written);
  FUZZ_CHECK(again.size() == pages.size());
  for (std::size_t i = 0; i < pages.size(); ++i) FUZZ_CHECK(again[i].url == pages[i].url);
  FUZZ_CHECK(openpages::Serialize(again) == written);
  return 0;
}
