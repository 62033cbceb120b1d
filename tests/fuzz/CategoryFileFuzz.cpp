// The category list: any file reads as records, a free file number is found
// and the list written back reads the same.
#include "FuzzSupport.h"
#include "core/records/Coding.h"
#include "core/sitelists/ListFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::ScratchFile("CatList.dab", data, size);
  const auto cats = ReadCategories(path);
  FUZZ_CHECK(cats.size() == coding::RecordCount(size, list_layout::kCategoryRecordSize));

  const auto number = NewSiteFileNumber(path);
  FUZZ_CHECK(number && number->size() == 5);
  const int16_t n = FileNumberFromName("Sites" + *number + ".dab");
  FUZZ_CHECK(n >= 1);
  for (const auto& c : cats) FUZZ_CHECK(c.FileNumber != n);

  const std::string copy = fuzz::ScratchDir() + "/CatList2.dab";
  FUZZ_CHECK(RewriteCategories(copy, cats));
  FUZZ_CHECK(ReadCategories(copy) == cats);
  return 0;
}
