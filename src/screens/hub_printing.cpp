#include "screens/hub_printing.h"

#include <QPainter>

#include "core/app_state.h"
#include "painters/chart_paint.h"
#include "painters/monthly_paint.h"
#include "platform/calendar.h"
#include "screens/printing.h"
#include "screens/screens.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
constexpr const char* kNoChartsToPrint = "グラフを印刷するレベルを、レベルの一覧で選んでください。";
}  // namespace

HubPrinting::HubPrinting(Screens& screens, QWidget* hub) : screens_(screens), hub_(hub) {}

void HubPrinting::printCharts(const std::vector<int>& students, ChartRequest request) {
  request.printer = true;
  std::vector<ChartSurface> pages;
  for (int student : students) {
    request.student = student;
    for (ChartSurface& surface : HistoryCharts(screens_.state, request)) pages.push_back(std::move(surface));
  }
  if (pages.empty()) {
    // Every level unchosen in the level list: say so, rather than let 印刷 do nothing.
    screens_.services.prompts.Message(screens_.state.ProgramTitle, kNoChartsToPrint);
    return;
  }
  PrintPages(screens_, hub_, QStringLiteral("個人ﾀｲﾑ"), static_cast<int>(pages.size()),
             [&pages](QPainter& painter, const QRectF& area, int page) {
               PaintChartSurface(painter, pages[static_cast<size_t>(page)], area, kChartBasePoints);
             });
}

void HubPrinting::printMonthly(Month month, const std::vector<int>& students,
                               const std::vector<ChartRecord>& drills) {
  AppState& state = screens_.state;
  const MonthlyReport report = BuildMonthlyReport(state, {month, students}, drills);
  if (report.pages.empty()) {
    screens_.services.prompts.Message(state.ProgramTitle, report.monthLabel + "にドリルをした人はいません。");
    return;
  }
  const QString madeOn = Q(calendar::FormatDate(screens_.services.clock.Today()) + " 作成");
  PrintPages(
      screens_, hub_, Q("月間成績表 " + report.monthLabel), MonthlyPageCount(report),
      [&](QPainter& painter, const QRectF& page, int index) {
        PaintMonthlyPage(painter, report, index, page, madeOn, kMonthlyTablePoints);
      },
      PageSetup{QPageLayout::Portrait, false});
}

}  // namespace bardrill::screens
