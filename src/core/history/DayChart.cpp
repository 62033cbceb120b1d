#include "core/history/DayChart.h"

#include <algorithm>

DayChart MakeDayChart(const std::vector<DayCount>& perDay, int64_t firstDay, int64_t lastDay) {
  DayChart chart;
  chart.firstDay = firstDay;
  if (lastDay < firstDay) return chart;
  chart.pages.assign(static_cast<std::size_t>(lastDay - firstDay + 1), 0);
  for (const auto& d : perDay) {
    if (d.day < firstDay || d.day > lastDay) continue;
    int& bar = chart.pages[static_cast<std::size_t>(d.day - firstDay)];
    bar += d.pages;  // two files may carry the same date
    chart.maxPages = std::max(chart.maxPages, bar);
  }
  return chart;
}

int BarLeft(std::size_t i, std::size_t bars, int width) {
  if (bars == 0) return 0;
  return static_cast<int>(static_cast<int64_t>(i) * width / static_cast<int64_t>(bars));
}

std::optional<std::size_t> BarAt(int x, std::size_t bars, int width) {
  if (bars == 0 || width <= 0 || x < 0 || x >= width) return std::nullopt;
  // The last i whose left edge is at or before x.
  auto i = static_cast<std::size_t>((static_cast<int64_t>(x) * static_cast<int64_t>(bars) + bars - 1) / width);
  while (i > 0 && BarLeft(i, bars, width) > x) --i;
  while (i + 1 < bars && BarLeft(i + 1, bars, width) <= x) ++i;
  return i;
}

int BarHeight(int pages, int maxPages, int height) {
  if (pages <= 0 || maxPages <= 0 || height <= 0) return 0;
  const auto h = static_cast<int>(static_cast<int64_t>(pages) * height / maxPages);
  return std::max(h, 1);
}
