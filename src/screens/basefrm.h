#pragma once
#include "screens/form.h"

namespace bardrill::screens {

// A blank page that the window shows while the drill hands over to the completion screen.
class BASEFRM : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "BASEFRM";
  explicit BASEFRM(Screens& screens);
};

}  // namespace bardrill::screens
