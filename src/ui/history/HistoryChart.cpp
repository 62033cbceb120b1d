#include "ui/history/HistoryChart.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "core/history/HistorySearch.h"

namespace {
constexpr int kHeight = 56;
constexpr int kPadding = 2;
}  // namespace

HistoryChart::HistoryChart() {
  set_size_request(-1, kHeight);
  set_can_focus(true);
  set_has_tooltip(true);
  add_events(Gdk::POINTER_MOTION_MASK | Gdk::LEAVE_NOTIFY_MASK | Gdk::BUTTON_PRESS_MASK | Gdk::KEY_PRESS_MASK);
  get_accessible()->set_name("Pages per day");
  signal_query_tooltip().connect(
      [this](int x, int, bool keyboard, const Glib::RefPtr<Gtk::Tooltip>& tip) {
        const auto bar = keyboard ? highlighted_ : BarUnder(x);
        if (!bar) return false;
        tip->set_text(BarText(*bar));
        return true;
      },
      false);
  signal_motion_notify_event().connect([this](GdkEventMotion* e) {
    Highlight(BarUnder(e->x));
    return false;
  });
  signal_leave_notify_event().connect([this](GdkEventCrossing*) {
    if (!has_focus()) Highlight(std::nullopt);
    return false;
  });
  signal_button_press_event().connect([this](GdkEventButton* e) {
    if (e->button != 1 || e->type != GDK_BUTTON_PRESS) return false;
    grab_focus();
    if (const auto bar = BarUnder(e->x)) DayClicked.emit(chart_.DayOf(*bar));
    return true;
  });
  signal_key_press_event().connect([this](GdkEventKey* e) {
    const std::size_t bars = chart_.Bars();
    if (bars == 0) return false;
    const std::size_t at = highlighted_.value_or(bars - 1);
    switch (e->keyval) {
      case GDK_KEY_Left:
        Highlight(at > 0 ? at - 1 : 0);
        return true;
      case GDK_KEY_Right:
        Highlight(std::min(at + 1, bars - 1));
        return true;
      case GDK_KEY_Return:
      case GDK_KEY_KP_Enter:
      case GDK_KEY_space:
        DayClicked.emit(chart_.DayOf(at));
        return true;
      default:
        return false;
    }
  });
}

void HistoryChart::SetChart(DayChart chart) {
  chart_ = std::move(chart);
  labels_.clear();
  shownLabels_.clear();  // until drawn
  highlighted_.reset();
  set_tooltip_text("");
  queue_draw();
}

std::string HistoryChart::BarText(std::size_t bar) const {
  if (bar >= chart_.Bars()) return "";
  const int pages = chart_.pages[bar];
  return DateText(static_cast<double>(chart_.DayOf(bar)), true) + ": " + std::to_string(pages) +
         (pages == 1 ? " page" : " pages");
}

int HistoryChart::BarsWidth() const { return ChartWidth(chart_.Bars(), get_allocated_width() - 2 * kPadding); }

std::optional<std::size_t> HistoryChart::BarUnder(double x) const {
  return BarAt(static_cast<int>(x) - kPadding, chart_.Bars(), BarsWidth());
}

void HistoryChart::Highlight(std::optional<std::size_t> bar) {
  if (bar == highlighted_) return;
  highlighted_ = bar;
  // A new bar under the pointer gets its own tooltip text.
  trigger_tooltip_query();
  queue_draw();
}

// Each bar's day and count under it, where there is room; the rest tell
// theirs on hover.
void HistoryChart::DrawLabels(const Cairo::RefPtr<Cairo::Context>& cr, int width, int top) {
  const std::size_t bars = chart_.Bars();
  if (labels_.size() != bars) {
    labels_.clear();
    for (std::size_t i = 0; i < bars; ++i) {
      Label label{create_pango_layout(BarLabel(chart_.DayOf(i), chart_.pages[i]))};
      int height = 0;
      label.layout->get_pixel_size(label.width, height);
      labels_.push_back(std::move(label));
    }
  }
  std::vector<int> centres, widths;
  for (std::size_t i = 0; i < bars; ++i) {
    centres.push_back((BarLeft(i, bars, width) + BarLeft(i + 1, bars, width)) / 2);
    widths.push_back(labels_[i].width);
  }
  auto style = get_style_context();
  for (const std::size_t i : LabelledBars(centres, widths, 6)) {
    style->render_layout(cr, kPadding + std::max(0, centres[i] - widths[i] / 2), top, labels_[i].layout);
    shownLabels_.push_back(labels_[i].layout->get_text());
  }
}

void HistoryChart::on_style_updated() {
  Gtk::DrawingArea::on_style_updated();
  labels_.clear();  // another font
}

bool HistoryChart::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
  shownLabels_.clear();
  const int width = BarsWidth();
  int labelWidth = 0, labelHeight = 0;
  create_pango_layout("0")->get_pixel_size(labelWidth, labelHeight);
  const int height = get_allocated_height() - 2 * kPadding - labelHeight;
  auto style = get_style_context();
  style->render_background(cr, 0, 0, get_allocated_width(), get_allocated_height());
  const std::size_t bars = chart_.Bars();
  if (bars == 0 || width <= 0 || height <= 0) return true;
  DrawLabels(cr, width, kPadding + height);
  const Gdk::RGBA ink = style->get_color(style->get_state());
  for (std::size_t i = 0; i < bars; ++i) {
    const int left = BarLeft(i, bars, width), right = BarLeft(i + 1, bars, width);
    const int h = BarHeight(chart_.pages[i], chart_.maxPages, height);
    // A one-pixel gap between bars when they are wide enough for one.
    const int w = std::max(1, right - left - (right - left > 3 ? 1 : 0));
    const bool lit = highlighted_ && *highlighted_ == i;
    cr->set_source_rgba(ink.get_red(), ink.get_green(), ink.get_blue(), lit ? 0.95 : 0.45);
    cr->rectangle(kPadding + left, kPadding + height - h, w, h);
    cr->fill();
  }
  if (has_focus()) style->render_focus(cr, 0, 0, get_allocated_width(), get_allocated_height());
  return true;
}
