#pragma once
#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>

class QPaintDevice;
class QPainter;

namespace bardrill::screens {

// The records screen's list on paper: kRecordLinesPerPage lines to a page, all pages in one fixed-pitch
// font, at kRecordListPoints unless the page's lines or its widest line would not fit the paper.
class RecordListPages {
 public:
  static constexpr int kRecordLinesPerPage = 40;
  static constexpr double kRecordListPoints = 10;

  // `line(i)` makes line i (from 0) of `count`, when it is measured or painted.
  RecordListPages(int count, std::function<QString(int)> line);

  int pageCount() const;
  // Paints page `index` (from 0) into `area`. The font is fitted to the first page painted, on its
  // painter's device, and kept for the rest.
  void paint(QPainter& painter, const QRectF& area, int index);
  // The font the pages are painted in: empty before the first page.
  const std::optional<QFont>& font() const { return font_; }

 private:
  QFont fittedFont(const QPaintDevice* device, const QRectF& area) const;

  int count_;
  std::function<QString(int)> line_;
  std::optional<QFont> font_;
};

}  // namespace bardrill::screens
