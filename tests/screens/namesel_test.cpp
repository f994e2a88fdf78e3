#include "screens/namesel.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/setup/identity.h"
#include "screens/frmver.h"
#include "screens/line_list.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"

namespace bardrill::testing {
namespace {

using screens::LineList;
using screens::namesel;

class NameSelection : public ScreenTest {
 protected:
  NameSelection() {
    inst.WriteRoster(
        "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n"  // 小３ in 2004
        "2,1991,0,0,\"佐藤 花子\",0,\"\",\"\"\r\n"  // 中１
        "3,1999,0,0,\"鈴木 一郎\",2,\"\",\"\"\r\n"  // on leave
        "4,1960,0,0,\"先生\",0,\"\",\"\"\r\n");
    inst.WriteSoundMap("間違い音2\r\nrefuse\r\n*\r\n");
    LoadInstallation();
  }
  namesel* Open() {
    namesel* form = screens.Show<namesel>();
    DoEvents();
    return form;
  }
  QStringList Lines(namesel* form) {
    QStringList out;
    auto* list = Control<LineList>(form, "List1");
    for (int i = 0; i < list->count(); ++i) out << list->text(i);
    return out;
  }
  LineList* List(namesel* form) { return Control<LineList>(form, "List1"); }
  // Moves to `row` with the arrow keys, as a child does.
  void Choose(namesel* form, int row) {
    LineList* list = List(form);
    list->setFocus();
    Press(list, Qt::Key_Home);
    for (int i = 0; i < row; ++i) Press(list, Qt::Key_Down);
    ASSERT_EQ(list->currentRow(), row);
  }
  void DoubleClick(namesel* form, int row) {
    LineList* list = List(form);
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  }
  QString Chosen(namesel* form) { return Control<QLabel>(form, "Label1")->text(); }
};

TEST_F(NameSelection, FirstShowsTodaysAndTotalPointsWithBlanksInsteadOfZeros) {
  AddRecord(1, 1, 30, fakes.clock.today);      // 15 points today (target 60)
  AddRecord(1, 1, 60, fakes.clock.today - 3);  // 5 points earlier
  namesel* form = Open();
  EXPECT_GE(form->activationCount(), 1);
  EXPECT_TRUE(Control<QRadioButton>(form, "Option1(1)")->isChecked());
  EXPECT_EQ(Lines(form),
            (QStringList{QStringLiteral("－－－－－－"), QStringLiteral("大+ 先生　　　　  　/       "),
                         QStringLiteral("中1 佐藤 花子　  　/       "),
                         QStringLiteral("小3 山田 太郎　  11/     16")}));
  EXPECT_EQ(Control<QLabel>(form, "Label4")->text(), QStringLiteral("ソネタ"));
  EXPECT_EQ(Control<QLabel>(form, "Label1")->text(), QStringLiteral("名前を選びなさい"));
  EXPECT_EQ(Control<QComboBox>(form, "Combo1")->count(), 12);
  EXPECT_EQ(Control<QPushButton>(form, "Command7")->text(), QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"));
}

TEST_F(NameSelection, DisplayChoicesAndGradeFilterRebuildTheList) {
  AddRecord(1, 1, 30, fakes.clock.today);
  namesel* form = Open();
  Control<QRadioButton>(form, "Option1(0)")->click();
  EXPECT_EQ(form->displayChoice(), 0);
  EXPECT_EQ(Lines(form).at(3), QStringLiteral("小3 山田 太郎　  1回/    1回"));
  auto* combo = Control<QComboBox>(form, "Combo1");
  combo->setFocus();
  Press(combo, Qt::Key_Down);  // 全学年 -> 中学生全体
  ASSERT_EQ(combo->currentText(), QStringLiteral("中学生全体"));
  EXPECT_EQ(Lines(form),
            (QStringList{QStringLiteral("－－－－－－"), QStringLiteral("中1 佐藤 花子　     /     　")}));
  EXPECT_EQ(state.GradeFilter, "中学生全体");
}

TEST_F(NameSelection, OKWithoutANamePlaysTheRefusalSound) {
  namesel* form = Open();
  Control<QPushButton>(form, "Command14")->click();
  ASSERT_EQ(fakes.sound.played.size(), 1u);
  EXPECT_NE(fakes.sound.played[0].find("refuse.wav"), std::string::npos);
  EXPECT_FALSE(screens.IsLoaded<screens::seisekitime1>());
}

TEST_F(NameSelection, ChoosingANameAndPressingOneLogsInAndOpensTheHub) {
  fakes.clock.secondsSinceMidnight = 3600.6;
  namesel* form = Open();
  Choose(form, 3);
  EXPECT_EQ(Control<QLabel>(form, "Label1")->text(), QStringLiteral("小3 山田 太郎　"));
  EXPECT_EQ(Control<QLabel>(form, "Label2")->text(), QStringLiteral("1"));
  Type(List(form), QStringLiteral("1"));
  DoEvents();
  EXPECT_EQ(state.CurrentStudentNumber, 1);
  EXPECT_EQ(state.CurrentStudentName, "山田 太郎");
  EXPECT_EQ(state.CurrentStudentGrade, "小３");
  EXPECT_EQ(state.LoginTime, 3601);
  EXPECT_EQ(state.LevelCount, 3);
  EXPECT_TRUE(screens.IsLoaded<screens::seisekitime1>());
}

TEST_F(NameSelection, EnterInTheListConfirmsAndDoubleClickTakesTheTextBeforeTheSlash) {
  namesel* form = Open();
  DoubleClick(form, 2);
  // Only half-width blanks are trimmed: the full-width one that stands for "no points" stays.
  EXPECT_EQ(Control<QLabel>(form, "Label1")->text(), QStringLiteral("中1 佐藤 花子　  　"));
  DoEvents();  // the hub becomes active and closes this selection screen
  EXPECT_EQ(state.CurrentStudentNumber, 2);

  namesel* again = screens.Show<namesel>();
  DoEvents();
  Choose(again, 3);
  Press(List(again), Qt::Key_Return);
  EXPECT_EQ(state.CurrentStudentNumber, 1);
}

TEST_F(NameSelection, AChoiceThatTheGradeFilterHidesCannotBeLoggedIn) {
  namesel* form = Open();
  Choose(form, 3);
  ASSERT_EQ(Chosen(form), QStringLiteral("小3 山田 太郎　"));
  auto* combo = Control<QComboBox>(form, "Combo1");
  combo->setFocus();
  Press(combo, Qt::Key_Down);  // 中学生全体: 山田 is no longer listed
  EXPECT_EQ(Chosen(form), QStringLiteral("名前を選びなさい"));
  EXPECT_EQ(List(form)->currentRow(), 0);
  Control<QPushButton>(form, "Command14")->click();
  EXPECT_FALSE(screens.IsLoaded<screens::seisekitime1>());
  EXPECT_EQ(state.CurrentStudentNumber, 0);
  ASSERT_EQ(fakes.sound.played.size(), 1u);
  EXPECT_NE(fakes.sound.played[0].find("refuse.wav"), std::string::npos);

  Choose(form, 1);  // 佐藤, listed now: chosen afresh, logged in
  Control<QPushButton>(form, "Command14")->click();
  DoEvents();
  EXPECT_EQ(state.CurrentStudentNumber, 2);
}

TEST_F(NameSelection, AResultsFolderThatComesBackIsWaitedForUnderTheCover) {
  AddRecord(1, 1, 30, fakes.clock.today);
  const std::string data = inst.dataFolder(), away = inst.root() + "away";
  files::rename(data, away);
  int waits = 0;
  QTimer share;
  share.setInterval(0);
  QObject::connect(&share, &QTimer::timeout, [&] {
    if (!screens.pausing()) return;
    namesel* form = screens.Find<namesel>();
    EXPECT_TRUE(form && Control<QWidget>(form, "Picture5")->isVisible()) << "the cover hides the list";
    if (++waits == 2) files::rename(away, data);  // the share is back in the second wait
  });
  share.start();
  namesel* form = Open();
  share.stop();
  EXPECT_GE(waits, 2);
  EXPECT_EQ(endCode, -1);
  EXPECT_TRUE(fakes.prompts.messages.empty());
  EXPECT_EQ(Lines(form).at(3), QStringLiteral("小3 山田 太郎　  11/     11"))
      << "counted, never shown as zero";
  EXPECT_FALSE(Control<QWidget>(form, "Picture5")->isVisible());
}

TEST_F(NameSelection, AResultsFolderAwayForFourTriesEndsTheProgramNamingIt) {
  files::remove_all(inst.dataFolder());
  Open();
  EXPECT_EQ(endCode, 2);
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  const std::string& text = fakes.prompts.messages[0].text;
  EXPECT_NE(text.find("\nファイルがありません\n"), std::string::npos) << text;
  EXPECT_NE(text.find(inst.commonFolder() + "プログラム"), std::string::npos) << text;
  // Three waits of five seconds before the fourth try (the fake tick moves on at every reading).
  EXPECT_GE(fakes.clock.tick, 15000u);
  EXPECT_LT(fakes.clock.tick, 17000u);
}

TEST_F(NameSelection, ZeroStartsTheMenuProgramWith001AndEnds) {
  namesel* form = Open();
  Type(form, QStringLiteral("0"));
  ASSERT_EQ(fakes.launcher.started.size(), 1u);
  EXPECT_EQ(fakes.launcher.started[0].first,
            paths::Native(inst.root() + "プログラム/../起動/プログラムメニューc.exe"));
  EXPECT_EQ(fakes.launcher.started[0].second, "001");
  EXPECT_EQ(endCode, 0);
}

TEST_F(NameSelection, TheVersionScreenOpensFromTheTitleAndTheGradeBoxKeepsEachEntryOnce) {
  namesel* form = Open();
  form->Label4_Click();
  DoEvents();
  screens::frmver* version = screens.Find<screens::frmver>();
  ASSERT_NE(version, nullptr);
  version->activate();
  EXPECT_EQ(Control<QLabel>(version, "Label2")->text().left(7), QStringLiteral("Version"));
  EXPECT_EQ(version->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  version->Command1_Click();
  DoEvents();
  form->activate();
  EXPECT_EQ(Control<QComboBox>(form, "Combo1")->count(), 12);
}

}  // namespace
}  // namespace bardrill::testing
