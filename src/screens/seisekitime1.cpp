#include "screens/seisekitime1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app_state.h"
#include "core/hub/hub.h"
#include "core/results/results_file.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "painters/palette.h"
#include "platform/text.h"
#include "screens/frmdata.h"
#include "screens/frmtimedata.h"
#include "screens/history_panel.h"
#include "screens/level_column.h"
#include "screens/line_list.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/screens.h"
#include "screens/teacher_panel.h"
#include "screens/wait_cover.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
// The list area: the level columns sit side by side from its left edge.
constexpr int kListAreaLeftTwips = 360;
constexpr int kColumnsTopTwips = 2520;
constexpr int kColumnsHeightTwips = 8580;
constexpr int kFormWidthTwips = 15360;
constexpr int kFormHeightTwips = 11100;
constexpr int kChartLevelsShown = 3;
constexpr size_t kMonthsOffered = 12;  // the monthly report's month box: this month and the eleven before

const char* const kWrongPassword = "パスワードを入力して下さい";
const char* const kCannotSaveTitle = "成績を記録できません";
const std::string kCannotSaveText =
    "成績を記録できないので、ドリルを始められません。先生を呼んでください。\n\n";

// What each list button shows in each display, and its caption there. An empty caption keeps the
// button's caption as it is ("オール表示" stays until the point display has been chosen once).
struct ListChoice {
  DisplayModes display;
  int button;
  HubList list;
  const char* caption;
};
constexpr ListChoice kListChoices[] = {
    {DisplayModes::Time, 1, HubList::BestTimes, "BEST表示"},
    {DisplayModes::Time, 2, HubList::TodaysDrills, "本日のみ"},
    {DisplayModes::Time, 3, HubList::AllDrillsTimes, ""},
    {DisplayModes::Points, 1, HubList::PointsSoFar, "合計累計"},
    {DisplayModes::Points, 2, HubList::PointsToday, "合計本日"},
    {DisplayModes::Points, 3, HubList::AllDrillsPoints, "すべて"},
};

const ListChoice& ChoiceFor(DisplayModes display, int button) {
  for (const ListChoice& c : kListChoices)
    if (c.display == display && c.button == button) return c;
  return kListChoices[3];
}

// Lists of drills are read from the results file as it is now; rankings come from the counts.
bool ReadsDrills(HubList list) {
  return list == HubList::TodaysDrills || list == HubList::AllDrillsTimes ||
         list == HubList::AllDrillsPoints || list == HubList::IndividualTimes;
}

}  // namespace

seisekitime1::seisekitime1(Screens& screens)
    : Form(screens, QString::fromLatin1(kName)), printing_(screens, this) {
  setWindowTitle(Q(screens.state.ProgramTitle) + QStringLiteral(" 成績"));
  resize(PixelsFromTwips(kFormWidthTwips), PixelsFromTwips(kFormHeightTwips));
  buildTopBand();
  buildOptionFrame();
  buildHistoryPanel();
  buildCovers();
  buildTeacherPanel();
}

void seisekitime1::buildTopBand() {
  // The season colour can be dark: text sits on light panels.
  QFrame* band = MakePanel(this, {}, kPanelColour);
  band->setFrameShape(QFrame::StyledPanel);
  PlaceTwips(band, 120, 60, 15120, 1170);
  Label11 = MakeLabel(band, QStringLiteral("Label11"));
  PlaceTwips(Label11, 150, 60, 3750, 1050);
  Label12 = MakeLabel(band, QStringLiteral("Label12"));
  PlaceTwips(Label12, 4020, 60, 4800, 540);
  Label13 = MakeLabel(band, QStringLiteral("Label13"));
  PlaceTwips(Label13, 4020, 630, 4800, 450);
  Label17 = MakeLabel(band, QStringLiteral("Label17"), {}, ProportionalFont(12));
  PlaceTwips(Label17, 8970, 90, 2460, 450);
  Label18 = MakeLabel(band, QStringLiteral("Label18"), {}, ProportionalFont(13, true));
  PlaceTwips(Label18, 8970, 600, 2460, 480);

  Command8 = MakeButton(band, QStringLiteral("Command8"), QStringLiteral("データ処理"), ProportionalFont(12));
  PlaceTwips(Command8, 11550, 60, 1650, 510);
  connect(Command8, &QPushButton::clicked, this, &seisekitime1::Command8_Click);
  Command27 = MakeButton(band, QStringLiteral("Command27"), QStringLiteral("印刷"), ProportionalFont(12));
  PlaceTwips(Command27, 11550, 600, 1650, 510);
  Command27->setEnabled(false);  // printing everything is not offered by this program
  Command27->hide();
  Command1 =
      MakeButton(band, QStringLiteral("Command1"), QStringLiteral("戻る(0)"), ProportionalFont(16, true));
  PlaceTwips(Command1, 13320, 60, 1710, 1050);
  connect(Command1, &QPushButton::clicked, this, &seisekitime1::Command1_Click);
}

void seisekitime1::buildOptionFrame() {
  Picture1 = MakePanel(this, QStringLiteral("Picture1"), kPanelColour);
  Picture1->setFrameShape(QFrame::StyledPanel);
  PlaceTwips(Picture1, 120, 1290, 7170, 1140);
  displayGroup_ = new QButtonGroup(this);
  Option2 = addOptionRow(displayGroup_, "Option2", {"ﾀｲﾑ表示", "ﾎﾟｲﾝﾄ表示", "個人ﾀｲﾑ"}, 0, 60,
                         &seisekitime1::Option2_Click);
  listGroup_ = new QButtonGroup(this);
  Option1 = addOptionRow(listGroup_, "Option1", {"累計順", "本日順", "オール表示"}, 1, 570,
                         &seisekitime1::Option1_Click);
  buildListChoices();
  buildPersonalButtons();
}

// One row of the option frame's radio buttons, numbered from `first` (the elements below it are
// left empty), each calling `clicked` with its number when it is chosen.
QVector<QRadioButton*> seisekitime1::addOptionRow(QButtonGroup* group, const char* array,
                                                  std::initializer_list<const char*> captions, int first,
                                                  int topTwips, void (seisekitime1::*clicked)(int)) {
  QVector<QRadioButton*> row(first, nullptr);
  for (const char* caption : captions) {
    const int k = static_cast<int>(row.size());
    auto* option = new QRadioButton(QString::fromUtf8(caption), Picture1);
    option->setObjectName(ElementName(array, k));
    option->setFont(ProportionalFont(12));
    PlaceTwips(option, 150 + 2280 * (k - first), topTwips, 2220, 480);
    group->addButton(option, k);
    connect(option, &QRadioButton::toggled, this, [this, k, clicked](bool on) {
      if (on) (this->*clicked)(k);
    });
    row.push_back(option);
  }
  return row;
}

// The grade box, the period box of the lists of all drills, the list heading and the columns' scroll bar.
void seisekitime1::buildListChoices() {
  Combo1 = new QComboBox(this);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->setFont(ProportionalFont(13));
  Combo1->setToolTip(QStringLiteral("表示する学年を選びなさい"));
  PlaceTwips(Combo1, 7440, 1350, 2250, 540);
  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
  Combo2 = new QComboBox(this);
  Combo2->setObjectName(QStringLiteral("Combo2"));
  // Beside the list's heading, not in the row of the personal display's buttons: the lists of all
  // drills can be chosen while those buttons still show.
  Combo2->setFont(ProportionalFont(11));
  PlaceTwips(Combo2, 10770, 1905, 2940, 510);
  Combo2->hide();
  connect(Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });

  Label5 = MakeLabel(this, QStringLiteral("Label5"), {}, ProportionalFont(12, true));
  PlaceTwips(Label5, 7440, 1980, 3270, 420);
  SetBackground(Label5, kPanelColour);
  HScroll1 = new QScrollBar(Qt::Horizontal, this);
  HScroll1->setObjectName(QStringLiteral("HScroll1"));
  PlaceTwips(HScroll1, 13770, 2070, 1350, 300);
  HScroll1->setFocusPolicy(Qt::StrongFocus);
  HScroll1->hide();
  connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
}

// The personal display's buttons, shown while "個人ﾀｲﾑ" is chosen.
void seisekitime1::buildPersonalButtons() {
  Command16 =
      MakeButton(this, QStringLiteral("Command16"), QStringLiteral("個人別ﾀｲﾑ"), ProportionalFont(11));
  PlaceTwips(Command16, 9840, 1350, 1650, 540);
  Command16->hide();
  connect(Command16, &QPushButton::clicked, this, &seisekitime1::Command16_Click);
  Command17 = MakeButton(this, QStringLiteral("Command17"), QStringLiteral("グラフ"), ProportionalFont(11));
  PlaceTwips(Command17, 11550, 1350, 1200, 540);
  Command17->hide();
  connect(Command17, &QPushButton::clicked, this, &seisekitime1::Command17_Click);
  const char* const chartCaptions[2] = {"表示", "印刷"};
  for (int k = 0; k < 2; ++k) {
    auto* button = MakeButton(this, ElementName("Command24", k), QString::fromUtf8(chartCaptions[k]),
                              ProportionalFont(11));
    PlaceTwips(button, 12840 + 1140 * k, 1350, 1080, 540);
    button->hide();
    connect(button, &QPushButton::clicked, this, [this, k] { Command21_Click(k); });
    Command24.push_back(button);
  }
}

void seisekitime1::buildHistoryPanel() {
  Picture11 = new HistoryPanel(this);
  PlaceTwips(Picture11, 120, kColumnsTopTwips, 15120, kColumnsHeightTwips);
  Picture11->hide();
  connect(Picture11, &HistoryPanel::backRequested, this, [this] { showHistoryPanel(false); });
  connect(Picture11, &HistoryPanel::monthlyRequested, this, &seisekitime1::Command26_Click);
  connect(Picture11, &HistoryPanel::choiceChanged, this, [this] {
    const std::vector<int> students = Picture11->chosenStudents();
    ViewedStudent = students.empty() ? screens_.state.CurrentStudentNumber : students.front();
    Command21_Click(0);
  });
}

void seisekitime1::buildCovers() {
  // Only the refresh has steps to show on the whole-screen cover.
  Picture2 =
      new WaitCover(this, QStringLiteral("Picture2"), kPaperColour,
                    {QStringLiteral("Just a moment, please."), 24, {}, QStringLiteral("ProgressBar1")});
  ProgressBar1 = Picture2->progress();

  Picture6 =
      new WaitCover(this, QStringLiteral("Picture6"), kPaperColour,
                    {QStringLiteral("Just a momento, please."), 24, {}, QStringLiteral("ProgressBar2")});
  ProgressBar2 = Picture6->progress();
  ProgressBar2->show();
}

void seisekitime1::buildTeacherPanel() {
  Picture7 = new TeacherPanel(this);
  connect(Picture7, &TeacherPanel::enterRequested, this, &seisekitime1::Command10_Click);
  connect(Picture7, &TeacherPanel::closeRequested, this, &seisekitime1::Command12_Click);
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
  Combo2->setCurrentIndex(ListPeriod - 1);

  Columns.resize(count + 1);
  for (int i = 1; i <= count; ++i) {
    // The column's frame takes 120 twips (8 pixels) off the share of the list area.
    auto* column = new LevelColumn(this, i, LevelColumnWidth - 120, kColumnsHeightTwips);
    connect(column, &LevelColumn::startRequested, this, &seisekitime1::Command4_Click);
    connect(column, &LevelColumn::nameClicked, this, &seisekitime1::Label3_Click);
    connect(column, &LevelColumn::rankRequested, this, &seisekitime1::Command3_Click);
    Columns[i] = column;
  }
  Picture11->setLevels(count);
  Picture11->raise();
  Picture6->raise();
  Picture7->raise();
  Picture2->raise();
}

void seisekitime1::Form_Activate() {
  AppState& state = screens_.state;
  Services& services = screens_.services;
  const bool teacher = IsTeacher(state.CurrentStudentName);
  Command27->setVisible(state.PrintButtonEnabled && teacher);
  Command8->setVisible(teacher);

  Label17->setText(Q(MinutesSinceLoginText(state, services.clock.SecondsSinceMidnight())));
  HubReady = false;
  ProgressBar1->setValue(0);
  ProgressBar1->show();
  Picture2->showOver(rect());
  Option1[1]->setText(QStringLiteral("累計順"));
  Option1[2]->setText(QStringLiteral("本日順"));

  screens_.Unload<namesel>();
  // Under the cover until the counts are whole: a results file out of reach never shows as no drills.
  // A drill that could not be saved would be lost: no drill starts while the results file cannot be
  // written (a read-only share, a folder without write permission), which is asked along with the read.
  auto writeProblem = std::make_shared<std::string>();
  screens_.RefreshCounts(
      this, [this, writeProblem] { showHub(*writeProblem); },
      [writeProblem, file = ResultsFileOf(state)] { *writeProblem = file.WriteProblem(); });
}

void seisekitime1::showHub(const std::string& writeProblem) {
  AppState& state = screens_.state;
  Label18->setText(Q(TodayTotalText(state)));
  ProgressBar1->setRange(0, levels());
  showHistoryPanel(false);
  showPersonalButtons(false);

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
  writeProblem_ = writeProblem;
  Command9_Click();

  Picture2->hide();
  ProgressBar1->hide();
  if (levels() >= 1 && Columns[1]->startEnabled()) Columns[1]->focusStart();
  HubReady = true;
  if (!writeProblem_.empty())
    screens_.services.prompts.Message(kCannotSaveTitle, kCannotSaveText + writeProblem_);
}

void seisekitime1::fillColumnTexts() {
  for (int i = 1; i <= levels(); ++i) Columns[i]->showView(LevelColumnOf(screens_.state, i));
}

void seisekitime1::placeColumns() {
  const AppState& state = screens_.state;
  for (int i = 1; i <= levels(); ++i) {
    const int offset = (i - state.ScrollPosition) * LevelColumnWidth;
    // A column scrolled off to the left is parked beyond the right edge, out of view.
    const int xPx = offset < 0 ? width() : PixelsFromTwips(kListAreaLeftTwips + offset);
    Columns[i]->move(xPx, PixelsFromTwips(kColumnsTopTwips));
  }
}

void seisekitime1::HScroll1_Change() {
  AppState& state = screens_.state;
  state.ScrollPosition = HScroll1->value();
  if (state.ScrollPosition > levels()) state.ScrollPosition = 1;
  placeColumns();
}

void seisekitime1::showListCover(bool shown) {
  if (!shown) {
    Picture6->hide();
    return;
  }
  const int topPx = PixelsFromTwips(kColumnsTopTwips);
  Picture6->showOver(QRect(0, topPx, width(), height() - topPx));
  if (Picture2->isVisible()) Picture2->raise();  // the whole-screen cover stays on top
}

void seisekitime1::showHistoryPanel(bool shown) {
  Picture11->setVisible(shown);
  if (shown) Picture11->raise();
}

void seisekitime1::disableStartButtons() {
  for (int i = 1; i <= levels(); ++i) Columns[i]->setStartEnabled(false);
}

void seisekitime1::Command9_Click() {
  AppState& state = screens_.state;
  const LevelGate gate = ComputeLevelGate(state);
  state.FinalLevelCleared = gate.FinalLevelCleared;
  for (int i = 1; i <= levels(); ++i) {
    const auto at = static_cast<size_t>(i);
    Columns[i]->setStartEnabled(writeProblem_.empty() && at < gate.enabled.size() && gate.enabled[at]);
    Columns[i]->setBanned(at < gate.banned.size() && gate.banned[at]);
  }
}

void seisekitime1::beginListRefill() {
  Command1->setEnabled(false);
  disableStartButtons();
  for (int i = 1; i <= levels(); ++i) Columns[i]->hideList();
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
  for (int i = 1; i <= levels(); ++i) Columns[i]->showList();
  showListCover(false);
}

int seisekitime1::chosenListButton() const {
  for (int k = 1; k <= 3; ++k)
    if (Option1[k]->isChecked()) return k;
  return 1;
}

void seisekitime1::setListCaptions() {
  for (int k = 1; k <= 3; ++k) {
    const char* caption = ChoiceFor(DisplayMode, k).caption;
    if (*caption) Option1[k]->setText(QString::fromUtf8(caption));
  }
}

void seisekitime1::fillLists(HubList list) {
  beginListRefill();
  // Drills that other PCs recorded since the hub opened belong in these lists.
  if (ReadsDrills(list)) {
    screens_.RefreshCounts(this, [this, list] {
      fillColumnTexts();
      showLists(list);
    });
    return;
  }
  showLists(list);
}

void seisekitime1::showLists(HubList list) {
  AppState& state = screens_.state;
  ListRequest request;
  request.list = list;
  request.gradeFilter = S(Combo1->currentText());
  request.listPeriod = ListPeriod;
  request.today = screens_.services.clock.Today();
  request.viewedStudent = ViewedStudent;
  LevelLists lists = FillLevelLists(state, request);
  Label5->setText(Q(ListHeader(list)));
  for (int i = 1; i <= levels(); ++i) {
    const auto at = static_cast<size_t>(i);
    Columns[i]->showLines(at < lists.lines.size() ? std::move(lists.lines[at]) : std::vector<std::string>{},
                          at < lists.ownLine.size() ? lists.ownLine[at] : -1);
    if (list == HubList::PointsSoFar) ProgressBar1->setValue(i);
    ProgressBar2->setValue(i);
  }
  endListRefill();
  if (list == HubList::AllDrillsTimes || list == HubList::AllDrillsPoints) Combo2->show();
}

void seisekitime1::Option1_Click(int index) {
  if (index < 1 || index > 3) return;
  const HubList list = ChoiceFor(DisplayMode, index).list;
  if (list == HubList::PointsSoFar) PointRankMode = PointRankModes::Cumulative;
  if (list == HubList::PointsToday) PointRankMode = PointRankModes::Today;
  fillLists(list);
}

void seisekitime1::Option2_Click(int index) {
  showHistoryPanel(false);
  showPersonalButtons(index == 2);
  switch (index) {
    case 0:
    case 1:
      DisplayMode = index == 0 ? DisplayModes::Time : DisplayModes::Points;
      setListCaptions();
      Option1_Click(chosenListButton());
      break;
    case 2:
      Command16_Click();
      break;
    default:
      break;
  }
}

// The personal display's buttons; printing the charts is for teachers only.
void seisekitime1::showPersonalButtons(bool shown) {
  for (QPushButton* button : {Command16, Command17, Command24[0]}) button->setVisible(shown);
  Command24[1]->setVisible(shown && IsTeacher(screens_.state.CurrentStudentName));
}

void seisekitime1::Combo1_Click() {
  Option2_Click(Option2[0]->isChecked() ? 0 : 1);
  if (levels() >= 1) Columns[1]->focusStart();
}

void seisekitime1::Combo2_Click() {
  if (!Option1[3]->isChecked()) return;
  ListPeriod = Combo2->currentIndex() + 1;
  Option1_Click(3);
}

void seisekitime1::回数など表示() {
  for (int i = 1; i <= levels(); ++i) {
    Columns[i]->showCountCaptions();
    Columns[i]->clearLines();
  }
}

void seisekitime1::Command3_Click(int index) {
  if (index < 1 || index > levels()) return;
  LevelColumn& column = *Columns[index];
  column.showCountCaptions();
  const RankingList ranking =
      RankLevel(screens_.state, index, DisplayMode, PointRankMode, S(Combo1->currentText()));
  column.showLines(ranking.lines, ranking.ownLine);
}

void seisekitime1::Command16_Click() {
  beginListRefill();
  // The roster is read with the drills: a name changed at another PC shows as it is now.
  auto roster = std::make_shared<RosterRead>(RosterReadOf(screens_.state));
  screens_.RefreshCounts(
      this,
      [this, roster] {
        if (!screens_.ApplyRoster(*roster)) return;
        Picture11->setLevels(levels());
        ViewedStudent = screens_.state.CurrentStudentNumber;
        {
          const QSignalBlocker quiet(Option1[3]);
          Option1[3]->setChecked(true);
        }
        回数など表示();
        fillColumnTexts();
        showLists(HubList::IndividualTimes);
      },
      [roster] { ReadRosterInto(*roster); });
}

void seisekitime1::Command17_Click() {
  prepareHistoryPanel();
  Command21_Click(0);
}

void seisekitime1::prepareHistoryPanel() {
  ViewedStudent = screens_.state.CurrentStudentNumber;
  Picture11->setStudents(ChartStudentChoices(screens_.state));
  Picture11->reset(kChartLevelsShown);
  // A school reports on a month once it is over: the month before is chosen.
  Months = ReportMonths(screens_.services.clock.Today(), kMonthsOffered);
  std::vector<std::string> labels;
  for (Month m : Months) labels.push_back(MonthLabel(m));
  Picture11->setMonths(labels, 1);
  Picture11->showMonthly(IsTeacher(screens_.state.CurrentStudentName));
}

ChartRequest seisekitime1::chartRequest() const {
  ChartRequest request;
  request.levels = Picture11->chosenLevels();
  request.gradeFilter = S(Combo1->currentText());
  request.today = screens_.services.clock.Today();
  return request;
}

void seisekitime1::Command21_Click(int index) {
  // 表示 and 印刷 stand beside グラフ on the personal display: pressed before the chart view was ever
  // opened (or after the list was refilled), no level is chosen yet, and they would show or print
  // nothing. They start from what グラフ offers: the logged-in student and the first levels.
  if (Picture11->isHidden() && Picture11->chosenLevels().empty()) prepareHistoryPanel();
  // The charts read the drills as they are now, with the same patience as the counts.
  screens_.RefreshCounts(this, [this, index] { showOrPrintCharts(index); });
}

void seisekitime1::showOrPrintCharts(int index) {
  if (index == 0) {
    ChartRequest request = chartRequest();
    request.student = ViewedStudent;
    std::vector<ChartSurface> surfaces = HistoryCharts(screens_.state, request);
    // More than three levels fill the box again: the last surface is what stays in view.
    if (surfaces.empty()) {
      Picture11->clearChart();
    } else {
      Picture11->showChart(std::move(surfaces.back()));
    }
    showHistoryPanel(true);
    return;
  }
  std::vector<int> students = Picture11->chosenStudents();
  if (students.empty()) students.push_back(ViewedStudent);
  printing_.printCharts(students, chartRequest());
}

void seisekitime1::Command26_Click() {
  AppState& state = screens_.state;
  const int chosen = Picture11->chosenMonth();
  if (!IsTeacher(state.CurrentStudentName) || chosen < 0 || chosen >= static_cast<int>(Months.size())) return;
  const Month month = Months[static_cast<size_t>(chosen)];
  // The whole results file, as the report tool reads it, so that both print the same pages.
  auto drills = std::make_shared<std::vector<ChartRecord>>();
  screens_.ReadResults(
      this,
      [drills, file = ResultsFileOf(state), levels = levels(), days = MonthlyReportDays(month)] {
        *drills = ReadDrills(file, levels, days);
      },
      [this, drills, month] { printing_.printMonthly(month, Picture11->chosenStudents(), *drills); });
}

bool seisekitime1::canStart(int level) const {
  return HubReady && level >= 1 && level <= levels() && Columns[level]->startEnabled() &&
         Picture7->isHidden();
}

bool seisekitime1::startLevel(int level, bool coverFirst) {
  if (!canStart(level)) return false;
  if (coverFirst) Picture2->showOver(rect());
  screens_.state.SelectedLevel = level;
  HubReady = false;
  StartDrill(screens_);
  return true;
}

void seisekitime1::Command4_Click(int index) { startLevel(index, true); }

void seisekitime1::Label3_Click(int index) {
  if (startLevel(index, false)) screens_.Unload(this);
}

void seisekitime1::Command1_Click() {
  HubReady = false;
  Picture2->showOver(rect());
  screens_.Show<namesel>();
}

void seisekitime1::Command8_Click() { Picture7->open(); }

void seisekitime1::Command12_Click() { Picture7->hide(); }

// Closing the window goes back as "戻る" does, or closes the teacher's panel when it is open.
void seisekitime1::Form_QueryUnload() {
  if (!HubReady) return;
  if (!Picture7->isHidden()) {
    Command12_Click();
  } else if (Command1->isEnabled()) {
    Command1_Click();
  }
}

void seisekitime1::Command10_Click(int index) {
  if (!Picture7->accepts(screens_.state.TeacherPassword)) {
    screens_.services.prompts.Message(screens_.state.ProgramTitle, kWrongPassword);
    Picture7->focusPassword();
    return;
  }
  HubReady = false;
  Picture7->hide();
  Picture2->showOver(rect());
  if (index == 0) {
    screens_.Show<FrmData>();
  } else {
    screens_.Show<FrmTimeData>();
  }
  screens_.Unload(this);
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
