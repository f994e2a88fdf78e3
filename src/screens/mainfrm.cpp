#include "screens/mainfrm.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "core/drill/drill.h"
#include "core/results/results_file.h"
#include "core/results/results_retry.h"
#include "core/setup/identity.h"
#include "core/setup/sound_cues.h"
#include "painters/palette.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "screens/basefrm.h"
#include "screens/frmsyuuryou.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "screens/wait_cover.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {

// Client area in twips: the design's 10875 x 7890 widened so that the top bar (up to x = 15300) fits,
// 1026 x 720 pixels.
constexpr int kClientWidthTwips = 15390;
constexpr int kClientHeightTwips = 10800;
constexpr int kTopBarRightTwips = 15300;
constexpr int kTickMilliseconds = 1000;
constexpr int kCompletionDelayMs = 1000;  // the blank page between the last answer and the completion screen

const QColor kTitleBox(0, 128, 128);
const QColor kLightGreen(128, 255, 128);

constexpr char kSaveFailedTitle[] = "成績を保存できません";

std::string SaveFailedText(const std::string& error) {
  return "成績を保存できませんでした。\n" + error +
         "\n\nもう一度保存しますか？ 「いいえ」でプログラムを終了します。";
}

void SetBoxColour(QLineEdit* box, uint32_t bgr) {
  QPalette p = box->palette();
  p.setColor(QPalette::Base, FromBgr(bgr));
  box->setPalette(p);
}

}  // namespace

DiagramLine::DiagramLine(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DiagramLine::setSegment(const TwipLine& segment) {
  segment_ = segment;
  const int left = PixelsFromTwips(std::min(segment.x1, segment.x2)),
            top = PixelsFromTwips(std::min(segment.y1, segment.y2));
  const int right = PixelsFromTwips(std::max(segment.x1, segment.x2)),
            bottom = PixelsFromTwips(std::max(segment.y1, segment.y2));
  setGeometry(left, top, right - left + 1, bottom - top + 1);
  update();
}

void DiagramLine::paint(QPainter& painter) const {
  const QPoint origin = pos();
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(QPoint(PixelsFromTwips(segment_.x1), PixelsFromTwips(segment_.y1)) - origin,
                   QPoint(PixelsFromTwips(segment_.x2), PixelsFromTwips(segment_.y2)) - origin);
}

void DiagramLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(painter);
}

FilledShape::FilledShape(QWidget* parent, const QString& name, const QColor& light, const QColor& dark)
    : QWidget(parent), light_(light), dark_(dark) {
  setObjectName(name);
}

void FilledShape::paint(QPainter& painter) const {
  QLinearGradient shade(0, 0, 0, height());
  shade.setColorAt(0, light_);
  shade.setColorAt(1, dark_);
  painter.fillRect(rect(), shade);
  painter.setPen(dark_.darker(140));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void FilledShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(painter);
}

Mainfrm::Mainfrm(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowTitle(Q(screens.state.ProgramTitle));
  resize(PixelsFromTwips(kClientWidthTwips), PixelsFromTwips(kClientHeightTwips));
  SetBackground(this, kDrillColour);
  setFocusPolicy(Qt::StrongFocus);
  buildDiagram();
  buildTitleRow();
  buildInstruction();
  buildHiddenControls();
}

void Mainfrm::buildTitleRow() {
  Picture2 = MakePanel(this, QStringLiteral("Picture2"), kTitleBox);
  PlaceTwips(Picture2, 90, 90, 2310, 690);
  Label9.append(
      MakeCaption(Picture2, ElementName("Label9", 0), {}, ProportionalFont(24, true), Qt::AlignHCenter));
  PlaceTwips(Label9[0], 0, 0, 2310, 690);
  QPalette onDark = Label9[0]->palette();
  onDark.setColor(QPalette::WindowText, Qt::white);
  Label9[0]->setPalette(onDark);

  Picture1 = MakePanel(this, QStringLiteral("Picture1"), kBandColour);
  PlaceTwips(Picture1, 2460, 90, kTopBarRightTwips - 2460, 690);
  Label9.append(
      MakeCaption(Picture1, ElementName("Label9", 1), {}, ProportionalFont(15.75, true), Qt::AlignLeft));
  PlaceTwips(Label9[1], 120, 120, 5400, 450);
  Label3 = MakeCaption(Picture1, QStringLiteral("Label3"), QStringLiteral("ﾀｲﾑ"),
                       ProportionalFont(15.75, true), Qt::AlignRight);
  PlaceTwips(Label3, 5700, 120, 900, 450);
  Label7 = MakeCaption(Picture1, QStringLiteral("Label7"), QStringLiteral("ﾀｲﾑ"), ProportionalFont(18, true),
                       Qt::AlignHCenter);
  PlaceTwips(Label7, 6690, 75, 1500, 540);
  SetBackground(Label7, kLightGreen);
  Label4 = MakeCaption(Picture1, QStringLiteral("Label4"), QStringLiteral("秒"),
                       ProportionalFont(15.75, true), Qt::AlignLeft);
  PlaceTwips(Label4, 8280, 120, 600, 450);
  Label5 = MakeCaption(Picture1, QStringLiteral("Label5"), QStringLiteral("あと"),
                       ProportionalFont(15.75, true), Qt::AlignRight);
  PlaceTwips(Label5, 9300, 120, 900, 450);
  Label8 = MakeCaption(Picture1, QStringLiteral("Label8"), {}, ProportionalFont(18, true), Qt::AlignHCenter);
  PlaceTwips(Label8, 10290, 75, 1200, 540);
  SetBackground(Label8, kLightGreen);
  Label6 = MakeCaption(Picture1, QStringLiteral("Label6"), QStringLiteral("問"),
                       ProportionalFont(15.75, true), Qt::AlignLeft);
  PlaceTwips(Label6, 11580, 120, 600, 450);

  Shape2 = new FilledShape(this, QStringLiteral("Shape2"), kTitleBox, kTitleBox);
  PlaceTwips(Shape2, 90, 840, kTopBarRightTwips - 90, 45);
  Shape1 = {nullptr, new FilledShape(this, ElementName("Shape1", 1), QColor(160, 255, 255), kBandColour),
            new FilledShape(this, ElementName("Shape1", 2), QColor(192, 255, 160), QColor(64, 176, 64))};
  PlaceTwips(Shape1[1], 90, 10170, 1500, 540);
  PlaceTwips(Shape1[2], kTopBarRightTwips - 1500, 10170, 1500, 540);
}

void Mainfrm::buildInstruction() {
  Label2 = MakeCaption(this, QStringLiteral("Label2"), QStringLiteral("に数字を入れなさい"),
                       ProportionalFont(20.25, true), Qt::AlignRight);
  // The legend square must sit right before the words, so the label is as wide as its text.
  const int width = QFontMetrics(Label2->font()).horizontalAdvance(Label2->text()) + ScaledPx(12);
  const int height = PixelsFromTwips(600);
  Label2->setGeometry(PixelsFromTwips(kTopBarRightTwips) - width, PixelsFromTwips(960), width, height);
  Text4 = new QLineEdit(this);
  Text4->setObjectName(QStringLiteral("Text4"));
  Text4->setEnabled(false);
  Text4->setGeometry(Label2->x() - PixelsFromTwips(660), Label2->y() + PixelsFromTwips(30),
                     PixelsFromTwips(600), PixelsFromTwips(540));
  SetBoxColour(Text4, AnswerColour);
}

void Mainfrm::buildDiagram() {
  Picture4 = {nullptr,
              new FilledShape(this, ElementName("Picture4", 1), QColor(176, 255, 255), QColor(0, 200, 220)),
              new FilledShape(this, ElementName("Picture4", 2), QColor(200, 255, 176), QColor(64, 184, 64))};
  PlaceTwips(Picture4[1], 0, 0, kBarDesignWidth, kBarThickness);
  PlaceTwips(Picture4[2], 0, 0, kBarDesignWidth, kBarThickness);
  Line1.append(nullptr);
  for (int i = 1; i <= 6; ++i) {
    auto* line = new DiagramLine(this);
    line->setObjectName(ElementName("Line1", i));
    Line1.append(line);
  }
  for (int i = 0; i < 3; ++i) {
    QFrame* box = MakePanel(this, ElementName("Picture5", i), FromBgr(GivenColour));
    box->setFrameShape(QFrame::Box);
    PlaceTwips(box, 0, 0, kNumberBoxWidth, kNumberBoxHeight);
    QLabel* number =
        MakeCaption(box, ElementName("Label1", i), {}, ProportionalFont(24, true), Qt::AlignHCenter);
    PlaceTwips(number, 0, 0, kNumberLabelWidth, kNumberLabelHeight);
    Picture5.append(box);
    Label1.append(number);
  }
  Picture4[1]->hide();
  Picture4[2]->hide();
  for (int i = 1; i <= 6; ++i) Line1[i]->hide();
  for (QFrame* box : Picture5) box->hide();
}

void Mainfrm::buildHiddenControls() {
  Text5 = new QLineEdit(this);
  Text5->setObjectName(QStringLiteral("Text5"));
  SetBoxColour(Text5, GivenColour);
  Text5->hide();

  sPicture2 = new WaitCover(this, QStringLiteral("sPicture2"), kBandColour,
                            {QStringLiteral("Just a moment, please."), 12, QStringLiteral("Label10"),
                             QStringLiteral("ProgressBar1")});
  PlaceTwips(sPicture2, 9210, 3690, 4425, 3435);
  // The caption is shown on the blank panel only while another PC holds the results file's lock.
  waitCaption_ = sPicture2->caption();
  waitCaption_->hide();
  ProgressBar1 = sPicture2->progress();

  Command1 = MakeButton(this, QStringLiteral("Command1"), {});
  Command2 = MakeButton(this, QStringLiteral("Command2"), {});
  Command3 = MakeButton(this, QStringLiteral("Command3"), {});
  Command4 = MakeButton(this, QStringLiteral("Command4"), QStringLiteral("スタート"));
  Command5 = MakeButton(this, QStringLiteral("Command5"), QStringLiteral("終了"));
  for (QPushButton* button : {Command1, Command2, Command3, Command4, Command5}) button->hide();
  connect(Command1, &QPushButton::clicked, this, &Mainfrm::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Mainfrm::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Mainfrm::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Mainfrm::Command4_Click);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTickMilliseconds);
  connect(Timer1, &QTimer::timeout, this, &Mainfrm::Timer1_Timer);
}

void Mainfrm::Form_Activate() {
  AppState& state = screens_.state;
  // Coming back to the screen restarts the drill, but not once it has finished: its result is being
  // recorded and the screen is on its way out.
  if (state.DrillFinishing || unloaded_) return;
  screens_.Unload<seisekitime1>();
  Label9[0]->setText(Q(state.ProgramTitle));
  Label9[1]->setText(Q(text::Trim(state.CurrentStudentName)));
  state.CorrectCount = 0;
  showRemaining();
  Command4_Click();
}

void Mainfrm::Command4_Click() {
  // The monotonic clock, so that a drill across midnight (or a clock set meanwhile) keeps its true time.
  DrillStartMonotonic = screens_.services.clock.MonotonicSeconds();
  screens_.state.ElapsedSeconds = 0;
  Timer1->start();
  Command3_Click();
}

void Mainfrm::Command3_Click() {
  switch (sequence_.NextKind(screens_.state.SelectedLevel)) {
    case PartWholeProblem:
      Command1_Click();
      break;
    case AreaProblem:
      Command2_Click();
      break;
    default:
      break;
  }
}

void Mainfrm::Command1_Click() { showProblem(GeneratePartWholeProblem(screens_.services.random)); }

void Mainfrm::Command2_Click() { showProblem(GenerateAreaProblem(screens_.services.random)); }

void Mainfrm::showProblem(const Problem& problem) {
  const DiagramLayout layout = LayoutProblem(problem, TwipsFromPixels(width()), TwipsFromPixels(height()),
                                             TwipsFromPixels(frameGeometry().height()));
  problem_ = problem;
  for (int i = 1; i <= 2; ++i) {
    const TwipRect& bar = layout.bars[i];
    if (layout.barVisible[i]) PlaceTwips(Picture4[i], bar.left, bar.top, bar.width, bar.height);
    Picture4[i]->setVisible(layout.barVisible[i]);
  }
  for (int i = 1; i <= 6; ++i) {
    if (layout.lineVisible[i]) Line1[i]->setSegment(layout.lines[i]);
    Line1[i]->setVisible(layout.lineVisible[i]);
  }
  for (int i = 0; i < 3; ++i) {
    const TwipRect& box = layout.boxes[i];
    if (layout.boxVisible[i]) PlaceTwips(Picture5[i], box.left, box.top, box.width, box.height);
    SetBackground(Picture5[i], FromBgr(layout.boxColour[i]));
    Label1[i]->setText(Q(layout.labelText[i]));
    Picture5[i]->setVisible(layout.boxVisible[i]);
  }
}

void Mainfrm::Timer1_Timer() {
  AppState& state = screens_.state;
  state.ElapsedSeconds =
      ElapsedWholeSeconds(screens_.services.clock.MonotonicSeconds() - DrillStartMonotonic);
  Label7->setText(QString::number(state.ElapsedSeconds));
}

QString Mainfrm::AnswerText() const { return Label1[problem_.AskedIndex]->text(); }

void Mainfrm::setAnswerText(const QString& text) { Label1[problem_.AskedIndex]->setText(text); }

void Mainfrm::showRemaining() { Label8->setText(QString::number(RemainingProblems(screens_.state))); }

void Mainfrm::Form_KeyPress(char32_t& KeyAscii) {
  if (unloaded_) return;
  std::string answer = S(AnswerText());
  switch (ApplyDrillKey(answer, KeyAscii)) {
    case DrillKeyEffect::Edited:
      setAnswerText(Q(answer));
      break;
    case DrillKeyEffect::Submit:
      KeyAscii = 0;
      submitAnswer();
      break;
    case DrillKeyEffect::Ignored:
      break;
  }
}

void Mainfrm::submitAnswer() {
  AppState& state = screens_.state;
  if (IsRightAnswer(S(AnswerText()), problem_.ExpectedAnswer)) {
    PlayRightSound(state, screens_.services);
    CountRightAnswer(state);
    if (DrillComplete(state)) {
      FinishDrill();
      return;
    }
    showRemaining();
    Command3_Click();
    return;
  }
  CountWrongAnswer(state);
  showRemaining();
  PlayWrongSound(state, screens_.services);
  setAnswerText({});
}

void Mainfrm::FinishDrill() {
  AppState& state = screens_.state;
  // Keys go on being read while the record is saved: a second request to finish does nothing.
  if (state.DrillFinishing) return;
  state.DrillFinishing = true;
  sPicture2->showOver();
  if (IsPracticeLevel(state, state.SelectedLevel)) {
    screens_.Show<BASEFRM>();
    unloadSelf();
    screens_.Show<seisekitime1>();
    return;
  }
  // The time as the last tick showed it: every PC stores what the child saw, so school bests agree.
  state.DrillSeconds = state.ElapsedSeconds;
  CompareDrillResult(state);
  RecordDrillResult();
}

void Mainfrm::RecordDrillResult() {
  if (!pending_) {
    try {
      pending_ = std::make_shared<PendingResult>(PrepareResult(screens_.state, screens_.services.clock));
    } catch (const FileWriteError& refused) {
      if (askToSaveAgain(refused.what())) RecordDrillResult();
      return;
    }
  }
  // Another PC appending holds the lock for a moment; on a slow share it may take seconds, and the
  // window stays painted meanwhile, showing how long the wait has lasted. A share that is away, or an
  // empty folder left in its place, is waited for under the cover.
  const LockWaitStep whileLocked = LockWaitShowing(screens_, {sPicture2, waitCaption_}, ProgressBar1,
                                                   "the program was closed while a drill waited to be saved");
  screens_.RunFileWork(
      this, [pending = pending_, whileLocked] { pending->Append(whileLocked); },
      [this](std::exception_ptr failure) {
        if (!failure) {
          ProgressBar1->hide();
          waitCaption_->hide();
          showCompletionSoon();
          return;
        }
        // A results file on a share that went away must not cost the child the drill: the teacher may
        // mend the share and try again.
        try {
          std::rethrow_exception(failure);
        } catch (const std::exception& why) {
          if (askToSaveAgain(why.what())) RecordDrillResult();
        }
      });
}

bool Mainfrm::askToSaveAgain(const std::string& why) {
  if (screens_.services.prompts.AskYesNo(kSaveFailedTitle, SaveFailedText(why))) return true;
  screens_.EndProgram(1);
  return false;
}

void Mainfrm::showCompletionSoon() {
  screens_.Show<BASEFRM>();
  screens_.After(kCompletionDelayMs, this, [this] {
    unloadSelf();
    screens_.Show<FrmSyuuryou>();
  });
}

void Mainfrm::unloadSelf() {
  unloaded_ = true;
  Timer1->stop();
  screens_.Unload(this);
}

void StartDrill(Screens& screens) {
  ResetDrill(screens.state);
  if (Mainfrm* old = screens.Find<Mainfrm>()) old->unloadSelf();
  screens.Show<Mainfrm>();
}

}  // namespace bardrill::screens
