#pragma once
#include <QVector>
#include <functional>

#include "screens/form.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

namespace bardrill::screens {

class ClickableLabel;
class LineList;
class WaitCover;

// The name selection screen: the roster with today's and all-time activity, filtered by grade. A
// child picks their name and confirms; "0" leaves to the menu program.
class namesel : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "namesel";
  explicit namesel(Screens& screens);

  void Form_Load() override;
  void Form_QueryUnload() override;
  void 名簿表示();
  void Combo1_Click();
  void Option1_Click(int index);
  void List1_Click();
  void List1_DblClick();
  void Command14_Click();
  void Command7_Click();
  void Label4_Click();
  int displayChoice() const { return displayChoice_; }

 protected:
  void Form_Activate() override;
  void Form_KeyPress(char32_t& KeyAscii) override;

 private:
  void showChoice(int row, bool doubleClick);
  // Runs the roster display unless the counts cannot be had (the program ends, or a wait for the
  // results file already under way fills the list when it ends).
  // Rebuilds the counts on the file worker, then lists the roster with them, runs `then` and takes the
  // cover away.
  void showRoster(std::function<void()> then = {});

  int displayChoice_ = 0;
  ClickableLabel* Label4;          // program title; a click opens the version screen
  QLabel* Label1;                  // the chosen name
  QLabel* Label2;                  // the chosen student number (hidden)
  LineList* List1;                 // the roster list, header first; each line knows its student
  QComboBox* Combo1;               // grade filter
  QFrame* Picture7;                // frame of the display choices
  QVector<QRadioButton*> Option1;  // display choices 0..3
  QPushButton* Command14;          // "O.K."
  QPushButton* Command7;           // leave to the menu program
  WaitCover* Picture5;             // cover while busy
  QLabel* Label19;                 // "Just a moment, please."
  QFrame* Picture8;                // "開発中", always hidden
  QLabel* Label8;
  QFrame* Picture3;  // decoration
  QLabel* Image1;
};

}  // namespace bardrill::screens
