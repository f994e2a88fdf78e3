#include "screens/basefrm.h"

#include "screens/program_window.h"
#include "screens/screens.h"
#include "screens/widgets.h"

namespace bardrill::screens {

BASEFRM::BASEFRM(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowTitle(Q(screens.state.ProgramTitle));
  SetBackground(this, FromBgr(screens.state.SeasonColour));
  SizeTwips(this, kLargestPageTwips.width(), kLargestPageTwips.height());
}

}  // namespace bardrill::screens
