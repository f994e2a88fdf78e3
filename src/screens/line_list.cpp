#include "screens/line_list.h"

#include <QCursor>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace bardrill::screens {

namespace {

// Lines kept as text: the lists of a few thousand lines that core computes whole.
class StoredLines : public LineSource {
 public:
  StoredLines(std::vector<std::string> lines, std::vector<int> keys)
      : lines_(std::move(lines)), keys_(std::move(keys)) {}
  int count() const override { return static_cast<int>(lines_.size()); }
  std::string line(int row) const override { return lines_[static_cast<size_t>(row)]; }
  int key(int row) const override {
    return static_cast<size_t>(row) < keys_.size() ? keys_[static_cast<size_t>(row)] : 0;
  }

 private:
  std::vector<std::string> lines_;
  std::vector<int> keys_;
};

std::shared_ptr<const LineSource> NoLines() {
  static const std::shared_ptr<const LineSource> kNone =
      std::make_shared<StoredLines>(std::vector<std::string>{}, std::vector<int>{});
  return kNone;
}

// Typing on a list goes to the next line that starts with what was typed, reading the lines one by one
// from the current one: not on a list of more lines than this, where a key would read millions.
constexpr int kSearchedLines = 10000;

}  // namespace

LineModel::LineModel(QObject* parent) : QAbstractListModel(parent), source_(NoLines()) {}

void LineModel::setLines(std::vector<std::string> lines, std::vector<int> keys) {
  setSource(std::make_shared<StoredLines>(std::move(lines), std::move(keys)));
}

void LineModel::setSource(std::shared_ptr<const LineSource> source) {
  beginResetModel();
  source_ = source ? std::move(source) : NoLines();
  endResetModel();
}

int LineModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : source_->count(); }

QVariant LineModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  return QString::fromStdString(source_->line(index.row()));
}

int LineModel::key(int row) const {
  if (row < 0 || row >= rowCount()) return 0;
  return source_->key(row);
}

LineList::LineList(QWidget* parent) : QAbstractItemView(parent), model_(new LineModel(this)) {
  setModel(model_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            Q_EMIT currentRowChanged(current.isValid() ? current.row() : -1);
          });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) Q_EMIT rowActivated(index.row());
  });
}

void LineList::setLines(std::vector<std::string> lines, std::vector<int> keys) {
  model_->setLines(std::move(lines), std::move(keys));
}

void LineList::setSource(std::shared_ptr<const LineSource> source) { model_->setSource(std::move(source)); }

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

QSize LineList::rowSize() const {
  if (rowSize_.isValid()) return rowSize_;
  const int rows = count();
  if (rows == 0 || !itemDelegate()) return QSize(0, 1);
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  rowSize_ = itemDelegate()->sizeHint(option, model_->index(rows - 1));
  return rowSize_;
}

int LineList::topRow() const { return verticalScrollBar()->value(); }

int LineList::rowsInView() const { return std::max(viewport()->height() / rowHeight(), 1); }

int LineList::rowAt(int y) const { return topRow() + (y >= 0 ? y / rowHeight() : -1); }

QRect LineList::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != model_ || index.column() != 0) return {};
  const int height = rowHeight();
  // Rows as wide as the view, or as the lines when these are wider.
  const int width = std::max(rowSize().width(), viewport()->width());
  const qint64 top = (static_cast<qint64>(index.row()) - topRow()) * height;
  const qint64 limit = 1 << 30;  // far rows of a long list lie beyond any screen, not beyond int
  return QRect(-horizontalOffset(), static_cast<int>(std::clamp(top, -limit, limit)), width, height);
}

void LineList::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid() || index.model() != model_) return;
  const int row = index.row();
  const int visible = rowsInView();
  // As a list view places a row: among the rows that fit from the first down to it.
  const int fitting = std::min(row + 1, visible);
  int top = topRow();
  switch (hint) {
    case PositionAtTop:
      top = row;
      break;
    case PositionAtBottom:
      top = row - fitting + 1;
      break;
    case PositionAtCenter:
      top = row - fitting / 2;
      break;
    case EnsureVisible:
      if (row < top) top = row;
      if (row >= top + visible) top = row - fitting + 1;
      break;
  }
  verticalScrollBar()->setValue(top);
}

QModelIndex LineList::indexAt(const QPoint& point) const {
  const int row = rowAt(point.y());
  if (row < 0 || row >= count()) return {};
  return model_->index(row);
}

void LineList::keyboardSearch(const QString& search) {
  if (count() <= kSearchedLines) QAbstractItemView::keyboardSearch(search);
}

void LineList::reset() {
  rowSize_ = QSize();
  QAbstractItemView::reset();
  // The scroll bars follow the new lines at once: a row chosen right after is scrolled to.
  updateGeometries();
}

QModelIndex LineList::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
  const int rows = count();
  if (rows == 0) return {};
  const int current = currentIndex().isValid() ? currentRow() : -1;
  const int page = std::max(rowsInView() - 1, 1);
  int row = current;
  switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
      row = current < 0 ? 0 : current - 1;
      break;
    case MoveDown:
    case MoveNext:
      row = current + 1;
      break;
    case MovePageUp:
      row = current - page;
      break;
    case MovePageDown:
      row = current + page;
      break;
    case MoveHome:
      row = 0;
      break;
    case MoveEnd:
      row = rows - 1;
      break;
    case MoveLeft:
    case MoveRight:
      return currentIndex();
  }
  return model_->index(std::clamp(row, 0, rows - 1));
}

int LineList::horizontalOffset() const { return horizontalScrollBar()->value(); }

int LineList::verticalOffset() const { return topRow() * rowHeight(); }

bool LineList::isIndexHidden(const QModelIndex&) const { return false; }

void LineList::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  const int rows = count();
  if (rows == 0) return;
  const QRect area = rect.normalized();
  const int first = std::clamp(rowAt(area.top()), 0, rows - 1);
  const int last = std::clamp(rowAt(area.bottom()), 0, rows - 1);
  selectionModel()->select(QItemSelection(model_->index(first), model_->index(last)), command);
}

QRegion LineList::visualRegionForSelection(const QItemSelection& selection) const {
  // Only what can be on screen: a selection of a million rows is one rectangle.
  const int first = topRow();
  const int last = first + rowsInView();
  QRegion region;
  for (const QItemSelectionRange& range : selection) {
    if (!range.isValid() || range.model() != model_) continue;
    const int top = std::max(range.top(), first);
    const int bottom = std::min(range.bottom(), last);
    if (top > bottom) continue;
    region += visualRect(model_->index(top)).united(visualRect(model_->index(bottom)));
  }
  return region;
}

void LineList::updateGeometries() {
  const int rows = count();
  const int visible = rowsInView();
  QScrollBar* vertical = verticalScrollBar();
  vertical->setSingleStep(1);
  vertical->setPageStep(visible);
  vertical->setRange(0, std::max(rows - visible, 0));
  QScrollBar* horizontal = horizontalScrollBar();
  const int width = rows == 0 ? 0 : rowSize().width();
  horizontal->setSingleStep(std::max(fontMetrics().averageCharWidth(), 1));
  horizontal->setPageStep(viewport()->width());
  horizontal->setRange(0, std::max(width - viewport()->width(), 0));
  QAbstractItemView::updateGeometries();
}

void LineList::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const int rows = count();
  if (rows == 0) return;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QStyle::State state = option.state;
  const bool enabled = (state & QStyle::State_Enabled) != 0;
  const QModelIndex current = currentIndex();
  const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
  const QModelIndex hover =
      viewport()->underMouse() ? indexAt(viewport()->mapFromGlobal(QCursor::pos())) : QModelIndex();
  const QRect area = event->rect();
  const int first = std::max(rowAt(area.top()), 0);
  const int last = std::min(rowAt(area.bottom()), rows - 1);
  for (int row = first; row <= last; ++row) {
    const QModelIndex index = model_->index(row);
    option.rect = visualRect(index);
    option.state = state;
    if (selectionModel()->isSelected(index)) option.state |= QStyle::State_Selected;
    if (enabled) option.palette.setCurrentColorGroup(QPalette::Normal);
    if (focus && index == current) option.state |= QStyle::State_HasFocus;
    option.state.setFlag(QStyle::State_MouseOver, index == hover);
    itemDelegate()->paint(&painter, option, index);
  }
}

void LineList::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    rowSize_ = QSize();
    updateGeometries();
  }
  QAbstractItemView::changeEvent(event);
}

void LineList::scrollContentsBy(int dx, int dy) {
  viewport()->scroll(
      dx, static_cast<int>(std::clamp<qint64>(static_cast<qint64>(dy) * rowHeight(), -(1 << 30), 1 << 30)));
}

LineList* MakeLineList(QWidget* parent, const QString& name) {
  auto* list = new LineList(parent);
  list->setObjectName(name);
  return list;
}

}  // namespace bardrill::screens
