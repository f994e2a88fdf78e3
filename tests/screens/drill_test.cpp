#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <thread>

#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/identity.h"
#include "platform/shared_file.h"
#include "screens/application.h"
#include "screens/basefrm.h"
#include "screens/frmsyuuryou.h"
#include "screens/mainfrm.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "screens/widgets.h"

namespace bardrill::testing {
namespace {

using screens::DiagramLine;
using screens::Mainfrm;
using screens::PixelsFromTwips;

class DrillScreen : public ScreenTest {
 protected:
  // The state as the hub leaves it when student 1 starts a drill of `level`.
  void LogIn(int level) {
    state.CurrentStudentNumber = 1;
    state.CurrentStudentName = "  山田 太郎  ";
    BuildLevelCatalogue(state);
    ComputeCounts(state, fakes.clock.today);
    state.SelectedLevel = level;
  }
  Mainfrm* Begin() {
    screens::StartDrill(screens);
    DoEvents();
    return screens.Find<Mainfrm>();
  }
  Mainfrm* Start(int level) {
    LogIn(level);
    return Begin();
  }
  void Answer(Mainfrm* form, const QString& typed) {
    Type(form, typed);
    Press(form, Qt::Key_Return);
  }
  void AnswerRight(Mainfrm* form) { Answer(form, QString::number(form->ExpectedAnswer())); }
  QString Text(Mainfrm* form, const char* name) {
    return Control<QLabel>(form, QString::fromLatin1(name))->text();
  }
  QString Remaining(Mainfrm* form) { return Text(form, "Label8"); }
  QWidget* Element(Mainfrm* form, const char* array, int index) {
    return Control<QWidget>(form, screens::ElementName(array, index));
  }
  std::vector<ResultRecord> Records() {
    std::vector<ResultRecord> records;
    ResultsFile(ResultsPath(state)).ReadFrom(1, [&](int64_t, const RecordBytes& bytes) {
      records.push_back(ResultRecord::Decode(bytes));
    });
    return records;
  }
  size_t Played(const std::string& sound) {
    return static_cast<size_t>(std::count_if(fakes.sound.played.begin(), fakes.sound.played.end(),
                                             [&](const std::string& path) { return path.ends_with(sound); }));
  }
  // Edge by edge, so that shapes that touch in twips touch in pixels.
  static QRect Pixels(const TwipRect& r) {
    return QRect(QPoint(PixelsFromTwips(r.left), PixelsFromTwips(r.top)),
                 QPoint(PixelsFromTwips(r.left + r.width) - 1, PixelsFromTwips(r.top + r.height) - 1));
  }
};

TEST_F(DrillScreen, ShowsItsLabelsAndCountsTimeFromTheFirstTick) {
  LogIn(1);
  screens.Load<screens::seisekitime1>();
  Mainfrm* form = Begin();
  ASSERT_NE(form, nullptr);
  EXPECT_GE(form->activationCount(), 1);
  EXPECT_FALSE(screens.IsLoaded<screens::seisekitime1>());
  EXPECT_EQ(Text(form, "Label9(0)"), QStringLiteral("ソネタ"));
  EXPECT_EQ(Text(form, "Label9(1)"), QStringLiteral("山田 太郎"));
  EXPECT_EQ(Text(form, "Label3"), QStringLiteral("ﾀｲﾑ"));
  EXPECT_EQ(Text(form, "Label7"), QStringLiteral("ﾀｲﾑ"));
  EXPECT_EQ(Text(form, "Label4"), QStringLiteral("秒"));
  EXPECT_EQ(Text(form, "Label5"), QStringLiteral("あと"));
  EXPECT_EQ(Remaining(form), QStringLiteral("10"));
  EXPECT_EQ(Text(form, "Label6"), QStringLiteral("問"));
  auto* instruction = Control<QLabel>(form, "Label2");
  EXPECT_EQ(instruction->text(), QStringLiteral("に数字を入れなさい"));
  EXPECT_TRUE(instruction->alignment() & Qt::AlignRight);
  auto* legend = Control<QLineEdit>(form, "Text4");
  EXPECT_FALSE(legend->isEnabled());
  EXPECT_TRUE(legend->isVisible());
  EXPECT_LE(legend->geometry().right(), instruction->x());
  EXPECT_EQ(legend->palette().color(QPalette::Disabled, QPalette::Base), QColor(0, 255, 0));
  auto* given = Control<QLineEdit>(form, "Text5");
  EXPECT_FALSE(given->isVisible());
  EXPECT_EQ(given->palette().color(QPalette::Base), QColor(192, 255, 192));
  EXPECT_FALSE(Control<QWidget>(form, "sPicture2")->isVisible());
  EXPECT_EQ(Control<QPushButton>(form, "Command4")->text(), QStringLiteral("スタート"));
  EXPECT_EQ(Control<QPushButton>(form, "Command5")->text(), QStringLiteral("終了"));
  for (const char* button : {"Command1", "Command2", "Command3", "Command4", "Command5"})
    EXPECT_FALSE(Control<QPushButton>(form, button)->isVisible()) << button;
  auto* timer = Control<QTimer>(form, "Timer1");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 1000);

  fakes.clock.Advance(3.5);
  Tick(Control<QTimer>(form, "Timer1"));
  EXPECT_EQ(Text(form, "Label7"), QStringLiteral("4"));
  EXPECT_EQ(state.ElapsedSeconds, 4);
  fakes.clock.Advance(1);
  Tick(Control<QTimer>(form, "Timer1"));
  EXPECT_EQ(Text(form, "Label7"), QStringLiteral("4")) << "4.5 seconds round to the even neighbour";
}

TEST_F(DrillScreen, WholeDrillTypedKeyByKeyRecordsOnceAndOpensTheCompletionScreen) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 1; i <= 9; ++i) {
    AnswerRight(form);
    EXPECT_EQ(Remaining(form), QString::number(10 - i));
    EXPECT_EQ(form->AnswerText(), QString()) << "each new problem starts with an empty box";
  }
  fakes.clock.Advance(36.5);
  Tick(Control<QTimer>(form, "Timer1"));
  EXPECT_EQ(Text(form, "Label7"), QStringLiteral("36"));
  fakes.clock.Advance(0.9);
  AnswerRight(form);
  DoEvents();

  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
  EXPECT_TRUE(screens.IsLoaded<screens::FrmSyuuryou>());
  EXPECT_TRUE(state.DrillFinishing);
  // What the last tick showed, not the 37.4 s up to the last answer: another PC that ticked at the same
  // moment stores the same time.
  EXPECT_EQ(state.DrillSeconds, 36);
  EXPECT_EQ(Played("ok1.wav"), 10u);
  std::vector<ResultRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Bangou, 1);
  EXPECT_EQ(records[0].level, 1);
  EXPECT_EQ(records[0].seconds, 36);
  EXPECT_EQ(records[0].date, 38114);
  EXPECT_EQ(FieldText(records[0].schoolCode), "01234");
  EXPECT_EQ(FieldText(records[0].points), "0    ");
}

TEST_F(DrillScreen, DrillAcrossMidnightKeepsItsTrueTime) {
  fakes.clock.secondsSinceMidnight = 86390;
  Mainfrm* form = Start(2);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 9; ++i) AnswerRight(form);
  fakes.clock.monotonic += 25;
  fakes.clock.secondsSinceMidnight = 15;
  fakes.clock.today += 1;
  Tick(Control<QTimer>(form, "Timer1"));
  AnswerRight(form);
  DoEvents();
  std::vector<ResultRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].seconds, 25);
  EXPECT_EQ(records[0].level, 2);
  EXPECT_EQ(records[0].date, 38115);
}

// Another PC appending holds the results file for a moment: the drill screen stays painted and shows
// how long it has waited, then saves the drill.
TEST_F(DrillScreen, AnAppendWaitingForAnotherPCShowsTheCoverWithItsProgress) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 9; ++i) AnswerRight(form);
  const bool coverSeen = SeenWhileAnotherPCHoldsTheLock(
      [&] {
        Mainfrm* drill = screens.Find<Mainfrm>();
        auto* progress = drill ? drill->findChild<QProgressBar*>(QStringLiteral("ProgressBar1")) : nullptr;
        return progress && progress->isVisible() && drill->findChild<QWidget*>("sPicture2")->isVisible();
      },
      [&] { AnswerRight(form); });
  DoEvents();
  EXPECT_TRUE(coverSeen);
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_TRUE(screens.IsLoaded<screens::FrmSyuuryou>());
}

// The share drops while the child drills, leaving its empty mount point: the drill waits under its cover
// and is written to the school's file once the share is back, never to a new file in the empty folder.
TEST_F(DrillScreen, ADrillFinishedWhileTheShareIsAwayWaitsAndLandsInTheSchoolsFile) {
  AddRecord(1, 1, 90, fakes.clock.today);
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 9; ++i) AnswerRight(form);
  TakeShareAway();
  AnswerRight(form);
  DoEvents();
  EXPECT_TRUE(shareBack) << "the drill did not wait for the share";
  EXPECT_EQ(filesLeftInEmptyFolder, 0) << "a results file was made in the empty folder";
  const std::vector<ResultRecord> records = Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].Bangou, 1);
  EXPECT_EQ(endCode, -1);
  EXPECT_TRUE(screens.IsLoaded<screens::FrmSyuuryou>());
}

TEST_F(DrillScreen, WrongAnswersCostOneButNeverGoBelowZero) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  Answer(form, QStringLiteral("999"));
  EXPECT_EQ(state.CorrectCount, 0);
  EXPECT_EQ(Remaining(form), QStringLiteral("10"));
  EXPECT_EQ(form->AnswerText(), QString()) << "a wrong answer is cleared for another try";
  EXPECT_EQ(Played("ng1.wav"), 1u);

  AnswerRight(form);
  AnswerRight(form);
  EXPECT_EQ(Remaining(form), QStringLiteral("8"));
  const Problem before = form->problem();
  Answer(form, QStringLiteral("x"));
  EXPECT_EQ(state.CorrectCount, 1);
  EXPECT_EQ(Remaining(form), QStringLiteral("9"));
  EXPECT_EQ(form->problem().numbers, before.numbers) << "the same problem stays";

  Press(form, Qt::Key_Return);
  EXPECT_EQ(state.CorrectCount, 0) << "an empty answer is wrong";
  EXPECT_EQ(Remaining(form), QStringLiteral("10"));
  EXPECT_EQ(Played("ng1.wav"), 3u);
  EXPECT_EQ(Played("ok1.wav"), 2u);
  EXPECT_TRUE(Records().empty());
}

TEST_F(DrillScreen, TypingKeepsThreeCharactersAndBackspaceEditsThem) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  Type(form, QStringLiteral("1234"));
  EXPECT_EQ(form->AnswerText(), QStringLiteral("123"));
  EXPECT_EQ(Control<QLabel>(form, screens::ElementName("Label1", form->AskedIndex()))->text(),
            QStringLiteral("123"));
  Press(form, Qt::Key_Backspace);
  EXPECT_EQ(form->AnswerText(), QStringLiteral("12"));
  Press(form, Qt::Key_Backspace);
  Press(form, Qt::Key_Backspace);
  Press(form, Qt::Key_Backspace);
  EXPECT_EQ(form->AnswerText(), QString());
  EXPECT_TRUE(fakes.sound.played.empty()) << "editing submits nothing";

  Type(form, QStringLiteral(" "));
  EXPECT_EQ(form->AnswerText(), QString()) << "a blank submits, it never enters the answer";
  EXPECT_EQ(Played("ng1.wav"), 1u);

  Type(form, QString::number(form->ExpectedAnswer()) + QLatin1Char(' '));
  EXPECT_EQ(Remaining(form), QStringLiteral("9")) << "a blank after the answer submits it";
}

TEST_F(DrillScreen, KeysQueuedBeforeTheLastAnswerFinishTheDrillOnlyOnce) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 9; ++i) AnswerRight(form);
  Type(form, QString::number(form->ExpectedAnswer()));
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::postEvent(
        form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
  }
  Press(form, Qt::Key_Return);
  DoEvents();
  EXPECT_EQ(Played("ok1.wav"), 10u) << "keys queued behind the last answer act on no finished drill";
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
  EXPECT_TRUE(screens.IsLoaded<screens::FrmSyuuryou>());
}

TEST_F(DrillScreen, KeysTypedDuringThePauseDoNotFinishTheDrillAgain) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 9; ++i) AnswerRight(form);
  int typedInPause = 0, typedBeforePause = 0;
  QTimer typist;
  typist.setInterval(0);
  QObject::connect(&typist, &QTimer::timeout, [&] {
    if (state.DrillFinishing && typedInPause < 4 && screens.IsLoaded<Mainfrm>()) {
      ++(screens.pausing() ? typedInPause : typedBeforePause);
      QTest::keyClick(form, Qt::Key_Return);
    }
  });
  typist.start();
  AnswerRight(form);
  typist.stop();
  DoEvents();
  EXPECT_EQ(typedInPause, 4);
  // The answer still in the box counts as right while the finish lets events run; in the pause
  // itself the keys are held off.
  EXPECT_EQ(Played("ok1.wav"), 10u + static_cast<unsigned>(typedBeforePause));
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
  EXPECT_TRUE(screens.IsLoaded<screens::FrmSyuuryou>());
}

TEST_F(DrillScreen, DrillFinishedByKeysTypedDuringAWrongAnswerSoundClosesCleanly) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 9; ++i) AnswerRight(form);
  const QString right = QString::number(form->ExpectedAnswer());  // every problem is the same here
  Type(form, QStringLiteral("999"));
  // Typed while the wrong-answer sound plays: mend the answer and give two right ones.
  auto post = [&](Qt::Key key, const QString& text) {
    QCoreApplication::postEvent(form, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
  };
  for (int i = 0; i < 3; ++i) post(Qt::Key_Backspace, QStringLiteral("\b"));
  for (int i = 0; i < 2; ++i) {
    post(Qt::Key_unknown, right);
    post(Qt::Key_Return, QStringLiteral("\r"));
  }
  Press(form, Qt::Key_Return);
  DoEvents();
  EXPECT_EQ(Played("ng1.wav"), 1u);
  EXPECT_EQ(Played("ok1.wav"), 11u);
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
  EXPECT_TRUE(screens.IsLoaded<screens::FrmSyuuryou>());
}

TEST_F(DrillScreen, ComingBackToTheScreenWhileItFinishesKeepsTheDrillsTime) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 9; ++i) AnswerRight(form);
  fakes.clock.Advance(30);
  Tick(Control<QTimer>(form, "Timer1"));
  bool reactivated = false;
  QTimer comeBack;
  comeBack.setInterval(0);
  QObject::connect(&comeBack, &QTimer::timeout, [&] {
    if (state.DrillFinishing && !reactivated) {
      reactivated = true;
      form->activate();
    }
  });
  comeBack.start();
  AnswerRight(form);
  comeBack.stop();
  DoEvents();
  EXPECT_TRUE(reactivated);
  std::vector<ResultRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].seconds, 30);
  EXPECT_EQ(state.CorrectCount, 10);
}

TEST_F(DrillScreen, BecomingActiveAgainRestartsTheDrill) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 3; ++i) AnswerRight(form);
  EXPECT_EQ(Remaining(form), QStringLiteral("7"));
  fakes.clock.Advance(50);
  fakes.random.values = {0.5, 0.5, 0.99};  // asks part 1; parts 7 and 9
  form->activate();
  EXPECT_EQ(state.CorrectCount, 0);
  EXPECT_EQ(Remaining(form), QStringLiteral("10"));
  EXPECT_EQ(form->AskedIndex(), 1);
  EXPECT_EQ(form->ExpectedAnswer(), 7);
  EXPECT_EQ(Text(form, "Label1(0)"), QStringLiteral("16"));
  EXPECT_EQ(Text(form, "Label1(1)"), QString());
  EXPECT_EQ(Text(form, "Label1(2)"), QStringLiteral("9"));
  fakes.clock.Advance(12);
  Tick(Control<QTimer>(form, "Timer1"));
  EXPECT_EQ(Text(form, "Label7"), QStringLiteral("12"));
}

TEST_F(DrillScreen, DiagramIsPlacedWhereTheLayoutSays) {
  fakes.random.values = {0.5, 0.0, 0.99};  // part-whole: asks part 1; parts 4 and 9, whole 13
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(form->width(), 1026);
  const DiagramLayout layout = LayoutProblem(form->problem(), form->width() * 15, form->height() * 15,
                                             form->frameGeometry().height() * 15);
  // Bars centred in 15390 twips: 4 x 800 and 9 x 800 wide, from x = 2495.
  EXPECT_EQ(Element(form, "Picture4", 1)->geometry(),
            QRect(166, PixelsFromTwips(layout.bars[1].top), 214, 57));
  EXPECT_EQ(Element(form, "Picture4", 2)->geometry(), Pixels(layout.bars[2]));
  EXPECT_EQ(Element(form, "Picture4", 2)->width(), 480);
  EXPECT_EQ(Element(form, "Picture5", 0)->x(), PixelsFromTwips((10400 - 1335) / 2 + 2495));
  for (int i = 0; i < 3; ++i) {
    QWidget* box = Element(form, "Picture5", i);
    EXPECT_EQ(box->geometry(), Pixels(layout.boxes[i])) << i;
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->palette().color(QPalette::Window), i == 1 ? QColor(0, 255, 0) : QColor(192, 255, 192))
        << i;
    EXPECT_EQ(Element(form, "Label1", i)->geometry(), QRect(0, 0, 85, 50));
  }
  EXPECT_EQ(Text(form, "Label1(0)"), QStringLiteral("13"));
  EXPECT_EQ(Text(form, "Label1(1)"), QString());
  EXPECT_EQ(Text(form, "Label1(2)"), QStringLiteral("9"));
  for (int i = 1; i <= 6; ++i) {
    auto* line = form->findChild<DiagramLine*>(screens::ElementName("Line1", i));
    ASSERT_NE(line, nullptr) << i;
    EXPECT_TRUE(line->isVisible()) << i;
    EXPECT_EQ(line->segment(), layout.lines[i]) << i;
    const TwipLine& s = layout.lines[i];
    EXPECT_EQ(line->geometry().topLeft(),
              QPoint(PixelsFromTwips(std::min(s.x1, s.x2)), PixelsFromTwips(std::min(s.y1, s.y2))))
        << i;
  }
  // Line1(1) runs from the top-left corner of bar 1 up to the whole's box.
  EXPECT_EQ(layout.lines[1].x1, 2495);

  fakes.random.values = {0.0, 0.99, 0.5};  // area: asks the area; sides 10 and 6
  form->Command2_Click();
  EXPECT_EQ(form->ExpectedAnswer(), 60);
  // An 8000 x 4800 rectangle centred across, pushed down by two box heights.
  EXPECT_EQ(Element(form, "Picture4", 1)->geometry(), QRect(246, 282, 534, 320));
  EXPECT_FALSE(Element(form, "Picture4", 2)->isVisible());
  EXPECT_EQ(Element(form, "Picture5", 2)->x(), PixelsFromTwips(3695 - 1335 - 615));
  EXPECT_EQ(Element(form, "Picture5", 0)->palette().color(QPalette::Window), QColor(0, 255, 0));
  EXPECT_EQ(Text(form, "Label1(0)"), QString());
  EXPECT_EQ(Text(form, "Label1(1)"), QStringLiteral("10"));
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(Element(form, "Line1", i)->isVisible()) << i;
  EXPECT_FALSE(Element(form, "Line1", 5)->isVisible());
  EXPECT_FALSE(Element(form, "Line1", 6)->isVisible());
}

TEST_F(DrillScreen, MixedLevelAlternatesPartWholeAndAreaProblems) {
  Mainfrm* form = Start(3);
  ASSERT_NE(form, nullptr);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(form->problem().ProblemKind, PartWholeProblem);
    EXPECT_TRUE(Element(form, "Picture4", 2)->isVisible());
    EXPECT_TRUE(Element(form, "Line1", 6)->isVisible());
    EXPECT_EQ(Element(form, "Picture4", 1)->height(), 57) << "the bar's thickness comes back after an area";
    AnswerRight(form);
    EXPECT_EQ(form->problem().ProblemKind, AreaProblem);
    EXPECT_FALSE(Element(form, "Picture4", 2)->isVisible());
    EXPECT_FALSE(Element(form, "Line1", 5)->isVisible());
    EXPECT_NEAR(Element(form, "Picture4", 1)->height(), 2 * 800 / 15.0, 1) << "two bar heights high";
    AnswerRight(form);
  }
}

TEST_F(DrillScreen, PracticeLevelReturnsToTheHubWithoutARecord) {
  LogIn(1);
  state.LevelNames[1] = "レベル１練習";
  Mainfrm* form = Begin();
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 10; ++i) AnswerRight(form);
  DoEvents();
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
  EXPECT_TRUE(screens.IsLoaded<screens::seisekitime1>());
  EXPECT_FALSE(screens.IsLoaded<screens::FrmSyuuryou>());
  EXPECT_TRUE(Records().empty());
  EXPECT_FALSE(files::exists(ResultsPath(state)));
}

TEST_F(DrillScreen, UnsavableResultAsksToRetryAndNoEndsTheProgram) {
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  // The share is gone: the results file's name now belongs to a folder.
  files::create_directory(ResultsPath(state));
  fakes.prompts.answers = {true, false};
  for (int i = 0; i < 10; ++i) AnswerRight(form);
  DoEvents();
  ASSERT_EQ(fakes.prompts.messages.size(), 2u) << "Yes tried again, and it failed again";
  for (const auto& asked : fakes.prompts.messages) {
    EXPECT_EQ(asked.title, "成績を保存できません");
    EXPECT_NE(asked.text.find(ResultsPath(state)), std::string::npos) << asked.text;
    EXPECT_NE(asked.text.find("もう一度保存しますか？ 「いいえ」でプログラムを終了します。"),
              std::string::npos);
  }
  EXPECT_EQ(endCode, 1);
  EXPECT_FALSE(screens.IsLoaded<screens::FrmSyuuryou>());
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
}

TEST_F(DrillScreen, RetryAfterTheShareIsBackSavesTheDrill) {
  MendingPrompts prompts;
  Services services{fakes.clock, fakes.random, fakes.sound, fakes.launcher, prompts};
  screens::Screens own(state, services);
  int ownEnd = -1;
  own.onEnd = [&](int code) { ownEnd = code; };
  own.fileWorkAnsweredAtOnce = true;
  LogIn(2);
  const std::string results = ResultsPath(state);
  files::create_directory(results);
  prompts.mend = [&] { files::remove(results); };
  screens::StartDrill(own);
  DoEvents();
  Mainfrm* form = own.Find<Mainfrm>();
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 10; ++i) AnswerRight(form);
  Settle(own);
  EXPECT_EQ(prompts.asked, 1);
  EXPECT_EQ(ownEnd, -1);
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(Records()[0].level, 2);
  EXPECT_TRUE(own.IsLoaded<screens::FrmSyuuryou>());
}

TEST_F(DrillScreen, FourthFailedSoundInARowEndsTheProgram) {
  auto* app = static_cast<screens::Application*>(QCoreApplication::instance());
  app->setScreens(&screens);
  fakes.sound.failAlways = true;
  Mainfrm* form = Start(1);
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 3; ++i) Answer(form, QStringLiteral("0"));
  EXPECT_TRUE(fakes.prompts.messages.empty()) << "three failures go unnoticed";
  EXPECT_EQ(endCode, -1);
  Answer(form, QStringLiteral("0"));
  app->setScreens(nullptr);
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].title, "音声エラー");
  EXPECT_TRUE(fakes.prompts.messages[0].text.starts_with("音声がでません。先生を呼びなさい。"));
  EXPECT_NE(fakes.prompts.messages[0].text.find("no sound device"), std::string::npos);
  EXPECT_EQ(endCode, 1);
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
}

}  // namespace
}  // namespace bardrill::testing
