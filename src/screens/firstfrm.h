#pragma once
#include "screens/form.h"

class QLabel;
class QFrame;
class QTimer;

namespace bardrill::screens {

// The splash screen: shown at once, then 100 ms later the configuration is loaded and the
// selection screen replaces it.
class Firstfrm : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "Firstfrm";
  explicit Firstfrm(Screens& screens);
  void Form_Load() override;
  void Timer1_Timer();
  QTimer* timer() const { return Timer1; }

 private:
  QFrame* Picture1;  // frame of the splash picture
  QLabel* Image1;    // the splash picture, 640 x 480
  QLabel* Label1;    // "Just a moment, please."
  QLabel* Label5;    // today's era date
  QLabel* Label2;    // the maker line
  QTimer* Timer1;    // 100 ms, once
};

}  // namespace bardrill::screens
