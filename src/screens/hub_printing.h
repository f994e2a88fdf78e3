#pragma once
#include <vector>

#include "core/hub/history_chart.h"
#include "core/teacher/monthly_report.h"

class QWidget;

namespace bardrill::screens {

class Screens;

// What the hub prints: the personal history charts and the monthly report, each on the printer the
// user chooses, over the hub.
class HubPrinting {
 public:
  HubPrinting(Screens& screens, QWidget* hub);

  // The charts of each of `students` in turn, as `request` asks for them (its student aside), one
  // chart a page.
  void printCharts(const std::vector<int>& students, ChartRequest request);
  // `month`'s report of `students` (everyone who drilled that month when none) from `drills`; tells
  // the user when nobody drilled that month.
  void printMonthly(Month month, const std::vector<int>& students, const std::vector<ChartRecord>& drills);

 private:
  Screens& screens_;
  QWidget* hub_;
};

}  // namespace bardrill::screens
