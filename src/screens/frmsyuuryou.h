#pragma once
#include "screens/form.h"

namespace bardrill::screens {

// The completion screen: the time, the points formula, today's counts and the record message.
class FrmSyuuryou : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "FrmSyuuryou";
  explicit FrmSyuuryou(Screens& screens);
};

}  // namespace bardrill::screens
