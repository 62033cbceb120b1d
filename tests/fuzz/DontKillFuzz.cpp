// The don't-kill list: any file reads as records, the matching rule takes
// any address, and the list written back reads the same.
#include "FuzzSupport.h"
#include "core/popups/PopupKiller.h"
#include "core/records/Coding.h"
#include "core/sitelists/ListFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  const std::string page = in.Text();  // the page address, then the file
  const std::string rest = in.Rest();
  const std::string path =
      fuzz::ScratchFile("DontKill.dab", reinterpret_cast<const unsigned char*>(rest.data()), rest.size());
  const auto list = ReadDontKill(path);
  FUZZ_CHECK(list.size() == coding::RecordCount(rest.size(), list_layout::kSiteRecordSize));
  const bool spared = DontKillSpares(page, list);
  // A listed address spares itself.
  for (const auto& entry : list)
    if (!entry.URL.empty()) FUZZ_CHECK(DontKillSpares(entry.URL, list));
  (void)spared;

  const std::string copy = fuzz::ScratchDir() + "/DontKill2.dab";
  FUZZ_CHECK(RewriteDontKill(copy, list));
  FUZZ_CHECK(ReadDontKill(copy) == list);
  return 0;
}
