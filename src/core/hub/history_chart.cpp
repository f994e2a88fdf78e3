#include "core/hub/history_chart.h"

#include <algorithm>
#include <optional>

#include "core/app_state.h"
#include "core/hub/rankings.h"
#include "core/results/counts.h"
#include "core/setup/grades.h"
#include "core/tables.h"
#include "platform/calendar.h"
#include "platform/text.h"

namespace bardrill {

namespace {

constexpr int32_t kChartedBelow = 1800;  // longer runs are left out of the chart and its averages
constexpr int kHistoryWindowDays = 3650;
constexpr int kLargestScaleTop = 1000;
constexpr int kChartsPerSurface = 3;
constexpr double kFirstTop = 0.05, kTopStep = 0.3;
constexpr uint32_t kBlack = 0x000000, kRed = 0x0000FF, kBlue = 0xFF0000;
// Axis labels and a record's time and run number are as large as the hub's list text beside the chart
// (12 points at the base size of 6); the legend and the dates as the statistics lines.
constexpr double kLabelSize = 2, kSmallSize = 1.5;

// The chart is laid out in fractions of W = width / 2 across and of H below its top. H is a third of
// the height, not a half: the charts start 0.3 of the height apart, and a chart that reaches down to
// 0.88 H (its dates) with ten statistics lines beside it only fits its band when H is a third; with
// half the height each chart covered the next and the third ran off the surface.
constexpr double kHeightPerH = 1.0 / 3;
struct Frame {
  double top;
  double widthPerW = 0.5;  // W is half the width beside the statistics panel, the whole width without it
  double X(double ofW) const { return ofW * widthPerW; }
  double Y(double ofH) const { return top + ofH * kHeightPerH; }
};

std::string PaddedRight(const std::string& shown, size_t width) { return text::AlignRight(shown, width); }
std::string PaddedRight(long long value, size_t width) {
  return text::AlignRight(std::to_string(value), width);
}

std::string TimeText(int32_t seconds) { return std::to_string(seconds) + "秒"; }

// The twin rankings of the level, read for the viewed student (by number: names need not be unique)
// and for the school's points.
void ReadRankings(const AppState& state, const ChartRequest& request, HistoryFigures& figures) {
  constexpr int kTwinRankWidth = 3;
  const RankingList times = RankLevel(state, figures.level, DisplayModes::Time, PointRankModes::Cumulative,
                                      request.gradeFilter, kTwinRankWidth);
  const RankingList points = RankLevel(state, figures.level, DisplayModes::Points, PointRankModes::Cumulative,
                                       request.gradeFilter, kTwinRankWidth);
  for (size_t i = 0; i < times.lines.size(); ++i) {
    if (times.students[i] == request.student) {
      figures.timeRank = text::Left(times.lines[i], kTwinRankWidth);
      break;
    }
  }
  for (size_t i = 0; i < points.lines.size(); ++i) {
    const int student = points.students[i];
    const int32_t total = state.TotalPoints(figures.level, student);
    if (total > 0) {
      figures.schoolPointsTotal += total;
      ++figures.schoolPointsCount;
    }
    if (student == request.student && figures.pointsRank.empty()) {
      figures.pointsRank = text::Left(points.lines[i], kTwinRankWidth);
      figures.points = std::to_string(total);
    }
  }
}

// Usable for the history: of the chart's days and of a level the hub shows.
bool Usable(const AppState& state, const ChartRequest& request, const ChartRecord& record, int level) {
  if (record.level != level || level > state.LevelCount) return false;
  return request.days ? request.days->Contains(record.date)
                      : InDayWindow(record.date, request.today, kHistoryWindowDays);
}

bool IsViewedRun(const ChartRequest& request, const ChartRecord& record) {
  return record.student == request.student && record.seconds < kChartedBelow;
}

void CountRuns(const AppState& state, const ChartRequest& request, std::span<const ChartRecord> records,
               HistoryFigures& figures) {
  for (const ChartRecord& record : records) {
    if (!Usable(state, request, record, figures.level)) continue;
    if (record.seconds < kChartedBelow) {
      figures.schoolSum += record.seconds;
      ++figures.schoolCount;
    }
    figures.schoolBest = std::min(figures.schoolBest, record.seconds);
    if (!IsViewedRun(request, record)) continue;
    ++figures.runCount;
    figures.runSum += record.seconds;
    figures.runMax = std::max(figures.runMax, record.seconds);
  }
  figures.scaleTop = std::min(10 * (figures.runMax / 10 + 1), kLargestScaleTop);
}

bool PassesGradeFilter(const AppState& state, const ChartRequest& request) {
  return request.student >= 1 && request.student <= kMaxStudent &&
         InGradeGroup(request.gradeFilter, GradeNumber(state, request.student));
}

// Dots for the viewed student's runs in file order; each run faster than all before it is a record
// point, joined to the previous one and annotated with its time, date and run number. Returns the last
// record's time text.
std::string PlotRuns(const AppState& state, const ChartRequest& request, std::span<const ChartRecord> records,
                     const Frame& frame, HistoryChart& chart) {
  const HistoryFigures& figures = chart.figures;
  if (!PassesGradeFilter(state, request)) return "";
  std::string lastRecordText;
  std::optional<ChartDot> lastRecord;
  int run = 0;
  for (const ChartRecord& record : records) {
    if (!Usable(state, request, record, figures.level) || !IsViewedRun(request, record)) continue;
    ++run;
    const int32_t seconds = record.seconds;
    const ChartDot dot{frame.X(0.7 * run / figures.runCount + 0.2),
                       frame.Y(0.8 - 0.7 * seconds / figures.scaleTop),
                       !lastRecord || seconds < lastRecord->seconds, seconds};
    chart.dots.push_back(dot);
    if (!dot.record) continue;
    if (lastRecord) chart.segments.push_back({lastRecord->x, lastRecord->y, dot.x, dot.y, 3, kRed});
    lastRecord = dot;
    lastRecordText = TimeText(seconds);
    // The runs stand evenly along the run axis, whatever the days between them: the axis counts runs,
    // and a record's date goes with its time.
    const int index = static_cast<int>(chart.dots.size()) - 1;
    const std::string date = text::Right(calendar::FormatDate(static_cast<int64_t>(record.date)), 5);
    chart.texts.push_back(
        {dot.x, dot.y, lastRecordText, kLabelSize, kRed, ChartTextRole::RecordTime, 0.5, 1, index});
    chart.texts.push_back({dot.x, dot.y, date, kSmallSize, kBlack, ChartTextRole::RecordDate, 0.5, 1, index});
    chart.texts.push_back({dot.x, frame.Y(0.81), std::to_string(run) + "回目", kLabelSize, kBlack,
                           ChartTextRole::RunNumber, 0.5, 0, index});
  }
  return lastRecordText;
}

std::vector<std::string> StatisticsLines(const HistoryFigures& figures, const std::string& bestText) {
  std::vector<std::string> lines;
  lines.push_back("回数　　　　　　　" + PaddedRight(figures.runCount, 3) + "回");
  lines.push_back("タイム  　　 　    本人 / 塾全体");
  lines.push_back("　　順位　　　　" + PaddedRight(figures.timeRank, 5) + "位");
  lines.push_back("　　最高　　　　" + PaddedRight(bestText, 6) + " /" + PaddedRight(figures.schoolBest, 5) +
                  "秒");
  if (figures.runCount != 0 && figures.schoolCount != 0) {
    lines.push_back("　　平均　　　　" + PaddedRight(figures.runSum / figures.runCount, 5) + "秒" + " /" +
                    PaddedRight(figures.schoolSum / figures.schoolCount, 5) + "秒");
  }
  lines.push_back("ポイント  　　　");
  lines.push_back("　　順位　　　　" + PaddedRight(figures.pointsRank, 5) + "位");
  lines.push_back("　　獲得ポイント" + PaddedRight(figures.points, 5) + "点");
  if (figures.schoolPointsCount != 0) {
    lines.push_back("　　　　　　　　　　　　/" +
                    PaddedRight(figures.schoolPointsTotal / figures.schoolPointsCount, 5) + "点");
  }
  lines.push_back("　　　　　　　　　　　　 (塾平均)");
  return lines;
}

void AddStatistics(const Frame& frame, bool printer, HistoryChart& chart) {
  const double step = printer ? 0.06 : 0.08;
  const std::vector<std::string>& lines = chart.figures.statistics;
  double y = 0.05;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i + 1 == lines.size()) y += step / 2;  // the footnote stands apart
    chart.texts.push_back({frame.X(1.05), frame.Y(y), lines[i], 1.5, kBlack, ChartTextRole::Statistic});
    y += step;
  }
}

HistoryChart ChartOfLevel(const AppState& state, const ChartRequest& request,
                          std::span<const ChartRecord> records, int level, double top, bool firstOnSurface) {
  const bool wide = request.layout == ChartLayout::Wide;
  const Frame frame{top, wide ? 1.0 : 0.5};
  HistoryChart chart;
  HistoryFigures& figures = chart.figures;
  figures.level = level;
  if (!wide) ReadRankings(state, request, figures);
  CountRuns(state, request, records, figures);

  chart.top = top;
  chart.plot = {frame.X(0.2), frame.Y(0.1), frame.X(0.9), frame.Y(0.8)};
  if (firstOnSurface && !wide) {
    const std::string name = text::Trim(state.StudentNames[static_cast<size_t>(request.student)]);
    chart.texts.push_back({frame.X(0.01), 0.02 * kHeightPerH, name, 3, kBlack, ChartTextRole::Name});
  }
  const double titleX = frame.X(wide ? 0.6 : 0.7);
  chart.texts.push_back({titleX, frame.Y(0.01),
                         state.ProgramTitle + " " + state.LevelNames[static_cast<size_t>(level)],
                         request.printer ? 3.0 : 2.0, kBlack, ChartTextRole::Title});
  // The legend ends left of the title; the layout sets it there or under the title.
  chart.texts.push_back({titleX, frame.Y(0.01), "●記録の更新", kSmallSize, kRed, ChartTextRole::Legend, 1});
  chart.texts.push_back({titleX, frame.Y(0.01), "●ほかの回", kSmallSize, kBlue, ChartTextRole::Legend, 1});
  chart.segments.push_back({frame.X(0.2), frame.Y(0.8), frame.X(0.2), frame.Y(0.1), 2, kBlack});
  chart.segments.push_back({frame.X(0.2), frame.Y(0.8), frame.X(0.9), frame.Y(0.8), 2, kBlack});
  chart.texts.push_back(
      {frame.X(0.19), frame.Y(0.8), "0秒", kLabelSize, kBlack, ChartTextRole::AxisLabel, 1, 0.5});
  chart.texts.push_back({frame.X(0.19), frame.Y(0.1), TimeText(figures.scaleTop), kLabelSize, kBlack,
                         ChartTextRole::AxisLabel, 1, 0.5});

  const std::string bestText = PlotRuns(state, request, records, frame, chart);
  if (wide) return chart;
  figures.statistics = StatisticsLines(figures, bestText);
  AddStatistics(frame, request.printer, chart);
  return chart;
}

}  // namespace

std::vector<ChartRecord> LoadedChartRecords(const AppState& state) {
  std::vector<ChartRecord> records;
  const int64_t count = std::min<int64_t>(
      state.LoadedCount,
      static_cast<int64_t>(std::min({state.LoadedDates.size(), state.LoadedStudents.size(),
                                     state.LoadedLevels.size(), state.LoadedSeconds.size()})) -
          1);
  records.reserve(static_cast<size_t>(std::max<int64_t>(count, 0)));
  for (int64_t entry = 1; entry <= count; ++entry) {
    const auto slot = static_cast<size_t>(entry);
    records.push_back({state.LoadedDates[slot], state.LoadedStudents[slot], state.LoadedLevels[slot],
                       state.LoadedSeconds[slot]});
  }
  return records;
}

std::vector<ChartSurface> HistoryCharts(const AppState& state, const ChartRequest& request) {
  const std::vector<ChartRecord> records = LoadedChartRecords(state);
  return HistoryCharts(state, request, records);
}

std::vector<ChartSurface> HistoryCharts(const AppState& state, const ChartRequest& request,
                                        std::span<const ChartRecord> records) {
  std::vector<ChartSurface> surfaces;
  if (request.student < 0 || request.student > kMaxStudent) return surfaces;
  for (int level : request.levels) {
    if (level < 1 || level > state.LevelCount || level > kMaxLevel) break;
    if (surfaces.empty() || surfaces.back().charts.size() == kChartsPerSurface) surfaces.emplace_back();
    std::vector<HistoryChart>& charts = surfaces.back().charts;
    const double top = kFirstTop + kTopStep * static_cast<double>(charts.size());
    charts.push_back(ChartOfLevel(state, request, records, level, top, charts.empty()));
  }
  return surfaces;
}

}  // namespace bardrill
