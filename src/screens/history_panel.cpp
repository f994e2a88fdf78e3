#include "screens/history_panel.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QPushButton>
#include <string>

#include "painters/chart_paint.h"
#include "painters/palette.h"
#include "screens/chart_view.h"
#include "screens/line_list.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
constexpr int kSideWidthTwips = 2700;
constexpr int kMonthlyHeightTwips = 1080;  // the month box and its button, above "戻る"
}  // namespace

HistoryPanel::HistoryPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Picture11"));
  SetBackground(this, kPanelColour);
  setFrameShape(QFrame::Box);
  SizeTwips(this, 15120, 8400);
  Picture12 = new ChartView(this);
  Picture12->setObjectName(QStringLiteral("Picture12"));
  // The chart's texts and lines grow and shrink with the page, as its lists do.
  Picture12->setBasePoints(kChartBasePoints * PageScale());

  auto* levelsCaption = MakeLabel(this, {}, QStringLiteral("レベル"), ProportionalFont(11, true));
  List3 = MakeLineList(this, QStringLiteral("List3"));
  List3->setSelectionMode(QAbstractItemView::MultiSelection);
  List3->setFont(FixedFont(12));
  Command25 = MakeButton(this, QStringLiteral("Command25"), QStringLiteral("他の人のデータを見る"),
                         ProportionalFont(11));
  List2 = MakeLineList(this, QStringLiteral("List2"));
  List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
  List2->setFont(FixedFont(11));
  Combo3 = new QComboBox(this);
  Combo3->setObjectName(QStringLiteral("Combo3"));
  Combo3->setFont(ProportionalFont(11));
  Combo3->setToolTip(QStringLiteral("月報の月"));
  Command26 = MakeButton(this, QStringLiteral("Command26"), QStringLiteral("月報印刷"), ProportionalFont(11));
  Command26->setToolTip(
      QStringLiteral("選んだ人の、選んだ月の月間成績表を印刷します（選ばないと、その月にドリルをした全員）"));
  Command18 =
      MakeButton(this, QStringLiteral("Command18"), QStringLiteral("戻る"), ProportionalFont(13, true));

  const int widthTwips = TwipsFromPixels(width());
  const int heightTwips = TwipsFromPixels(height());
  const int sideTwips = widthTwips - kSideWidthTwips - 60;
  PlaceTwips(Picture12, 60, 60, sideTwips - 120, heightTwips - 120);
  PlaceTwips(levelsCaption, sideTwips, 60, kSideWidthTwips, 330);
  PlaceTwips(List3, sideTwips, 420, kSideWidthTwips, 1800);
  PlaceTwips(Command25, sideTwips, 2310, kSideWidthTwips, 480);
  PlaceTwips(List2, sideTwips, 2850, kSideWidthTwips, heightTwips - 2850 - 720 - kMonthlyHeightTwips);
  PlaceTwips(Combo3, sideTwips, heightTwips - 660 - kMonthlyHeightTwips, kSideWidthTwips, 480);
  PlaceTwips(Command26, sideTwips, heightTwips - 660 - kMonthlyHeightTwips + 510, kSideWidthTwips, 480);
  PlaceTwips(Command18, sideTwips, heightTwips - 660, kSideWidthTwips, 600);
  List2->hide();
  showMonthly(false);

  connect(List3->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { Q_EMIT choiceChanged(); });
  connect(List2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { Q_EMIT choiceChanged(); });
  connect(Command25, &QPushButton::clicked, this, [this] {
    List2->show();
    List2->setFocus();
  });
  connect(Command18, &QPushButton::clicked, this, [this] { Q_EMIT backRequested(); });
  connect(Command26, &QPushButton::clicked, this, [this] { Q_EMIT monthlyRequested(); });
}

void HistoryPanel::setLevels(int levelCount) {
  std::vector<std::string> lines;
  for (int level = 1; level <= levelCount; ++level) lines.push_back(std::to_string(level));
  List3->setLines(std::move(lines));
}

void HistoryPanel::setStudents(const StudentChoices& choices) {
  List2->setLines(choices.lines, choices.students);
}

void HistoryPanel::reset(int firstLevels) {
  const QSignalBlocker quietLevels(List3->selectionModel());
  const QSignalBlocker quietStudents(List2->selectionModel());
  List2->hide();
  List2->clearSelection();
  std::vector<int> rows;
  for (int row = 0; row < firstLevels && row < List3->count(); ++row) rows.push_back(row);
  List3->selectRows(rows);
}

void HistoryPanel::setMonths(const std::vector<std::string>& labels, int chosen) {
  const QSignalBlocker quiet(Combo3);
  Combo3->clear();
  for (const std::string& label : labels) Combo3->addItem(Q(label));
  Combo3->setCurrentIndex(chosen);
}

void HistoryPanel::showMonthly(bool shown) {
  Combo3->setVisible(shown);
  Command26->setVisible(shown);
}

int HistoryPanel::chosenMonth() const { return Combo3->currentIndex(); }

void HistoryPanel::showChart(ChartSurface surface) { Picture12->showSurface(std::move(surface)); }

void HistoryPanel::clearChart() { Picture12->clear(); }

std::vector<int> HistoryPanel::chosenLevels() const {
  std::vector<int> levels;
  for (int row : List3->selectedRows()) levels.push_back(row + 1);
  return levels;
}

std::vector<int> HistoryPanel::chosenStudents() const {
  std::vector<int> students;
  for (int row : List2->selectedRows()) students.push_back(List2->lines().key(row));
  return students;
}

}  // namespace bardrill::screens
