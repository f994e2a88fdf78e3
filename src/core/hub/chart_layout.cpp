#include "core/hub/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "platform/text.h"

namespace bardrill {

namespace {

// How far a record's texts keep from the centre of its dot, in base ems, and the half width of the
// square a dot covers: the painter draws it 5 pixels wide at the base size of 6 points (8 pixels an
// em). The square is smaller than the distance so that a text set next to a dot never meets it by a
// rounding error.
constexpr double kDotClearEms = 0.4, kDotEms = 0.35;
// Between the legend's last entry and the title, and between the entries, in the legend's ems.
constexpr double kLegendGapEms = 1.0, kLegendEntryGapEms = 0.5;
// A record's texts keep a half-width blank from the texts beside them, so that "87秒" and "79秒" never
// read as one.
constexpr double kBesideGapEms = 0.5;

bool Inside(const TextBox& box, double left, double top, double right, double bottom) {
  return box.left >= left && box.top >= top && box.Right() <= right && box.Bottom() <= bottom;
}

class Layout {
 public:
  Layout(const ChartSurface& surface, const ChartArea& area) : surface_(surface), area_(area) {}

  std::vector<PlacedText> Run() {
    for (ChartTextRole role :
         {ChartTextRole::Name, ChartTextRole::Title, ChartTextRole::Statistic, ChartTextRole::AxisLabel})
      ForEachText(role, [this](size_t c, size_t i) { PlaceFixed(c, i); });
    for (size_t c = 0; c < surface_.charts.size(); ++c) PlaceLegend(c);
    for (ChartTextRole role :
         {ChartTextRole::RecordTime, ChartTextRole::RunNumber, ChartTextRole::RecordDate})
      ForEachRecordText(role,
                        [this, role](size_t c, size_t i, bool first) { PlaceRecordText(c, i, role, first); });
    return std::move(placed_);
  }

 private:
  const ChartText& Text(size_t chart, size_t index) const { return surface_.charts[chart].texts[index]; }

  template <typename F>
  void ForEachText(ChartTextRole role, F place) {
    for (size_t c = 0; c < surface_.charts.size(); ++c)
      for (size_t i = 0; i < surface_.charts[c].texts.size(); ++i)
        if (Text(c, i).role == role) place(c, i);
  }

  // When records crowd, the latest best keeps its texts, then the first run, where the chart starts,
  // then the others from the newest back.
  template <typename F>
  void ForEachRecordText(ChartTextRole role, F place) {
    for (size_t c = 0; c < surface_.charts.size(); ++c) {
      std::vector<size_t> order;
      for (size_t i = 0; i < surface_.charts[c].texts.size(); ++i)
        if (Text(c, i).role == role) order.push_back(i);
      std::stable_sort(order.begin(), order.end(),
                       [&](size_t a, size_t b) { return Text(c, a).dot > Text(c, b).dot; });
      if (order.size() > 2) std::rotate(order.begin() + 1, order.end() - 1, order.end());
      for (size_t k = 0; k < order.size(); ++k) place(c, order[k], k < 2);
    }
  }

  bool Free(const TextBox& box, double gap = 0) const {
    const TextBox wider{box.left - gap, box.top, box.width + 2 * gap, box.height};
    return std::none_of(placed_.begin(), placed_.end(),
                        [&wider](const PlacedText& p) { return p.box.Intersects(wider); });
  }

  TextBox DotBox(const ChartDot& d) const {
    const double r = kDotEms * area_.em;
    return {d.x * area_.width - r, d.y * area_.height - r, 2 * r, 2 * r};
  }

  // Whether `box` covers one of the chart's dots.
  bool OverDot(const HistoryChart& chart, const TextBox& box) const {
    return std::any_of(chart.dots.begin(), chart.dots.end(),
                       [&](const ChartDot& d) { return box.Intersects(DotBox(d)); });
  }

  void Place(size_t chart, size_t index, const TextBox& box) {
    placed_.push_back({chart, index, box, TextEm(area_, Text(chart, index).size)});
    if (Text(chart, index).role == ChartTextRole::Title) titles_[chart] = box;
    if (Text(chart, index).role == ChartTextRole::RecordTime) times_[{chart, Text(chart, index).dot}] = box;
  }

  TextBox AtAnchor(const ChartText& t) const {
    const TextBox size = MeasureText(area_, t, 0, 0);
    return MeasureText(area_, t, t.x * area_.width - t.alignX * size.width,
                       t.y * area_.height - t.alignY * size.height);
  }

  // Headings, statistics and axis labels stand where the chart puts them.
  void PlaceFixed(size_t chart, size_t index) {
    const TextBox box = AtAnchor(Text(chart, index));
    if (Free(box)) Place(chart, index, box);
  }

  // The legend's entries in a row that ends at `right`, from `top`; placed whole or not at all.
  bool PlaceLegendRow(size_t chart, const std::vector<size_t>& entries, double right, double top) {
    std::vector<TextBox> boxes(entries.size());
    for (size_t k = entries.size(); k-- > 0;) {
      const ChartText& t = Text(chart, entries[k]);
      const double width = MeasureText(area_, t, 0, 0).width;
      boxes[k] = MeasureText(area_, t, right - width, top);
      if (!Inside(boxes[k], 0, 0, area_.width, area_.height) || !Free(boxes[k])) return false;
      right = boxes[k].left - kLegendEntryGapEms * TextEm(area_, t.size);
    }
    for (size_t k = 0; k < entries.size(); ++k) Place(chart, entries[k], boxes[k]);
    return true;
  }

  void PlaceLegend(size_t chart) {
    std::vector<size_t> entries;
    for (size_t i = 0; i < surface_.charts[chart].texts.size(); ++i)
      if (Text(chart, i).role == ChartTextRole::Legend) entries.push_back(i);
    if (entries.empty()) return;
    const ChartText& first = Text(chart, entries.front());
    const auto title = titles_.find(chart);
    const TextBox anchor =
        title != titles_.end() ? title->second : TextBox{first.x * area_.width, first.y * area_.height, 0, 0};
    const double gap = kLegendGapEms * TextEm(area_, first.size);
    if (PlaceLegendRow(chart, entries, anchor.left - gap, anchor.top)) return;
    PlaceLegendRow(chart, entries, surface_.charts[chart].plot.right * area_.width, anchor.Bottom());
  }

  // Where a record's time may stand around its dot, the first free one taken: above it, then off the
  // record line (which comes down from the upper left and goes on to the lower right), then the rest.
  std::vector<TextBox> AroundDot(const ChartText& t, double dx, double dy) const {
    const TextBox size = MeasureText(area_, t, 0, 0);
    const double w = size.width, h = size.height, g = kDotClearEms * area_.em;
    const std::pair<double, double> corners[] = {
        {dx - w / 2, dy - g - h}, {dx, dy - g - h},     {dx - w, dy + g},     {dx - w, dy - g - h},
        {dx - g - w, dy - h / 2}, {dx + g, dy - h / 2}, {dx - w / 2, dy + g}, {dx, dy + g},
    };
    std::vector<TextBox> boxes;
    for (const auto& [left, top] : corners) boxes.push_back(MeasureText(area_, t, left, top));
    return boxes;
  }

  // A date stands on its time's far side from the dot, or on the near side, or after or before it on
  // its line.
  std::vector<TextBox> BesideTime(const ChartText& t, const TextBox& time, double dy) const {
    const TextBox size = MeasureText(area_, t, 0, 0);
    const double left = time.left + (time.width - size.width) / 2;
    const double middle = time.top + (time.height - size.height) / 2;
    const double gap = kBesideGapEms * TextEm(area_, t.size);
    const TextBox above = MeasureText(area_, t, left, time.top - size.height);
    const TextBox below = MeasureText(area_, t, left, time.Bottom());
    const TextBox after = MeasureText(area_, t, time.Right() + gap, middle);
    const TextBox before = MeasureText(area_, t, time.left - gap - size.width, middle);
    if (time.top >= dy) return {below, above, after, before};
    return {above, below, after, before};
  }

  // The newest record's texts and the first run's may cover other runs' dots where there is no other
  // room; the rest are left out rather than hide a run.
  void PlaceRecordText(size_t chart, size_t index, ChartTextRole role, bool first) {
    const HistoryChart& c = surface_.charts[chart];
    const ChartText& t = Text(chart, index);
    if (t.dot < 0 || static_cast<size_t>(t.dot) >= c.dots.size()) return;
    const ChartDot& dot = c.dots[static_cast<size_t>(t.dot)];
    const double dx = dot.x * area_.width, dy = dot.y * area_.height;
    const double gap = kBesideGapEms * TextEm(area_, t.size);
    if (role == ChartTextRole::RunNumber) {
      // Centred under its dot, or shifted by up to half its width where that makes room.
      const TextBox centred = AtAnchor(t);
      for (double shift : {0.0, 0.25, -0.25, 0.5, -0.5}) {
        TextBox box = centred;
        box.left += shift * box.width;
        if (Inside(box, 0, 0, area_.width, area_.height) && Free(box, gap)) {
          Place(chart, index, box);
          return;
        }
      }
      return;
    }
    std::vector<TextBox> candidates;
    if (role == ChartTextRole::RecordTime) {
      candidates = AroundDot(t, dx, dy);
    } else {
      const auto time = times_.find({chart, t.dot});
      if (time == times_.end()) return;  // a date without its time would say nothing
      candidates = BesideTime(t, time->second, dy);
    }
    // Right of the time axis, above the run axis, inside the chart's band, clear of its own dot.
    const double g = kDotClearEms * area_.em;
    const TextBox ownDot = DotBox(dot);
    for (bool overDots : {false, true}) {
      if (overDots && !first) return;
      for (const TextBox& box : candidates) {
        if (Inside(box, c.plot.left * area_.width + g, c.top * area_.height, area_.width,
                   c.plot.bottom * area_.height - g) &&
            !box.Intersects(ownDot) && (overDots || !OverDot(c, box)) && Free(box, gap)) {
          Place(chart, index, box);
          return;
        }
      }
    }
  }

  const ChartSurface& surface_;
  const ChartArea& area_;
  std::vector<PlacedText> placed_;
  std::map<size_t, TextBox> titles_;
  std::map<std::pair<size_t, int>, TextBox> times_;
};

}  // namespace

bool TextBox::Intersects(const TextBox& other) const {
  return left < other.Right() && other.left < Right() && top < other.Bottom() && other.top < Bottom();
}

double TextEm(const ChartArea& area, double size) { return std::max(1.0, std::round(area.em * size)); }

TextBox MeasureText(const ChartArea& area, const ChartText& text, double left, double top) {
  const double em = TextEm(area, text.size);
  return {left, top, static_cast<double>(text::Columns(text.text)) * em / 2, kChartLineEms * em};
}

std::vector<PlacedText> LayOutChartTexts(const ChartSurface& surface, const ChartArea& area) {
  return Layout(surface, area).Run();
}

}  // namespace bardrill
