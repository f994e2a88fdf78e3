#include "screens/line_list.h"

#include <algorithm>

namespace bardrill::screens {

void LineModel::setLines(std::vector<std::string> lines, std::vector<int> keys) {
  beginResetModel();
  lines_ = std::move(lines);
  keys_ = std::move(keys);
  endResetModel();
}

int LineModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant LineModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  return QString::fromStdString(lines_[static_cast<size_t>(index.row())]);
}

int LineModel::key(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= keys_.size()) return 0;
  return keys_[static_cast<size_t>(row)];
}

LineList::LineList(QWidget* parent) : QListView(parent), model_(new LineModel(this)) {
  setModel(model_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            Q_EMIT currentRowChanged(current.isValid() ? current.row() : -1);
          });
  connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) Q_EMIT rowActivated(index.row());
  });
}

void LineList::setLines(std::vector<std::string> lines, std::vector<int> keys) {
  model_->setLines(std::move(lines), std::move(keys));
}

QString LineList::text(int row) const {
  if (row < 0 || row >= count()) return {};
  return QString::fromStdString(model_->line(row));
}

int LineList::currentRow() const {
  QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void LineList::setCurrentRow(int row) {
  QModelIndex index = model_->index(row);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void LineList::showRow(int row) {
  if (row >= 0 && row < count()) scrollTo(model_->index(row), QAbstractItemView::PositionAtCenter);
}

std::vector<int> LineList::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void LineList::selectRows(const std::vector<int>& rows) {
  QItemSelection selection;
  for (int row : rows)
    if (row >= 0 && row < count()) selection.select(model_->index(row), model_->index(row));
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!rows.empty())
    selectionModel()->setCurrentIndex(model_->index(rows.front()), QItemSelectionModel::NoUpdate);
}

LineList* MakeLineList(QWidget* parent, const QString& name) {
  auto* list = new LineList(parent);
  list->setObjectName(name);
  return list;
}

}  // namespace bardrill::screens
