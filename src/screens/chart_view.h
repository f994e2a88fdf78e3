#pragma once
#include <QWidget>

#include "core/hub/history_chart.h"

namespace bardrill::screens {

// The chart box of the hub's history panel (`Picture12`): shows one surface, painted as the printed
// pages paint it (painters/chart_paint.h).
class ChartView : public QWidget {
  Q_OBJECT
 public:
  explicit ChartView(QWidget* parent);
  void showSurface(ChartSurface surface);
  void clear();
  const ChartSurface& surface() const { return surface_; }
  // The base font size it paints with, in points.
  void setBasePoints(double points);
  double basePoints() const { return basePoints_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ChartSurface surface_;
  double basePoints_;
};

}  // namespace bardrill::screens
