#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/hub/history_chart.h"

namespace bardrill {

// A text's rectangle in the units of the area it is laid out in (pixels, printer dots, points), from
// the area's top left.
struct TextBox {
  double left = 0, top = 0, width = 0, height = 0;
  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
  bool Intersects(const TextBox& other) const;  // sharing more than an edge
};

// The area a surface is drawn in, and its base font size: the em of a text of size 1, in the area's
// units.
struct ChartArea {
  double width = 0, height = 0;
  double em = 0;
};

// The chart's texts are set in the fixed-pitch font, where a half-width character is half an em wide
// and a full-width one a whole em, and a line is a little taller than an em: so each text's box is known
// without the font. A text of size s is set at s times the base em, rounded to whole units of the area,
// as a font's size is on a device.
double TextEm(const ChartArea& area, double size);
inline constexpr double kChartLineEms = 1.1;
TextBox MeasureText(const ChartArea& area, const ChartText& text, double left, double top);

struct PlacedText {
  size_t chart = 0;  // index into the surface's charts
  size_t text = 0;   // index into that chart's texts
  TextBox box;
  double em = 0;  // the font size to set it at
};

// The texts of `surface` that are drawn in `area`, each with its box, so that no two boxes meet. The
// name, the titles, the statistics and the axis labels stand where the chart puts them; the legend goes
// left of its title, or under it; a record's time goes next to its dot where there is room (above,
// beside or below it, over no dot), its date next to its time and its run number under the run axis.
// Where a text has no room it is left out: the newest record's texts are placed first, then the first
// run's, then the others'.
std::vector<PlacedText> LayOutChartTexts(const ChartSurface& surface, const ChartArea& area);

}  // namespace bardrill
