#include "screens/frmsyuuryou.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include "core/drill/drill.h"
#include "core/results/counts.h"
#include "core/results/results_file.h"
#include "core/setup/identity.h"
#include "core/setup/sound_cues.h"
#include "core/setup/standards.h"
#include "screens/basefrm.h"
#include "screens/mainfrm.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"

namespace bardrill::testing {
namespace {

using screens::BASEFRM;
using screens::FrmSyuuryou;

// Every level: pass time 120 s, minimum line 30 s, cleared by 2 drills and 20 points within 7 days,
// points doubled, overdoing from 3 drills today.
constexpr const char* kStandards =
    "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
    "120,30,20,2,2,3,0,7,1,,,\r\n120,30,20,2,2,3,0,7,1,,,\r\n120,30,20,2,2,3,0,7,1,,,\r\n";

class Completion : public ScreenTest {
 protected:
  Completion() {
    inst.WriteStandards(kStandards);
    LoadStandards(state);
    inst.WriteSoundMap("正解音2\r\nok1\r\n*\r\n自己最高音2\r\npb1\r\n*\r\n不合格音1\r\nfail1\r\n*\r\n");
    LoadSoundMap(state);
    BuildLevelCatalogue(state);
    state.CurrentStudentNumber = 1;
    state.CurrentStudentName = state.StudentNames[1];
  }

  int64_t today() const { return fakes.clock.today; }

  // Leaves the state as the drill screen does: compared with the counts before the drill, then recorded.
  void Finish(int level, int seconds) {
    state.SelectedLevel = level;
    ComputeCounts(state, today());
    state.DrillSeconds = seconds;
    CompareDrillResult(state);
    AddRecord(1, level, seconds, today());
  }

  FrmSyuuryou* Open() {
    screens.Show<BASEFRM>();
    FrmSyuuryou* form = screens.Show<FrmSyuuryou>();
    DoEvents();
    return form;
  }

  void Close(FrmSyuuryou* form) {
    screens.Unload(form);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QLabel* L(FrmSyuuryou* form, const char* name) { return Control<QLabel>(form, QString::fromLatin1(name)); }
  QPushButton* B(FrmSyuuryou* form, const char* name) {
    return Control<QPushButton>(form, QString::fromLatin1(name));
  }

  // File names of the sounds played, in order.
  std::vector<std::string> Played() const {
    std::vector<std::string> names;
    for (const std::string& path : fakes.sound.played)
      names.push_back(files::Utf8(files::Path(path).filename()));
    return names;
  }
};

using Names = std::vector<std::string>;

TEST_F(Completion, ADecimalRateEarnsTheDecimalProductAndTodaysCountsHaveNoCaptionOfTheirOwn) {
  inst.WriteStandards(
      "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
      "120,30,20,2,1.4,3,0,7,1,,,\r\n120,30,20,2,1.4,3,0,7,1,,,\r\n120,30,20,2,1.4,3,0,7,1,,,\r\n");
  LoadStandards(state);
  Finish(1, 64);  // base 10
  FrmSyuuryou* form = Open();
  EXPECT_EQ(L(form, "Label19")->text(), QStringLiteral("獲得ポイント：10点×1.4→14点"));
  EXPECT_EQ(state.TotalPoints(1, 1), 14);
  for (const QLabel* label : form->findChildren<QLabel*>())
    EXPECT_NE(label->text(), QStringLiteral("きょう")) << label->objectName().toStdString();
}

TEST_F(Completion, ShowsTheDrillsResultAndTodaysCountsThenCoversNothingElse) {
  AddRecord(1, 2, 100, today());
  AddRecord(1, 1, 100, today() - 10);
  AddRecord(2, 1, 50, today() - 10);
  Finish(1, 60);
  FrmSyuuryou* form = Open();

  EXPECT_EQ(form->activationCount(), 1);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("終了"));
  EXPECT_EQ(L(form, "Label15")->text(), QStringLiteral("ソネタ"));
  EXPECT_EQ(L(form, "Label16")->text(), QStringLiteral("レベル１"));
  EXPECT_EQ(L(form, "Label17")->text(), QStringLiteral("山田 太郎"));
  EXPECT_EQ(L(form, "Label18")->text(), QStringLiteral("今の成績：60秒"));
  EXPECT_EQ(L(form, "Label19")->text(), QStringLiteral("獲得ポイント：11点×2→22点"));
  EXPECT_EQ(L(form, "Label13")->text(), QStringLiteral(" (このレベル　1回目)"));
  EXPECT_EQ(L(form, "Label14")->text(), QStringLiteral("（2回目)"));
  EXPECT_EQ(state.TodayTotalCount, 2);

  // A personal best that the school's record (student 2) still beats.
  EXPECT_TRUE(L(form, "Label20")->isVisible());
  EXPECT_EQ(L(form, "Label20")->text(), QStringLiteral("新記録おめでとう"));
  EXPECT_EQ(Played(), Names{"pb1.wav"});
  EXPECT_FALSE(state.NewPersonalBest);
  EXPECT_FALSE(state.NewSchoolBest);

  // One drill in the judgement window is not enough to clear the level.
  EXPECT_FALSE(L(form, "Label2")->isVisible());
  EXPECT_FALSE(Control<QWidget>(form, "Picture1")->isVisible());
  EXPECT_FALSE(B(form, "Command4")->isVisible());
  EXPECT_FALSE(B(form, "Command5")->isVisible());
  auto* timer = Control<QTimer>(form, "Timer1");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 500);
  EXPECT_FALSE(screens.IsLoaded<BASEFRM>());

  auto* backdrop = L(form, "Image1");
  EXPECT_EQ(backdrop->geometry(), form->rect()) << "the backdrop covers its page, and no more";
  EXPECT_FALSE(backdrop->pixmap().isNull());
}

TEST_F(Completion, TimeAndPointsOverTheRangesOfTheFormula) {
  const struct {
    int seconds;
    const char *time, *points, *today;
  } cases[] = {
      {130, "今の成績：130秒", "獲得ポイント：4点×2→8点", " (このレベル　1回目)"},
      {1300, "今の成績：1300秒", "獲得ポイント：0点×2→0点", " (このレベル　1回目)"},
      {6000, "今の成績：6000秒", "獲得ポイント：0点×2→0点", " (このレベル　0回目)"},
      {99999, "記録なし", "獲得ポイント：0点×2→0点", " (このレベル　0回目)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    // Each case is a school's first drill, in a run that has not seen its results file yet.
    files::remove(ResultsPath(state));
    *state.ResultsFileSeen = false;
    Finish(1, c.seconds);
    FrmSyuuryou* form = Open();
    EXPECT_EQ(L(form, "Label18")->text(), QString::fromUtf8(c.time));
    EXPECT_EQ(L(form, "Label19")->text(), QString::fromUtf8(c.points));
    EXPECT_EQ(L(form, "Label13")->text(), QString::fromUtf8(c.today));
    Close(form);
  }
}

TEST_F(Completion, ABestOfSchoolAndStudentShowsOnlyTheSchoolRecord) {
  Finish(1, 80);
  ASSERT_TRUE(state.NewPersonalBest);
  ASSERT_TRUE(state.NewSchoolBest);
  FrmSyuuryou* form = Open();
  EXPECT_EQ(L(form, "Label20")->text(), QStringLiteral("！！！最高新記録！！！"));
  EXPECT_EQ(Played(), Names{"最高1.wav"});
  EXPECT_FALSE(state.NewPersonalBest);
  EXPECT_FALSE(state.NewSchoolBest);
}

TEST_F(Completion, FailSoundOnlyAtOrBelowTheMinimumLineWithoutARecord) {
  AddRecord(1, 1, 20, today() - 10);
  Finish(1, 30);
  FrmSyuuryou* form = Open();
  EXPECT_FALSE(L(form, "Label20")->isVisible());
  EXPECT_EQ(Played(), Names{"fail1.wav"});
  Close(form);

  Finish(1, 31);
  form = Open();
  EXPECT_FALSE(L(form, "Label20")->isVisible());
  EXPECT_EQ(Played(), Names{"fail1.wav"});
}

TEST_F(Completion, ClearingTheLastLevelFirstTimeCongratulatesUntilTheFirstTick) {
  AddRecord(2, 3, 50, today() - 10);
  AddRecord(1, 3, 60, today());
  Finish(3, 60);
  ASSERT_FALSE(state.AlreadyQualified);
  FrmSyuuryou* form = Open();
  EXPECT_EQ(Played(), Names{"合格.wav"});
  EXPECT_TRUE(L(form, "Label2")->isVisible());
  EXPECT_EQ(L(form, "Label2")->text(), QStringLiteral("このレベルクリア"));
  auto* panel = Control<QWidget>(form, "Picture1");
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(L(form, "Label1")->text(), QStringLiteral("目標レベルクリア。おめでとう！"));

  form->Timer1_Timer();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(Control<QTimer>(form, "Timer1")->isActive());
  EXPECT_TRUE(B(form, "Command4")->isVisible());
  EXPECT_TRUE(B(form, "Command5")->isVisible());
  EXPECT_TRUE(L(form, "Label2")->isVisible());
}

TEST_F(Completion, ClearingTheLastLevelAgainNeitherCongratulatesNorOffersTheLabel) {
  for (int i = 0; i < 3; ++i) AddRecord(1, 3, 50, today());
  Finish(3, 60);
  ASSERT_TRUE(state.AlreadyQualified);
  FrmSyuuryou* form = Open();
  EXPECT_TRUE(Played().empty());
  EXPECT_FALSE(Control<QWidget>(form, "Picture1")->isVisible());
  EXPECT_TRUE(L(form, "Label2")->isVisible());

  // Overdoing the last level: the label goes, one more round stays.
  form->Timer1_Timer();
  EXPECT_FALSE(L(form, "Label2")->isVisible());
  EXPECT_TRUE(L(form, "Label2")->text().isEmpty());
  EXPECT_TRUE(B(form, "Command5")->isVisible());
}

TEST_F(Completion, AnOpenEndedLevelWithholdsTheCongratulationButNotThePassSound) {
  inst.WriteStandards(std::string(kStandards) + "120,30,20,9999,2,3,0,7,1,,,\r\n");
  LoadStandards(state);
  AddRecord(1, 3, 50, today());
  Finish(3, 60);
  FrmSyuuryou* form = Open();
  EXPECT_FALSE(Control<QWidget>(form, "Picture1")->isVisible());
  EXPECT_TRUE(L(form, "Label2")->isVisible());
  EXPECT_EQ(Played(), Names{"合格.wav"});
}

TEST_F(Completion, OverdoingAClearedLevelAdvisesTheNextLevelUntilTheLastIsCleared) {
  for (int i = 0; i < 2; ++i) AddRecord(1, 1, 50, today());
  Finish(1, 60);
  FrmSyuuryou* form = Open();
  form->Timer1_Timer();
  EXPECT_FALSE(B(form, "Command5")->isVisible());
  EXPECT_TRUE(B(form, "Command4")->isVisible());
  EXPECT_TRUE(L(form, "Label2")->isVisible());
  EXPECT_EQ(L(form, "Label2")->text(), QStringLiteral("次のレベルへ進みましょう"));
  Close(form);

  state.FinalLevelCleared = true;
  form = Open();
  form->Timer1_Timer();
  EXPECT_TRUE(B(form, "Command5")->isVisible());
  EXPECT_EQ(L(form, "Label2")->text(), QStringLiteral("このレベルクリア"));
}

TEST_F(Completion, MenuButtonAppearsFocusedAfterThePauseAndEnterReturnsToTheHub) {
  Finish(1, 60);
  FrmSyuuryou* form = Open();
  form->Timer1_Timer();
  QPushButton* menu = B(form, "Command4");
  EXPECT_TRUE(menu->hasFocus());
  Press(menu, Qt::Key_Return);
  EXPECT_FALSE(menu->isEnabled());
  DoEvents();
  EXPECT_TRUE(screens.IsLoaded<screens::seisekitime1>());
  EXPECT_FALSE(screens.IsLoaded<FrmSyuuryou>());
}

TEST_F(Completion, OneMoreRoundStartsADrillOfTheSameLevel) {
  Finish(2, 60);
  FrmSyuuryou* form = Open();
  form->Timer1_Timer();
  B(form, "Command5")->click();
  EXPECT_FALSE(B(form, "Command4")->isEnabled());
  DoEvents();
  EXPECT_TRUE(screens.IsLoaded<screens::Mainfrm>());
  EXPECT_FALSE(screens.IsLoaded<FrmSyuuryou>());
  EXPECT_EQ(state.SelectedLevel, 2);
}

TEST_F(Completion, BecomingActiveAgainKeepsTheMessageWithoutReplayingTheRecordSound) {
  AddRecord(1, 1, 100, today() - 10);
  AddRecord(2, 1, 50, today() - 10);
  Finish(1, 60);
  FrmSyuuryou* form = Open();
  form->Timer1_Timer();
  form->activate();
  EXPECT_EQ(Played(), Names{"pb1.wav"});
  EXPECT_EQ(L(form, "Label20")->text(), QStringLiteral("新記録おめでとう"));
  EXPECT_TRUE(Control<QTimer>(form, "Timer1")->isActive());
}

TEST_F(Completion, AFailingRecordSoundIsNotReportedAndLongNamesFit) {
  fakes.sound.failAlways = true;
  state.CurrentStudentName = "ながいながいなまえのおともだちさんです";
  Finish(1, 80);
  FrmSyuuryou* form = Open();
  EXPECT_EQ(Played(), Names{"最高1.wav"});
  EXPECT_TRUE(fakes.prompts.messages.empty());
  EXPECT_EQ(endCode, -1);
  EXPECT_EQ(state.SoundFailures, 0);
  for (QLabel* label : form->findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->contentsRect().width());
  }
}

}  // namespace
}  // namespace bardrill::testing
