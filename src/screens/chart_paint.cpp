#include "screens/chart_paint.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include "screens/widgets.h"

namespace bardrill::screens {

namespace {

constexpr double kScreenDpi = 96;
constexpr double kDotWidth = 5;  // the screen's draw width for the run dots

QPointF At(const QRectF& area, double x, double y) {
  return {area.left() + x * area.width(), area.top() + y * area.height()};
}

}  // namespace

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
      const double r = kDotWidth * scale / 2;
      painter.drawEllipse(At(area, d.x, d.y), r, r);
    }
    painter.setBrush(Qt::NoBrush);
    for (const ChartText& t : chart.texts) {
      QFont font = FixedFont(basePoints * t.size);
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
  SetBackground(this, QColor(255, 255, 255));
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
