#pragma once
#include "screens/form.h"

namespace bardrill::screens {

// The results hub: one column per level with its targets, counts, start button and ranking.
class seisekitime1 : public Form {
  Q_OBJECT
 public:
  static constexpr const char* kName = "seisekitime1";
  explicit seisekitime1(Screens& screens);
};

}  // namespace bardrill::screens
