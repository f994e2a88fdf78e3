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
  for (int i = 0; i < count_; ++i) widest = std::max(widest, metrics.horizontalAdvance(line_(i)));
  const double scale =
      std::min({1.0, area.height() / (kRecordLinesPerPage * metrics.lineSpacing()), area.width() / widest});
  font.setPointSizeF(kRecordListPoints * scale);
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
