#pragma once
#include <functional>

#include "core/results/results_file.h"
#include "core/teacher/standards_editor.h"
#include "core/teacher/time_histograms.h"
#include "screens/form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTableWidgetItem;

namespace bardrill::screens {

class LineList;
class WaitCover;

// The teacher's standards editor: one grid row per level, one column per standard, the explanation of
// the column under the cursor, and the frequency charts of the times recorded on the level under it.
class FrmTimeData : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "FrmTimeData";
  explicit FrmTimeData(Screens& screens);

  void Form_Load() override;
  void Form_QueryUnload() override;

  void Command3_Click();          // save
  void Command2_Click();          // reload from the file, dropping edits
  void Command4_Click();          // back to the hub
  void Command7_Click();          // redraw the charts of the current level
  void Option1_Click(int index);  // show the charts
  void MSFlexGrid1_Click();

  bool changed() const { return Changed; }
  int lastRow() const { return LastRow; }
  int chartLevel() const { return ChartLevel; }

 protected:
  void Form_Activate() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildCaptions();
  void buildGrid();
  void buildButtons();
  void buildCharts();
  void TextToGrid転送();
  void GridToText転送();
  void PlaceCellEditor();
  bool Gridinputtext_KeyDown(int key, bool shift);

  // The standards file as the file worker read it: its grid and bytes, or why it could not be read.
  struct GridRead {
    StandardsGrid grid;
    std::string bytes;
    std::string fault;
  };
  void readGrid(std::function<void(GridRead& read)> then);
  // Fills the grid from the file, then runs `then`; an unreadable file ends the program when `opening`,
  // else the teacher is told and the grid stays as it was.
  void reload(bool opening, std::function<void()> then);
  void fillGrid(const StandardsGrid& grid);
  StandardsGrid gridContents() const;
  void equalColumns();
  void sizeGrid();
  // Checks the grid and writes it on the file worker; then `saved`, or, after telling the teacher why,
  // `notSaved`.
  void save(std::function<void()> saved, std::function<void()> notSaved);
  void leave();
  // Another PC saved since the grid was read: the file's values come in, the teacher's edits stay.
  // Each reads the file again and tells the teacher, then runs `then`.
  void redoOverNewerFile(const StandardsGrid& edited, std::function<void()> then);
  void reportFailedSave(const std::string& failure, const StandardsGrid& saving, std::function<void()> then);
  // Reads the time histograms on the file worker, then runs `then`.
  void readHistograms(std::function<void()> then);
  void moveTo(int row, int column);
  void copyDown();
  void setEditedText(int row, int column, const QString& text);
  void clearMarks();
  int row() const;
  int column() const;
  QTableWidgetItem* cell(int row, int column) const;

  QLabel* Label5;             // "成績の基準となるデータを変更できます"
  QLabel* Label2;             // what the screen is for
  QLabel* Label1;             // key help
  QLabel* Label4;             // blanked on entry
  QTableWidget* MSFlexGrid1;  // row 0 titles, column 0 levels, columns 1..12 the standards
  QLineEdit* Gridinputtext;   // the editing box laid over the current cell
  QLabel* Label6;             // "列の説明"
  QLabel* Label3;             // explanation of the current column
  QPushButton* Command3;      // "更新記録": save
  QPushButton* Command2;      // "元に戻す": reload
  QPushButton* Command4;      // "戻る": back to the hub
  QRadioButton* Option1[2];   // "度数非表示", "度数表示": both show the charts
  QFrame* Picture3;           // chart panel
  QLabel* Label7;             // "現在までの成績度数分布"
  QLabel* Label10;            // "最高タイム"
  LineList* List3;            // all drills of the level
  LineList* List4;            // each student's best time on the level
  WaitCover* Picture6;        // wait panel
  QLabel* Label8;             // "Just a moment,please."

  bool Changed = false;   // an edit not saved yet; only a save clears it
  int LastRow = 0;        // level rows in the grid
  int ChartLevel = 0;     // the level the charts show
  int selectionEnd_ = 0;  // last row of the Shift+Down copy
  bool entered_ = false;  // the entry procedure ran for this showing
  TimeHistograms histograms_;
  StandardsGrid loadedGrid_;         // the grid as the file held it when last read
  std::vector<std::string> titles_;  // the title row shown, as the file holds it
  std::string loadedBytes_;          // ...and the file's bytes then: a save over anything else is refused
};

}  // namespace bardrill::screens
