#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "core/results/results_file.h"
#include "core/setup/identity.h"
#include "screens/frmdata.h"
#include "screens/frmtimedata.h"
#include "screens/line_list.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "screens/widgets.h"
#include "support/fakes.h"
#include "support/unwritable.h"

namespace bardrill::testing {
namespace {

using screens::LineList;
using screens::seisekitime1;

QStringList Lines(LineList* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->text(i);
  return lines;
}

class Hub : public ScreenTest {
 protected:
  void LogIn(int student) {
    state.LoginTime = static_cast<int32_t>(fakes.clock.secondsSinceMidnight) - 300;
    LogInAs(student);
  }
  seisekitime1* Open() {
    seisekitime1* hub = screens.Show<seisekitime1>();
    DoEvents();
    return hub;
  }
  QString Text(QWidget* form, const QString& name) { return Control<QLabel>(form, name)->text(); }
  QPushButton* Button(QWidget* form, const QString& name) { return Control<QPushButton>(form, name); }
  LineList* List(QWidget* form, int level) {
    return Control<LineList>(form, QStringLiteral("List5(%1)").arg(level));
  }
  void UseSchoolOfFour() {
    inst.WriteRoster(
        "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"先生\",0,\"\",\"\"\r\n"
        "3,1995,0,0,\"佐藤 花子\",0,\"\",\"\"\r\n4,1992,0,0,\"鈴木\",0,\"\",\"\"\r\n");
    LoadInstallation();
    // Level 1 pays 26 points for 15 s, 11 for 30 s.
    AddRecord(4, 1, 15, kToday - 2);
    AddRecord(4, 1, 15, kToday - 2);
    AddRecord(3, 1, 15, kToday);
    AddRecord(1, 1, 30, kToday);
    AddRecord(1, 1, 30, kToday - 2);
  }
};

TEST_F(Hub, ReplacesTheSelectionScreenAndShowsTheStudentsFiguresPerLevel) {
  screens.Show<screens::namesel>();
  DoEvents();
  AddRecord(1, 1, 30, kToday);
  AddRecord(1, 1, 30, kToday);
  AddRecord(1, 1, 30, kToday - 2);
  AddRecord(1, 1, 30, kToday - 20);
  LogIn(1);
  seisekitime1* hub = Open();

  EXPECT_FALSE(screens.IsLoaded<screens::namesel>());
  EXPECT_EQ(hub->hubReady(), 1);
  EXPECT_EQ(Text(hub, "Label11"), QStringLiteral("ソネタ"));
  EXPECT_EQ(Text(hub, "Label12"), QStringLiteral("山田 太郎 小３"));
  EXPECT_EQ(Text(hub, "Label13"), QStringLiteral("1:テスト塾"));
  EXPECT_EQ(Text(hub, "Label17"), QStringLiteral("起動後5分"));
  EXPECT_EQ(Text(hub, "Label18"), QStringLiteral("本日総回数＝2回"));

  EXPECT_EQ(Text(hub, "Label3(2)"), QStringLiteral("レベル２"));
  EXPECT_EQ(Control<QLabel>(hub, "Label3(3)")->toolTip(), QStringLiteral("混合"));
  EXPECT_EQ(Text(hub, "Label7(3)"), QStringLiteral("目標=120秒 15回/150点(×1.5)"));
  EXPECT_EQ(Text(hub, "Label8(1)"), QStringLiteral("最近7日=3回 / 33点"));
  EXPECT_EQ(Control<QLabel>(hub, "Label8(1)")->palette().color(QPalette::Window), QColor(224, 224, 224));
  EXPECT_EQ(Text(hub, "Label14(1)"), QStringLiteral("2回/22点"));
  EXPECT_EQ(Text(hub, "Label15(1)"), QStringLiteral("4回/44点"));
  EXPECT_EQ(Text(hub, "Label14(2)"), QStringLiteral("-----"));
  EXPECT_EQ(Text(hub, "Label15(2)"), QStringLiteral("------"));
  for (int i = 1; i <= 3; ++i) {
    QPushButton* start = Button(hub, QStringLiteral("Command4(%1)").arg(i));
    EXPECT_EQ(start->text(), QStringLiteral("ｽﾀｰﾄ(&%1)").arg(i));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_TRUE(Control<QLineEdit>(hub, QStringLiteral("Text1(%1)").arg(i))->isHidden());
  }
  EXPECT_EQ(hub->findChild<QWidget*>("Command4(4)"), nullptr);
  EXPECT_TRUE(Control<QWidget>(hub, "Picture2")->isHidden());

  // Three columns share the list area; no scrolling.
  EXPECT_TRUE(Control<QScrollBar>(hub, "HScroll1")->isHidden());
  EXPECT_EQ(Button(hub, "Command4(2)")->mapTo(hub, QPoint()).x() -
                Button(hub, "Command4(1)")->mapTo(hub, QPoint()).x(),
            screens::PixelsFromTwips(seisekitime1::kListAreaWidthTwips / 3));

  for (const char* choice : {"Option2(0)", "Option2(2)", "Option1(3)"})
    EXPECT_TRUE(Control<QWidget>(hub, choice)->isEnabled()) << choice;
  EXPECT_TRUE(Control<QComboBox>(hub, "Combo2")->isHidden());
  EXPECT_TRUE(Button(hub, "Command17")->isHidden());
}

TEST_F(Hub, AKeyStartsItsLevelOnceTheHubIsReadyAndOnlyOnce) {
  LogIn(1);
  QPointer<seisekitime1> hub = screens.Load<seisekitime1>();
  Type(hub, QStringLiteral("1"));
  EXPECT_EQ(state.SelectedLevel, 0) << "keys work only once the hub is ready";

  screens.Show<seisekitime1>();
  DoEvents();
  Type(hub, QStringLiteral("4Aa"));
  EXPECT_EQ(state.SelectedLevel, 0) << "no fourth level; upper case is no shortcut";
  EXPECT_FALSE(screens.IsLoaded<screens::Mainfrm>());

  Type(hub, QStringLiteral("2"));
  EXPECT_EQ(state.SelectedLevel, 2);
  EXPECT_TRUE(screens.IsLoaded<screens::Mainfrm>());
  EXPECT_EQ(hub->hubReady(), 0);
  EXPECT_FALSE(Control<QWidget>(hub, "Picture2")->isHidden());
  // A second key before the drill has taken over starts nothing more.
  Type(hub, QStringLiteral("1"));
  EXPECT_EQ(state.SelectedLevel, 2);
}

TEST_F(Hub, ThirteenLevelsScrollAndTheLetterKeysReachThem) {
  LogIn(1);
  state.LevelCount = 13;
  seisekitime1* hub = Open();
  auto* scroll = Control<QScrollBar>(hub, "HScroll1");
  EXPECT_FALSE(scroll->isHidden());
  EXPECT_EQ(scroll->maximum(), 10);
  EXPECT_EQ(hub->levelColumnWidth(), seisekitime1::kScrolledColumnTwips);

  // "レベル２練習" is level 4: a practice level shows only its number, name and start button.
  EXPECT_FALSE(Control<QWidget>(hub, "Label7(4)")->isVisible());
  EXPECT_FALSE(List(hub, 4)->isVisible());
  EXPECT_FALSE(Control<QWidget>(hub, "Label15(4)")->isVisible());
  EXPECT_TRUE(List(hub, 5)->isVisible());
  EXPECT_TRUE(Button(hub, "Command4(4)")->isVisible());
  EXPECT_TRUE(Button(hub, "Command4(4)")->isEnabled());
  EXPECT_EQ(state.Standards[4].targetTime, 600);
  EXPECT_EQ(state.Standards[4].minimumTime, 600);

  const int firstColumnX = Button(hub, "Command4(1)")->mapTo(hub, QPoint()).x();
  scroll->setValue(3);
  EXPECT_EQ(state.ScrollPosition, 3);
  EXPECT_EQ(Button(hub, "Command4(3)")->mapTo(hub, QPoint()).x(), firstColumnX);
  EXPECT_EQ(Button(hub, "Command4(4)")->mapTo(hub, QPoint()).x() - firstColumnX,
            screens::PixelsFromTwips(seisekitime1::kScrolledColumnTwips));
  EXPECT_GE(Button(hub, "Command4(2)")->mapTo(hub, QPoint()).x(), hub->width());

  Type(hub, QStringLiteral("D"));
  EXPECT_EQ(state.SelectedLevel, 0);
  Type(hub, QStringLiteral("d"));
  EXPECT_EQ(state.SelectedLevel, 13);
}

TEST_F(Hub, ClickingALevelNameStartsItAndClosesTheHub) {
  LogIn(1);
  seisekitime1* hub = Open();
  QTest::mouseClick(Control<QWidget>(hub, "Label3(3)"), Qt::LeftButton);
  EXPECT_EQ(state.SelectedLevel, 3);
  EXPECT_TRUE(screens.IsLoaded<screens::Mainfrm>());
  EXPECT_FALSE(screens.IsLoaded<seisekitime1>());
}

TEST_F(Hub, OverdoingBansALevelUntilTheLastLevelIsCleared) {
  for (int k = 0; k < 10; ++k) AddRecord(1, 1, 30, kToday);
  LogIn(1);
  seisekitime1* hub = Open();
  auto* notice = Control<QLineEdit>(hub, "Text1(1)");
  EXPECT_FALSE(Button(hub, "Command4(1)")->isEnabled());
  EXPECT_TRUE(notice->isVisible());
  EXPECT_EQ(notice->text(), QStringLiteral("やりすぎ禁止"));
  EXPECT_TRUE(notice->isReadOnly());
  EXPECT_TRUE(Button(hub, "Command4(2)")->isEnabled());
  EXPECT_TRUE(Control<QWidget>(hub, "Text1(2)")->isHidden());
  EXPECT_FALSE(state.FinalLevelCleared);
  Type(hub, QStringLiteral("1"));
  EXPECT_EQ(state.SelectedLevel, 0);
  QTest::mouseClick(Control<QWidget>(hub, "Label3(1)"), Qt::LeftButton);
  EXPECT_EQ(state.SelectedLevel, 0);

  // Fifteen drills of 39 points each meet the last level's targets; the hub recounts when it comes back.
  for (int k = 0; k < 15; ++k) AddRecord(1, 3, 30, kToday);
  hub->activate();
  EXPECT_TRUE(state.FinalLevelCleared);
  EXPECT_TRUE(Button(hub, "Command4(1)")->isEnabled());
  EXPECT_TRUE(notice->isHidden());
  EXPECT_TRUE(Button(hub, "Command4(3)")->isEnabled()) << "the last column is never banned";
}

TEST_F(Hub, TeacherButtonsOnlyForTeachers) {
  LogIn(1);
  seisekitime1* hub = Open();
  EXPECT_TRUE(Button(hub, "Command8")->isHidden());
  EXPECT_TRUE(Button(hub, "Command24(1)")->isHidden());
  EXPECT_TRUE(Button(hub, "Command27")->isHidden());

  Control<QRadioButton>(hub, "Option2(2)")->click();
  EXPECT_FALSE(Button(hub, "Command24(0)")->isHidden());
  EXPECT_TRUE(Button(hub, "Command24(1)")->isHidden()) << "printing the charts is for teachers";
  for (const char* teacher : {"先生", "★花子"}) {
    state.CurrentStudentName = teacher;
    hub->activate();
    EXPECT_FALSE(Button(hub, "Command8")->isHidden()) << teacher;
    Control<QRadioButton>(hub, "Option2(2)")->click();
    EXPECT_FALSE(Button(hub, "Command24(1)")->isHidden()) << teacher;
    EXPECT_TRUE(Button(hub, "Command27")->isHidden()) << "this program offers no print-everything";
  }
}

TEST_F(Hub, TeacherPanelRefusesAWrongPasswordAndHidesWhatIsTyped) {
  LogIn(2);
  seisekitime1* hub = Open();
  QWidget* panel = Control<QWidget>(hub, "Picture7");
  EXPECT_TRUE(panel->isHidden());
  Button(hub, "Command8")->click();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(Text(hub, "Label28"), QStringLiteral("データ変更パスワード"));
  EXPECT_EQ(Button(hub, "Command10(0)")->text(), QStringLiteral("データ変更"));
  EXPECT_EQ(Button(hub, "Command10(1)")->text(), QStringLiteral("合格タイムデータ変更"));

  auto* box = Control<QLineEdit>(hub, "Text3");
  Type(box, QStringLiteral("1ab"));
  EXPECT_EQ(state.SelectedLevel, 0) << "digits typed into the password box start no level";
  EXPECT_EQ(box->text(), QStringLiteral("1ab"));
  EXPECT_EQ(box->echoMode(), QLineEdit::Password);
  EXPECT_FALSE(box->displayText().contains(QStringLiteral("1ab")));

  Button(hub, "Command10(0)")->click();
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].text, "パスワードを入力して下さい");
  EXPECT_TRUE(panel->isVisible());

  // A school without a password does not open the maintenance to an empty box.
  state.TeacherPassword.clear();
  box->clear();
  Button(hub, "Command10(0)")->click();
  EXPECT_EQ(fakes.prompts.messages.size(), 2u);

  Button(hub, "Command12")->click();
  EXPECT_TRUE(panel->isHidden());
  Type(hub, QStringLiteral("1"));
  EXPECT_EQ(state.SelectedLevel, 1);
}

// The password opens each maintenance screen in place of the hub; back on the hub, a saved standard
// shows at once.
TEST_F(Hub, TheRightPasswordOpensEachMaintenanceScreenAndTheHubShowsTheirEffect) {
  LogIn(2);
  seisekitime1* hub = Open();
  auto openWith = [&](seisekitime1* from, const char* button) {
    Button(from, "Command8")->click();
    Type(Control<QLineEdit>(from, "Text3"), QStringLiteral("pass"));
    Button(from, QString::fromLatin1(button))->click();
    DoEvents();
  };
  openWith(hub, "Command10(1)");
  auto* editor = screens.Find<screens::FrmTimeData>();
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(screens.IsLoaded<seisekitime1>());
  auto* cell = Control<QLineEdit>(editor, "Gridinputtext");
  cell->selectAll();
  Type(cell, QStringLiteral("99"));  // level 1's target time
  Button(editor, "Command3")->click();
  Button(editor, "Command4")->click();
  DoEvents();
  hub = screens.Find<seisekitime1>();
  ASSERT_NE(hub, nullptr);
  EXPECT_TRUE(Text(hub, "Label7(1)").startsWith(QStringLiteral("目標=99秒")))
      << Text(hub, "Label7(1)").toStdString();

  openWith(hub, "Command10(0)");
  auto* records = screens.Find<screens::FrmData>();
  ASSERT_NE(records, nullptr);
  EXPECT_FALSE(screens.IsLoaded<seisekitime1>());
  Button(records, "Command4")->click();
  DoEvents();
  EXPECT_TRUE(screens.IsLoaded<seisekitime1>());
  EXPECT_FALSE(screens.IsLoaded<screens::FrmData>());
  EXPECT_TRUE(fakes.prompts.messages.empty());
}

TEST_F(Hub, ListsRankEveryStudentByCumulativeOrTodaysPoints) {
  UseSchoolOfFour();
  LogIn(1);
  seisekitime1* hub = Open();
  EXPECT_EQ(hub->displayMode(), DisplayModes::Points);
  EXPECT_EQ(hub->pointRankMode(), PointRankModes::Cumulative);
  EXPECT_EQ(Control<QRadioButton>(hub, "Option1(1)")->text(), QStringLiteral("累計順"));
  EXPECT_EQ(Control<QRadioButton>(hub, "Option1(2)")->text(), QStringLiteral("本日順"));
  EXPECT_EQ(Text(hub, "Label5"), QStringLiteral("獲得ポイント（今まで順位）"));
  LineList* list = List(hub, 1);
  EXPECT_EQ(Lines(list), QStringList({" 1⑥鈴木　　　  0/   52", " 2③佐藤 花子 26/   26",
                                      " 3●山田 太郎 11/   22", " 4②先生　　　  0/    0"}));
  EXPECT_TRUE(list->selectedRows().empty());
  EXPECT_EQ(list->font().family(), screens::FixedFont(12).family());

  Control<QRadioButton>(hub, "Option1(2)")->click();
  EXPECT_EQ(hub->pointRankMode(), PointRankModes::Today);
  EXPECT_EQ(Text(hub, "Label5"), QStringLiteral("獲得ポイント（今日の順位）"));
  EXPECT_EQ(Lines(list), QStringList({" 1③佐藤 花子 26/   26", " 2●山田 太郎 11/   22"}));
  EXPECT_EQ(List(hub, 2)->count(), 0);
  EXPECT_TRUE(Button(hub, "Command4(1)")->isEnabled());
  EXPECT_TRUE(Button(hub, "Command1")->isEnabled());
  EXPECT_TRUE(Control<QWidget>(hub, "Picture6")->isHidden());

  Control<QRadioButton>(hub, "Option1(1)")->click();
  EXPECT_EQ(Lines(list).size(), 4);
}

TEST_F(Hub, GradeFilterListsThatGradeWithSchoolWideRanks) {
  UseSchoolOfFour();
  state.GradeFilter = "小３";
  LogIn(1);
  seisekitime1* hub = Open();
  auto* grades = Control<QComboBox>(hub, "Combo1");
  EXPECT_EQ(grades->count(), 12);
  EXPECT_EQ(grades->currentText(), QStringLiteral("小３")) << "starts with the selection screen's choice";
  EXPECT_EQ(Lines(List(hub, 1)), QStringList({" 2③佐藤 花子 26/   26", " 3●山田 太郎 11/   22"}));

  // "成績表示" ranks its own level again, with the grade box as it stands.
  grades->setCurrentText(QStringLiteral("小６"));
  Button(hub, "Command3(2)")->click();
  EXPECT_EQ(Lines(List(hub, 2)), QStringList({" 1⑥鈴木　　　  0/    0"}));
  EXPECT_EQ(List(hub, 1)->count(), 2);

  grades->setFocus();
  Press(grades, Qt::Key_Home);  // 全学年, chosen from the keyboard
  EXPECT_EQ(List(hub, 1)->count(), 4);
  EXPECT_EQ(Control<QRadioButton>(hub, "Option1(1)")->text(), QStringLiteral("合計累計"));
  EXPECT_EQ(Control<QRadioButton>(hub, "Option1(2)")->text(), QStringLiteral("合計本日"));
  EXPECT_EQ(hub->focusWidget(), Button(hub, "Command4(1)"));
}

TEST_F(Hub, ALargeSchoolIsRankedWholeWithTheOwnLineInView) {
  std::string roster;
  for (int n = 1; n <= 2100; ++n) {
    roster += std::to_string(n) + ",1995,0,0,\"生徒" + std::to_string(n) + "\",0,\"\",\"\"\r\n";
  }
  inst.WriteRoster(roster);
  LoadInstallation();
  LogIn(2100);
  seisekitime1* hub = Open();
  LineList* list = List(hub, 1);
  ASSERT_EQ(list->count(), 2100);
  EXPECT_TRUE(list->text(2099).contains(QStringLiteral("●")));
  EXPECT_GT(list->verticalScrollBar()->value(), 0);
  EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(list->model()->index(2099, 0))));
  EXPECT_TRUE(list->selectedRows().empty());
}

TEST_F(Hub, LongNamesFitTheirLabels) {
  inst.WriteCommonData(
      "4\r\n\"01234とてもながいなまえのがくしゅうじゅく本校\"\r\n0\r\n0\r\n0\r\n\"pass\"\r\n0\r\n0\r\n0\r\n0"
      "\r\n");
  LoadInstallation();
  LogIn(1);
  state.CurrentStudentName = "ながいながいなまえのおともだちさんです";
  state.LevelCount = 13;
  seisekitime1* hub = Open();
  for (QLabel* label : hub->findChildren<QLabel*>()) {
    if (label->text().isEmpty() || !label->isVisible()) continue;
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->contentsRect().width());
  }
}

// A drill that could not be saved would be lost: the hub says so and starts none.
TEST_F(Hub, AResultsFileThatCannotBeWrittenKeepsEveryStartButtonDisabled) {
  AddRecord(1, 1, 30, kToday);
  files::permissions(inst.root(), files::perms::all);
  seisekitime1* hub = nullptr;
  {
    Unwritable results(ResultsPath(state));
    if (!results.unsupported().empty()) GTEST_SKIP() << results.unsupported();
    LogIn(1);
    hub = Open();
    Type(hub, QStringLiteral("1"));
    Control<QRadioButton>(hub, "Option1(2)")->click();
  }
  for (int i = 1; i <= 3; ++i)
    EXPECT_FALSE(Button(hub, QStringLiteral("Command4(%1)").arg(i))->isEnabled()) << i;
  EXPECT_FALSE(screens.IsLoaded<screens::Mainfrm>());
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].title, "成績を記録できません");
  EXPECT_NE(fakes.prompts.messages[0].text.find(ResultsPath(state)), std::string::npos);
  EXPECT_EQ(Lines(List(hub, 1)).size(), 1) << "the records are read all the same";
}

TEST_F(Hub, ZeroGoesBackToTheSelectionScreen) {
  LogIn(1);
  seisekitime1* hub = Open();
  Type(hub, QStringLiteral("0"));
  DoEvents();
  EXPECT_TRUE(screens.IsLoaded<screens::namesel>());
  EXPECT_FALSE(screens.IsLoaded<seisekitime1>()) << "the selection screen closes the hub when it activates";
  EXPECT_FALSE(screens.IsLoaded<screens::Mainfrm>());
}

}  // namespace
}  // namespace bardrill::testing
