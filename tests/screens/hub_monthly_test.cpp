// The monthly report from the hub's personal display: a teacher chooses the month and the children
// and prints, as the report tool writes it.

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "screens/line_list.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "support/fakes.h"
#include "support/pdf_tools.h"
#include "support/temp_dir.h"

namespace bardrill::testing {
namespace {

using screens::LineList;
using screens::seisekitime1;

class HubMonthly : public ScreenTest {
 protected:
  HubMonthly() {
    inst.WriteRoster(
        "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"先生\",0,\"\",\"\"\r\n"
        "3,1995,0,0,\"佐藤 花子\",0,\"\",\"\"\r\n4,1992,0,0,\"鈴木\",0,\"\",\"\"\r\n");
    LoadInstallation();
    AddRecord(4, 1, 15, kToday - 2);
    AddRecord(4, 1, 15, kToday - 40);  // in March
    AddRecord(3, 1, 15, kToday);
    AddRecord(1, 1, 30, kToday);
    AddRecord(1, 2, 40, kToday - 2);
    screens.choosePrinter = [this](QPrinter& printer, QWidget*) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(pdf));
      ++printed;
      return true;
    };
  }
  // The chart view of the personal display, as a teacher (2) or a child opens it.
  seisekitime1* OpenCharts(int student) {
    LogInAs(student);
    seisekitime1* hub = screens.Show<seisekitime1>();
    DoEvents();
    Control<QRadioButton>(hub, "Option2(2)")->click();
    Control<QPushButton>(hub, "Command17")->click();
    return hub;
  }
  std::string Text() { return PdfText(pdf); }
  int Pages() { return PdfPages(pdf); }

  TempDir out;
  std::string pdf = out / "monthly.pdf";
  int printed = 0;
};

TEST_F(HubMonthly, ATeacherPrintsAMonthsReportForEveryChildWhoDrilledOrForTheChosenOnes) {
  seisekitime1* hub = OpenCharts(2);
  auto* month = Control<QComboBox>(hub, "Combo3");
  auto* print = Control<QPushButton>(hub, "Command26");
  ASSERT_TRUE(month->isVisible());
  ASSERT_TRUE(print->isVisible());
  EXPECT_EQ(month->count(), 12);
  EXPECT_EQ(month->currentText(), QStringLiteral("2004年4月")) << "the month just over";
  EXPECT_EQ(month->itemText(0), QStringLiteral("2004年5月"));

  // Nobody drilled in April: the teacher is told, nothing is printed.
  print->click();
  EXPECT_EQ(printed, 0);
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].text, "2004年4月にドリルをした人はいません。");

  // May, nobody chosen: every child who drilled, one page each, in number order.
  month->setFocus();
  Press(month, Qt::Key_Home);
  ASSERT_EQ(month->currentText(), QStringLiteral("2004年5月"));
  print->click();
  ASSERT_EQ(printed, 1);
  EXPECT_EQ(Pages(), 3);
  std::string text = Text();
  EXPECT_LT(text.find("山田 太郎 さん"), text.find("佐藤 花子 さん"));
  EXPECT_LT(text.find("佐藤 花子 さん"), text.find("鈴木 さん"));
  for (const char* shown : {"テスト塾", "月間成績表", "2004年5月", "レベル１", "今月", "先月", "塾の平均",
                            "30秒", "2004/05/07 作成"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown;

  // The chosen children only.
  Control<QPushButton>(hub, "Command25")->click();
  auto* children = Control<LineList>(hub, "List2");
  children->setFocus();
  children->selectRows({3});  // 鈴木
  print->click();
  ASSERT_EQ(printed, 2);
  EXPECT_EQ(Pages(), 1);
  text = Text();
  EXPECT_NE(text.find("鈴木 さん"), std::string::npos);
  EXPECT_EQ(text.find("山田"), std::string::npos);
}

TEST_F(HubMonthly, AChildSeesNoMonthlyReport) {
  seisekitime1* hub = OpenCharts(1);
  EXPECT_TRUE(Control<QWidget>(hub, "Picture11")->isVisible());
  EXPECT_FALSE(Control<QComboBox>(hub, "Combo3")->isVisible());
  EXPECT_FALSE(Control<QPushButton>(hub, "Command26")->isVisible());
  hub->Command26_Click();
  EXPECT_EQ(printed, 0);
}

}  // namespace
}  // namespace bardrill::testing
