#pragma once
#include <QAbstractListModel>
#include <QListView>
#include <string>
#include <vector>

namespace bardrill::screens {

// The lines of a list as core computed them, each with the number of what it shows (a student, a
// record), handed out to a view. Texts are turned into QString only for the rows on screen.
class LineModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;

  // Replaces every line; `keys` is empty or has one number per line.
  void setLines(std::vector<std::string> lines, std::vector<int> keys = {});
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  const std::string& line(int row) const { return lines_[static_cast<size_t>(row)]; }
  int key(int row) const;  // 0 when the line has none

 private:
  std::vector<std::string> lines_;
  std::vector<int> keys_;
};

// A list box of thousands of fixed-pitch lines: a view with uniform rows over a LineModel, so that
// filling and scrolling stay instant. `currentRowChanged` follows the keyboard and the mouse;
// `rowActivated` is a double click on a row.
class LineList : public QListView {
  Q_OBJECT
 public:
  explicit LineList(QWidget* parent);

  void setLines(std::vector<std::string> lines, std::vector<int> keys = {});
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

 Q_SIGNALS:
  void currentRowChanged(int row);
  void rowActivated(int row);

 private:
  LineModel* model_;
};

LineList* MakeLineList(QWidget* parent, const QString& name);

}  // namespace bardrill::screens
