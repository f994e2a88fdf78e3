#include "painters/page_frame.h"

#include <QFontMetricsF>
#include <QPainter>

#include "painters/fonts.h"

namespace bardrill::screens {

namespace {
constexpr double kHeaderPoints = 10;
}  // namespace

QRectF PaintPageFrame(QPainter& painter, const QRectF& page, const PageHeading& heading, int index,
                      int count) {
  const QFont font = ExactProportionalFont(kHeaderPoints);
  const double line = QFontMetricsF(font, painter.device()).height();
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(page.left(), page.top(), page.width(), line), Qt::AlignLeft,
                   heading.school + "  " + heading.title);
  painter.drawText(QRectF(page.left(), page.top(), page.width(), line), Qt::AlignRight, heading.date);
  painter.drawText(QRectF(page.left(), page.bottom() - line, page.width(), line), Qt::AlignHCenter,
                   QStringLiteral("%1 / %2").arg(index + 1).arg(count));
  return {page.left(), page.top() + 1.5 * line, page.width(), page.height() - 3 * line};
}

}  // namespace bardrill::screens
