#pragma once
#include <QRectF>
#include <QString>

class QPainter;

namespace bardrill::screens {

// What heads a printed page of lists and charts.
struct PageHeading {
  QString school;
  QString title;
  QString date;
};

// Paints the heading of page `index` (from 0) of `count` into the top of `page` (the school and the
// title on the left, the date on the right) and its number at its foot, and returns the area between
// them that is left for the page's own drawing.
QRectF PaintPageFrame(QPainter& painter, const QRectF& page, const PageHeading& heading, int index,
                      int count);

}  // namespace bardrill::screens
