#include "core/history/DayChart.h"

#include <algorithm>

#include "core/app/Dates.h"

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

int ChartWidth(std::size_t bars, int width) {
  const int64_t widest = static_cast<int64_t>(bars) * kMaxBarWidth;
  return static_cast<int>(std::min<int64_t>(std::max(width, 0), widest));
}

std::string BarLabel(int64_t day, int pages) {
  const LocalDateTime d = dates::FromDayNumber(day);
  const auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return two(d.month) + "/" + two(d.day) + ": " + std::to_string(pages);
}

std::vector<std::size_t> LabelledBars(const std::vector<int>& centres, const std::vector<int>& widths, int gap) {
  std::vector<std::size_t> shown;
  int freeFrom = 0;  // the first pixel after the last label drawn and its gap
  for (std::size_t i = 0; i < centres.size() && i < widths.size(); ++i) {
    const int left = std::max(0, centres[i] - widths[i] / 2);
    if (left < freeFrom) continue;
    shown.push_back(i);
    freeFrom = left + widths[i] + gap;
  }
  return shown;
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
