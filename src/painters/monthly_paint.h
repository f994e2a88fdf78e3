#pragma once
#include <QRectF>
#include <QString>

#include "core/teacher/monthly_report.h"

class QPainter;

namespace bardrill::screens {

// Pages of a monthly report: one per child, or one saying that nobody drilled in the month.
int MonthlyPageCount(const MonthlyReport& report);

// The size of the levels' tables on an A4 page, in points; the page's other texts and its charts are
// sized in proportion to it.
inline constexpr double kMonthlyTablePoints = 10;

// Paints page `index` (from 0) of `report` into `page`, an A4 portrait page less its margins, on any
// painter: the report tool's PDF and the hub's printer share this one drawing. `madeOn` stands at the
// page's foot beside its number. `tablePoints` is the tables' font size in points on the painter's
// device (kMonthlyTablePoints on paper). The charts are drawn by the history chart's painter.
void PaintMonthlyPage(QPainter& painter, const MonthlyReport& report, int index, const QRectF& page,
                      const QString& madeOn, double tablePoints);

}  // namespace bardrill::screens
