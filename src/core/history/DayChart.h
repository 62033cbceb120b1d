// The arithmetic of the pages-per-day bar chart above the search returns:
// one bar per day of the searched period, days without a file as empty bars.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/history/HistorySearch.h"

struct DayChart {
  int64_t firstDay = 0;
  std::vector<int> pages;  // one per day from firstDay on
  int maxPages = 0;

  std::size_t Bars() const { return pages.size(); }
  int64_t DayOf(std::size_t bar) const { return firstDay + static_cast<int64_t>(bar); }
};

// Days firstDay..lastDay; counts of days outside are left out. An empty
// chart when lastDay < firstDay.
DayChart MakeDayChart(const std::vector<DayCount>& perDay, int64_t firstDay, int64_t lastDay);

// Bars are at most this wide, so that a few days (or one) are bars, not a
// block across the whole chart.
constexpr int kMaxBarWidth = 48;
// The pixels of `width` the bars take, from its left edge.
int ChartWidth(std::size_t bars, int width);
// The short label under a bar: "12/05: 8".
std::string BarLabel(int64_t day, int pages);
// Which labels to draw, left to right, so that none overlaps the one before:
// label i is centred at centres[i] (but starts at 0 at the earliest) and
// widths[i] wide.
std::vector<std::size_t> LabelledBars(const std::vector<int>& centres, const std::vector<int>& widths, int gap);

// Bar `i` of `bars` spans the pixels [BarLeft(i), BarLeft(i + 1)) of `width`.
int BarLeft(std::size_t i, std::size_t bars, int width);
// The bar under pixel column x, if any.
std::optional<std::size_t> BarAt(int x, std::size_t bars, int width);
// Bar height in pixels: in proportion to the busiest day, at least 1 for a
// day with pages.
int BarHeight(int pages, int maxPages, int height);
