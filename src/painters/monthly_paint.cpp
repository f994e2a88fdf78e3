#include "painters/monthly_paint.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "painters/chart_paint.h"
#include "painters/fonts.h"
#include "painters/text.h"

namespace bardrill::screens {

namespace {

const QColor kInk(0, 0, 0);
const QColor kGrey(110, 110, 110);
const QColor kRule(150, 150, 150);
const QColor kHeading(221, 235, 247);  // a level's heading band
const QColor kThisMonth(255, 248, 225);

constexpr int kBlocksPerRow = 3;
constexpr int kBlockLines = 6;  // heading, column names, this month, last month, school best, average

double Height(QPainter& painter, const QFont& font) { return QFontMetricsF(font, painter.device()).height(); }

void Write(QPainter& painter, const QRectF& box, int flags, const QString& text, const QFont& font,
           const QColor& colour = kInk) {
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(box, flags | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

QString Count(int value) { return QString::number(value); }
QString Points(long long value) { return QString::number(value); }
QString Time(const MonthFigures& f) { return Q(TimeFigure(f.best, f.HasTime())); }

// One level's block: the child's month and the month before, the school's best and average.
void PaintLevel(QPainter& painter, const MonthlyLevel& level, const QRectF& box, double points) {
  const QFont plain = ExactProportionalFont(points);
  const QFont bold = ExactProportionalFont(points, true);
  const double line = box.height() / kBlockLines;
  const double pad = line * 0.3;
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(kHeading);
  painter.drawRect(QRectF(box.left(), box.top(), box.width(), line));
  painter.setBrush(kThisMonth);
  painter.drawRect(QRectF(box.left(), box.top() + 2 * line, box.width(), line));
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kRule, 0));
  painter.drawRect(box);
  painter.restore();

  Write(painter, QRectF(box.left() + pad, box.top(), box.width() - 2 * pad, line), Qt::AlignLeft,
        Q(level.name), ExactProportionalFont(points * 1.15, true));
  // The label column, then the drills, the points and the best time, the time the widest.
  const double inner = box.width() - 2 * pad;
  const double columns[4] = {0.28, 0.16, 0.26, 0.30};
  auto row = [&](int index, const QString& label, const QString& a, const QString& b, const QString& c,
                 const QFont& font, const QColor& colour) {
    const double y = box.top() + index * line;
    double x = box.left() + pad;
    Write(painter, QRectF(x, y, inner * columns[0], line), Qt::AlignLeft, label, font, colour);
    x += inner * columns[0];
    const QString figures[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
      Write(painter, QRectF(x, y, inner * columns[k + 1], line), Qt::AlignRight, figures[k], font, colour);
      x += inner * columns[k + 1];
    }
  };
  const QFont small = ExactProportionalFont(points * 0.85);
  row(1, {}, QStringLiteral("回数"), QStringLiteral("ポイント"), QStringLiteral("最高タイム"), small, kGrey);
  row(2, QStringLiteral("今月"), Count(level.month.drills), Points(level.month.points), Time(level.month),
      bold, kInk);
  row(3, QStringLiteral("先月"), Count(level.previous.drills), Points(level.previous.points),
      Time(level.previous), plain, kInk);
  const SchoolMonthFigures& s = level.school;
  const bool any = s.children > 0;
  const QString none = QStringLiteral("―");
  row(4, QStringLiteral("塾の最高"), any ? Count(s.mostDrills) : none, any ? Points(s.mostPoints) : none,
      Q(TimeFigure(s.best, s.HasTime())), plain, kGrey);
  row(5, QStringLiteral("塾の平均"), any ? Q(AverageFigure(s.averageDrills)) : none,
      any ? Q(AverageFigure(s.averagePoints)) : none,
      s.HasTime() ? Q(TimeFigure(static_cast<int32_t>(s.averageBest + 0.5), true)) : none, plain, kGrey);
}

// The heading every page shares: the school, what the report is and its month.
double PaintHeading(QPainter& painter, const MonthlyReport& report, const QRectF& page, double size) {
  const QFont school = ExactProportionalFont(13 * size);
  const QFont title = ExactProportionalFont(20 * size, true);
  double y = page.top();
  Write(painter, QRectF(page.left(), y, page.width(), Height(painter, school)), Qt::AlignLeft,
        Q(report.schoolName), school);
  y += Height(painter, school) * 1.2;
  const double titleHeight = Height(painter, title);
  Write(painter, QRectF(page.left(), y, page.width(), titleHeight), Qt::AlignLeft,
        Q(report.programTitle) + QStringLiteral("　月間成績表"), title);
  Write(painter, QRectF(page.left(), y, page.width(), titleHeight), Qt::AlignRight, Q(report.monthLabel),
        title);
  y += titleHeight * 1.15;
  painter.setPen(QPen(kInk, 0));
  painter.drawLine(QPointF(page.left(), y), QPointF(page.right(), y));
  return y + titleHeight * 0.35;
}

void PaintFoot(QPainter& painter, const QRectF& page, int index, int count, const QString& madeOn,
               double size) {
  const QFont foot = ExactProportionalFont(8 * size);
  const double h = Height(painter, foot);
  const QRectF box(page.left(), page.bottom() - h, page.width(), h);
  Write(painter, box, Qt::AlignLeft, madeOn, foot, kGrey);
  Write(painter, box, Qt::AlignRight, QStringLiteral("%1 / %2").arg(index + 1).arg(count), foot, kGrey);
}

}  // namespace

int MonthlyPageCount(const MonthlyReport& report) {
  return std::max<int>(1, static_cast<int>(report.pages.size()));
}

void PaintMonthlyPage(QPainter& painter, const MonthlyReport& report, int index, const QRectF& page,
                      const QString& madeOn, double tablePoints) {
  // The sizes below are those of a page whose tables are at 10 points.
  const double size = tablePoints / kMonthlyTablePoints;
  painter.save();
  double y = PaintHeading(painter, report, page, size);
  PaintFoot(painter, page, index, MonthlyPageCount(report), madeOn, size);
  const double bottom = page.bottom() - Height(painter, ExactProportionalFont(8 * size)) * 1.5;

  if (report.pages.empty()) {
    Write(painter, QRectF(page.left(), y, page.width(), bottom - y), Qt::AlignHCenter,
          Q(report.monthLabel) + QStringLiteral("にドリルをした人はいません。"),
          ExactProportionalFont(14 * size));
    painter.restore();
    return;
  }
  const MonthlyPage& child =
      report.pages[static_cast<size_t>(std::clamp<int>(index, 0, static_cast<int>(report.pages.size()) - 1))];

  const QFont name = ExactProportionalFont(18 * size, true);
  const QFont grade = ExactProportionalFont(13 * size);
  const double nameHeight = Height(painter, name);
  Write(painter, QRectF(page.left(), y, page.width(), nameHeight), Qt::AlignLeft,
        Q(child.name) + QStringLiteral(" さん　") + Q(child.grade), name);
  Write(painter, QRectF(page.left(), y, page.width(), nameHeight), Qt::AlignRight,
        QStringLiteral("番号 %1").arg(child.student), grade, kGrey);
  y += nameHeight * 1.5;

  // The levels' blocks, three to a row, shrunk to leave the charts at least half the page.
  const int levels = static_cast<int>(child.levels.size());
  const int perRow = std::clamp(levels, 1, kBlocksPerRow);
  const int rows = (levels + perRow - 1) / perRow;
  const double gap = page.width() * 0.02;
  const double blockWidth = (page.width() - gap * (perRow - 1)) / perRow;
  double points = tablePoints;
  double blockHeight = Height(painter, ExactProportionalFont(points)) * 1.45 * kBlockLines;
  const double room = (bottom - y) * 0.45;
  if (rows > 0 && rows * (blockHeight + gap) > room) {
    const double shrink = room / (rows * (blockHeight + gap));
    points *= shrink;
    blockHeight *= shrink;
  }
  for (int i = 0; i < levels; ++i) {
    const QRectF box(page.left() + (i % perRow) * (blockWidth + gap), y + (i / perRow) * (blockHeight + gap),
                     blockWidth, blockHeight);
    PaintLevel(painter, child.levels[static_cast<size_t>(i)], box, points);
  }
  y += rows * (blockHeight + gap) + gap;

  const QFont heading = ExactProportionalFont(12 * size, true);
  const double headingHeight = Height(painter, heading);
  Write(painter, QRectF(page.left(), y, page.width(), headingHeight), Qt::AlignLeft,
        QStringLiteral("今月のタイム（赤は今月の記録の更新）"), heading);
  y += headingHeight * 1.2;
  const QRectF chartArea(page.left(), y, page.width(), bottom - y);
  if (child.chart.charts.empty()) {
    Write(painter, chartArea, Qt::AlignHCenter, QStringLiteral("この月のドリルはありません。"),
          ExactProportionalFont(14 * size), kGrey);
  } else {
    PaintChartSurface(painter, child.chart, chartArea, kChartBasePoints * size);
  }
  painter.restore();
}

}  // namespace bardrill::screens
