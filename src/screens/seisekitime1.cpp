#include "screens/seisekitime1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "core/app_state.h"
#include "core/counts.h"
#include "core/hub.h"
#include "core/identity.h"
#include "core/rankings.h"
#include "core/roster.h"
#include "platform/text.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/screens.h"
#include "screens/ui_setup.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
// The list area: the level columns sit side by side from its left edge.
constexpr int kListAreaLeftTwips = 360;
constexpr int kListAreaWidthTwips = 14592;
constexpr int kScrolledColumnTwips = 3456;
constexpr int kColumnsTop = 168;
constexpr int kColumnsHeight = 572;
const QColor kTargetGrey(224, 224, 224);
const QColor kPanelColour(255, 255, 240);

const char* const kBannedText = "やりすぎ禁止";
const char* const kWrongPassword = "パスワードを入力して下さい";

void FillList(QListWidget* list, const std::vector<std::string>& lines) {
  QStringList items;
  items.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) items.append(Q(line));
  const QSignalBlocker quiet(list);
  list->setUpdatesEnabled(false);
  list->clear();
  list->addItems(items);
  list->setUpdatesEnabled(true);
}

// Names and school names vary in length: a long one gets a smaller font rather than being cut off.
void SetFittedText(QLabel* label, const QString& text, double points, bool bold) {
  QFont font = ProportionalFont(points, bold);
  while (points > 8 && QFontMetrics(font).horizontalAdvance(text) > label->contentsRect().width()) {
    points -= 1;
    font.setPointSizeF(points);
  }
  label->setFont(font);
  label->setText(text);
}

// A cover: its message with the progress bar under it, in the middle of whatever it covers.
void LayOutCover(QFrame* cover, const QString& message, QProgressBar* progress) {
  auto* caption = new QLabel(message);
  caption->setFont(ProportionalFont(24, true));
  caption->setAlignment(Qt::AlignCenter);
  progress->setFixedWidth(400);
  auto* layout = new QVBoxLayout(cover);
  layout->addStretch();
  layout->addWidget(caption);
  layout->addWidget(progress, 0, Qt::AlignHCenter);
  layout->addStretch();
}
}  // namespace

seisekitime1::seisekitime1(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowTitle(Q(screens.state.ProgramTitle) + QStringLiteral(" 成績"));
  resize(1024, 740);
  buildTopBand();
  buildOptionFrame();
  buildCovers();
  buildTeacherPanel();
}

void seisekitime1::buildTopBand() {
  // The season colour can be dark: text sits on light panels.
  QFrame* band = MakePanel(this, {}, kPanelColour);
  band->setFrameShape(QFrame::StyledPanel);
  band->setGeometry(8, 4, 1008, 78);
  Label11 = MakeLabel(band, QStringLiteral("Label11"));
  Label11->setGeometry(10, 4, 250, 70);
  Label12 = MakeLabel(band, QStringLiteral("Label12"));
  Label12->setGeometry(268, 4, 320, 36);
  Label13 = MakeLabel(band, QStringLiteral("Label13"));
  Label13->setGeometry(268, 42, 320, 30);
  Label17 = MakeLabel(band, QStringLiteral("Label17"));
  Label17->setFont(ProportionalFont(12));
  Label17->setGeometry(598, 6, 164, 30);
  Label18 = MakeLabel(band, QStringLiteral("Label18"));
  Label18->setFont(ProportionalFont(13, true));
  Label18->setGeometry(598, 40, 164, 32);

  Command8 = MakeButton(band, QStringLiteral("Command8"), QStringLiteral("データ処理"));
  Command8->setFont(ProportionalFont(12));
  Command8->setGeometry(770, 4, 110, 34);
  connect(Command8, &QPushButton::clicked, this, &seisekitime1::Command8_Click);
  Command27 = MakeButton(band, QStringLiteral("Command27"), QStringLiteral("印刷"));
  Command27->setFont(ProportionalFont(12));
  Command27->setGeometry(770, 40, 110, 34);
  Command27->setEnabled(false);  // printing everything is not offered by this program
  Command27->hide();
  Command1 = MakeButton(band, QStringLiteral("Command1"), QStringLiteral("戻る(0)"));
  Command1->setFont(ProportionalFont(16, true));
  Command1->setGeometry(888, 4, 114, 70);
  connect(Command1, &QPushButton::clicked, this, &seisekitime1::Command1_Click);
}

void seisekitime1::buildOptionFrame() {
  Picture1 = MakePanel(this, QStringLiteral("Picture1"), kPanelColour);
  Picture1->setFrameShape(QFrame::StyledPanel);
  Picture1->setGeometry(8, 86, 478, 76);
  displayGroup = new QButtonGroup(this);
  listGroup = new QButtonGroup(this);
  const char* const displayCaptions[3] = {"ﾀｲﾑ表示", "ﾎﾟｲﾝﾄ表示", "個人ﾀｲﾑ"};
  for (int k = 0; k < 3; ++k) {
    auto* option = new QRadioButton(QString::fromUtf8(displayCaptions[k]), Picture1);
    option->setObjectName(ElementName("Option2", k));
    option->setFont(ProportionalFont(12));
    option->setGeometry(10 + 152 * k, 4, 148, 32);
    displayGroup->addButton(option, k);
    connect(option, &QRadioButton::toggled, this, [this, k](bool on) {
      if (on) Option2_Click(k);
    });
    Option2.push_back(option);
  }
  // Time display and the personal history come with their lists; until then only points are offered.
  Option2[0]->setEnabled(false);
  Option2[2]->setEnabled(false);

  const char* const listCaptions[3] = {"累計順", "本日順", "オール表示"};
  Option1.push_back(nullptr);
  for (int k = 1; k <= 3; ++k) {
    auto* option = new QRadioButton(QString::fromUtf8(listCaptions[k - 1]), Picture1);
    option->setObjectName(ElementName("Option1", k));
    option->setFont(ProportionalFont(12));
    option->setGeometry(10 + 152 * (k - 1), 38, 148, 32);
    listGroup->addButton(option, k);
    connect(option, &QRadioButton::toggled, this, [this, k](bool on) {
      if (on) Option1_Click(k);
    });
    Option1.push_back(option);
  }
  Option1[3]->setEnabled(false);  // the list of all drills is not offered yet

  Combo1 = new QComboBox(this);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->setFont(ProportionalFont(13));
  Combo1->setToolTip(QStringLiteral("表示する学年を選びなさい"));
  Combo1->setGeometry(496, 90, 150, 36);
  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
  Combo2 = new QComboBox(this);
  Combo2->setObjectName(QStringLiteral("Combo2"));
  Combo2->setFont(ProportionalFont(12));
  Combo2->setGeometry(656, 90, 232, 36);
  Combo2->hide();

  Command17 = MakeButton(this, QStringLiteral("Command17"), QStringLiteral("グラフ"));
  Command17->setGeometry(656, 130, 80, 30);
  Command17->setEnabled(false);
  Command17->hide();
  const char* const chartCaptions[2] = {"表示", "印刷"};
  for (int k = 0; k < 2; ++k) {
    auto* button = MakeButton(this, ElementName("Command24", k), QString::fromUtf8(chartCaptions[k]));
    button->setGeometry(898 + 56 * k, 90, 54, 36);
    button->setEnabled(false);
    Command24.push_back(button);
  }

  Label5 = MakeLabel(this, QStringLiteral("Label5"));
  Label5->setFont(ProportionalFont(12, true));
  Label5->setGeometry(496, 132, 316, 28);
  SetBackground(Label5, kPanelColour);
  HScroll1 = new QScrollBar(Qt::Horizontal, this);
  HScroll1->setObjectName(QStringLiteral("HScroll1"));
  HScroll1->setGeometry(820, 138, 188, 20);
  HScroll1->setFocusPolicy(Qt::StrongFocus);
  HScroll1->hide();
  connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
}

void seisekitime1::buildCovers() {
  Picture2 = MakePanel(this, QStringLiteral("Picture2"), QColor(255, 255, 255));
  ProgressBar1 = new QProgressBar;
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  LayOutCover(Picture2, QStringLiteral("Just a moment, please."), ProgressBar1);
  ProgressBar1->hide();  // only the refresh has steps to show
  Picture2->hide();

  Picture6 = MakePanel(this, QStringLiteral("Picture6"), QColor(255, 255, 255));
  ProgressBar2 = new QProgressBar;
  ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
  LayOutCover(Picture6, QStringLiteral("Just a momento, please."), ProgressBar2);
  Picture6->hide();
}

void seisekitime1::buildTeacherPanel() {
  Picture7 = MakePanel(this, QStringLiteral("Picture7"), QColor(224, 255, 224));
  Picture7->setFrameShape(QFrame::Box);
  Picture7->setGeometry(312, 200, 400, 268);
  Label28 = MakeLabel(Picture7, QStringLiteral("Label28"), QStringLiteral("データ変更パスワード"));
  Label28->setFont(ProportionalFont(14, true));
  Label28->setGeometry(16, 12, 368, 30);
  Text3 = new QLineEdit(Picture7);
  Text3->setObjectName(QStringLiteral("Text3"));
  Text3->setEchoMode(QLineEdit::Password);
  Text3->setFont(ProportionalFont(14));
  Text3->setGeometry(16, 48, 368, 36);
  const char* const captions[2] = {"データ変更", "合格タイムデータ変更"};
  for (int k = 0; k < 2; ++k) {
    auto* button = MakeButton(Picture7, ElementName("Command10", k), QString::fromUtf8(captions[k]));
    button->setFont(ProportionalFont(13));
    button->setGeometry(16, 96 + 48 * k, 368, 40);
    connect(button, &QPushButton::clicked, this, [this, k] { Command10_Click(k); });
    Command10.push_back(button);
  }
  Command12 = MakeButton(Picture7, QStringLiteral("Command12"), QStringLiteral("戻る"));
  Command12->setFont(ProportionalFont(13));
  Command12->setGeometry(16, 204, 368, 40);
  connect(Command12, &QPushButton::clicked, this, &seisekitime1::Command12_Click);
  Picture7->hide();
}

void seisekitime1::Form_Load() {
  AppState& state = screens_.state;
  SetBackground(this, FromBgr(state.SeasonColour));
  SetBackground(Picture2, FromBgr(state.SeasonColour));

  const int count = std::clamp<int>(state.LevelCount, 0, kMaxLevel);
  LevelColumnWidth = count >= 5 ? kScrolledColumnTwips : kListAreaWidthTwips / std::max(count, 1);
  HScroll1->setVisible(count >= 5);
  HScroll1->setRange(1, std::max(1, count - 3));

  for (const std::string& grade : GradeFilterChoices()) Combo1->addItem(Q(grade));
  Combo1->setCurrentText(Q(state.GradeFilter));
  for (const std::string& period : PeriodChoices()) Combo2->addItem(Q(period));
  Combo2->setCurrentIndex(2);

  Columns.resize(count + 1);
  for (int i = 1; i <= count; ++i) buildColumn(i);
  Picture6->raise();
  Picture7->raise();
  Picture2->raise();
}

void seisekitime1::buildColumn(int level) {
  const AppState& state = screens_.state;
  const int boxWidth = Twips(LevelColumnWidth) - 8;
  const int width = boxWidth - 8;
  const bool narrow = width < 300;
  LevelColumn& c = Columns[level];
  c.box = MakePanel(this, {}, kPanelColour);
  c.box->setFrameShape(QFrame::StyledPanel);
  c.box->resize(boxWidth, kColumnsHeight);
  auto place = [](QWidget* w, int x, int y, int wide, int high) { w->setGeometry(4 + x, 4 + y, wide, high); };

  c.Label1 = MakeLabel(c.box, ElementName("Label1", level), QString::number(level));
  c.Label1->setFont(ProportionalFont(18, true));
  c.Label1->setAlignment(Qt::AlignCenter);
  c.Label1->setFrameShape(QFrame::Box);
  SetBackground(c.Label1, QColor(255, 255, 255));
  place(c.Label1, 0, 0, 40, 40);
  c.Label3 = MakeClickableLabel(c.box, ElementName("Label3", level), Q(state.LevelNames[level]));
  c.Label3->setToolTip(Q(state.LevelNames[level]));
  c.Label3->setFont(ProportionalFont(narrow ? 15 : 18, true));
  c.Label3->setCursor(Qt::PointingHandCursor);
  place(c.Label3, 48, 0, width - 48, 40);
  connect(c.Label3, &ClickableLabel::clicked, this, [this, level] { Label3_Click(level); });

  c.Command4 = MakeButton(c.box, ElementName("Command4", level), Q(StartButtonCaption(level)));
  c.Command4->setFont(ProportionalFont(20, true));
  place(c.Command4, 0, 44, width, 54);
  connect(c.Command4, &QPushButton::clicked, this, [this, level] { Command4_Click(level); });
  c.Text1 = new QLineEdit(c.box);
  c.Text1->setObjectName(ElementName("Text1", level));
  c.Text1->setReadOnly(true);
  c.Text1->setFocusPolicy(Qt::NoFocus);
  c.Text1->setAlignment(Qt::AlignCenter);
  c.Text1->setFont(ProportionalFont(14, true));
  c.Text1->setStyleSheet(
      QStringLiteral("QLineEdit { color: rgb(255, 0, 0); background: rgb(255, 255, 0); }"));
  place(c.Text1, 0, 102, width, 30);
  c.Text1->hide();

  const QFont small = ProportionalFont(narrow ? 10 : 12);
  auto figure = [&](const char* array, const QString& text, int x, int y, int w) {
    QLabel* label = MakeLabel(c.box, ElementName(array, level), text);
    label->setFont(small);
    place(label, x, y, w, 24);
    return label;
  };
  c.Label7 = figure("Label7", {}, 0, 136, width);
  c.Label8 = figure("Label8", {}, 0, 162, width);
  SetBackground(c.Label7, kTargetGrey);
  SetBackground(c.Label8, kTargetGrey);
  c.Label9 = figure("Label9", QStringLiteral("今日"), 0, 190, 60);
  c.Label14 = figure("Label14", {}, 64, 190, width - 64);
  c.Label10 = figure("Label10", QStringLiteral("今まで"), 0, 216, 60);
  c.Label15 = figure("Label15", {}, 64, 216, width - 64);

  c.List5 = MakeList(c.box, ElementName("List5", level));
  c.List5->setFont(FixedFont(narrow ? 11 : 14));
  c.List5->setUniformItemSizes(true);
  place(c.List5, 0, 244, width, 278);
  c.Command3 = MakeButton(c.box, ElementName("Command3", level), QStringLiteral("成績表示"));
  c.Command3->setFont(ProportionalFont(12));
  place(c.Command3, 0, 526, width, 38);
  connect(c.Command3, &QPushButton::clicked, this, [this, level] { Command3_Click(level); });
}

bool seisekitime1::isPractice(int level) const { return IsPracticeLevel(screens_.state, level); }

void seisekitime1::Form_Activate() {
  AppState& state = screens_.state;
  Services& services = screens_.services;
  const bool teacher = IsTeacher(state.CurrentStudentName);
  Command27->setVisible(state.PrintButtonEnabled && teacher);
  Command8->setVisible(teacher);
  Command24[1]->setVisible(teacher);

  Label17->setText(Q(MinutesSinceLoginText(state, services.clock.SecondsSinceMidnight())));
  HubReady = false;
  ProgressBar1->setValue(0);
  ProgressBar1->show();
  showCover(true);
  Option1[1]->setText(QStringLiteral("累計順"));
  Option1[2]->setText(QStringLiteral("本日順"));

  screens_.Unload<namesel>();
  // Under the cover until the counts are whole: a results file out of reach never shows as no drills.
  if (!screens_.RefreshCounts()) return;
  ReadRoster(state, services.clock.Today());
  Label18->setText(Q(TodayTotalText(state)));
  ProgressBar1->setRange(0, levels());

  DisplayMode = DisplayModes::Points;
  {
    const QSignalBlocker quiet(Option1[1]);
    Option1[1]->setChecked(true);
  }
  Option1_Click(1);
  {
    const QSignalBlocker quiet(Option2[1]);
    Option2[1]->setChecked(true);
  }
  Command1->setEnabled(true);

  ApplyPracticeLevelTimes(state);
  showListCover(false);
  SetFittedText(Label12, Q(StudentText(state)), 18, true);
  SetFittedText(Label13, Q(SchoolText(state)), 12, false);
  Label11->setText(Q(state.ProgramTitle));
  Label11->setFont(ProportionalFont(text::Length(state.ProgramTitle) > 9 ? 20 : 24, true));

  if (state.ScrollPosition < 1 || state.ScrollPosition > HScroll1->maximum()) state.ScrollPosition = 1;
  {
    const QSignalBlocker quiet(HScroll1);
    HScroll1->setValue(state.ScrollPosition);
  }
  placeColumns();

  fillColumnTexts();
  disableStartButtons();
  Command9_Click();

  showCover(false);
  ProgressBar1->hide();
  if (levels() >= 1 && Columns[1].Command4->isEnabled()) Columns[1].Command4->setFocus();
  HubReady = true;
}

void seisekitime1::fillColumnTexts() {
  const AppState& state = screens_.state;
  for (int i = 1; i <= levels(); ++i) {
    LevelColumn& c = Columns[i];
    const bool practice = isPractice(i);
    c.Label7->setText(Q(TargetText(state, i)));
    c.Label8->setText(Q(RecentText(state, i)));
    c.Label14->setText(Q(TodayText(state, i)));
    c.Label15->setText(Q(SoFarText(state, i)));
    // A practice level records nothing: only its number, name and start button mean anything.
    const std::array<QWidget*, 8> records = {c.Label7,  c.Label8,  c.Label9, c.Label10,
                                             c.Label14, c.Label15, c.List5,  c.Command3};
    for (QWidget* w : records) {
      w->setVisible(!practice);
    }
  }
}

void seisekitime1::placeColumns() {
  const AppState& state = screens_.state;
  for (int i = 1; i <= levels(); ++i) {
    const int offset = (i - state.ScrollPosition) * LevelColumnWidth;
    // A column scrolled off to the left is parked beyond the right edge, out of view.
    const int x = offset < 0 ? width() : Twips(kListAreaLeftTwips + offset);
    Columns[i].box->move(x, kColumnsTop);
  }
}

void seisekitime1::HScroll1_Change() {
  AppState& state = screens_.state;
  state.ScrollPosition = HScroll1->value();
  if (state.ScrollPosition > levels()) state.ScrollPosition = 1;
  placeColumns();
}

void seisekitime1::showCover(bool shown) {
  if (!shown) {
    Picture2->hide();
    return;
  }
  Picture2->setGeometry(0, 0, width(), height());
  Picture2->raise();
  Picture2->show();
  Picture2->repaint();
}

void seisekitime1::showListCover(bool shown) {
  if (!shown) {
    Picture6->hide();
    return;
  }
  Picture6->setGeometry(0, kColumnsTop, width(), height() - kColumnsTop);
  Picture6->raise();
  if (Picture2->isVisible()) Picture2->raise();
  Picture6->show();
}

void seisekitime1::disableStartButtons() {
  for (int i = 1; i <= levels(); ++i) Columns[i].Command4->setEnabled(false);
}

void seisekitime1::Command9_Click() {
  AppState& state = screens_.state;
  const LevelGate gate = ComputeLevelGate(state);
  state.FinalLevelCleared = gate.FinalLevelCleared;
  for (int i = 1; i <= levels(); ++i) {
    LevelColumn& c = Columns[i];
    const bool banned = i < static_cast<int>(gate.banned.size()) && gate.banned[static_cast<size_t>(i)];
    const bool enabled = i < static_cast<int>(gate.enabled.size()) && gate.enabled[static_cast<size_t>(i)];
    c.Command4->setEnabled(enabled);
    if (banned) {
      c.Text1->setText(QString::fromUtf8(kBannedText));
      c.Text1->raise();
    }
    c.Text1->setVisible(banned);
  }
}

void seisekitime1::beginListRefill() {
  Command1->setEnabled(false);
  disableStartButtons();
  for (int i = 1; i <= levels(); ++i) Columns[i].List5->hide();
  ProgressBar2->setRange(0, levels());
  ProgressBar2->setValue(0);
  showListCover(true);
  Combo2->hide();
  Picture1->setEnabled(false);
}

void seisekitime1::endListRefill() {
  Picture1->setEnabled(true);
  Command1->setEnabled(true);
  Command9_Click();
  for (int i = 1; i <= levels(); ++i) {
    if (isPractice(i)) continue;
    Columns[i].List5->show();
    showOwnLine(i);
  }
  showListCover(false);
}

void seisekitime1::Option1_Click(int index) {
  // Only the two points rankings are offered for now; the other lists' buttons are disabled.
  if (index != 1 && index != 2) return;
  beginListRefill();
  PointRankMode = index == 1 ? PointRankModes::Cumulative : PointRankModes::Today;
  Label5->setText(index == 1 ? QStringLiteral("獲得ポイント（今まで順位）")
                             : QStringLiteral("獲得ポイント（今日の順位）"));
  回数など表示();
  for (int i = 1; i <= levels(); ++i) {
    Command3_Click(i);
    if (index == 1) ProgressBar1->setValue(i);
    ProgressBar2->setValue(i);
  }
  endListRefill();
}

void seisekitime1::Option2_Click(int index) {
  // Time display and the personal history are not offered yet (their buttons are disabled).
  if (index != 1) return;
  Command17->hide();
  DisplayMode = DisplayModes::Points;
  Option1[1]->setText(QStringLiteral("合計累計"));
  Option1[2]->setText(QStringLiteral("合計本日"));
  Option1[3]->setText(QStringLiteral("すべて"));
  Option1_Click(Option1[2]->isChecked() ? 2 : 1);
}

void seisekitime1::Combo1_Click() {
  Option2_Click(1);
  if (levels() >= 1) Columns[1].Command4->setFocus();
}

void seisekitime1::回数など表示() {
  for (int i = 1; i <= levels(); ++i) {
    LevelColumn& c = Columns[i];
    c.Label9->setText(QStringLiteral("今日"));
    c.Label10->setText(QStringLiteral("今まで"));
    c.List5->clear();
    c.ownLine = -1;
  }
}

void seisekitime1::Command3_Click(int index) {
  if (index < 1 || index > levels()) return;
  LevelColumn& c = Columns[index];
  c.Label9->setText(QStringLiteral("今日"));
  c.Label10->setText(QStringLiteral("今まで"));
  const RankingList ranking =
      RankLevel(screens_.state, index, DisplayMode, PointRankMode, S(Combo1->currentText()));
  FillList(c.List5, ranking.lines);
  c.ownLine = ranking.ownLine;
  showOwnLine(index);
}

void seisekitime1::showOwnLine(int level) {
  LevelColumn& c = Columns[level];
  // The child finds their own line in view, but nothing is selected: a selected line reads as a choice.
  if (c.ownLine >= 0 && c.ownLine < c.List5->count()) {
    c.List5->scrollToItem(c.List5->item(c.ownLine), QAbstractItemView::PositionAtCenter);
  }
  c.List5->clearSelection();
}

bool seisekitime1::canStart(int level) const {
  return HubReady && level >= 1 && level <= levels() && Columns[level].Command4->isEnabled() &&
         Picture7->isHidden();
}

void seisekitime1::Command4_Click(int index) {
  if (!canStart(index)) return;
  showCover(true);
  screens_.state.SelectedLevel = index;
  HubReady = false;
  StartDrill(screens_);
}

void seisekitime1::Label3_Click(int index) {
  if (!canStart(index)) return;
  screens_.state.SelectedLevel = index;
  HubReady = false;
  StartDrill(screens_);
  screens_.Unload(this);
}

void seisekitime1::Command1_Click() {
  HubReady = false;
  showCover(true);
  screens_.Show<namesel>();
}

void seisekitime1::Command8_Click() {
  Text3->clear();
  Picture7->raise();
  Picture7->show();
  Text3->setFocus();
}

void seisekitime1::Command12_Click() { Picture7->hide(); }

void seisekitime1::Command10_Click([[maybe_unused]] int index) {
  const std::string& password = screens_.state.TeacherPassword;
  // An installation without a password must not open the maintenance screens to an empty box.
  if (Text3->text().isEmpty() || S(Text3->text()) != password) {
    screens_.services.prompts.Message(screens_.state.ProgramTitle, kWrongPassword);
    Text3->setFocus();
    return;
  }
  // A right password leads to the maintenance screens; until they exist the hub stays as it is.
}

void seisekitime1::Form_KeyPress(char32_t& KeyAscii) {
  // The password box needs every key while the teacher panel is open.
  if (!HubReady || !Picture7->isHidden() || KeyAscii > 0x7F) return;
  const char key = static_cast<char>(KeyAscii);
  if (key == '0') {
    if (!Command1->isEnabled()) return;
    KeyAscii = 0;
    Command1_Click();
    return;
  }
  const int level = LevelForKey(key, levels());
  if (level == 0) return;
  KeyAscii = 0;
  Command4_Click(level);
}

}  // namespace bardrill::screens
