#include "screens/chart_view.h"

#include <QPainter>
#include <utility>

#include "painters/chart_paint.h"
#include "screens/widgets.h"

namespace bardrill::screens {

ChartView::ChartView(QWidget* parent) : QWidget(parent), basePoints_(kChartBasePoints) {
  setAutoFillBackground(true);
  SetBackground(this, kPaperColour);
}

void ChartView::showSurface(ChartSurface surface) {
  surface_ = std::move(surface);
  update();
}

void ChartView::clear() { showSurface({}); }

void ChartView::setBasePoints(double points) {
  basePoints_ = points;
  update();
}

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintChartSurface(painter, surface_, rect(), basePoints_);
}

}  // namespace bardrill::screens
