#include "screens/level_column.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "painters/palette.h"
#include "screens/line_list.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
const QColor kTargetGrey(224, 224, 224);
const char* const kBannedText = "やりすぎ禁止";
constexpr int kNarrowTwips = 4500;
// The column's border, kept clear on each side.
constexpr int kInsetTwips = 60;
}  // namespace

LevelColumn::LevelColumn(QWidget* parent, int level, int widthTwips, int heightTwips)
    : QFrame(parent), level_(level) {
  SetBackground(this, kPanelColour);
  setFrameShape(QFrame::StyledPanel);
  SizeTwips(this, widthTwips, heightTwips);
  const int innerWidthTwips = widthTwips - 2 * kInsetTwips;
  const bool narrow = innerWidthTwips < kNarrowTwips;
  // All in twips, from the corner inside the border.
  auto place = [](QWidget* w, int x, int y, int wide, int high) {
    PlaceTwips(w, kInsetTwips + x, kInsetTwips + y, wide, high);
  };

  Label1 = MakeLabel(this, ElementName("Label1", level), QString::number(level), ProportionalFont(18, true));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setFrameShape(QFrame::Box);
  SetBackground(Label1, kPaperColour);
  place(Label1, 0, 0, 600, 600);
  Label3 = MakeClickableLabel(this, ElementName("Label3", level));
  Label3->setFont(ProportionalFont(narrow ? 15 : 18, true));
  Label3->setCursor(Qt::PointingHandCursor);
  place(Label3, 720, 0, innerWidthTwips - 720, 600);
  connect(Label3, &ClickableLabel::clicked, this, [this] { Q_EMIT nameClicked(level_); });

  Command4 = MakeButton(this, ElementName("Command4", level), {}, ProportionalFont(20, true));
  place(Command4, 0, 660, innerWidthTwips, 810);
  connect(Command4, &QPushButton::clicked, this, [this] { Q_EMIT startRequested(level_); });
  Text1 = new QLineEdit(this);
  Text1->setObjectName(ElementName("Text1", level));
  Text1->setReadOnly(true);
  Text1->setFocusPolicy(Qt::NoFocus);
  Text1->setAlignment(Qt::AlignCenter);
  Text1->setFont(ProportionalFont(14, true));
  Text1->setStyleSheet(QStringLiteral("QLineEdit { color: rgb(255, 0, 0); background: rgb(255, 255, 0); }"));
  place(Text1, 0, 1530, innerWidthTwips, 450);
  Text1->hide();

  const QFont small = ProportionalFont(narrow ? 10 : 12);
  auto figure = [&](const char* array, const QString& text, int x, int y, int w) {
    QLabel* label = MakeLabel(this, ElementName(array, level), text, small);
    place(label, x, y, w, 360);
    return label;
  };
  Label7 = figure("Label7", {}, 0, 2040, innerWidthTwips);
  Label8 = figure("Label8", {}, 0, 2430, innerWidthTwips);
  SetBackground(Label7, kTargetGrey);
  SetBackground(Label8, kTargetGrey);
  Label9 = figure("Label9", QStringLiteral("今日"), 0, 2850, 900);
  Label14 = figure("Label14", {}, 960, 2850, innerWidthTwips - 960);
  Label10 = figure("Label10", QStringLiteral("今まで"), 0, 3240, 900);
  Label15 = figure("Label15", {}, 960, 3240, innerWidthTwips - 960);

  List5 = MakeLineList(this, ElementName("List5", level));
  List5->setFont(FixedFont(narrow ? 11 : 14));
  place(List5, 0, 3660, innerWidthTwips, heightTwips - 4410);
  Command3 =
      MakeButton(this, ElementName("Command3", level), QStringLiteral("成績表示"), ProportionalFont(12));
  place(Command3, 0, heightTwips - 690, innerWidthTwips, 570);
  connect(Command3, &QPushButton::clicked, this, [this] { Q_EMIT rankRequested(level_); });
}

void LevelColumn::showView(const LevelColumnView& view) {
  Label1->setText(Q(view.number));
  Label3->setText(Q(view.name));
  Label3->setToolTip(Q(view.name));
  Command4->setText(Q(view.startCaption));
  Label7->setText(Q(view.target));
  Label8->setText(Q(view.recent));
  Label14->setText(Q(view.today));
  Label15->setText(Q(view.soFar));
  practice_ = view.practice;
  const std::array<QWidget*, 8> records = {Label7,  Label8,  Label9, Label10,
                                           Label14, Label15, List5,  Command3};
  for (QWidget* w : records) w->setVisible(!practice_);
}

void LevelColumn::showLines(std::vector<std::string> lines, int ownLine) {
  List5->setLines(std::move(lines));
  ownLine_ = ownLine;
  // The child finds their own line in view, but nothing is selected: a selected line reads as a choice.
  List5->showRow(ownLine);
  List5->clearSelection();
}

void LevelColumn::clearLines() { showLines({}, -1); }

void LevelColumn::showCountCaptions() {
  Label9->setText(QStringLiteral("今日"));
  Label10->setText(QStringLiteral("今まで"));
}

void LevelColumn::hideList() { List5->hide(); }

void LevelColumn::showList() { List5->setVisible(!practice_); }

void LevelColumn::setStartEnabled(bool enabled) { Command4->setEnabled(enabled); }

bool LevelColumn::startEnabled() const { return Command4->isEnabled(); }

void LevelColumn::focusStart() { Command4->setFocus(); }

void LevelColumn::setBanned(bool banned) {
  if (banned) {
    Text1->setText(QString::fromUtf8(kBannedText));
    Text1->raise();
  }
  Text1->setVisible(banned);
}

}  // namespace bardrill::screens
