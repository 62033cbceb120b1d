// A year of generated history for the benchmarks: 365 day files of 300 pages
// up to `today`, hosts coming back on many days and two pages in three new
// each day (about 56 MB).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/history/HistoryRecord.h"

constexpr int kYearDays = 365, kYearPagesPerDay = 300, kYearHosts = 400;

inline void WriteYearOfHistory(const std::filesystem::path& dir, int64_t today) {
  for (int ago = 0; ago < kYearDays; ++ago) {
    const int64_t day = today - ago;
    std::ofstream out(dir / DayFileName(dates::FromDayNumber(day)), std::ios::binary);
    for (int i = 0; i < kYearPagesPerDay; ++i) {
      const int host = (i * 7 + ago) % kYearHosts;
      const int page = i % 3 == 0 ? i : i * 1000 + ago;
      HistoryRecord r;
      r.VisitTime = static_cast<double>(day) + i / 400.0;
      r.Hits = 1 + i % 4;
      r.Title = "Page " + std::to_string(page) + " of site number " + std::to_string(host);
      r.Host = "site" + std::to_string(host) + ".example.org";
      r.URL = "http://" + r.Host + "/articles/" + std::to_string(page) + ".html";
      const auto bytes = EncodeHistoryRecord(r);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
}
