#include <QComboBox>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>

#include "core/setup/identity.h"
#include "painters/chart_paint.h"
#include "screens/chart_view.h"
#include "screens/line_list.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "screens/widgets.h"
#include "support/fakes.h"
#include "support/pdf_tools.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill::testing {
namespace {

using screens::LineList;
using screens::seisekitime1;

// Four children; level 1 pays 26 points for 15 s and 11 for 30 s.
class HubLists : public ScreenTest {
 protected:
  HubLists() {
    inst.WriteRoster(
        "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"先生\",0,\"\",\"\"\r\n"
        "3,1995,0,0,\"佐藤 花子\",0,\"\",\"\"\r\n4,1992,0,0,\"鈴木\",0,\"\",\"\"\r\n");
    LoadInstallation();
    AddRecord(4, 1, 15, kToday - 2);
    AddRecord(4, 1, 15, kToday - 40);
    AddRecord(3, 1, 15, kToday);
    AddRecord(1, 1, 30, kToday);
    AddRecord(1, 1, 30, kToday - 2);
    AddRecord(1, 2, 99999, kToday);
  }
  // The print dialog, answered with a PDF file at `pdf`; `printDialogs` counts the times it is shown.
  void PrintTo(const std::string& pdf) {
    screens.choosePrinter = [this, pdf](QPrinter& printer, QWidget*) {
      ++printDialogs;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(pdf));
      return true;
    };
  }
  int printDialogs = 0;
  // The teacher's hub on the personal display, printing to `pdf`.
  seisekitime1* OpenPersonalDisplayPrintingTo(const std::string& pdf) {
    PrintTo(pdf);
    seisekitime1* hub = Open(2);
    Option(hub, "Option2(2)")->click();
    return hub;
  }
  seisekitime1* Open(int student) {
    LogInAs(student);
    seisekitime1* hub = screens.Show<seisekitime1>();
    DoEvents();
    return hub;
  }
  QStringList Lines(QWidget* hub, int level) {
    auto* list = Control<LineList>(hub, QStringLiteral("List5(%1)").arg(level));
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->text(i);
    return lines;
  }
  QRadioButton* Option(QWidget* hub, const char* name) {
    return Control<QRadioButton>(hub, QString::fromLatin1(name));
  }
  QString Header(QWidget* hub) { return Control<QLabel>(hub, "Label5")->text(); }
  // The share of red pixels, as the record points are drawn.
  static int RedPixels(const QImage& image) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
      }
    return red;
  }
};

TEST_F(HubLists, TheTimeDisplayRanksBestTimesThenListsTodaysAndThePeriodsDrills) {
  seisekitime1* hub = Open(1);
  Option(hub, "Option2(0)")->click();
  EXPECT_EQ(hub->displayMode(), DisplayModes::Time);
  EXPECT_EQ(Header(hub), QStringLiteral("ベスト成績"));
  EXPECT_EQ(Option(hub, "Option1(1)")->text(), QStringLiteral("BEST表示"));
  EXPECT_EQ(Option(hub, "Option1(2)")->text(), QStringLiteral("本日のみ"));
  EXPECT_EQ(Option(hub, "Option1(3)")->text(), QStringLiteral("オール表示")) << "until points were shown";
  EXPECT_EQ(Lines(hub, 1), QStringList({" 1③佐藤 花子    15 　", " 1⑥鈴木　　　    15 　",
                                        " 3●山田 太郎    30 ●", "--②先生　　　------ 　"}));
  EXPECT_TRUE(Lines(hub, 2).contains(QStringLiteral("--●山田 太郎------ ●"))) << "no valid time: no rank";

  Option(hub, "Option1(2)")->click();
  EXPECT_EQ(Header(hub), QStringLiteral("本日の成績"));
  EXPECT_EQ(Lines(hub, 1), QStringList({"  15秒 12:00③佐藤 花子③26", "  30秒 12:00●山田 太郎●11"}));
  EXPECT_EQ(Lines(hub, 2), QStringList({"　　× 12:00●山田 太郎●"}));
  EXPECT_TRUE(Control<QComboBox>(hub, "Combo2")->isHidden());

  Option(hub, "Option1(3)")->click();
  auto* period = Control<QComboBox>(hub, "Combo2");
  EXPECT_TRUE(period->isVisible());
  EXPECT_EQ(period->currentText(), QStringLiteral("　　１ヶ月間の全成績"));
  EXPECT_EQ(Lines(hub, 1).size(), 4) << "the drill of 40 days ago is outside one month";
  period->setFocus();
  Press(period, Qt::Key_End);  // "今までの全成績"
  EXPECT_EQ(hub->listPeriod(), 5);
  EXPECT_EQ(Lines(hub, 1).size(), 5);
  EXPECT_EQ(Lines(hub, 1).first(), QStringLiteral("  15秒 05/05⑥鈴木　　　⑥26"));
  EXPECT_TRUE(Control<QPushButton>(hub, "Command4(1)")->isEnabled()) << "the start buttons come back";
}

TEST_F(HubLists, ThePointDisplayListsEveryDrillPointsFirstForTheChosenGrade) {
  seisekitime1* hub = Open(1);
  Option(hub, "Option1(3)")->click();
  EXPECT_EQ(Option(hub, "Option1(3)")->text(), QStringLiteral("オール表示"));
  Option(hub, "Option2(0)")->click();  // the point display is chosen on entry: come back to it
  Option(hub, "Option2(1)")->click();
  EXPECT_EQ(Option(hub, "Option1(3)")->text(), QStringLiteral("すべて"));
  EXPECT_EQ(Lines(hub, 1), QStringList({"   26 05/05⑥鈴木　　　⑥15秒", "   26 05/07③佐藤 花子③15秒",
                                        "   11 05/07●山田 太郎●30秒", "   11 05/05●山田 太郎●30秒"}));
  auto* grades = Control<QComboBox>(hub, "Combo1");
  grades->setFocus();
  for (int i = 0; i < 9; ++i) Press(grades, Qt::Key_Down);  // 小３
  ASSERT_EQ(grades->currentText(), QStringLiteral("小３"));
  EXPECT_EQ(Lines(hub, 1), QStringList({"   26 05/07③佐藤 花子③15秒", "   11 05/07●山田 太郎●30秒",
                                        "   11 05/05●山田 太郎●30秒"}));
  Option(hub, "Option2(0)")->click();
  EXPECT_EQ(Option(hub, "Option1(3)")->text(), QStringLiteral("すべて")) << "kept in the time display";
}

TEST_F(HubLists, PersonalTimesListEveryRunAndTheChartMarksRecordsInRed) {
  seisekitime1* hub = Open(1);
  Option(hub, "Option2(2)")->click();
  EXPECT_EQ(Header(hub), QStringLiteral("個人別ﾀｲﾑ"));
  EXPECT_EQ(Lines(hub, 1), QStringList({"2004/05/07 12:00:00  30秒", "2004/05/05 12:00:00  30秒"}));
  EXPECT_EQ(Lines(hub, 2), QStringList({"2004/05/07 12:00:00    ×"}));
  for (const char* shown : {"Command16", "Command17", "Command24(0)"})
    EXPECT_TRUE(Control<QWidget>(hub, QString::fromLatin1(shown))->isVisible()) << shown;

  Control<QPushButton>(hub, "Command17")->click();
  auto* panel = Control<QWidget>(hub, "Picture11");
  ASSERT_TRUE(panel->isVisible());
  auto* chart = Control<screens::ChartView>(hub, "Picture12");
  ASSERT_EQ(chart->surface().charts.size(), 3u);
  const HistoryChart& first = chart->surface().charts[0];
  ASSERT_EQ(first.dots.size(), 2u);
  EXPECT_TRUE(first.dots[0].record);
  EXPECT_FALSE(first.dots[1].record) << "an equal time is no new record";
  EXPECT_GT(RedPixels(chart->grab().toImage()), 0);

  // Unchoosing level 3 in the level list leaves two charts.
  auto* levels = Control<LineList>(hub, "List3");
  QTest::mouseClick(levels->viewport(), Qt::LeftButton, {},
                    levels->visualRect(levels->model()->index(2, 0)).center());
  EXPECT_EQ(chart->surface().charts.size(), 2u);

  Control<QPushButton>(hub, "Command18")->click();
  EXPECT_FALSE(panel->isVisible());
}

TEST_F(HubLists, ATeacherPrintsTheChartsOfTheChosenChildrenOnePageEach) {
  TempDir out;
  const std::string pdf = out / "charts.pdf";
  seisekitime1* hub = OpenPersonalDisplayPrintingTo(pdf);
  Control<QPushButton>(hub, "Command17")->click();
  Control<QPushButton>(hub, "Command25")->click();
  auto* children = Control<LineList>(hub, "List2");
  ASSERT_TRUE(children->isVisible());
  children->setFocus();
  children->setCurrentRow(0);    // 山田
  children->selectRows({0, 3});  // and 鈴木
  Control<QPushButton>(hub, "Command24(1)")->click();

  ASSERT_TRUE(files::exists(pdf));
  EXPECT_EQ(PdfPages(pdf), 2);
  QImage page(QString::fromStdString(PdfPagePng(pdf, 1, 40, out.path())));
  ASSERT_FALSE(page.isNull());
  EXPECT_GT(RedPixels(page), 0) << "the first run of each level is a red record point";
}

TEST_F(HubLists, PrintingBeforeTheChartViewWasOpenedPrintsItsFirstLevelsAndNoLevelChosenIsSaid) {
  TempDir out;
  const std::string pdf = out / "charts.pdf";
  seisekitime1* hub = OpenPersonalDisplayPrintingTo(pdf);
  // Refilling the personal list drops the level list's choice as well.
  Control<QPushButton>(hub, "Command16")->click();
  Settle();
  Control<QPushButton>(hub, "Command24(1)")->click();
  Settle();
  ASSERT_TRUE(files::exists(pdf)) << "印刷 before グラフ printed nothing";
  EXPECT_EQ(PdfPages(pdf), 1) << "the teacher's own charts, the first three levels on one page";
  EXPECT_TRUE(fakes.prompts.messages.empty());

  // With every level unchosen in the open chart view, 印刷 says why it prints nothing.
  files::remove(pdf);
  Control<QPushButton>(hub, "Command17")->click();
  Settle();
  auto* levels = Control<LineList>(hub, "List3");
  levels->clearSelection();
  Settle();
  Control<QPushButton>(hub, "Command24(1)")->click();
  Settle();
  EXPECT_FALSE(files::exists(pdf));
  EXPECT_EQ(printDialogs, 1) << "no print dialog for nothing to print";
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].text, "グラフを印刷するレベルを、レベルの一覧で選んでください。");
}

TEST_F(HubLists, ThePeriodBoxNeverOverlapsAnotherControlAndEveryHeadingFits) {
  seisekitime1* hub = Open(1);
  // The personal display's buttons stay while a list of all drills brings the period box.
  Option(hub, "Option2(2)")->click();
  DoEvents();
  Option(hub, "Option1(1)")->click();
  Option(hub, "Option1(3)")->click();
  DoEvents();
  auto* period = Control<QComboBox>(hub, "Combo2");
  ASSERT_TRUE(period->isVisible());
  for (const char* name :
       {"Command16", "Command17", "Command24(0)", "Command24(1)", "Combo1", "Label5", "HScroll1"}) {
    auto* other = Control<QWidget>(hub, QString::fromLatin1(name));
    EXPECT_FALSE(period->geometry().intersects(other->geometry())) << name;
  }
  EXPECT_FALSE(Control<QWidget>(hub, "Command16")->isHidden());
  auto* heading = Control<QLabel>(hub, "Label5");
  for (const char* text :
       {"獲得ポイント（今まで順位）", "獲得ポイント（今日の順位）", "ベスト成績", "本日の成績"})
    EXPECT_LE(heading->fontMetrics().horizontalAdvance(QString::fromUtf8(text)), heading->width()) << text;
  for (int i = 0; i < period->count(); ++i)
    EXPECT_LE(period->fontMetrics().horizontalAdvance(period->itemText(i)) + 24, period->width()) << i;
}

TEST_F(HubLists, TheChartsAxisLabelsAreAsTallAsTheListsBesideItAndTheDotsHaveALegend) {
  seisekitime1* hub = Open(1);
  Option(hub, "Option2(2)")->click();
  Control<QPushButton>(hub, "Command17")->click();
  auto* chart = Control<screens::ChartView>(hub, "Picture12");
  const std::vector<PlacedText> placed =
      screens::ChartTextsIn(chart->surface(), chart->rect(), chart->basePoints(), chart);
  double listHeight = 0;
  for (const char* list : {"List3", "List2"})
    listHeight = std::max(listHeight, QFontMetricsF(Control<QWidget>(hub, list)->font(), chart).height());
  QStringList labels, legend;
  for (const PlacedText& p : placed) {
    const ChartText& t = chart->surface().charts[p.chart].texts[p.text];
    if (t.role == ChartTextRole::Legend && p.chart == 0) legend << QString::fromStdString(t.text);
    if (t.role != ChartTextRole::AxisLabel && t.role != ChartTextRole::RunNumber) continue;
    if (p.chart == 0) labels << QString::fromStdString(t.text);
    EXPECT_GE(QFontMetricsF(screens::ChartFont(p.em), chart).height(), listHeight) << t.text;
  }
  EXPECT_EQ(labels, QStringList({"0秒", "40秒", "1回目"}));
  EXPECT_EQ(legend, QStringList({"●記録の更新", "●ほかの回"}));
}

// A chart of every kind of text and many record points crowding each other, without lines.
ChartSurface CrowdedTexts() {
  HistoryChart chart;
  chart.top = 0.05;
  chart.plot = {0.1, 0.1, 0.45, 0.3};
  chart.texts = {{0.005, 0.01, "山田 太郎", 3, 0, ChartTextRole::Name},
                 {0.35, 0.06, "ソネタ ﾚﾍﾞﾙ１", 2, 0, ChartTextRole::Title},
                 {0.35, 0.06, "●記録の更新", 1.5, 0x0000FF, ChartTextRole::Legend, 1},
                 {0.35, 0.06, "●ほかの回", 1.5, 0xFF0000, ChartTextRole::Legend, 1},
                 {0.095, 0.3, "0秒", 2, 0, ChartTextRole::AxisLabel, 1, 0.5},
                 {0.095, 0.1, "1000秒", 2, 0, ChartTextRole::AxisLabel, 1, 0.5},
                 {0.53, 0.07, "　　最高　　　　   50秒 /   40秒", 1.5, 0, ChartTextRole::Statistic}};
  for (int run = 0; run < 30; ++run) {
    const double x = 0.1 + 0.35 * (run + 1) / 30, y = 0.12 + 0.17 * run / 30;
    chart.dots.push_back({x, y, true, 99 - run});
    const std::string time = std::to_string(99 - run) + "秒";
    chart.texts.push_back({x, y, time, 2, 0x0000FF, ChartTextRole::RecordTime, 0.5, 1, run});
    chart.texts.push_back({x, y, "10/16", 1.5, 0, ChartTextRole::RecordDate, 0.5, 1, run});
    chart.texts.push_back(
        {x, 0.305, std::to_string(run + 1) + "回目", 2, 0, ChartTextRole::RunNumber, 0.5, 0, run});
  }
  ChartSurface surface;
  surface.charts.push_back(chart);
  return surface;
}

TEST(ChartPaint, EveryTextIsPaintedInsideTheBoxTheLayoutGaveIt) {
  const ChartSurface surface = CrowdedTexts();
  // The screen at three scales, and a page at 300 dpi.
  const struct {
    int width, height, dpi;
    double points;
  } cases[] = {{816, 552, 96, 6}, {490, 331, 96, 3.6}, {1224, 828, 96, 9}, {2400, 1600, 300, 6}};
  for (const auto& c : cases) {
    QImage image(c.width, c.height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(c.dpi / 0.0254));
    image.setDotsPerMeterY(qRound(c.dpi / 0.0254));
    image.fill(Qt::white);
    const QRectF area(0, 0, c.width, c.height);
    const std::vector<PlacedText> placed = screens::ChartTextsIn(surface, area, c.points, &image);
    {
      QPainter painter(&image);
      screens::PaintChartSurface(painter, surface, area, c.points);
    }
    // The dots are no texts: blanked out first (5 pixels wide at 6 points on the screen).
    QPainter eraser(&image);
    eraser.setPen(Qt::NoPen);
    eraser.setBrush(Qt::white);
    const double dot = 2.5 * c.points / 6 * c.dpi / 96 + 1.5;
    for (const ChartDot& d : surface.charts[0].dots)
      eraser.drawEllipse(QPointF(d.x * c.width, d.y * c.height), dot, dot);
    ASSERT_GT(placed.size(), 20u);
    EXPECT_LT(placed.size(), surface.charts[0].texts.size()) << "crowded texts are left out at " << c.width;
    // Each box holds ink, and once the boxes are blanked out (a pixel of antialiasing around each
    // allowed) no ink is left: nothing was painted outside them.
    for (const PlacedText& p : placed) {
      const QRect inside = QRectF(p.box.left, p.box.top, p.box.width, p.box.height).toAlignedRect();
      int ink = 0;
      for (int y = std::max(0, inside.top()); y <= std::min(inside.bottom(), c.height - 1); ++y)
        for (int x = std::max(0, inside.left()); x <= std::min(inside.right(), c.width - 1); ++x)
          ink += image.pixel(x, y) != qRgb(255, 255, 255);
      EXPECT_GT(ink, 0) << surface.charts[0].texts[p.text].text;
      eraser.fillRect(QRectF(p.box.left - 1, p.box.top - 1, p.box.width + 2, p.box.height + 2), Qt::white);
    }
    eraser.end();
    int stray = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) stray += image.pixel(x, y) != qRgb(255, 255, 255);
    // Under Wine, glyphs five pixels tall (the smallest screen) come out a pixel beyond the box that Qt
    // measures for them, which Linux and its FreeType never do; real Windows is not tried here.
    if (UnderWine() && c.points < 4) continue;
    EXPECT_EQ(stray, 0) << "ink outside the boxes at " << c.width << "x" << c.height;
  }
}

}  // namespace
}  // namespace bardrill::testing
