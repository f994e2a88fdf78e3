#pragma once
#include "screens/form.h"

namespace bardrill::screens {

// The drill screen: ten bar-diagram problems typed from the keyboard, timed.
class Mainfrm : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "Mainfrm";
  explicit Mainfrm(Screens& screens);
};

// Starts a drill of state.SelectedLevel: resets the drill's values, lets pending events run and shows a
// fresh drill screen. Called by the hub's start buttons and the completion screen's "もう一度".
void StartDrill(Screens& screens);

}  // namespace bardrill::screens
