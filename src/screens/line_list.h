#pragma once
#include <QAbstractItemView>
#include <QAbstractListModel>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace bardrill::screens {

// The lines of a list, made only when asked for: a list of millions of records keeps the records and
// formats the few rows on screen, or the pages being printed.
class LineSource {
 public:
  virtual ~LineSource() = default;
  virtual int count() const = 0;
  virtual std::string line(int row) const = 0;
  virtual int key(int row) const = 0;  // the number of what the line shows, 0 when it has none
};

// The lines of a list as core computed them (or as a LineSource makes them), each with the number of
// what it shows (a student, a record), handed out to a view. Texts are turned into QString only for
// the rows on screen.
class LineModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit LineModel(QObject* parent = nullptr);

  // Replaces every line; `keys` is empty or has one number per line.
  void setLines(std::vector<std::string> lines, std::vector<int> keys = {});
  // Replaces every line by those `source` makes.
  void setSource(std::shared_ptr<const LineSource> source);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  std::string line(int row) const { return source_->line(row); }
  int key(int row) const;  // 0 when the line has none

 private:
  std::shared_ptr<const LineSource> source_;
};

// A list box of fixed-pitch lines, from a few to millions: a view of uniform rows over a LineModel
// that lays out nothing row by row (a row's place is its number times the row height) and asks the
// model only for the rows it paints, so that filling and scrolling stay instant whatever the count.
// It scrolls by whole rows, like the list boxes it stands for; typing moves to the next line that starts
// with what was typed on lists of up to 10,000 lines (on longer ones a key would read every line).
// `currentRowChanged` follows the keyboard and the mouse; `rowActivated` is a double click on a row.
class LineList : public QAbstractItemView {
  Q_OBJECT
 public:
  explicit LineList(QWidget* parent);

  void setLines(std::vector<std::string> lines, std::vector<int> keys = {});
  void setSource(std::shared_ptr<const LineSource> source);
  LineModel& lines() { return *model_; }
  const LineModel& lines() const { return *model_; }
  int count() const { return model_->rowCount(); }
  QString text(int row) const;
  int currentRow() const;
  void setCurrentRow(int row);
  // Shows `row` in the view without making it current or selected.
  void showRow(int row);
  // The selected rows in ascending order (lists that allow choosing several lines).
  std::vector<int> selectedRows() const;
  void selectRows(const std::vector<int>& rows);

  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex indexAt(const QPoint& point) const override;
  void keyboardSearch(const QString& search) override;
  void reset() override;

 Q_SIGNALS:
  void currentRowChanged(int row);
  void rowActivated(int row);

 protected:
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  int horizontalOffset() const override;
  int verticalOffset() const override;
  bool isIndexHidden(const QModelIndex& index) const override;
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  QRegion visualRegionForSelection(const QItemSelection& selection) const override;
  void updateGeometries() override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;  // dy in rows

 private:
  // One row's size as the delegate gives it for the last row (all rows are taken to be as high, and the
  // lines as wide); worked out again when the lines or the font change.
  QSize rowSize() const;
  int rowHeight() const { return std::max(rowSize().height(), 1); }
  int topRow() const;
  // Whole rows that fit in the viewport, at least 1.
  int rowsInView() const;
  int rowAt(int y) const;  // the row at viewport height y, unclamped

  LineModel* model_;
  mutable QSize rowSize_;  // invalid until worked out
};

LineList* MakeLineList(QWidget* parent, const QString& name);

}  // namespace bardrill::screens
