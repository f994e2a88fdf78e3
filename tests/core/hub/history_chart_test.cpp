#include "core/hub/history_chart.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/hub/chart_layout.h"
#include "support/fakes.h"

namespace bardrill {
namespace {

using testing::kToday;

constexpr double kH = 1.0 / 3;  // H as a share of the surface's height; W is half its width
constexpr uint32_t kRed = 0x0000FF;

struct School {
  AppState state;
  School() {
    state.SchoolYear = 2004;
    state.ProgramTitle = "ソネタ";
    state.LevelCount = 2;
    state.LevelNames[1] = "レベル１";
    state.LevelNames[2] = "レベル２";
  }
  void Add(int number, int birthYear, const std::string& name) {
    state.RosterNumbers.push_back(number);
    state.RosterCount++;
    state.StudentNames[static_cast<size_t>(number)] = name;
    state.StudentBirthYears[static_cast<size_t>(number)] = birthYear;
  }
  void Record(int student, int level, int32_t seconds, int64_t date = kToday) {
    state.LoadedDates.push_back(static_cast<double>(date));
    state.LoadedTimes.push_back(0.5);
    state.LoadedStudents.push_back(student);
    state.LoadedLevels.push_back(level);
    state.LoadedSeconds.push_back(seconds);
    state.LoadedCount++;
  }
  std::vector<ChartSurface> Charts(int student, std::vector<int> levels, const std::string& grades = "全学年",
                                   bool printer = false) const {
    return HistoryCharts(state,
                         {student, std::move(levels), grades, kToday, printer, {}, ChartLayout::Panel});
  }
  HistoryChart Chart(int student, int level = 1, const std::string& grades = "全学年") const {
    std::vector<ChartSurface> surfaces = Charts(student, {level}, grades);
    EXPECT_EQ(surfaces.size(), 1u);
    return surfaces.at(0).charts.at(0);
  }
};

// Viewed student 1 (third grade) beside a classmate and a junior-high student; best times and points
// as the counts would have them.
School SmallSchool() {
  School s;
  s.Add(1, 1995, "山田");
  s.Add(2, 1995, "佐藤");
  s.Add(3, 1990, "鈴木");
  for (int32_t seconds : {80, 60, 60, 70, 50, 2000}) s.Record(1, 1, seconds);
  s.Record(1, 1, 10, kToday - 3650);  // too old
  s.Record(1, 3, 5);                  // a level without a column
  s.Record(2, 1, 40);
  s.Record(2, 1, 100);
  s.Record(3, 1, 1900);
  s.state.BestTime(1, 1) = 50;
  s.state.BestTime(1, 2) = 40;
  s.state.BestTime(1, 3) = 1900;
  s.state.TotalPoints(1, 1) = 120;
  s.state.TotalPoints(1, 2) = 90;
  return s;
}

TEST(HistoryChart, StatisticsCompareTheStudentWithTheSchool) {
  const HistoryChart chart = SmallSchool().Chart(1);
  const HistoryFigures& f = chart.figures;
  EXPECT_EQ(f.runCount, 5);
  EXPECT_EQ(f.runSum, 320);
  EXPECT_EQ(f.runMax, 80);
  EXPECT_EQ(f.scaleTop, 90);
  EXPECT_EQ(f.schoolBest, 40);
  EXPECT_EQ(f.schoolSum, 460);
  EXPECT_EQ(f.schoolCount, 7);
  EXPECT_EQ(f.schoolPointsTotal, 210);
  EXPECT_EQ(f.schoolPointsCount, 2);
  EXPECT_EQ(f.statistics, (std::vector<std::string>{
                              "回数　　　　　　　  5回",
                              "タイム  　　 　    本人 / 塾全体",
                              "　　順位　　　　    2位",
                              "　　最高　　　　   50秒 /   40秒",
                              "　　平均　　　　   64秒 /   65秒",
                              "ポイント  　　　",
                              "　　順位　　　　    1位",
                              "　　獲得ポイント  120点",
                              "　　　　　　　　　　　　/  105点",
                              "　　　　　　　　　　　　 (塾平均)",
                          }));
}

TEST(HistoryChart, FasterRunsAreRedRecordPointsJoinedInOrder) {
  const HistoryChart chart = SmallSchool().Chart(1);
  std::vector<std::pair<int, bool>> dots;
  for (const ChartDot& d : chart.dots) dots.emplace_back(d.seconds, d.record);
  EXPECT_EQ(dots, (std::vector<std::pair<int, bool>>{
                      {80, true}, {60, true}, {60, false}, {70, false}, {50, true}}));
  // x = W (0.7 k / RunCount + 0.2), y = T + H (0.8 - 0.7 s / ScaleTop), as shares of the surface.
  EXPECT_DOUBLE_EQ(chart.dots[0].x, (0.7 / 5 + 0.2) / 2);
  EXPECT_DOUBLE_EQ(chart.dots[0].y, 0.05 + (0.8 - 0.7 * 80 / 90) * kH);
  ASSERT_EQ(chart.segments.size(), 4u);  // the time axis, the run axis, then the record line
  EXPECT_DOUBLE_EQ(chart.segments[0].y1, 0.05 + 0.8 * kH);
  EXPECT_DOUBLE_EQ(chart.segments[0].y2, 0.05 + 0.1 * kH);
  EXPECT_DOUBLE_EQ(chart.segments[1].x2, 0.45);
  const ChartSegment& last = chart.segments[3];
  EXPECT_EQ(last.width, 3);
  EXPECT_EQ(last.colour, kRed);
  EXPECT_EQ(std::make_pair(last.x1, last.y2), std::make_pair(chart.dots[1].x, chart.dots[4].y));
  // Each record point's time, date and run number name its dot; the runs stand evenly, so the run axis
  // counts runs.
  auto texts = [&chart](ChartTextRole role) {
    std::vector<std::string> found;
    for (const ChartText& t : chart.texts)
      if (t.role == role) found.push_back(t.dot < 0 ? t.text : std::to_string(t.dot) + ":" + t.text);
    return found;
  };
  EXPECT_EQ(texts(ChartTextRole::AxisLabel), (std::vector<std::string>{"0秒", "90秒"}));
  EXPECT_EQ(texts(ChartTextRole::RecordTime), (std::vector<std::string>{"0:80秒", "1:60秒", "4:50秒"}));
  EXPECT_EQ(texts(ChartTextRole::RecordDate), (std::vector<std::string>{"0:05/07", "1:05/07", "4:05/07"}));
  EXPECT_EQ(texts(ChartTextRole::RunNumber), (std::vector<std::string>{"0:1回目", "1:2回目", "4:5回目"}));
  EXPECT_EQ(texts(ChartTextRole::Legend), (std::vector<std::string>{"●記録の更新", "●ほかの回"}));
}

TEST(HistoryChart, AChildWithoutUsableRunsGetsAnEmptyChart) {
  School s;
  s.Add(1, 1995, "山田");
  s.Record(1, 1, 1800);
  s.Record(1, 1, 99999);
  const HistoryChart chart = s.Chart(1);
  EXPECT_TRUE(chart.dots.empty());
  EXPECT_EQ(chart.segments.size(), 2u);
  EXPECT_EQ(chart.figures.runCount, 0);
  EXPECT_EQ(chart.figures.scaleTop, 10);
  EXPECT_EQ(chart.figures.schoolBest, 1800);  // the best is taken over every run, however long
  EXPECT_EQ(chart.figures.statistics, (std::vector<std::string>{
                                          "回数　　　　　　　  0回",
                                          "タイム  　　 　    本人 / 塾全体",
                                          "　　順位　　　　  ---位",  // no best time
                                          "　　最高　　　　       / 1800秒",
                                          "ポイント  　　　",
                                          "　　順位　　　　    1位",
                                          "　　獲得ポイント    0点",
                                          "　　　　　　　　　　　　 (塾平均)",
                                      }));
}

TEST(HistoryChart, TheTimeAxisStopsAtAThousandSeconds) {
  School s;
  s.Add(1, 1995, "山田");
  s.Record(1, 1, 995);
  EXPECT_EQ(s.Chart(1).figures.scaleTop, 1000);
  s.Record(1, 1, 1500);
  const HistoryChart chart = s.Chart(1);
  EXPECT_EQ(chart.figures.scaleTop, 1000);
  EXPECT_LT(chart.dots[1].y, chart.segments[0].y2);  // drawn above the axis top
}

TEST(HistoryChart, RanksAreFoundByStudentNumberAndFollowTheGradeFilter) {
  School s;
  s.Add(1, 1995, "同名");
  s.Add(2, 1995, "同名");
  s.state.BestTime(1, 1) = 30;
  s.state.BestTime(1, 2) = 50;
  s.state.TotalPoints(1, 1) = 10;
  s.state.TotalPoints(1, 2) = 20;
  HistoryFigures f = s.Chart(2).figures;
  EXPECT_EQ(f.timeRank, "  2");
  EXPECT_EQ(f.pointsRank, "  1");
  EXPECT_EQ(f.points, "20");

  f = s.Chart(2, 1, "中学生全体").figures;  // not listed
  EXPECT_EQ(f.timeRank, "");
  EXPECT_EQ(f.pointsRank, "");
  EXPECT_EQ(f.statistics[2], "　　順位　　　　     位");

  School one = SmallSchool();
  const HistoryChart filtered = one.Chart(1, 1, "中学生全体");
  EXPECT_TRUE(filtered.dots.empty());
  EXPECT_EQ(filtered.figures.runCount, 5);  // counted whatever the filter
  EXPECT_EQ(filtered.figures.schoolPointsCount, 0);
  EXPECT_EQ(filtered.figures.statistics.size(), 9u);  // no school points average
}

TEST(HistoryChart, ThreeChartsToASurfaceAndALevelBeyondTheCatalogueEndsThem) {
  School s;
  s.state.LevelCount = 5;
  s.Add(1, 1995, "山田");
  const std::vector<ChartSurface> surfaces = s.Charts(1, {1, 2, 3, 4, 9, 5});
  ASSERT_EQ(surfaces.size(), 2u);
  ASSERT_EQ(surfaces[0].charts.size(), 3u);
  ASSERT_EQ(surfaces[1].charts.size(), 1u);
  const double tops[] = {0.05, 0.35, 0.65};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(surfaces[0].charts[i].segments[0].y1 - 0.8 * kH, tops[i], 1e-12);
    // Each chart, with its run numbers under the run axis, stays inside its band of the surface.
    for (const ChartText& t : surfaces[0].charts[i].texts) EXPECT_LT(t.y, tops[i] + 0.3) << t.text;
    EXPECT_EQ(surfaces[0].charts[i].texts[0].text == "山田", i == 0);  // the name heads each surface
  }
  EXPECT_NEAR(surfaces[1].charts[0].segments[0].y1 - 0.8 * kH, 0.05, 1e-12);
  EXPECT_EQ(surfaces[1].charts[0].figures.level, 4);
  EXPECT_EQ(surfaces[1].charts[0].texts[0].text, "山田");
  EXPECT_EQ(surfaces[0].charts[0].texts[1].text, "ソネタ レベル１");
}

TEST(HistoryChart, PrintedPagesUseLargerTitlesAndCloserStatistics) {
  School s = SmallSchool();
  auto statisticsYs = [](const HistoryChart& chart) {
    std::vector<double> ys;
    for (const ChartText& t : chart.texts)
      if (t.role == ChartTextRole::Statistic) ys.push_back(t.y);
    return ys;
  };
  const HistoryChart screen = s.Chart(1);
  const HistoryChart printed = s.Charts(1, {1}, "全学年", true)[0].charts[0];
  EXPECT_EQ(screen.texts[1].size, 2);
  EXPECT_EQ(printed.texts[1].size, 3);
  const std::vector<double> a = statisticsYs(screen), b = statisticsYs(printed);
  ASSERT_EQ(a.size(), 10u);
  EXPECT_DOUBLE_EQ(a[0], 0.05 + 0.05 * kH);
  EXPECT_NEAR(a[1] - a[0], 0.08 * kH, 1e-12);
  EXPECT_NEAR(b[1] - b[0], 0.06 * kH, 1e-12);
  EXPECT_NEAR(a[9] - a[8], 0.12 * kH, 1e-12);  // the footnote half a line lower
}

// The surface's texts as drawn in `area`, after checking that no two drawn texts meet and that every
// name, title, statistics line and axis label is drawn.
std::vector<PlacedText> ExpectTextsApart(const ChartSurface& surface, const ChartArea& area) {
  const std::vector<PlacedText> placed = LayOutChartTexts(surface, area);
  auto text = [&surface](const PlacedText& p) { return surface.charts[p.chart].texts[p.text]; };
  for (size_t i = 0; i < placed.size(); ++i)
    for (size_t j = i + 1; j < placed.size(); ++j)
      EXPECT_FALSE(placed[i].box.Intersects(placed[j].box))
          << text(placed[i]).text << " meets " << text(placed[j]).text << " at " << area.width;
  size_t fixed = 0, fixedDrawn = 0;
  for (const HistoryChart& chart : surface.charts)
    for (const ChartText& t : chart.texts) fixed += t.role <= ChartTextRole::AxisLabel ? 1 : 0;
  for (const PlacedText& p : placed) fixedDrawn += text(p).role <= ChartTextRole::AxisLabel ? 1 : 0;
  EXPECT_EQ(fixedDrawn, fixed) << "headings, statistics and axis labels are never left out";
  return placed;
}

std::vector<std::string> Drawn(const ChartSurface& surface, const std::vector<PlacedText>& placed,
                               size_t chart, ChartTextRole role) {
  std::vector<std::string> texts;
  for (const PlacedText& p : placed) {
    const ChartText& t = surface.charts[p.chart].texts[p.text];
    if (p.chart == chart && t.role == role) texts.push_back(t.text);
  }
  return texts;
}

TEST(ChartLayout, OnACrowdedChartNoTextMeetsAnotherAndTheNewestRecordKeepsItsTexts) {
  // Three levels of 40 runs a day apart, nearly every one a new best by a second or two.
  School s;
  s.state.LevelCount = 3;
  s.state.LevelNames[3] = "混合";
  s.Add(1, 1995, "山田 太郎");
  for (int level = 1; level <= 3; ++level)
    for (int run = 0; run < 40; ++run)
      s.Record(1, level, 87 - 2 * run + (run % 5 == 4 ? 9 : 0), kToday - 40 + run);
  for (bool printer : {false, true}) {
    const ChartSurface surface = s.Charts(1, {1, 2, 3}, "全学年", printer).at(0);
    // The hub's chart box at its scales and a printed A4 page at 300 dpi.
    const std::vector<ChartArea> areas =
        printer ? std::vector<ChartArea>{{3300, 2250, 25}}
                : std::vector<ChartArea>{{816, 552, 8}, {490, 331, 4.8}, {1224, 828, 12}};
    for (const ChartArea& area : areas) {
      const std::vector<PlacedText> placed = ExpectTextsApart(surface, area);
      for (size_t chart = 0; chart < 3; ++chart) {
        const std::vector<std::string> times = Drawn(surface, placed, chart, ChartTextRole::RecordTime);
        ASSERT_FALSE(times.empty());
        EXPECT_EQ(times.front(), "11秒") << "the newest best, at " << area.width;
        EXPECT_LT(times.size(), 32u) << "crowded out, not printed over each other";
        EXPECT_EQ(Drawn(surface, placed, chart, ChartTextRole::RunNumber).front(), "39回目");
        EXPECT_EQ(Drawn(surface, placed, chart, ChartTextRole::Legend).size(), 2u) << area.width;
      }
    }
  }
}

TEST(ChartLayout, AMonthlyChartMovesATimeThatWouldPrintInsideTheTitle) {
  // The month of a child whose one run of level 1 stands at the top right, under the title, and whose
  // first run of level 2 was the fastest of many.
  School s;
  s.Add(1, 1995, "山田 太郎");
  s.Record(1, 1, 99);
  for (int32_t seconds : {20, 95, 90, 99, 97, 93, 91, 96, 98, 92}) s.Record(1, 2, seconds);
  ChartRequest request{1, {1, 2}, "全学年", kToday, false, DaySpan{kToday - 30, kToday}, ChartLayout::Wide};
  const ChartSurface surface = HistoryCharts(s.state, request).at(0);
  // The chart area of an A4 page at 300 dpi, and of the same page at 72.
  for (const ChartArea& area : {ChartArea{2197, 1350, 25}, ChartArea{527, 324, 6}}) {
    const std::vector<PlacedText> placed = ExpectTextsApart(surface, area);
    EXPECT_EQ(Drawn(surface, placed, 0, ChartTextRole::RecordTime), std::vector<std::string>{"99秒"});
    EXPECT_EQ(Drawn(surface, placed, 1, ChartTextRole::RecordTime), std::vector<std::string>{"20秒"});
    EXPECT_EQ(Drawn(surface, placed, 1, ChartTextRole::RecordDate), std::vector<std::string>{"05/07"});
  }
}

TEST(ChartLayout, ARecordsTimeStandsOffTheRecordLineWhereTheTitleTakesTheRoomAboveIt) {
  // Two records just under the axis top of the second chart: above each dot are the title and legend.
  School s;
  s.Add(1, 1995, "山本 結衣");
  s.Record(1, 2, 86, kToday - 3);
  s.Record(1, 2, 76);
  const ChartSurface surface = s.Charts(1, {1, 2}).at(0);
  const HistoryChart& chart = surface.charts[1];
  ASSERT_EQ(chart.segments.size(), 3u);
  const ChartArea area{816, 552, 8};
  const std::vector<PlacedText> placed = ExpectTextsApart(surface, area);
  EXPECT_EQ(Drawn(surface, placed, 1, ChartTextRole::RecordTime), (std::vector<std::string>{"76秒", "86秒"}));
  const ChartSegment& line = chart.segments[2];
  for (const PlacedText& p : placed) {
    if (p.chart != 1 || chart.texts[p.text].role != ChartTextRole::RecordTime) continue;
    for (double f = 0; f <= 1; f += 0.01) {
      const double x = (line.x1 + f * (line.x2 - line.x1)) * area.width;
      const double y = (line.y1 + f * (line.y2 - line.y1)) * area.height;
      EXPECT_FALSE(x > p.box.left && x < p.box.Right() && y > p.box.top && y < p.box.Bottom())
          << chart.texts[p.text].text << " over the record line";
    }
  }
}

TEST(ChartLayout, TextsAreMeasuredInHalfAndFullWidthColumnsAtWholeUnits) {
  const ChartArea area{800, 600, 8};
  const ChartText time{0.5, 0.5, "87秒", 2};
  const TextBox box = MeasureText(area, time, 10, 20);
  EXPECT_DOUBLE_EQ(box.width, 32);  // two half-width digits and one full-width character at 16 units
  EXPECT_NEAR(box.height, 16 * kChartLineEms, 1e-9);
  EXPECT_EQ(TextEm({800, 600, 4.8}, 1.5), 7) << "7.2 units: a font of 7";
  EXPECT_FALSE((TextBox{0, 0, 10, 10}.Intersects({10, 0, 5, 5}))) << "sharing an edge is not meeting";
  EXPECT_TRUE((TextBox{0, 0, 10, 10}.Intersects({9.5, 9.5, 5, 5})));
}

}  // namespace
}  // namespace bardrill
