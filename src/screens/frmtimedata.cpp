#include "screens/frmtimedata.h"

#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "core/app_state.h"
#include "core/setup/standards.h"
#include "core/teacher/standards_editor.h"
#include "painters/palette.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "screens/wait_cover.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
constexpr int kFormWidthTwips = 15360;
constexpr int kFormHeightTwips = 11100;
constexpr int kGridLeftTwips = 120;
constexpr int kGridTopTwips = 1620;
constexpr int kGridWidthTwips = 8400;
constexpr int kGridMaxHeightTwips = 7380;
constexpr int kRowHeightTwips = 300;

const QColor kChangedColour = FromBgr(0xFFFF);  // yellow
const QColor kRejectedColour = FromBgr(0x0000FF);
const QColor kCellColour(Qt::white);
const QColor kFixedColour(224, 224, 224);
constexpr char kCurrentCellFrameRgb[] = "0, 90, 200";
constexpr char kCurrentCellRgb[] = "230, 242, 255";

const char* const kLeaveTitle = "注意";
const char* const kLeaveQuestion = "データが変更されています。記録しますか？";
const char* const kNotSavedTitle = "記録できません";
const char* const kNotReadTitle = "読み込めません";

// A row that would not load again is named by its level (line 1 of the file is the title row).
std::string FailureText(const DataFileError& failure) {
  std::string where;
  if (failure.line() > 1) where = "レベル" + std::to_string(failure.line() - 1) + "の行：";
  return where + failure.what();
}

bool IsBlank(const QString& typed) { return typed == QStringLiteral(" ") || typed == QStringLiteral("　"); }
}  // namespace

FrmTimeData::FrmTimeData(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowTitle(QStringLiteral("合格タイムデータ変更"));
  setFixedSize(PixelsFromTwips(kFormWidthTwips), PixelsFromTwips(kFormHeightTwips));

  buildCaptions();
  buildGrid();
  buildButtons();
  buildCharts();
  Picture6 = new WaitCover(this, QStringLiteral("Picture6"), kPanelColour,
                           {QStringLiteral("Just a moment,please."), 24, QStringLiteral("Label8"), {}});
  Label8 = Picture6->caption();
}

void FrmTimeData::buildCaptions() {
  Label5 = MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("成績の基準となるデータを変更できます"),
                     ProportionalFont(16, true));
  PlaceTwips(Label5, 120, 90, kGridWidthTwips, 480);
  Label2 = MakeLabel(this, QStringLiteral("Label2"), {}, ProportionalFont(11));
  PlaceTwips(Label2, 120, 600, kGridWidthTwips, 600);
  Label1 = MakeLabel(this, QStringLiteral("Label1"),
                     QStringLiteral("スペース：セルクリア　　Shift + ↓：セルコピー"), ProportionalFont(10));
  PlaceTwips(Label1, 120, 1260, 6000, 300);
  Label4 = MakeLabel(this, QStringLiteral("Label4"));
  PlaceTwips(Label4, 6240, 1260, 2280, 300);

  Label6 = MakeLabel(this, QStringLiteral("Label6"), QStringLiteral("列の説明"), ProportionalFont(10, true));
  PlaceTwips(Label6, 120, 9120, 1800, 300);
  Label3 = MakeLabel(this, QStringLiteral("Label3"), {}, ProportionalFont(10));
  Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceTwips(Label3, 120, 9420, kGridWidthTwips, 1500);
}

// The standards as a grid of one row per level, edited through one box laid over the current cell.
void FrmTimeData::buildGrid() {
  MSFlexGrid1 = new QTableWidget(this);
  MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
  MSFlexGrid1->setFont(ProportionalFont(9));
  // The titles are wider than their columns: they stand on two lines, broken between their words. Qt's
  // own wrapping would break them inside a word ("ｸﾘｱﾎﾟｲ|ﾝﾄ").
  MSFlexGrid1->setWordWrap(false);
  MSFlexGrid1->setTextElideMode(Qt::ElideNone);
  MSFlexGrid1->setColumnCount(kGridColumns);
  MSFlexGrid1->horizontalHeader()->hide();
  MSFlexGrid1->verticalHeader()->hide();
  MSFlexGrid1->verticalHeader()->setDefaultSectionSize(PixelsFromTwips(kRowHeightTwips));
  MSFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  // The editing box keeps the keyboard: the grid is only clicked.
  MSFlexGrid1->setFocusPolicy(Qt::NoFocus);
  PlaceTwips(MSFlexGrid1, kGridLeftTwips, kGridTopTwips, kGridWidthTwips, kGridMaxHeightTwips);
  connect(MSFlexGrid1, &QTableWidget::cellClicked, this, [this] { MSFlexGrid1_Click(); });

  Gridinputtext = new QLineEdit(MSFlexGrid1->viewport());
  Gridinputtext->setObjectName(QStringLiteral("Gridinputtext"));
  Gridinputtext->setFont(ProportionalFont(9));
  Gridinputtext->setFrame(false);
  // The current cell is marked as in a spreadsheet: a thick frame in the selection's colour.
  Gridinputtext->setStyleSheet(
      QStringLiteral("QLineEdit { border: %1px solid rgb(%2); background: rgb(%3); }")
          .arg(ScaledPx(2))
          .arg(QLatin1String(kCurrentCellFrameRgb), QLatin1String(kCurrentCellRgb)));
  Gridinputtext->installEventFilter(this);
  connect(Gridinputtext, &QLineEdit::textChanged, this, [this] { TextToGrid転送(); });
}

void FrmTimeData::buildButtons() {
  Command3 = MakeButton(this, QStringLiteral("Command3"), QStringLiteral("更新記録"));
  PlaceTwips(Command3, 8700, 120, 2040, 600);
  connect(Command3, &QPushButton::clicked, this, &FrmTimeData::Command3_Click);
  Command2 = MakeButton(this, QStringLiteral("Command2"), QStringLiteral("元に戻す"));
  PlaceTwips(Command2, 10920, 120, 2040, 600);
  connect(Command2, &QPushButton::clicked, this, &FrmTimeData::Command2_Click);
  Command4 = MakeButton(this, QStringLiteral("Command4"), QStringLiteral("戻る"));
  PlaceTwips(Command4, 13140, 120, 2040, 600);
  connect(Command4, &QPushButton::clicked, this, &FrmTimeData::Command4_Click);
  for (QPushButton* button : {Command3, Command2, Command4}) button->setFont(ProportionalFont(12, true));

  const char* const optionCaptions[2] = {"度数非表示", "度数表示"};
  for (int k = 0; k < 2; ++k) {
    Option1[k] = new QRadioButton(QString::fromUtf8(optionCaptions[k]), this);
    Option1[k]->setObjectName(ElementName("Option1", k));
    Option1[k]->setFont(ProportionalFont(11));
    PlaceTwips(Option1[k], 8700 + 3120 * k, 900, 3000, 360);
    connect(Option1[k], &QRadioButton::clicked, this, [this, k] { Option1_Click(k); });
  }
}

// The time charts of the level the grid's current row stands for.
void FrmTimeData::buildCharts() {
  Picture3 = MakePanel(this, QStringLiteral("Picture3"), kPanelColour);
  Picture3->setFrameShape(QFrame::StyledPanel);
  PlaceTwips(Picture3, 8700, 1380, 6540, 9600);
  Label7 = MakeLabel(Picture3, QStringLiteral("Label7"), QStringLiteral("現在までの成績度数分布"),
                     ProportionalFont(12, true));
  PlaceTwips(Label7, 60, 60, 6420, 330);
  Label10 = MakeLabel(Picture3, QStringLiteral("Label10"), QStringLiteral("最高タイム"),
                      ProportionalFont(10, true));
  PlaceTwips(Label10, 3300, 420, 3180, 300);
  List3 = MakeLineList(Picture3, QStringLiteral("List3"));
  PlaceTwips(List3, 60, 720, 3180, 8800);
  List4 = MakeLineList(Picture3, QStringLiteral("List4"));
  PlaceTwips(List4, 3300, 720, 3180, 8800);
  for (LineList* list : {List3, List4}) {
    list->setFont(FixedFont(9));
    list->setFocusPolicy(Qt::NoFocus);
  }
}

void FrmTimeData::Form_Load() {
  Label2->setText(QStringLiteral("成績の基準となるデータを変更できます。\nプログラムを選んでください。"));
  equalColumns();
}

void FrmTimeData::equalColumns() {
  const int width = static_cast<int>(std::lround(MSFlexGrid1->width() / static_cast<double>(kGridColumns)));
  for (int c = 0; c < kGridColumns; ++c) MSFlexGrid1->setColumnWidth(c, width);
}

void FrmTimeData::Form_Activate() {
  // Coming back from another window is no new entry: it must not drop what the teacher typed.
  if (entered_) {
    if (Gridinputtext->isVisible()) Gridinputtext->setFocus();
    return;
  }
  entered_ = true;
  Label4->clear();
  reload(true, [this] {
    equalColumns();
    MSFlexGrid1->setColumnWidth(1, static_cast<int>(std::lround(0.8 * MSFlexGrid1->columnWidth(2))));
    moveTo(1, 1);
    readHistograms([this] {
      Command7_Click();
      GridToText転送();
    });
  });
}

void FrmTimeData::readHistograms(std::function<void()> then) {
  // Waits for a share that is away, and ends the program with a message when it stays away.
  auto read = std::make_shared<TimeHistograms>();
  screens_.ReadResults(
      this, [read, file = ResultsFileOf(screens_.state)] { *read = ReadTimeHistograms(file); },
      [this, read, then = std::move(then)] {
        histograms_ = std::move(*read);
        then();
      });
}

void FrmTimeData::readGrid(std::function<void(GridRead& read)> then) {
  auto read = std::make_shared<GridRead>();
  screens_.RunFileWorkOnce(
      this,
      [read, path = paths::Native(StandardsPath(screens_.state))] {
        try {
          read->grid = ReadStandardsGridAt(path, &read->bytes);
        } catch (const DataFileError& failure) {
          read->fault = failure.what();
        }
      },
      [read, then = std::move(then)](std::exception_ptr failure) {
        if (failure) std::rethrow_exception(failure);
        then(*read);
      });
}

void FrmTimeData::reload(bool opening, std::function<void()> then) {
  readGrid([this, opening, then = std::move(then)](GridRead& read) {
    if (!read.fault.empty()) {
      // Without a file there is nothing to edit; a revert keeps the grid as the teacher sees it.
      if (opening) {
        screens_.Fail(read.fault);
      } else {
        screens_.services.prompts.Message(kNotReadTitle, "基準データを読み直せません。\n" + read.fault);
      }
      return;
    }
    fillGrid(read.grid);
    loadedGrid_ = std::move(read.grid);
    loadedBytes_ = std::move(read.bytes);
    then();
  });
}

void FrmTimeData::fillGrid(const StandardsGrid& grid) {
  MSFlexGrid1->clearContents();
  MSFlexGrid1->setRowCount(static_cast<int>(grid.size()));
  for (int r = 0; r < static_cast<int>(grid.size()); ++r) {
    for (int c = 0; c < kGridColumns; ++c) {
      const auto& cells = grid[static_cast<size_t>(r)];
      const std::string text = c < static_cast<int>(cells.size()) ? cells[c] : std::string();
      auto* item = new QTableWidgetItem(Q(r == 0 ? TitleInLines(text) : text));
      if (r == 0 || c == 0) {
        item->setFlags(Qt::NoItemFlags);
        item->setForeground(QColor(Qt::black));
        item->setBackground(kFixedColour);
      } else {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setBackground(kCellColour);
      }
      MSFlexGrid1->setItem(r, c, item);
    }
  }
  MSFlexGrid1->setRowHeight(0, 2 * PixelsFromTwips(kRowHeightTwips));
  titles_ = grid.empty() ? std::vector<std::string>() : grid.front();
  LastRow = static_cast<int>(grid.size()) - 1;
  sizeGrid();
}

void FrmTimeData::sizeGrid() {
  const int frame = 2 * MSFlexGrid1->frameWidth();
  const int rows = MSFlexGrid1->verticalHeader()->length();
  MSFlexGrid1->resize(MSFlexGrid1->width(), std::min(rows + frame, PixelsFromTwips(kGridMaxHeightTwips)));
}

StandardsGrid FrmTimeData::gridContents() const {
  StandardsGrid grid;
  // The title row as read: the cells show it broken onto two lines.
  if (LastRow >= 0) grid.push_back(titles_);
  for (int r = 1; r <= LastRow; ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < kGridColumns; ++c) cells.push_back(S(cell(r, c)->text()));
    grid.push_back(std::move(cells));
  }
  return grid;
}

QTableWidgetItem* FrmTimeData::cell(int r, int c) const { return MSFlexGrid1->item(r, c); }
int FrmTimeData::row() const { return MSFlexGrid1->currentRow(); }
int FrmTimeData::column() const { return MSFlexGrid1->currentColumn(); }

void FrmTimeData::moveTo(int r, int c) {
  if (LastRow < 1) {
    Gridinputtext->hide();
    Label3->clear();
    return;
  }
  MSFlexGrid1->setCurrentCell(std::clamp(r, 1, LastRow), std::clamp(c, 1, kStandardColumns));
  selectionEnd_ = row();
  GridToText転送();
  PlaceCellEditor();
}

void FrmTimeData::PlaceCellEditor() {
  QTableWidgetItem* current = cell(row(), column());
  if (!current) return;
  MSFlexGrid1->scrollToItem(current);
  Gridinputtext->setGeometry(MSFlexGrid1->visualItemRect(current));
  Gridinputtext->show();
  Gridinputtext->setFocus();
  Gridinputtext->setCursorPosition(10);
  Label3->setText(Q(ColumnExplanation(column())).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void FrmTimeData::TextToGrid転送() {
  if (row() >= 1 && cell(row(), column())) setEditedText(row(), column(), Gridinputtext->text());
}

void FrmTimeData::GridToText転送() {
  if (row() >= 1 && cell(row(), column())) Gridinputtext->setText(cell(row(), column())->text());
}

void FrmTimeData::setEditedText(int r, int c, const QString& text) {
  QTableWidgetItem* target = cell(r, c);
  if (target->text() == text) return;
  target->setBackground(kChangedColour);
  target->setText(text);
  Changed = true;
}

bool FrmTimeData::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Gridinputtext || event->type() != QEvent::KeyPress) return Form::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (IsBlank(key->text())) {
    Gridinputtext->clear();
    return true;
  }
  return Gridinputtext_KeyDown(key->key(), key->modifiers().testFlag(Qt::ShiftModifier));
}

bool FrmTimeData::Gridinputtext_KeyDown(int key, bool shift) {
  switch (key) {
    case Qt::Key_Up:
      if (row() > 1) moveTo(row() - 1, column());
      break;
    case Qt::Key_Down:
      if (shift) {
        copyDown();
      } else if (row() < LastRow) {
        moveTo(row() + 1, column());
      }
      break;
    case Qt::Key_Left:
      if (column() > 1) moveTo(row(), column() - 1);
      break;
    case Qt::Key_Right:
      if (column() < kStandardColumns) moveTo(row(), column() + 1);
      break;
    case Qt::Key_Escape:
      return true;
    default:
      return false;
  }
  Command7_Click();
  GridToText転送();
  return true;
}

void FrmTimeData::copyDown() {
  if (selectionEnd_ < LastRow) ++selectionEnd_;
  const QString text = Gridinputtext->text();
  for (int r = row(); r <= selectionEnd_; ++r) setEditedText(r, column(), text);
  MSFlexGrid1->setRangeSelected(QTableWidgetSelectionRange(row(), column(), selectionEnd_, column()), true);
}

void FrmTimeData::MSFlexGrid1_Click() {
  if (row() < 1 || column() < 1) return;
  selectionEnd_ = row();
  PlaceCellEditor();
  Command7_Click();
  GridToText転送();
}

void FrmTimeData::Command7_Click() {
  ChartLevel = LastRow >= 1 ? row() : 0;
  if (ChartLevel < 1) {
    List3->setLines({});
    List4->setLines({});
    return;
  }
  List3->setLines(AllDrillsChartLines(histograms_, ChartLevel));
  List4->setLines(BestTimeChartLines(histograms_, ChartLevel));
}

void FrmTimeData::Option1_Click([[maybe_unused]] int index) {
  Picture3->show();
  Command7_Click();
}

void FrmTimeData::Command2_Click() {
  reload(false, [this, r = row(), c = column()] {
    moveTo(r, c);
    Command7_Click();
  });
}

void FrmTimeData::save(std::function<void()> saved, std::function<void()> notSaved) {
  const StandardsGrid grid = gridContents();
  const CellCheck check = CheckStandardsGrid(grid);
  if (!check.ok()) {
    for (const RejectedCell& bad : check.rejected) cell(bad.row, bad.column)->setBackground(kRejectedColour);
    screens_.services.prompts.Message(kNotSavedTitle, check.message);
    notSaved();
    return;
  }
  Picture6->showOver(rect());
  std::optional<StandardsSave> prepared;
  try {
    prepared = PrepareStandardsSave(screens_.state, StandardsRowsOf(grid), &loadedBytes_);
  } catch (const DataFileError& failure) {
    reportFailedSave(FailureText(failure), grid, std::move(notSaved));
    return;
  }
  auto outcome = std::make_shared<SaveOutcome>(SaveOutcome::Saved);
  screens_.RunFileWorkOnce(
      this, [outcome, save = *prepared] { *outcome = save.Write(); },
      [this, grid, outcome, save = *prepared, saved = std::move(saved),
       notSaved = std::move(notSaved)](std::exception_ptr failure) {
        if (failure) {
          try {
            std::rethrow_exception(failure);
          } catch (const DataFileError& unreadable) {
            reportFailedSave(FailureText(unreadable), grid, notSaved);
          } catch (const std::exception& unwritable) {
            reportFailedSave(unwritable.what(), grid, notSaved);
          }
          return;
        }
        if (*outcome == SaveOutcome::ChangedElsewhere) {
          redoOverNewerFile(grid, notSaved);
          return;
        }
        save.Apply(screens_.state, &loadedBytes_);
        Changed = false;
        loadedGrid_ = grid;
        clearMarks();
        Picture6->hide();
        saved();
      });
}

void FrmTimeData::reportFailedSave(const std::string& failure, const StandardsGrid& saving,
                                   std::function<void()> then) {
  // Said as the file is now, whatever the failure left it: read again rather than assumed.
  readGrid([this, failure, saving, then = std::move(then)](GridRead& read) {
    std::optional<StandardsGrid> now;
    if (read.fault.empty()) now = std::move(read.grid);
    Picture6->hide();
    screens_.services.prompts.Message(kNotSavedTitle, "基準データを記録できませんでした。" +
                                                          FileAfterFailedSave(loadedGrid_, saving, now) +
                                                          "\n" + failure);
    then();
  });
}

void FrmTimeData::redoOverNewerFile(const StandardsGrid& edited, std::function<void()> then) {
  readGrid([this, edited, r = row(), c = column(), then = std::move(then)](GridRead& read) {
    if (!read.fault.empty()) {
      // The grid keeps the edits; the next save compares with the same old bytes and is refused again.
      reportFailedSave(read.fault, edited, then);
      return;
    }
    const StandardsGrid& file = read.grid;
    const RedoneEdits redo = RedoEdits(loadedGrid_, edited, file);
    fillGrid(redo.grid);
    for (const RejectedCell& edit : redo.edits) {
      QTableWidgetItem* item = cell(edit.row, edit.column);
      item->setBackground(kChangedColour);
      item->setToolTip(QStringLiteral("ファイルの値：") + Q(file[edit.row][edit.column]));
    }
    loadedGrid_ = std::move(read.grid);
    loadedBytes_ = std::move(read.bytes);
    Changed = !redo.edits.empty();
    moveTo(r, c);
    Picture6->hide();
    screens_.services.prompts.Message(kNotSavedTitle, redo.message);
    then();
  });
}

void FrmTimeData::clearMarks() {
  for (int r = 1; r <= LastRow; ++r)
    for (int c = 1; c < kGridColumns; ++c) cell(r, c)->setBackground(kCellColour);
}

void FrmTimeData::Command3_Click() {
  save(
      [this] {
        readHistograms([this] {
          Command7_Click();
          PlaceCellEditor();
        });
      },
      [this] { PlaceCellEditor(); });
}

void FrmTimeData::Command4_Click() {
  if (Changed && screens_.services.prompts.AskYesNo(kLeaveTitle, kLeaveQuestion)) {
    // Whatever could not be saved stays on the screen.
    save([this] { leave(); }, [this] { PlaceCellEditor(); });
    return;
  }
  leave();
}

void FrmTimeData::leave() {
  Picture6->showOver(rect());
  screens_.Show<seisekitime1>();
  screens_.Unload(this);
}

// Closing the window leaves as "戻る" does, asking first about unsaved edits.
void FrmTimeData::Form_QueryUnload() {
  if (Picture6->isHidden()) Command4_Click();
}

}  // namespace bardrill::screens
