#include "screens/frmver.h"

#include <QLabel>
#include <QPushButton>

#include "core/setup/identity.h"
#include "screens/screens.h"
#include "screens/widgets.h"

namespace bardrill::screens {

frmver::frmver(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  becomeDialog();
  FixedSizeTwips(this, 5400, 3300);
  Label1 = MakeLabel(this, QStringLiteral("Label1"), {}, ProportionalFont(20, true));
  PlaceTwips(Label1, 300, 240, 4800, 600);
  Label2 = MakeLabel(this, QStringLiteral("Label2"), {}, ProportionalFont(11));
  PlaceTwips(Label2, 300, 960, 4800, 360);
  Label4 = MakeLabel(this, QStringLiteral("Label4"));
  PlaceTwips(Label4, 300, 1440, 4800, 360);
  Label5 = MakeLabel(this, QStringLiteral("Label5"));
  PlaceTwips(Label5, 300, 1860, 4800, 360);
  Command1 = MakeButton(this, QStringLiteral("Command1"), QStringLiteral("O.K."));
  PlaceTwips(Command1, 3600, 2520, 1440, 480);
  Command2 = MakeButton(this, QStringLiteral("Command2"), QStringLiteral("ｼｽﾃﾑ情報"));
  PlaceTwips(Command2, 2040, 2520, 1440, 480);
  Command2->hide();
  connect(Command1, &QPushButton::clicked, this, &frmver::Command1_Click);
}

void frmver::Form_Activate() {
  screens_.DoEvents();
  screens_.DoEvents();
  Label1->setText(Q(screens_.state.ProgramTitle));
  Label2->setText(Q(VersionText()));
  Label4->setText(QStringLiteral("バー図ドリル bardrill"));
  Label5->setText(QStringLiteral("学習塾向け 教室用ソフトウェア"));
}

void frmver::Command1_Click() { screens_.Unload(this); }

void frmver::Form_QueryUnload() { Command1_Click(); }

}  // namespace bardrill::screens
