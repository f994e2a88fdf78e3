#include "screens/mainfrm.h"

#include "screens/screens.h"

namespace bardrill::screens {

Mainfrm::Mainfrm(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {}

}  // namespace bardrill::screens
