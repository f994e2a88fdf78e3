#include "painters/chart_paint.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "painters/fonts.h"
#include "painters/palette.h"
#include "painters/text.h"

namespace bardrill::screens {

namespace {

constexpr double kScreenDpi = 96;
constexpr double kPointsPerInch = 72;
constexpr double kDotWidthPx = 5;  // the screen's draw width for the run dots at the base size

QPointF At(const QRectF& area, double x, double y) {
  return {area.left() + x * area.width(), area.top() + y * area.height()};
}

ChartArea AreaOn(const QRectF& area, double basePoints, const QPaintDevice* device) {
  const double dpi = device ? device->logicalDpiY() : kScreenDpi;
  return {area.width(), area.height(), basePoints * dpi / kPointsPerInch};
}

}  // namespace

QFont ChartFont(double pixels) {
  // In pixels: the layout measured the texts in whole pixels of the paint device.
  QFont f = ExactFixedFont(1);
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  return f;
}

std::vector<PlacedText> ChartTextsIn(const ChartSurface& surface, const QRectF& area, double basePoints,
                                     const QPaintDevice* device) {
  return LayOutChartTexts(surface, AreaOn(area, basePoints, device));
}

void PaintChartSurface(QPainter& painter, const ChartSurface& surface, const QRectF& area,
                       double basePoints) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  // Pen widths and dots are given in screen pixels at the base size: they grow with the font, and a
  // printer at 600 dpi draws them as thick as the screen.
  const double dpi = painter.device() ? painter.device()->logicalDpiX() : kScreenDpi;
  const double scale = basePoints / kChartBasePoints * dpi / kScreenDpi;
  for (const HistoryChart& chart : surface.charts) {
    for (const ChartSegment& s : chart.segments) {
      painter.setPen(QPen(FromBgr(s.colour), s.width * scale, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(At(area, s.x1, s.y1), At(area, s.x2, s.y2));
    }
    painter.setPen(Qt::NoPen);
    for (const ChartDot& d : chart.dots) {
      painter.setBrush(d.record ? QColor(255, 0, 0) : QColor(0, 0, 255));
      const double r = kDotWidthPx * scale / 2;
      painter.drawEllipse(At(area, d.x, d.y), r, r);
    }
  }
  painter.setBrush(Qt::NoBrush);
  // A surface's texts come in a few sizes: each font and its ascent is made once.
  std::map<double, std::pair<QFont, double>> fonts;
  for (const PlacedText& placed : ChartTextsIn(surface, area, basePoints, painter.device())) {
    const ChartText& t = surface.charts[placed.chart].texts[placed.text];
    auto font = fonts.find(placed.em);
    if (font == fonts.end()) {
      const QFont made = ChartFont(placed.em);
      font = fonts.emplace(placed.em, std::make_pair(made, QFontMetricsF(made, painter.device()).ascent()))
                 .first;
    }
    painter.setFont(font->second.first);
    painter.setPen(FromBgr(t.colour));
    painter.drawText(
        QPointF(area.left() + placed.box.left, area.top() + placed.box.top + font->second.second), Q(t.text));
  }
  painter.restore();
}

}  // namespace bardrill::screens
