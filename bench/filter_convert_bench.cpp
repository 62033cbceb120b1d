// Converts the shipped EasyList and EasyPrivacy into the engine's rules and
// reports the time, the memory peak and what was made or skipped:
//   filter_convert_bench [LIST...]   (default: the build's FilterLists/)
// The lists are read before the clock starts; the run is repeated five
// times and the fastest and median times are printed.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/adblock/FilterConverter.h"
#include "core/records/FileOps.h"

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) paths.emplace_back(argv[i]);
  if (paths.empty())
    for (const char* name : {"easylist.txt", "easyprivacy.txt"})
      paths.push_back(std::string(SKELVORNAX_PROGRAM_DIR) + "/FilterLists/" + name);
  std::vector<std::string> texts;
  for (const auto& p : paths) {
    const auto bytes = fileops::ReadAll(p);
    if (!bytes) {
      std::fprintf(stderr, "cannot read %s\n", p.c_str());
      return 1;
    }
    texts.emplace_back(bytes->begin(), bytes->end());
  }
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  std::vector<double> ms;
  adblock::Conversion last;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    last = adblock::Convert(views);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto& c = last.counts;
  std::printf("convert: fastest %.0f ms, median %.0f ms; memory peak %ld MB (whole process)\n", ms.front(), ms[2],
              usage.ru_maxrss / 1024);
  std::printf("lines %zu: comments/headers %zu, used %zu, skipped %zu -> %zu rules, %zu bytes of JSON\n", c.lines,
              c.ignored, c.used, c.Skipped(), c.rules, last.json.size());
  for (const auto& [why, n] : c.skipped) std::printf("  skipped %6zu  %s\n", n, why.c_str());
  return 0;
}
