#include "screens/seisekitime1.h"

#include "screens/screens.h"

namespace bardrill::screens {

seisekitime1::seisekitime1(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {}

}  // namespace bardrill::screens
