#pragma once
#include "core/drill/completion.h"
#include "screens/form.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace bardrill::screens {

// The completion screen: the time, the points formula, today's counts and the record message of the
// drill just recorded; after half a second the way back to the hub and, unless the child is overdoing a
// cleared level, one more drill of the same level.
class FrmSyuuryou : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "FrmSyuuryou";
  explicit FrmSyuuryou(Screens& screens);

  void Form_Load() override;
  void Form_QueryUnload() override;
  void Timer1_Timer();
  void Command4_Click();
  void Command5_Click();

 protected:
  void Form_Activate() override;

 private:
  // The result of the drill once the counts are rebuilt: times, points, messages and sounds.
  void showCompletion();
  void playRecordSound(CompletionSound sound);
  bool startLeaving();

  bool levelCleared_ = false;  // the judgement of this activation, which the first tick reuses

  QLabel* Image1;         // friendly backdrop behind everything
  QLabel* Label15;        // program title
  QLabel* Label16;        // name of the level just done
  QLabel* Label17;        // the child's name
  QLabel* Label18;        // the time, "今の成績：N秒"
  QLabel* Label19;        // the points and how they were computed
  QLabel* Label20;        // record message; hidden until there is one
  QLabel* Label13;        // runs of this level today
  QLabel* Label14;        // runs of all levels today
  QLabel* Label2;         // "このレベルクリア", or the advice to move on
  QFrame* Picture1;       // congratulation panel for clearing the last level
  QLabel* Label1;         // its text
  QPushButton* Command4;  // "メニューへ": back to the hub
  QPushButton* Command5;  // "もう一度": the same level again
  QTimer* Timer1;         // the half-second pause before the buttons appear
};

}  // namespace bardrill::screens
