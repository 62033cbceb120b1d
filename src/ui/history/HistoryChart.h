// A small bar chart of pages per day across the searched period. Hovering a
// bar tells its day and count; clicking it (or Enter on the bar chosen with
// the arrow keys) asks for that day.
#pragma once

#include <gtkmm.h>

#include <cstdint>
#include <optional>

#include "core/history/DayChart.h"

class HistoryChart : public Gtk::DrawingArea {
 public:
  HistoryChart();

  void SetChart(DayChart chart);
  const DayChart& Chart() const { return chart_; }
  std::optional<std::size_t> Highlighted() const { return highlighted_; }
  // The text shown for a bar.
  std::string BarText(std::size_t bar) const;

  sigc::signal<void, int64_t> DayClicked;

 protected:
  bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;

 private:
  std::optional<std::size_t> BarUnder(double x) const;
  void Highlight(std::optional<std::size_t> bar);

  DayChart chart_;
  std::optional<std::size_t> highlighted_;
};
