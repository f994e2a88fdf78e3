#include "screens/frmtimedata.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/setup/identity.h"
#include "screens/line_list.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "support/temp_dir.h"

namespace bardrill::testing {
namespace {

using screens::FrmTimeData;
using screens::LineList;

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

// The teacher has given the password on the hub; the installation's standards have three levels.
class StandardsEditor : public ScreenTest {
 protected:
  StandardsEditor() {
    state.CurrentStudentNumber = 2;
    state.CurrentStudentName = state.StudentNames[2];
    BuildLevelCatalogue(state);
  }
  FrmTimeData* Open() {
    form = screens.Show<FrmTimeData>();
    DoEvents();
    original = ReadBytes(File());
    return form;
  }
  std::string File() const { return inst.dataFolder() + "タイム回数データ.txt"; }
  QTableWidget* Grid() { return Control<QTableWidget>(form, "MSFlexGrid1"); }
  QLineEdit* Box() { return Control<QLineEdit>(form, "Gridinputtext"); }
  QString Cell(int row, int column) { return Grid()->item(row, column)->text(); }
  QColor Colour(int row, int column) { return Grid()->item(row, column)->background().color(); }
  QString Line(const char* list, int row) { return Control<LineList>(form, list)->text(row); }
  void Click(const char* button) { Control<QPushButton>(form, button)->click(); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Box(), key, modifiers);
  }
  // Replaces the current cell's text as the teacher types it.
  void Enter(const QString& text) {
    Box()->selectAll();
    Type(Box(), text);
  }
  void ClickCell(int row, int column) {
    const QPoint at = Grid()->visualItemRect(Grid()->item(row, column)).center();
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, at);
  }

  FrmTimeData* form = nullptr;
  std::string original;
};

TEST_F(StandardsEditor, ShowsATitleRowAndOneRowPerLevelAndSavesThemUnchanged) {
  Open();
  ASSERT_EQ(Grid()->rowCount(), 4);
  EXPECT_EQ(form->lastRow(), 3);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("レベル"));
  EXPECT_EQ(Cell(0, 5), QStringLiteral("ﾎﾟｲﾝﾄ\n倍率")) << "two lines, broken between the words";
  EXPECT_EQ(Cell(0, 6), QStringLiteral("禁回")) << "one word stays whole";
  EXPECT_EQ(Cell(3, 0), QStringLiteral("3"));
  EXPECT_EQ(Cell(3, 5), QStringLiteral("1.5"));
  EXPECT_EQ(Box()->text(), QStringLiteral("60"));
  EXPECT_EQ(Box()->geometry(), Grid()->visualItemRect(Grid()->item(1, 1)));
  EXPECT_EQ(Control<QLabel>(form, "Label3")->text(),
            QStringLiteral("合格基準タイム\n　大部分の人ががんばったら出せそうなタイムにしてください"));
  EXPECT_EQ(Control<QLabel>(form, "Label2")->text(),
            QStringLiteral("成績の基準となるデータを変更できます。\nプログラムを選んでください。"));

  Click("Command3");
  EXPECT_EQ(ReadBytes(File()), original);
  EXPECT_TRUE(fakes.prompts.messages.empty());
}

TEST_F(StandardsEditor, TheCurrentCellIsFramedAsInASpreadsheetAndTheFrameFollowsTheKeys) {
  Open();
  // The frame's colour on the cell's left edge, as the grid is drawn.
  auto framed = [&](int row, int column) {
    const QRect cell = Grid()->visualItemRect(Grid()->item(row, column));
    const QImage drawn = Grid()->viewport()->grab().toImage();
    return drawn.pixelColor(cell.left(), cell.center().y()) == QColor(0, 90, 200);
  };
  EXPECT_TRUE(framed(1, 1));
  EXPECT_FALSE(framed(1, 2));
  Key(Qt::Key_Right);
  Key(Qt::Key_Down);
  EXPECT_TRUE(framed(2, 2));
  EXPECT_FALSE(framed(1, 1)) << "the frame left the cell it was on";
}

TEST_F(StandardsEditor, ArrowsStayInsideTheLevelsAndTheTwelveColumns) {
  Open();
  Key(Qt::Key_Up);
  Key(Qt::Key_Left);
  EXPECT_EQ(Grid()->currentRow(), 1);
  EXPECT_EQ(Grid()->currentColumn(), 1);
  for (int i = 0; i < 5; ++i) Key(Qt::Key_Down);
  for (int i = 0; i < 15; ++i) Key(Qt::Key_Right);
  EXPECT_EQ(Grid()->currentRow(), 3);
  EXPECT_EQ(Grid()->currentColumn(), 12);
  EXPECT_EQ(Control<QLabel>(form, "Label3")->text(), QString());
  Key(Qt::Key_Left);
  Key(Qt::Key_Left);
  Key(Qt::Key_Left);
  EXPECT_EQ(Box()->text(), QStringLiteral("1"));
  EXPECT_EQ(Control<QLabel>(form, "Label3")->text(),
            QStringLiteral("やりすぎ判定をする日数\n　何日前からのポイントを有効にするか"));
  EXPECT_EQ(Box()->geometry(), Grid()->visualItemRect(Grid()->item(3, 9)));

  ClickCell(2, 4);
  EXPECT_EQ(Box()->text(), QStringLiteral("10"));
  EXPECT_EQ(form->chartLevel(), 2);
  ClickCell(0, 7);  // a title is not a cell to edit
  EXPECT_EQ(Grid()->currentRow(), 2);
  EXPECT_EQ(Grid()->currentColumn(), 4);
  EXPECT_FALSE(form->changed());
}

TEST_F(StandardsEditor, ABlankClearsTheCellAndSavesAnEmptyItemThatReadsAsZero) {
  Open();
  Key(Qt::Key_Right);
  Type(Box(), QStringLiteral(" "));
  EXPECT_EQ(Box()->text(), QString());
  EXPECT_EQ(Cell(1, 2), QString());
  EXPECT_EQ(Colour(1, 2), kYellow);
  EXPECT_TRUE(form->changed());
  Key(Qt::Key_Left);
  Enter(QStringLiteral("75"));
  EXPECT_EQ(Cell(1, 1), QStringLiteral("75"));

  Click("Command3");
  EXPECT_FALSE(form->changed());
  EXPECT_EQ(Colour(1, 2), QColor(Qt::white));
  const std::string saved = ReadBytes(File());
  EXPECT_NE(saved.find("\r\n75,,100,10,1,10,200,7,1,,,\r\n90,"), std::string::npos) << saved;
  EXPECT_EQ(state.Standards[1].targetTime, 75) << "the new standards count at once";
  EXPECT_EQ(state.Standards[1].minimumTime, 0);
}

TEST_F(StandardsEditor, ShiftDownCopiesTheBoxDownTheColumnOneRowAtATime) {
  Open();
  Key(Qt::Key_Right);
  Enter(QStringLiteral("150"));
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Cell(2, 2), QStringLiteral("150"));
  EXPECT_EQ(Cell(3, 2), QStringLiteral("240"));
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);  // the last row is reached: nothing more
  EXPECT_EQ(Cell(3, 2), QStringLiteral("150"));
  EXPECT_EQ(Colour(3, 2), kYellow);
  EXPECT_EQ(Cell(3, 1), QStringLiteral("120")) << "only the current column";
  EXPECT_EQ(Grid()->currentRow(), 1);
  EXPECT_EQ(Box()->text(), QStringLiteral("150"));
}

TEST_F(StandardsEditor, LeavingWithEditsAsksEvenAfterARevertAndNoLeavesTheFile) {
  Open();
  Enter(QStringLiteral("99"));
  Click("Command2");
  EXPECT_EQ(Cell(1, 1), QStringLiteral("60")) << "the revert drops the edit";
  EXPECT_EQ(Colour(1, 1), QColor(Qt::white));
  EXPECT_EQ(Box()->text(), QStringLiteral("60"));
  Click("Command4");  // no answer scripted: "no"
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].title, "注意");
  EXPECT_EQ(fakes.prompts.messages[0].text, "データが変更されています。記録しますか？");
  EXPECT_EQ(ReadBytes(File()), original);
  EXPECT_FALSE(screens.IsLoaded<FrmTimeData>());
  EXPECT_TRUE(screens.IsLoaded<screens::seisekitime1>());
}

// Another PC saved standards while this editor was open: nothing of theirs is overwritten, the grid
// shows the file's values, and the teacher's edits stay on it, marked, to be saved again.
TEST_F(StandardsEditor, AnotherPCsSaveMeanwhileIsKeptAndTheEditsStayToRedo) {
  Open();
  AppState other = state;
  other.ResultsFileSeen = std::make_shared<std::atomic<bool>>(false);
  StandardsGrid theirs = ReadStandardsGrid(other);
  theirs[1][1] = "65";
  theirs[2][2] = "222";
  ASSERT_EQ(SaveStandards(other, StandardsRowsOf(theirs)), SaveOutcome::Saved);
  const std::string saved = ReadBytes(File());

  Enter(QStringLiteral("70"));
  ClickCell(3, 3);
  Enter(QStringLiteral("5"));
  Click("Command3");
  EXPECT_EQ(ReadBytes(File()), saved);
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  const std::string& told = fakes.prompts.messages[0].text;
  EXPECT_NE(told.find("ほかのパソコンが基準データを記録していた"), std::string::npos) << told;
  EXPECT_NE(told.find("レベル1の目標Time：ほかのパソコンの値「65」、こちらの値「70」"), std::string::npos)
      << told;
  EXPECT_EQ(told.find("元のまま"), std::string::npos) << told;
  EXPECT_EQ(Cell(2, 2), QStringLiteral("222")) << "the file's values are shown";
  EXPECT_NE(Colour(2, 2), kYellow);
  EXPECT_EQ(Cell(1, 1), QStringLiteral("70"));
  EXPECT_EQ(Colour(1, 1), kYellow);
  EXPECT_EQ(Cell(3, 3), QStringLiteral("5"));
  EXPECT_EQ(Colour(3, 3), kYellow);
  EXPECT_TRUE(form->changed());

  Click("Command3");
  EXPECT_EQ(fakes.prompts.messages.size(), 1u);
  const StandardsGrid now = ReadStandardsGrid(state);
  EXPECT_EQ(now[1][1], "70");
  EXPECT_EQ(now[2][2], "222");
  EXPECT_EQ(now[3][3], "5");
  EXPECT_FALSE(form->changed());
}

TEST_F(StandardsEditor, YesOnLeavingSavesTheEdits) {
  Open();
  Enter(QStringLiteral("70"));
  fakes.prompts.answers = {true};
  Click("Command4");
  EXPECT_EQ(state.Standards[1].targetTime, 70);
  EXPECT_EQ(ReadBytes(File()).find("\r\n60,120,"), std::string::npos);
  EXPECT_TRUE(screens.IsLoaded<screens::seisekitime1>());
}

TEST_F(StandardsEditor, ChartsFollowTheCursorFromTheRecordsReadOnOpeningAndAfterASave) {
  AddRecord(7, 1, 45, fakes.clock.today);
  AddRecord(7, 1, 38, fakes.clock.today);
  AddRecord(1, 2, 5000, fakes.clock.today);
  Open();
  EXPECT_EQ(Line("List3", 0), QStringLiteral("レベル1 今まで2回  （★=1）"));
  EXPECT_EQ(Line("List3", 4), QStringLiteral("  30～★"));
  EXPECT_EQ(Line("List3", 5), QStringLiteral("  40～★"));
  EXPECT_EQ(Line("List4", 0), QStringLiteral("レベル1 （★=1）"));
  EXPECT_EQ(Line("List4", 4), QStringLiteral("  30～★"));
  EXPECT_EQ(Line("List4", 5), QStringLiteral("  40～"));
  Key(Qt::Key_Down);
  EXPECT_EQ(Line("List3", 101), QStringLiteral("1000～★"));
  EXPECT_EQ(Line("List4", 31), QStringLiteral(" 300～★"));

  AddRecord(1, 2, 0, fakes.clock.today);
  Key(Qt::Key_Up);
  Key(Qt::Key_Down);
  EXPECT_EQ(Line("List3", 0), QStringLiteral("レベル2 今まで1回  （★=1）")) << "moves do not read the file";
  Click("Command3");
  EXPECT_EQ(Line("List3", 0), QStringLiteral("レベル2 今まで2回  （★=1）"));
}

TEST_F(StandardsEditor, TextThatIsNoNumberIsRefusedByLevelAndColumnAndNothingIsSaved) {
  Open();
  Key(Qt::Key_Down);
  Enter(QStringLiteral("６０"));
  Key(Qt::Key_Down);
  Key(Qt::Key_Right);
  Enter(QStringLiteral("60秒"));
  Click("Command3");
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  const std::string& text = fakes.prompts.messages[0].text;
  EXPECT_NE(text.find("レベル2の「目標Time」：「６０」"), std::string::npos) << text;
  EXPECT_NE(text.find("レベル3の「最低Time」：「60秒」"), std::string::npos) << text;
  EXPECT_EQ(Colour(2, 1), kRed);
  EXPECT_EQ(ReadBytes(File()), original);
  EXPECT_EQ(state.Standards[2].targetTime, 90);
  EXPECT_TRUE(form->changed());

  // A comma in a spare column passes the check but could not be read back: the save refuses it.
  Enter(QStringLiteral("240"));
  Key(Qt::Key_Up);
  Key(Qt::Key_Left);
  Enter(QStringLiteral("90"));
  for (int i = 0; i < 9; ++i) Key(Qt::Key_Right);
  Enter(QStringLiteral("a,b"));
  Click("Command3");
  ASSERT_EQ(fakes.prompts.messages.size(), 2u);
  EXPECT_NE(fakes.prompts.messages[1].text.find("レベル2の行"), std::string::npos);
  EXPECT_NE(fakes.prompts.messages[1].text.find("column 10"), std::string::npos);
  EXPECT_EQ(ReadBytes(File()), original);
  EXPECT_EQ(Cell(2, 10), QStringLiteral("a,b")) << "what the teacher typed stays";
}

TEST_F(StandardsEditor, ComingBackFromAnotherWindowKeepsTheEdits) {
  Open();
  Enter(QStringLiteral("55"));
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(form, &activate);
  EXPECT_EQ(Cell(1, 1), QStringLiteral("55"));
  EXPECT_TRUE(form->changed());
}

TEST_F(StandardsEditor, AStandardsFileThatCannotBeReadEndsTheProgramWithItsLine) {
  inst.WriteStandards("目標Time\r\n60,120\r\n");
  Open();
  EXPECT_EQ(endCode, 2);
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_NE(fakes.prompts.messages[0].text.find("line 2"), std::string::npos);
}

}  // namespace
}  // namespace bardrill::testing
