// A small bar chart of pages per day across the searched period. Hovering a
// bar tells its day and count; clicking it (or Enter on the bar chosen with
// the arrow keys) asks for that day.
#pragma once

#include <gtkmm.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/history/DayChart.h"

class HistoryChart : public Gtk::DrawingArea {
 public:
  HistoryChart();

  void SetChart(DayChart chart);
  const DayChart& Chart() const { return chart_; }
  std::optional<std::size_t> Highlighted() const { return highlighted_; }
  // The text shown for a bar.
  std::string BarText(std::size_t bar) const;
  // The labels under the bars as last drawn (those with room for them).
  const std::vector<std::string>& ShownLabels() const { return shownLabels_; }

  sigc::signal<void, int64_t> DayClicked;

 protected:
  bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
  void on_style_updated() override;

 private:
  std::optional<std::size_t> BarUnder(double x) const;
  void Highlight(std::optional<std::size_t> bar);
  int BarsWidth() const;
  void DrawLabels(const Cairo::RefPtr<Cairo::Context>& cr, int width, int top);

  std::vector<std::string> shownLabels_;
  // Each bar's label, laid out once per chart and font: a year's labels take
  // longer to measure than the rest of a draw, and the chart is drawn again
  // on every move of the pointer over it.
  struct Label {
    Glib::RefPtr<Pango::Layout> layout;
    int width = 0;
  };
  std::vector<Label> labels_;

  DayChart chart_;
  std::optional<std::size_t> highlighted_;
};
