#pragma once
#include <QVector>
#include <QWidget>
#include <memory>

#include "core/drill/problems.h"
#include "screens/form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace bardrill {
struct PendingResult;
}  // namespace bardrill

namespace bardrill::screens {

class WaitCover;

// A thin black connector of the diagram. Qt has no line control: the widget covers the segment's
// bounding box and draws the segment corner to corner.
class DiagramLine : public QWidget {
  Q_OBJECT
 public:
  explicit DiagramLine(QWidget* parent);
  void setSegment(const TwipLine& segment);
  const TwipLine& segment() const { return segment_; }
  void paint(QPainter& painter) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TwipLine segment_;
};

// A filled block: the bars of the diagram and the decoration of the screen.
class FilledShape : public QWidget {
  Q_OBJECT
 public:
  FilledShape(QWidget* parent, const QString& name, const QColor& light, const QColor& dark);
  void paint(QPainter& painter) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor light_, dark_;
};

// The drill screen: ten bar-diagram problems typed from the keyboard, timed. It has no visible buttons;
// keys and a one-second timer drive it.
class Mainfrm : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "Mainfrm";
  explicit Mainfrm(Screens& screens);

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Timer1_Timer();
  void FinishDrill();
  // Writes the record of the selected level's drill on the file worker, then shows the completion screen
  // a second later. When it cannot be written, asks the teacher whether to try again; no ends the program.
  void RecordDrillResult();
  // Asks the teacher whether to try saving again after `why`; ends the program on no.
  bool askToSaveAgain(const std::string& why);

  const Problem& problem() const { return problem_; }
  int ExpectedAnswer() const { return problem_.ExpectedAnswer; }
  int AskedIndex() const { return problem_.AskedIndex; }
  QString AnswerText() const;

 protected:
  void Form_Activate() override;
  void Form_KeyPress(char32_t& KeyAscii) override;

 private:
  void buildTitleRow();
  void buildInstruction();
  void buildDiagram();
  void buildHiddenControls();
  void showProblem(const Problem& problem);
  void submitAnswer();
  void setAnswerText(const QString& text);
  void showRemaining();
  // The blank page for a moment, then the completion screen.
  void showCompletionSoon();
  // Leaves the screen for good: the timer stops and later keys find nothing to do.
  void unloadSelf();

  Problem problem_;
  ProblemSequence sequence_;
  double DrillStartMonotonic = 0;
  bool unloaded_ = false;
  // The finished drill's record, made once and kept through the teacher's tries to save it again: a
  // try that reached the share although it failed is not written a second time, and the record keeps
  // the time the drill was finished.
  std::shared_ptr<PendingResult> pending_;

  // Title row
  QFrame* Picture2;              // title box
  QVector<QLabel*> Label9;       // 0: program title, 1: student name
  QFrame* Picture1;              // top bar with the name, the time and the problems left
  QLabel* Label3;                // "ﾀｲﾑ"
  QLabel* Label7;                // elapsed seconds
  QLabel* Label4;                // "秒"
  QLabel* Label5;                // "あと"
  QLabel* Label8;                // problems left
  QLabel* Label6;                // "問"
  FilledShape* Shape2;           // band under the top row
  QVector<FilledShape*> Shape1;  // coloured blocks, 1..2 (0 unused)

  // Instruction
  QLineEdit* Text4;  // legend in the answer colour
  QLabel* Label2;    // "に数字を入れなさい"

  // Diagram
  QVector<FilledShape*> Picture4;  // bars, 1..2 (0 unused)
  QVector<QFrame*> Picture5;       // number boxes 0..2
  QVector<QLabel*> Label1;         // numbers inside the boxes; the asked one holds the typed answer
  QVector<DiagramLine*> Line1;     // connectors 1..6 (0 unused)

  // Never shown
  QLineEdit* Text5;            // holds the colour of the given numbers
  WaitCover* sPicture2;        // blank cover, shown when the drill finishes
  QLabel* waitCaption_;        // on the cover while another PC holds the results file
  QProgressBar* ProgressBar1;  // how long that wait has lasted
  QPushButton* Command1;       // part-whole problem
  QPushButton* Command2;       // area problem
  QPushButton* Command3;       // next problem of the level
  QPushButton* Command4;       // "スタート"
  QPushButton* Command5;       // "終了"
  QTimer* Timer1;              // elapsed-time display

  friend void StartDrill(Screens& screens);
};

// Starts a drill of state.SelectedLevel: resets the drill's values, lets pending events run and shows a
// fresh drill screen. Called by the hub's start buttons and the completion screen's "もう一度".
void StartDrill(Screens& screens);

}  // namespace bardrill::screens
