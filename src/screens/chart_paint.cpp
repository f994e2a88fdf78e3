#include "screens/chart_paint.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include "screens/palette.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {

constexpr double kScreenDpi = 96;
constexpr double kDotWidthPx = 5;  // the screen's draw width for the run dots

QPointF At(const QRectF& area, double x, double y) {
  return {area.left() + x * area.width(), area.top() + y * area.height()};
}

QFont TextFont(const ChartText& t, double basePoints) { return FixedFont(basePoints * t.size); }

}  // namespace

std::vector<bool> DrawnTexts(const HistoryChart& chart, const QRectF& area, double basePoints,
                             QPaintDevice* device) {
  std::vector<bool> drawn(chart.texts.size(), true);
  QRectF lastCrowdable;
  for (size_t i = 0; i < chart.texts.size(); ++i) {
    const ChartText& t = chart.texts[i];
    if (!t.crowdable) continue;
    const QFontMetricsF metrics(TextFont(t, basePoints), device);
    const QRectF box(At(area, t.x, t.y), QSizeF(metrics.horizontalAdvance(Q(t.text)), metrics.height()));
    if (!lastCrowdable.isNull() && box.intersects(lastCrowdable)) {
      drawn[i] = false;
    } else {
      lastCrowdable = box;
    }
  }
  return drawn;
}

void PaintChartSurface(QPainter& painter, const ChartSurface& surface, const QRectF& area,
                       double basePoints) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  // Pen widths are given in screen pixels: a printer at 600 dpi draws them as thick as on the screen.
  const double scale = painter.device() ? painter.device()->logicalDpiX() / kScreenDpi : 1.0;
  for (const HistoryChart& chart : surface.charts) {
    for (const ChartSegment& s : chart.segments) {
      painter.setPen(QPen(FromBgr(s.colour), s.width * scale, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(At(area, s.x1, s.y1), At(area, s.x2, s.y2));
    }
    for (const ChartDot& d : chart.dots) {
      const QColor colour = d.record ? QColor(255, 0, 0) : QColor(0, 0, 255);
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      const double r = kDotWidthPx * scale / 2;
      painter.drawEllipse(At(area, d.x, d.y), r, r);
    }
    painter.setBrush(Qt::NoBrush);
    const std::vector<bool> drawn = DrawnTexts(chart, area, basePoints, painter.device());
    for (size_t i = 0; i < chart.texts.size(); ++i) {
      if (!drawn[i]) continue;
      const ChartText& t = chart.texts[i];
      QFont font = TextFont(t, basePoints);
      painter.setFont(font);
      painter.setPen(FromBgr(t.colour));
      const QPointF topLeft = At(area, t.x, t.y);
      painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(font, painter.device()).ascent()),
                       Q(t.text));
    }
  }
  painter.restore();
}

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  SetBackground(this, kPaperColour);
}

void ChartView::showSurface(ChartSurface surface) {
  surface_ = std::move(surface);
  update();
}

void ChartView::clear() { showSurface({}); }

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintChartSurface(painter, surface_, rect(), kChartBasePoints);
}

}  // namespace bardrill::screens
