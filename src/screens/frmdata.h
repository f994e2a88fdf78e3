#pragma once
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/teacher/record_list.h"
#include "screens/form.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;

namespace bardrill::screens {

class LineList;
class WaitCover;

// The teacher's records maintenance: every record of the results file, one line each. A double click
// or Enter on a line opens the edit panel, where the record's time or student is corrected or the
// record deleted; both are refused when another PC changed the record since the panel read it.
class FrmData : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "FrmData";
  explicit FrmData(Screens& screens);

  void Form_Load() override;
  void Form_QueryUnload() override;
  // Reads the roster and the results file into the list; false when the program ended instead.
  // Reads the roster and the list of records again (the records on the file worker), then runs `then`.
  void Command1_Click(std::function<void()> then = {});
  void List1_Click();
  void List1_DblClick();
  void Combo1_Click();
  void VScroll1_Change();
  void Text1_Change();
  void Command2_Click();   // rewrite the record
  void Command3_Click();   // delete the record
  void Command4_Click();   // back to the hub
  void Command17_Click();  // print the list

  int selectedRecord() const { return SelectedRecord; }

 protected:
  void Form_KeyPress(char32_t& KeyAscii) override;

 private:
  void buildList();
  void buildEditPanel();
  void buildButtons();
  void buildCovers();
  // Reads record `number` on the file worker and shows it in the panel.
  void openRecord(int number);
  void showRecord(int number, const std::optional<RecordBytes>& bytes);
  void closePanel();
  // Tells the teacher why nothing was written, reads the file again and chooses `number`'s line (or
  // the next one when it is gone).
  void refused(const std::string& why, int number);
  // Rewrites or deletes record `number` through `change` on the file worker, then reads the list again
  // and runs `then`. When the file could not be written, or another PC changed the record, the teacher
  // is told instead.
  void changeRecord(int number, std::function<EditOutcome(ResultsFile&, const LockWaitStep&)> change,
                    std::function<void()> then);
  // Makes `row` (clamped to the list) the current line.
  void choose(int row);
  void fillChoices(std::vector<std::string> choices);

  int SelectedRecord = 0;              // the record the edit panel shows, 0 when it is closed
  std::optional<RecordBytes> asRead_;  // its bytes when the panel read it
  std::vector<std::string> choices_;   // Combo1's items as last filled
  // The records List1 shows, kept as records: their lines are made when shown or printed.
  std::shared_ptr<const RecordList> records_ = std::make_shared<RecordList>();

  QLabel* Label5;   // hint
  QLabel* Label3;   // "総レコード数:"
  LineList* List1;  // one line per record; each line knows its record number

  QFrame* Picture3;           // edit panel
  QLabel* Label1;             // SelectedRecord
  QVector<QLabel*> Label2;    // 1 level, 2 date, 4 grade of the chosen student (0 and 3 unused)
  QComboBox* Combo1;          // the roster: "number /  name"
  QVector<QLineEdit*> Text1;  // 1 seconds (0 unused)
  QScrollBar* VScroll1;       // moves the seconds
  QPushButton* Command2;      // "変更して記録"
  QPushButton* Command3;      // "消去"

  QPushButton* Command4;       // "戻る"
  QPushButton* Command17;      // "印刷"
  QFrame* Picture1;            // cover shown when leaving
  WaitCover* Picture6;         // cover while the list is read
  QLabel* Label8;              // "Just a moment,please."
  QProgressBar* ProgressBar1;  // how long another PC has held the lock of the results file
};

}  // namespace bardrill::screens
