#pragma once
#include <QVector>

#include "core/rankings.h"
#include "screens/form.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace bardrill::screens {

class ClickableLabel;

// The results hub: one column per level with its targets, counts, start button and ranking. It is
// rebuilt from the results file every time it becomes active, so it always shows the records so far.
class seisekitime1 : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "seisekitime1";
  explicit seisekitime1(Screens& screens);

  void Form_Load() override;

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
  void HScroll1_Change();           // scroll the level columns
  void 回数など表示();

  bool hubReady() const { return HubReady; }
  DisplayModes displayMode() const { return DisplayMode; }
  PointRankModes pointRankMode() const { return PointRankMode; }
  int levelColumnWidth() const { return LevelColumnWidth; }

 protected:
  void Form_Activate() override;
  void Form_KeyPress(char32_t& KeyAscii) override;

 private:
  // The controls of one level column: one element of each of the column's control arrays.
  struct LevelColumn {
    QFrame* box = nullptr;             // holds the column's controls, moved as one when scrolling
    QLabel* Label1 = nullptr;          // level number
    ClickableLabel* Label3 = nullptr;  // level name; a click starts the level
    QPushButton* Command4 = nullptr;   // start button
    QLineEdit* Text1 = nullptr;        // "やりすぎ禁止" while the level is banned
    QLabel* Label7 = nullptr;          // targets
    QLabel* Label8 = nullptr;          // drills and points inside the judgement window
    QLabel* Label9 = nullptr;          // "今日"
    QLabel* Label14 = nullptr;         // today's drills and points
    QLabel* Label10 = nullptr;         // "今まで"
    QLabel* Label15 = nullptr;         // all drills and points
    QListWidget* List5 = nullptr;      // the level's ranking
    QPushButton* Command3 = nullptr;   // "成績表示"
    int ownLine = -1;                  // the logged-in student's line in List5, -1 when not listed
  };

  int levels() const { return Columns.size() - 1; }
  bool isPractice(int level) const;
  bool canStart(int level) const;
  void buildTopBand();
  void buildOptionFrame();
  void buildCovers();
  void buildTeacherPanel();
  void buildColumn(int level);
  void placeColumns();
  void showCover(bool shown);
  void showListCover(bool shown);
  void fillColumnTexts();
  void disableStartButtons();
  void beginListRefill();
  void endListRefill();
  void showOwnLine(int level);

  bool HubReady = false;
  DisplayModes DisplayMode = DisplayModes::Points;
  PointRankModes PointRankMode = PointRankModes::Cumulative;
  int LevelColumnWidth = 0;  // twips

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
  QButtonGroup* displayGroup;       // Option2: time, points, personal history
  QButtonGroup* listGroup;          // Option1: which list
  QVector<QRadioButton*> Option2;   // 0..2
  QVector<QRadioButton*> Option1;   // 1..3 (element 0 unused)
  QComboBox* Combo1;                // grade filter
  QComboBox* Combo2;                // period of the list of all drills
  QPushButton* Command17;           // "グラフ": personal history chart
  QVector<QPushButton*> Command24;  // personal history charts: 0 "表示", 1 "印刷" (teachers only)
  QLabel* Label5;                   // header of the lists
  QScrollBar* HScroll1;             // scrolls the level columns when there are 5 or more

  QVector<LevelColumn> Columns;  // by level 1..LevelCount (element 0, the design template, is not built)

  // Covers while the hub works.
  QFrame* Picture2;  // whole form: "Just a moment, please."
  QProgressBar* ProgressBar1;
  QFrame* Picture6;  // the lists: "Just a momento, please."
  QProgressBar* ProgressBar2;

  // Teacher panel.
  QFrame* Picture7;
  QLabel* Label28;                  // "データ変更パスワード"
  QLineEdit* Text3;                 // the password, not shown as typed
  QVector<QPushButton*> Command10;  // 0 "データ変更", 1 "合格タイムデータ変更"
  QPushButton* Command12;           // "戻る"
};

}  // namespace bardrill::screens
