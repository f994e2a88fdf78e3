#include "painters/record_list_paint.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "painters/fonts.h"

namespace bardrill::screens {

RecordListPages::RecordListPages(int count, std::function<QString(int)> line)
    : count_(std::max(0, count)), line_(std::move(line)) {}

int RecordListPages::pageCount() const { return (count_ + kRecordLinesPerPage - 1) / kRecordLinesPerPage; }

QFont RecordListPages::fittedFont(const QPaintDevice* device, const QRectF& area) const {
  QFont font = ExactFixedFont(kRecordListPoints);
  const QFontMetricsF metrics(font, device);
  double widest = 1;
  int widestLine = -1;
  for (int i = 0; i < count_; ++i) {
    const double width = metrics.horizontalAdvance(line_(i));
    if (width > widest) {
      widest = width;
      widestLine = i;
    }
  }
  const double scale =
      std::min({1.0, area.height() / (kRecordLinesPerPage * metrics.lineSpacing()), area.width() / widest});
  font.setPointSizeF(kRecordListPoints * scale);
  // A small font does not shrink in proportion: its advances are rounded to whole device pixels (more so on
  // Windows). Measure the widest line again and shrink on, a few times at most, until the page holds it.
  for (int tries = 0; tries < 4 && scale < 1.0; ++tries) {
    const QFontMetricsF fitted(font, device);
    const double wide = widestLine < 0 ? 0 : fitted.horizontalAdvance(line_(widestLine)) / area.width();
    const double tall = kRecordLinesPerPage * fitted.lineSpacing() / area.height();
    const double over = std::max(wide, tall);
    if (over <= 1.0) break;
    font.setPointSizeF(font.pointSizeF() / over * 0.98);
  }
  return font;
}

void RecordListPages::paint(QPainter& painter, const QRectF& area, int index) {
  if (!font_) font_ = fittedFont(painter.device(), area);
  painter.setFont(*font_);
  const double step = area.height() / kRecordLinesPerPage;
  const int first = index * kRecordLinesPerPage;
  const int last = std::min(first + kRecordLinesPerPage, count_);
  for (int i = first; i < last; ++i) {
    const QRectF place(area.left(), area.top() + static_cast<double>(i - first) * step, area.width(), step);
    painter.drawText(place, Qt::AlignLeft | Qt::AlignVCenter, line_(i));
  }
}

}  // namespace bardrill::screens
