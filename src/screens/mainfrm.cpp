#include "screens/mainfrm.h"

#include "core/drill.h"
#include "screens/screens.h"

namespace bardrill::screens {

Mainfrm::Mainfrm(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {}

void StartDrill(Screens& screens) {
  ResetDrill(screens.state);
  screens.DoEvents();
  screens.Show<Mainfrm>();
}

}  // namespace bardrill::screens
