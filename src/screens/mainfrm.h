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

}  // namespace bardrill::screens
