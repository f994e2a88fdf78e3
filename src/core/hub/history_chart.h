#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace bardrill {

struct AppState;

// A student's time history of one level drawn as a chart with a statistics panel, as data: positions
// are fractions of the drawing surface (x of its width, y of its height, 0..1 from the top left),
// text sizes multiples of the surface's base font size. One surface holds up to three charts.
struct ChartSegment {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int width = 1;        // pen width in the surface's draw-width units
  uint32_t colour = 0;  // 0x00BBGGRR
};
struct ChartDot {
  double x = 0, y = 0;
  bool record = false;  // a new personal best: red; other runs blue
  int seconds = 0;
};
// What a text of a chart is. It decides where the text may stand and which texts give way where two
// would meet (LayOutChartTexts).
enum class ChartTextRole {
  Name,        // the student's name heading the surface
  Title,       // the program and the level, on the chart's first line
  Statistic,   // a line of the statistics panel
  AxisLabel,   // the time axis' foot and top, beside the axis
  Legend,      // what a dot's colour means, on the title's line
  RecordTime,  // a record point's time, next to its dot
  RecordDate,  // its date, next to its time
  RunNumber,   // its run number, under the run axis
};

struct ChartText {
  double x = 0, y = 0;  // the anchor
  std::string text;
  double size = 1;      // times the base font size
  uint32_t colour = 0;  // 0x00BBGGRR
  ChartTextRole role = ChartTextRole::Title;
  double alignX = 0, alignY = 0;  // the shares of the text's width left of x and of its height above y
  int dot = -1;                   // the record point a record text annotates (index into the dots)
};

// A rectangle of the surface, in the same fractions as the positions.
struct ChartBox {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// The figures behind one level's chart, for tests and for the statistics lines.
struct HistoryFigures {
  int level = 0;
  int runCount = 0, runSum = 0, runMax = 0;  // the student's runs under 1800 s
  int scaleTop = 10;                         // top of the time axis, seconds
  int schoolBest = 99999, schoolSum = 0, schoolCount = 0;
  std::string timeRank, pointsRank;  // as the twin rankings show them ("  1", "---"); empty if not listed
  std::string points;                // the student's points so far on the level, as listed
  long long schoolPointsTotal = 0;
  int schoolPointsCount = 0;
  std::vector<std::string> statistics;  // the panel's lines, top to bottom
};

struct HistoryChart {
  HistoryFigures figures;
  double top = 0;  // of the chart's band on the surface
  ChartBox plot;   // the axes' box: the time axis is its left side, the run axis its bottom
  std::vector<ChartSegment> segments;  // axes and the line through the record points
  std::vector<ChartDot> dots;
  std::vector<ChartText> texts;  // headings, axis labels, legend, record annotations, statistics
};

// One surface: the screen's chart panel or one printed page.
struct ChartSurface {
  std::vector<HistoryChart> charts;
};

// How a chart sits on its surface.
enum class ChartLayout {
  // The hub's: the chart on the left half under the student's name, the statistics panel on the right.
  Panel,
  // The monthly report's: the chart across the whole surface, without the name (the page names the
  // child) or the statistics (the page's table gives the month's figures); no ranking is read.
  Wide,
};

// The days whose drills a chart shows: from `first` to `last`, both included (day counts).
struct DaySpan {
  int64_t first = 0;
  int64_t last = 0;
  bool Contains(double date) const {
    return date >= static_cast<double>(first) && date < static_cast<double>(last) + 1;
  }
};

struct ChartRequest {
  int student = 0;          // ViewedStudent
  std::vector<int> levels;  // the chosen levels, in list order
  std::string gradeFilter = "全学年";
  int64_t today = 0;
  bool printer = false;  // a printed page spaces the statistics lines closer and its titles larger
  // Only these days' drills; without it, the 3650 days up to today.
  std::optional<DaySpan> days;
  ChartLayout layout = ChartLayout::Panel;
};

// One drill as the charts read it.
struct ChartRecord {
  double date = 0;  // day count
  int32_t student = 0;
  int32_t level = 0;
  int32_t seconds = 0;
};

// The loaded per-record tables of `state` as chart records, in file order.
std::vector<ChartRecord> LoadedChartRecords(const AppState& state);

// The charts of the chosen levels, three to a surface, computed from the loaded records and the count
// tables in `state` (ComputeCounts has run). Levels above LevelCount end the list, as they end the
// drawing.
std::vector<ChartSurface> HistoryCharts(const AppState& state, const ChartRequest& request);
// The same from `records` (in file order) instead of the loaded ones. The school's figures are taken
// over `records`: a Wide chart, which shows none, may be given the viewed student's drills alone.
std::vector<ChartSurface> HistoryCharts(const AppState& state, const ChartRequest& request,
                                        std::span<const ChartRecord> records);

}  // namespace bardrill
