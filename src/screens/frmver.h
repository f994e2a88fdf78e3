#pragma once
#include "screens/form.h"

class QLabel;
class QPushButton;

namespace bardrill::screens {

// The version screen: the program's name and version, opened from the selection screen's title.
class frmver : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "frmver";
  explicit frmver(Screens& screens);
  void Form_QueryUnload() override;
  void Command1_Click();

 protected:
  void Form_Activate() override;

 private:
  QLabel* Label1;         // program title
  QLabel* Label2;         // "Version1.0.14"
  QLabel* Label4;         // maker
  QLabel* Label5;         // owner
  QPushButton* Command1;  // "O.K.": closes the screen
  QPushButton* Command2;  // no action
};

}  // namespace bardrill::screens
