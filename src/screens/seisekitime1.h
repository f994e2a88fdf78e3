#pragma once
#include <QVector>
#include <initializer_list>

#include "core/hub/history_chart.h"
#include "core/hub/hub_lists.h"
#include "core/hub/rankings.h"
#include "core/teacher/monthly_report.h"
#include "screens/form.h"
#include "screens/hub_printing.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace bardrill::screens {

class HistoryPanel;
class LevelColumn;
class TeacherPanel;
class WaitCover;

// The results hub: one column per level with its targets, counts, start button and list. It is
// rebuilt from the results file every time it becomes active, so it always shows the records so far.
class seisekitime1 : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "seisekitime1";
  // The level columns share the list area's width up to four levels; from five on they keep this
  // width and the area scrolls.
  static constexpr int kListAreaWidthTwips = 14592;
  static constexpr int kScrolledColumnTwips = 3456;
  explicit seisekitime1(Screens& screens);

  void Form_Load() override;
  void Form_QueryUnload() override;

  void Command4_Click(int index);   // start a level
  void Label3_Click(int index);     // start a level by its name, then close the hub
  void Command1_Click();            // back to the selection screen
  void Command8_Click();            // open the teacher panel
  void Command12_Click();           // close the teacher panel
  void Command10_Click(int index);  // check the teacher password
  void Command9_Click();            // level gate and overdoing ban
  void Command3_Click(int index);   // rank one level into its list
  void Option1_Click(int index);    // which list
  void Option2_Click(int index);    // which display
  void Combo1_Click();              // grade filter chosen
  void Combo2_Click();              // period of the list of all drills chosen
  void Command16_Click();           // individual times
  void Command17_Click();           // the chart view of the logged-in student
  void Command21_Click(int index);  // charts of the chosen levels: 0 on the screen, 1 printed
  void Command26_Click();           // the monthly report of the chosen students (teachers only)
  void HScroll1_Change();           // scroll the level columns
  void 回数など表示();

  bool hubReady() const { return HubReady; }
  DisplayModes displayMode() const { return DisplayMode; }
  PointRankModes pointRankMode() const { return PointRankMode; }
  int levelColumnWidth() const { return LevelColumnWidth; }
  int listPeriod() const { return ListPeriod; }

 protected:
  void Form_Activate() override;
  void Form_KeyPress(char32_t& KeyAscii) override;

 private:
  int levels() const { return Columns.size() - 1; }
  bool canStart(int level) const;
  void buildTopBand();
  void buildOptionFrame();
  QVector<QRadioButton*> addOptionRow(QButtonGroup* group, const char* array,
                                      std::initializer_list<const char*> captions, int first, int topTwips,
                                      void (seisekitime1::*clicked)(int));
  void buildListChoices();
  void buildPersonalButtons();
  void buildCovers();
  void buildTeacherPanel();
  void buildHistoryPanel();
  void showPersonalButtons(bool shown);
  // Starts a drill of `level` from its button or its name; false when the level cannot start now.
  bool startLevel(int level, bool coverFirst);
  void placeColumns();
  void showListCover(bool shown);
  void fillColumnTexts();
  void disableStartButtons();
  void beginListRefill();
  void endListRefill();
  // Fills every level's list with `list`, reading the results file again (on the file worker) where the
  // list shows drills.
  void fillLists(HubList list);
  void showLists(HubList list);
  // The hub's lists, buttons and captions once the counts are rebuilt.
  void showHub(const std::string& writeProblem);
  void prepareHistoryPanel();  // the chart view's choices as グラフ first offers them
  void showOrPrintCharts(int index);
  int chosenListButton() const;
  void setListCaptions();
  // The charts of the chosen levels, for the student and the paper that the caller puts in.
  ChartRequest chartRequest() const;
  void showHistoryPanel(bool shown);

  bool HubReady = false;
  DisplayModes DisplayMode = DisplayModes::Points;
  PointRankModes PointRankMode = PointRankModes::Cumulative;
  int LevelColumnWidth = 0;  // twips
  int ListPeriod = 3;
  int ViewedStudent = 0;
  std::vector<Month> Months;  // the month box's months, newest first
  std::string writeProblem_;  // why the results file cannot be written now; empty when it can
  HubPrinting printing_;

  // Top band: who is logged in and the ways out.
  QLabel* Label11;         // program title
  QLabel* Label12;         // student name and grade
  QLabel* Label13;         // student number and school
  QLabel* Label17;         // minutes since login
  QLabel* Label18;         // the student's drills today
  QPushButton* Command1;   // "戻る(0)": back to the selection screen
  QPushButton* Command8;   // "データ処理": teacher panel (teachers only)
  QPushButton* Command27;  // "印刷": print everything (teachers, when the identity offers it)

  // What the lists show.
  QFrame* Picture1;                 // frame of the option buttons
  QButtonGroup* displayGroup_;      // Option2: time, points, personal history
  QButtonGroup* listGroup_;         // Option1: which list
  QVector<QRadioButton*> Option2;   // 0..2
  QVector<QRadioButton*> Option1;   // 1..3 (element 0 unused)
  QComboBox* Combo1;                // grade filter
  QComboBox* Combo2;                // period of the list of all drills
  QPushButton* Command16;           // "個人別ﾀｲﾑ": every run of the logged-in student
  QPushButton* Command17;           // "グラフ": personal history chart
  QVector<QPushButton*> Command24;  // personal history charts: 0 "表示", 1 "印刷" (teachers only)
  QLabel* Label5;                   // header of the lists
  QScrollBar* HScroll1;             // scrolls the level columns when there are 5 or more

  QVector<LevelColumn*> Columns;  // by level 1..LevelCount (element 0, the design template, is not built)
  HistoryPanel* Picture11;        // the chart view

  // Covers while the hub works.
  WaitCover* Picture2;  // whole form: "Just a moment, please."
  QProgressBar* ProgressBar1;
  WaitCover* Picture6;  // the lists: "Just a momento, please."
  QProgressBar* ProgressBar2;

  TeacherPanel* Picture7;  // the teacher's password and the ways into the maintenance screens
};

}  // namespace bardrill::screens
