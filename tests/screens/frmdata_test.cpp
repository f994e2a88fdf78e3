#include "screens/frmdata.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "core/results/results_file.h"
#include "core/setup/identity.h"
#include "screens/line_list.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "support/fakes.h"
#include "support/pdf_tools.h"
#include "support/temp_dir.h"

namespace bardrill::testing {
namespace {

using screens::FrmData;
using screens::LineList;

// Without blanks, full-width ones too: the text read back from a PDF spaces words by their place.
QString Squeezed(QString text) {
  text.removeIf([](QChar c) { return c.isSpace(); });
  return text;
}

// Three students on the roster; the school is "テスト塾".
class RecordsScreen : public ScreenTest {
 protected:
  RecordsScreen() {
    inst.WriteRoster(
        "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"先生\",0,\"\",\"\"\r\n"
        "3,1993,0,0,\"佐藤 花子\",0,\"\",\"\"\r\n");
    LoadInstallation();
  }
  void Add(const ResultRecord& record) { records.push_back(record.Encode()); }
  void AddThree() {
    Add(MakeNewRecord(kToday, 0.5, 1, 1, 30, state.SchoolCode));
    ResultRecord second = MakeNewRecord(kToday - 1, 0.25, 2, 2, 80, state.SchoolCode);
    second.points = MakeTextField("12");  // fields a rewrite must hand back as they were
    second.reserved2 = MakeTextField("abc");
    Add(second);
    Add(MakeNewRecord(kToday, 0.75, 3, 1, 50, "99999"));
  }
  void WriteFile() {
    std::string bytes;
    for (const RecordBytes& r : records) bytes.append(r.begin(), r.end());
    WriteBytes(ResultsPath(state), bytes);
  }
  FrmData* Open() {
    WriteFile();
    form = screens.Show<FrmData>();
    DoEvents();
    return form;
  }
  std::vector<RecordBytes> OnDisk() {
    std::vector<RecordBytes> out;
    ResultsFile(ResultsPath(state)).ReadFrom(1, [&](int64_t, const RecordBytes& b) { out.push_back(b); });
    return out;
  }
  LineList* List() { return Control<LineList>(form, "List1"); }
  QLineEdit* Time() { return Control<QLineEdit>(form, "Text1(1)"); }
  QComboBox* Student() { return Control<QComboBox>(form, "Combo1"); }
  QWidget* Panel() { return Control<QWidget>(form, "Picture3"); }
  QString Text(const char* label) { return Control<QLabel>(form, QString::fromUtf8(label))->text(); }
  void DoubleClick(int row) {
    const QPoint at = List()->visualRect(List()->model()->index(row, 0)).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
    Settle();
  }
  void Click(const char* button) {
    Control<QPushButton>(form, QString::fromLatin1(button))->click();
    Settle();
  }
  void TypeTime(const QString& text) {
    Time()->setFocus();
    Time()->selectAll();
    Type(Time(), text);
  }

  std::vector<RecordBytes> records;
  FrmData* form = nullptr;
};

TEST_F(RecordsScreen, ListsEveryRecordNumberedWithTheCountAndOtherSchoolsMarked) {
  AddThree();
  Open();
  EXPECT_EQ(Text("Label3"), QStringLiteral("総レコード数:3"));
  ASSERT_EQ(List()->count(), 3);
  EXPECT_EQ(List()->text(0),
            QStringLiteral("   1 2004/05/07　 12:00:00ﾚﾍﾞﾙ1　   30秒 　   1 山田 太郎　 小３++テスト塾"));
  EXPECT_TRUE(List()->text(1).startsWith(QStringLiteral("   2 2004/05/06　 06:00:00ﾚﾍﾞﾙ2")));
  EXPECT_TRUE(List()->text(2).endsWith(QStringLiteral("++他塾")));
  EXPECT_TRUE(Panel()->isHidden());
  EXPECT_TRUE(Control<QWidget>(form, "Picture6")->isHidden()) << "the cover is gone once the list is read";
  EXPECT_EQ(Control<QScrollBar>(form, "VScroll1")->maximum(), 99999);
}

TEST_F(RecordsScreen, RewritingRecordTwosTimeLeavesEveryOtherByteAsItWas) {
  AddThree();
  Open();
  DoubleClick(1);
  ASSERT_TRUE(Panel()->isVisible());
  EXPECT_EQ(Text("Label1"), "2");
  EXPECT_EQ(Text("Label2(1)"), QStringLiteral("2ﾚﾍﾞﾙ"));
  EXPECT_EQ(Text("Label2(2)"), QStringLiteral("2004/05/06"));
  EXPECT_EQ(Text("Label2(4)"), QStringLiteral("小２"));
  EXPECT_EQ(Student()->currentText(), QStringLiteral("2 /  先生"));
  EXPECT_EQ(Time()->text(), "80");

  for (const auto& [typed, stored] : {std::pair{"45", 45}, {"45.5", 46}, {"44.5", 44}}) {
    TypeTime(QString::fromLatin1(typed));
    Click("Command2");
    std::vector<RecordBytes> after = OnDisk();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], records[0]);
    EXPECT_EQ(after[2], records[2]);
    ResultRecord expected = ResultRecord::Decode(records[1]);
    expected.seconds = stored;
    EXPECT_EQ(after[1], expected.Encode()) << typed;
    EXPECT_EQ(List()->currentRow(), 1);
    EXPECT_TRUE(List()->text(1).contains(QStringLiteral("   %1秒").arg(stored)));
  }
  EXPECT_TRUE(fakes.prompts.messages.empty());
}

TEST_F(RecordsScreen, ABadTimeOrAStudentOffTheRosterIsRefusedAndNothingIsWritten) {
  AddThree();
  Open();
  DoubleClick(0);
  for (const char* typed : {"abc", ""}) {
    TypeTime(QString::fromLatin1(typed));
    if (!*typed) Press(Time(), Qt::Key_Backspace);
    Click("Command2");
    ASSERT_FALSE(fakes.prompts.messages.empty()) << typed;
    const std::string said = fakes.prompts.messages.back().text;
    EXPECT_NE(said.find(*typed ? std::string("「") + typed + "」" : "入っていません"), std::string::npos)
        << said;
    EXPECT_TRUE(Time()->hasFocus());
  }
  TypeTime("40");
  Student()->setFocus();
  Student()->lineEdit()->selectAll();
  Type(Student(), "77");
  EXPECT_EQ(Text("Label2(4)"), "");
  Click("Command2");
  EXPECT_NE(fakes.prompts.messages.back().text.find("生徒「77」は名簿にありません"), std::string::npos);
  EXPECT_EQ(OnDisk(), records);

  // Chosen from the roster instead: the third student's grade shows and the record is hers.
  Student()->lineEdit()->selectAll();
  Type(Student(), "3");
  EXPECT_EQ(Text("Label2(4)"), QStringLiteral("小５"));
  Click("Command2");
  EXPECT_EQ(ResultRecord::Decode(OnDisk()[0]).Bangou, 3);
  EXPECT_EQ(ResultRecord::Decode(OnDisk()[0]).seconds, 40);
}

TEST_F(RecordsScreen, DeletingTheLastOfThreeAsksFirstAndChoosesTheNewLastLine) {
  AddThree();
  Open();
  Click("Command3");
  EXPECT_TRUE(fakes.prompts.messages.empty()) << "no record chosen: nothing to delete";
  DoubleClick(2);
  fakes.prompts.answers = {false, true};
  Click("Command3");
  EXPECT_EQ(OnDisk().size(), 3u) << "answered no";
  Click("Command3");
  ASSERT_EQ(fakes.prompts.messages.size(), 2u);
  EXPECT_EQ(fakes.prompts.messages[1].title, "注意");
  EXPECT_EQ(fakes.prompts.messages[1].text, "本当に消去しますか");
  EXPECT_EQ(OnDisk(), std::vector<RecordBytes>(records.begin(), records.begin() + 2));
  EXPECT_EQ(Text("Label3"), QStringLiteral("総レコード数:2"));
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_TRUE(Panel()->isHidden());
}

TEST_F(RecordsScreen, ALevelZeroRecordInTheMiddleShiftsNeitherRewriteNorDelete) {
  AddThree();
  Add(MakeNewRecord(kToday, 0.5, 1, 0, 99, state.SchoolCode));  // record 4: never listed
  Add(MakeNewRecord(kToday, 0.5, 1, 1, 20, state.SchoolCode));  // record 5: the fourth line
  std::swap(records[1], records[3]);                            // level 0 now second
  Open();
  ASSERT_EQ(List()->count(), 4);
  DoubleClick(1);  // record 3
  EXPECT_EQ(Text("Label1"), "3");
  TypeTime("33");
  Click("Command2");
  std::vector<RecordBytes> after = OnDisk();
  EXPECT_EQ(ResultRecord::Decode(after[2]).seconds, 33);
  EXPECT_EQ(after[1], records[1]) << "the unlisted record is left alone";
  EXPECT_EQ(after[3], records[3]);

  DoubleClick(3);  // record 5
  fakes.prompts.answers = {true};
  Click("Command3");
  after = OnDisk();
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(ResultRecord::Decode(after[3]).seconds, 80) << "record 4 stays, record 5 went";
  EXPECT_EQ(List()->currentRow(), 2);
}

TEST_F(RecordsScreen, AnEditIsRefusedWhenAnotherPcChangedTheRecordMeanwhile) {
  AddThree();
  Open();
  DoubleClick(1);
  ResultRecord theirs = ResultRecord::Decode(records[1]);
  theirs.seconds = 99;
  ResultsFile file(ResultsPath(state));
  ASSERT_EQ(file.RewriteOne(2, records[1], theirs), EditOutcome::Done);
  TypeTime("45");
  Click("Command2");
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_NE(fakes.prompts.messages[0].text.find("レコード 2 "), std::string::npos);
  EXPECT_EQ(ResultRecord::Decode(OnDisk()[1]), theirs);
  EXPECT_TRUE(List()->text(1).contains(QStringLiteral("   99秒"))) << "the list was read again";

  DoubleClick(2);
  ASSERT_EQ(file.DeleteOne(3, records[2]), EditOutcome::Done);
  fakes.prompts.answers = {true};
  Click("Command3");
  EXPECT_NE(fakes.prompts.messages.back().text.find("消去されました"), std::string::npos);
  EXPECT_EQ(OnDisk().size(), 2u);
}

TEST_F(RecordsScreen, TheKeyboardAloneOpensEditsAndLeavesThePanel) {
  AddThree();
  Open();
  ASSERT_TRUE(List()->hasFocus());
  Press(List(), Qt::Key_Down);
  Press(List(), Qt::Key_Return);
  ASSERT_TRUE(Panel()->isVisible());
  EXPECT_EQ(Text("Label1"), "2");
  ASSERT_TRUE(Time()->hasFocus());
  Press(Time(), Qt::Key_Tab);
  auto* bar = Control<QScrollBar>(form, "VScroll1");
  ASSERT_TRUE(bar->hasFocus());
  Press(bar, Qt::Key_Up);
  EXPECT_EQ(Time()->text(), "81") << "the bar writes its value into the time";
  TypeTime("120");
  EXPECT_EQ(bar->value(), 120) << "a typed time moves the bar";
  Press(bar, Qt::Key_Escape);
  EXPECT_TRUE(Panel()->isHidden());
  EXPECT_TRUE(List()->hasFocus());
  Press(List(), Qt::Key_Return);
  Press(List(), Qt::Key_Up);
  EXPECT_TRUE(Panel()->isHidden()) << "another line leaves the record";
  EXPECT_EQ(OnDisk(), records);
}

TEST_F(RecordsScreen, PrintsTheChosenLinesOrElseAllOfThemPaged) {
  for (int i = 0; i < 41; ++i) Add(MakeNewRecord(kToday, 0.5, 1, 1, 100 + i, state.SchoolCode));
  TempDir out;
  const std::string pdf = out / "records.pdf";
  screens.choosePrinter = [&](QPrinter& printer, QWidget*) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return true;
  };
  const auto printed = [&] {
    Click("Command17");
    return Squeezed(QString::fromStdString(PdfText(pdf)));
  };
  Open();
  QString text = printed();
  EXPECT_TRUE(text.contains(QStringLiteral("テスト塾"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("1/2"))) << "41 lines fill two pages";
  EXPECT_TRUE(text.contains(Squeezed(List()->text(40))));

  List()->selectRows({3, 17});
  text = printed();
  EXPECT_TRUE(text.contains(Squeezed(List()->text(3)))) << text.toStdString();
  EXPECT_TRUE(text.contains(Squeezed(List()->text(17))));
  EXPECT_FALSE(text.contains(QStringLiteral("105秒"))) << "line 6 was not chosen";
  EXPECT_TRUE(text.contains(QStringLiteral("1/1")));
}

// A PC without a printer, or a printer that cannot be written: 印刷 says so rather than nothing.
TEST_F(RecordsScreen, PrintingWithoutAPrinterOrToAnUnwritableOneSaysSo) {
  AddThree();
  bool dialogOpened = false;
  TempDir out;
  const std::string unwritable = out / "no such folder/records.pdf";
  screens.choosePrinter = [&](QPrinter& printer, QWidget*) {
    dialogOpened = true;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(unwritable));
    return true;
  };
  screens.printerInstalled = [] { return false; };
  Open();
  Click("Command17");
  EXPECT_FALSE(dialogOpened);
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_NE(fakes.prompts.messages.back().text.find("プリンターがありません"), std::string::npos);

  screens.printerInstalled = [] { return true; };
  Click("Command17");
  EXPECT_TRUE(dialogOpened);
  ASSERT_EQ(fakes.prompts.messages.size(), 2u);
  EXPECT_NE(fakes.prompts.messages.back().text.find("no such folder"), std::string::npos)
      << fakes.prompts.messages.back().text;
  EXPECT_FALSE(files::exists(unwritable));
}

TEST_F(RecordsScreen, AFolderInPlaceOfTheResultsFileEndsTheProgramNamingIt) {
  files::create_directory(ResultsPath(state));
  screens.Show<FrmData>();
  EXPECT_EQ(endCode, 2);
  ASSERT_FALSE(fakes.prompts.messages.empty());
  EXPECT_NE(fakes.prompts.messages.back().text.find("成績累積データ.dat"), std::string::npos);
}

// Another PC holds the results file's lock while the teacher deletes or rewrites: the screen stays
// painted under its cover, shows how long it has waited, then does what the teacher asked.
TEST_F(RecordsScreen, DeleteAndRewriteWaitForAnotherPCsLockUnderTheCoverWithItsProgress) {
  AddThree();
  Open();
  auto whileAnotherPCHoldsTheLock = [&](const std::function<void()>& act) {
    EXPECT_TRUE(SeenWhileAnotherPCHoldsTheLock(
        [&] {
          return Control<QWidget>(form, "ProgressBar1")->isVisible() &&
                 Control<QWidget>(form, "Picture6")->isVisible();
        },
        act));
    EXPECT_TRUE(Control<QWidget>(form, "Picture6")->isHidden()) << "the cover is gone once done";
  };
  DoubleClick(0);
  fakes.prompts.answers = {true};
  whileAnotherPCHoldsTheLock([&] { Click("Command3"); });
  ASSERT_EQ(OnDisk().size(), 2u);
  DoubleClick(0);
  TypeTime("45");
  whileAnotherPCHoldsTheLock([&] { Click("Command2"); });
  EXPECT_EQ(ResultRecord::Decode(OnDisk()[0]).seconds, 45);
  EXPECT_EQ(fakes.prompts.messages.size(), 1u) << "only the question was asked";
}

TEST_F(RecordsScreen, OpeningARecordWaitsForAShareThatIsAway) {
  AddThree();
  Open();
  TakeShareAway();
  DoubleClick(1);
  EXPECT_TRUE(shareBack) << "no wait for the share";
  EXPECT_EQ(endCode, -1);
  EXPECT_TRUE(Panel()->isVisible());
  EXPECT_EQ(Text("Label1"), "2");
  EXPECT_EQ(Time()->text(), "80");
}

TEST_F(RecordsScreen, BackShowsTheHubAndClosesTheScreen) {
  AddThree();
  state.CurrentStudentNumber = 2;
  state.CurrentStudentName = "先生";
  BuildLevelCatalogue(state);
  Open();
  Click("Command4");
  EXPECT_TRUE(screens.IsLoaded<screens::seisekitime1>());
  EXPECT_FALSE(screens.IsLoaded<FrmData>());
}

}  // namespace
}  // namespace bardrill::testing
