#pragma once
#include <QFrame>
#include <string>
#include <vector>

#include "core/hub/history_chart.h"
#include "core/hub/hub_lists.h"

class QComboBox;
class QPushButton;

namespace bardrill::screens {

class ChartView;
class LineList;

// The hub's personal history panel (`Picture11`): the chart box, the levels to chart and, on request,
// the students whose charts are shown or printed.
class HistoryPanel : public QFrame {
  Q_OBJECT
 public:
  explicit HistoryPanel(QWidget* parent);

  void setLevels(int levelCount);
  void setStudents(const StudentChoices& choices);
  // Levels 1..n chosen, no student chosen, the student list hidden: how the chart view opens.
  void reset(int firstLevels);
  std::vector<int> chosenLevels() const;    // level numbers, in list order
  std::vector<int> chosenStudents() const;  // student numbers, in list order
  // The monthly report's month box and button, shown to teachers: `labels` newest first, `chosen`
  // selected.
  void setMonths(const std::vector<std::string>& labels, int chosen);
  void showMonthly(bool shown);

  // The month box's choice (0 is the newest month), or -1 when none is chosen.
  int chosenMonth() const;
  // Shows `surface` in the chart box; `clearChart` leaves it empty.
  void showChart(ChartSurface surface);
  void clearChart();

 Q_SIGNALS:
  void choiceChanged();  // a level or a student was chosen or unchosen
  void backRequested();
  void monthlyRequested();

 private:
  ChartView* Picture12;    // the charts
  LineList* List3;         // levels to chart (several may be chosen)
  QPushButton* Command25;  // "他の人のデータを見る": shows the student list
  LineList* List2;         // students (several may be chosen for printing)
  QComboBox* Combo3;       // the month of the monthly report (teachers only)
  QPushButton* Command26;  // "月報印刷": prints the month's report of the chosen students (teachers only)
  QPushButton* Command18;  // "戻る"
};

}  // namespace bardrill::screens
