#include "screens/frmsyuuryou.h"

#include "screens/screens.h"

namespace bardrill::screens {

FrmSyuuryou::FrmSyuuryou(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {}

}  // namespace bardrill::screens
