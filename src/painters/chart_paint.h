#pragma once
#include <QFont>
#include <QRectF>
#include <vector>

#include "core/hub/chart_layout.h"
#include "core/hub/history_chart.h"

class QPaintDevice;
class QPainter;

namespace bardrill::screens {

inline constexpr double kChartBasePoints = 6;

// Paints one surface of history charts into `area` of any painter: the screen's chart box, an image
// in a test and a printed page share this one drawing. `basePoints` is the base font size in points on
// the painter's device (kChartBasePoints on paper; on the screen times its page scale); the pens and
// dots grow with it.
void PaintChartSurface(QPainter& painter, const ChartSurface& surface, const QRectF& area, double basePoints);

// The texts PaintChartSurface draws into `area` on `device`, each with its box (from the area's top
// left) and its size.
std::vector<PlacedText> ChartTextsIn(const ChartSurface& surface, const QRectF& area, double basePoints,
                                     const QPaintDevice* device);

// The chart's fixed-pitch font at exactly `pixels` per em on the painter's device, apart from any page
// scale of the screen's fonts: the layout has measured the chart's texts at that size.
QFont ChartFont(double pixels);

}  // namespace bardrill::screens
