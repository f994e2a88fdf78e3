#include "screens/level_column.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "screens/line_list.h"
#include "screens/palette.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
const QColor kTargetGrey(224, 224, 224);
const char* const kBannedText = "やりすぎ禁止";
constexpr int kNarrowPx = 300;
}  // namespace

LevelColumn::LevelColumn(QWidget* parent, int level, int widthPx, int heightPx)
    : QFrame(parent), level_(level) {
  SetBackground(this, kPanelColour);
  setFrameShape(QFrame::StyledPanel);
  resize(widthPx, heightPx);
  const int width = widthPx - 8;
  const bool narrow = width < kNarrowPx;
  auto place = [](QWidget* w, int x, int y, int wide, int high) { w->setGeometry(4 + x, 4 + y, wide, high); };

  Label1 = MakeLabel(this, ElementName("Label1", level), QString::number(level));
  Label1->setFont(ProportionalFont(18, true));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setFrameShape(QFrame::Box);
  SetBackground(Label1, kPaperColour);
  place(Label1, 0, 0, 40, 40);
  Label3 = MakeClickableLabel(this, ElementName("Label3", level));
  Label3->setFont(ProportionalFont(narrow ? 15 : 18, true));
  Label3->setCursor(Qt::PointingHandCursor);
  place(Label3, 48, 0, width - 48, 40);
  connect(Label3, &ClickableLabel::clicked, this, [this] { Q_EMIT nameClicked(level_); });

  Command4 = MakeButton(this, ElementName("Command4", level), {});
  Command4->setFont(ProportionalFont(20, true));
  place(Command4, 0, 44, width, 54);
  connect(Command4, &QPushButton::clicked, this, [this] { Q_EMIT startRequested(level_); });
  Text1 = new QLineEdit(this);
  Text1->setObjectName(ElementName("Text1", level));
  Text1->setReadOnly(true);
  Text1->setFocusPolicy(Qt::NoFocus);
  Text1->setAlignment(Qt::AlignCenter);
  Text1->setFont(ProportionalFont(14, true));
  Text1->setStyleSheet(QStringLiteral("QLineEdit { color: rgb(255, 0, 0); background: rgb(255, 255, 0); }"));
  place(Text1, 0, 102, width, 30);
  Text1->hide();

  const QFont small = ProportionalFont(narrow ? 10 : 12);
  auto figure = [&](const char* array, const QString& text, int x, int y, int w) {
    QLabel* label = MakeLabel(this, ElementName(array, level), text);
    label->setFont(small);
    place(label, x, y, w, 24);
    return label;
  };
  Label7 = figure("Label7", {}, 0, 136, width);
  Label8 = figure("Label8", {}, 0, 162, width);
  SetBackground(Label7, kTargetGrey);
  SetBackground(Label8, kTargetGrey);
  Label9 = figure("Label9", QStringLiteral("今日"), 0, 190, 60);
  Label14 = figure("Label14", {}, 64, 190, width - 64);
  Label10 = figure("Label10", QStringLiteral("今まで"), 0, 216, 60);
  Label15 = figure("Label15", {}, 64, 216, width - 64);

  List5 = MakeLineList(this, ElementName("List5", level));
  List5->setFont(FixedFont(narrow ? 11 : 14));
  place(List5, 0, 244, width, heightPx - 294);
  Command3 = MakeButton(this, ElementName("Command3", level), QStringLiteral("成績表示"));
  Command3->setFont(ProportionalFont(12));
  place(Command3, 0, heightPx - 46, width, 38);
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

void LevelColumn::setBanned(bool banned) {
  if (banned) {
    Text1->setText(QString::fromUtf8(kBannedText));
    Text1->raise();
  }
  Text1->setVisible(banned);
}

}  // namespace bardrill::screens
