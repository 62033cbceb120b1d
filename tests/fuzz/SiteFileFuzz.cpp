// A site list: any file reads as records; a site added to it comes last
// with a name of its own, the other records unchanged.
#include "FuzzSupport.h"
#include "core/records/Coding.h"
#include "core/sitelists/ListFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Cursor in(data, size);
  const std::string name = in.Text();  // the site to add, then the file
  const std::string rest = in.Rest();
  const std::string path =
      fuzz::ScratchFile("Sites00001.dab", reinterpret_cast<const unsigned char*>(rest.data()), rest.size());
  const auto sites = ReadSites(path);
  FUZZ_CHECK(sites.size() == coding::RecordCount(rest.size(), list_layout::kSiteRecordSize));

  const auto stored = AppendSite(path, name, "http://added.example/");
  FUZZ_CHECK(stored.has_value());
  const auto after = ReadSites(path);
  FUZZ_CHECK(after.size() == sites.size() + 1);
  FUZZ_CHECK(std::equal(sites.begin(), sites.end(), after.begin()));
  FUZZ_CHECK(after.back().Name == *stored && after.back().URL == "http://added.example/");
  for (const auto& s : sites) FUZZ_CHECK(s.Name != *stored);
  return 0;
}
