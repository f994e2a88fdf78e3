#pragma once
#include <QRectF>
#include <QWidget>
#include <vector>

#include "core/hub/history_chart.h"

class QPainter;

namespace bardrill::screens {

// Paints one surface of history charts into `area` of any painter: the screen's chart box, an image
// in a test and a printed page share this one drawing. `basePoints` is the base font size in points.
void PaintChartSurface(QPainter& painter, const ChartSurface& surface, const QRectF& area, double basePoints);

// Which of `chart`'s texts are drawn into `area` on `device`: all but the crowdable ones that would
// overlap the crowdable text drawn before them.
std::vector<bool> DrawnTexts(const HistoryChart& chart, const QRectF& area, double basePoints,
                             QPaintDevice* device);

// The chart box of the hub's history panel (`Picture12`): shows one surface.
class ChartView : public QWidget {
  Q_OBJECT
 public:
  explicit ChartView(QWidget* parent);
  void showSurface(ChartSurface surface);
  void clear();
  const ChartSurface& surface() const { return surface_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ChartSurface surface_;
};

inline constexpr double kChartBasePoints = 6;

}  // namespace bardrill::screens
