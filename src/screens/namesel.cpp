#include "screens/namesel.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/hub/selection_list.h"
#include "core/setup/identity.h"
#include "core/setup/menu_program.h"
#include "core/setup/roster.h"
#include "core/setup/sound_cues.h"
#include "painters/palette.h"
#include "screens/frmver.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "screens/wait_cover.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
const char* const kDisplayCaptions[4] = {"回数(今日／今まで）", "ポイント（今日／今まで）",
                                         "本日（ポイント／回数）", "今まで（ポイント／回数）"};
}  // namespace

namesel::namesel(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  AppState& state = screens.state;
  setWindowTitle(Q(state.ProgramTitle) + QStringLiteral(" 名前選び"));
  SizeTwips(this, 15360, 11100);
  const QColor panel(255, 255, 224);

  Label4 = MakeClickableLabel(this, QStringLiteral("Label4"));
  PlaceTwips(Label4, 360, 120, 8400, 1260);
  Label4->setCursor(Qt::PointingHandCursor);
  connect(Label4, &ClickableLabel::clicked, this, &namesel::Label4_Click);

  Picture3 = MakePanel(this, QStringLiteral("Picture3"), kBandColour);
  PlaceTwips(Picture3, 9000, 240, 6000, 1020);
  Image1 = MakeLabel(Picture3, QStringLiteral("Image1"), QStringLiteral("なまえを えらんで O.K."),
                     ProportionalFont(18, true));
  Image1->setAlignment(Qt::AlignCenter);
  PlaceTwips(Image1, 0, 0, 6000, 1020);

  List1 = MakeLineList(this, QStringLiteral("List1"));
  List1->setFont(FixedFont(14));
  PlaceTwips(List1, 360, 1500, 9000, 9300);
  connect(List1, &LineList::currentRowChanged, this, [this] { List1_Click(); });
  connect(List1, &LineList::rowActivated, this, [this] { List1_DblClick(); });

  Label1 = MakeLabel(this, QStringLiteral("Label1"), Q(kChooseYourName), ProportionalFont(20, true));
  PlaceTwips(Label1, 9660, 1500, 5400, 840);
  SetBackground(Label1, panel);
  Label2 = MakeLabel(this, QStringLiteral("Label2"));
  Label2->hide();

  Command14 =
      MakeButton(this, QStringLiteral("Command14"), QStringLiteral("O.K."), ProportionalFont(20, true));
  PlaceTwips(Command14, 9660, 2520, 5400, 960);
  connect(Command14, &QPushButton::clicked, this, &namesel::Command14_Click);

  Combo1 = new QComboBox(this);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->setFont(ProportionalFont(14));
  Combo1->setToolTip(QStringLiteral("表示する学年を選びなさい"));
  Combo1->addItem(QStringLiteral("全学年"));
  PlaceTwips(Combo1, 9660, 3780, 5400, 600);
  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });

  Picture7 = MakePanel(this, QStringLiteral("Picture7"), panel);
  PlaceTwips(Picture7, 9660, 4590, 5400, 2640);
  for (int i = 0; i < 4; ++i) {
    auto* option = new QRadioButton(QString::fromUtf8(kDisplayCaptions[i]), Picture7);
    option->setObjectName(ElementName("Option1", i));
    option->setFont(ProportionalFont(13));
    PlaceTwips(option, 180, 120 + 630 * i, 5100, 540);
    connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) Option1_Click(i);
    });
    Option1.push_back(option);
  }

  Command7 = MakeButton(this, QStringLiteral("Command7"), QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"),
                        ProportionalFont(14));
  PlaceTwips(Command7, 9660, 9900, 5400, 840);
  connect(Command7, &QPushButton::clicked, this, &namesel::Command7_Click);

  Picture8 = MakePanel(this, QStringLiteral("Picture8"), QColor(255, 192, 192));
  PlaceTwips(Picture8, 9660, 7500, 5400, 900);
  Label8 = MakeLabel(Picture8, QStringLiteral("Label8"), QStringLiteral("開発中"));
  PlaceTwips(Label8, 120, 120, 5100, 660);
  Picture8->hide();

  Picture5 = new WaitCover(this, QStringLiteral("Picture5"), FromBgr(state.SeasonColour),
                           {QStringLiteral("Just a moment, please."), 24, QStringLiteral("Label19"), {}});
  Label19 = Picture5->caption();
}

void namesel::Form_Load() {
  AppState& state = screens_.state;
  SetBackground(this, FromBgr(state.SeasonColour));
  SetBackground(Picture5, FromBgr(state.SeasonColour));
  Picture5->showOver(rect());
  SeedRandomFromClock(screens_.services);
  screens_.Show<namesel>();
  Label4->setText(Q(state.ProgramTitle));
  Label4->setFont(ProportionalFont(48, true));
  showRoster([this] { List1->setCurrentRow(0); });
}

void namesel::Form_Activate() {
  Picture8->hide();
  displayChoice_ = 1;
  Option1[1]->setChecked(true);  // lists the roster again when it was not the choice yet
  for (const std::string& grade : GradeFilterChoices()) {
    if (Combo1->findText(Q(grade)) < 0) Combo1->addItem(Q(grade));
  }
  screens_.state.GradeFilter = "全学年";
  if (Form* hub = screens_.Find<seisekitime1>()) screens_.Unload(hub);
  Label1->setText(Q(kChooseYourName));
  Picture5->hide();
  // The arrow keys move through the names at once: the screen works from the keyboard alone.
  List1->setFocus();
}

void namesel::showRoster(std::function<void()> then) {
  // The roster is read with the counts: a child added at another PC is listed.
  auto roster = std::make_shared<RosterRead>(RosterReadOf(screens_.state));
  screens_.RefreshCounts(
      this,
      [this, roster, then = std::move(then)] {
        if (!screens_.ApplyRoster(*roster)) return;
        名簿表示();
        if (then) then();
        Picture5->hide();
      },
      [roster] { ReadRosterInto(*roster); });
}

void namesel::名簿表示() {
  AppState& state = screens_.state;
  std::vector<SelectionLine> rows = SelectionLines(state, displayChoice_, S(Combo1->currentText()));
  std::vector<std::string> lines{kSelectionHeader};
  std::vector<int> students{0};
  lines.reserve(rows.size() + 1);
  students.reserve(rows.size() + 1);
  for (SelectionLine& row : rows) {
    lines.push_back(std::move(row.text));
    students.push_back(row.student);
  }
  List1->setLines(std::move(lines), std::move(students));
  // Choosing the header again clears the chosen name: a child no longer listed cannot be logged in.
  List1->setCurrentRow(0);
}

void namesel::Combo1_Click() {
  screens_.state.GradeFilter = S(Combo1->currentText());
  Picture5->showOver(rect());
  showRoster();
  List1->setFocus();
}

void namesel::Option1_Click(int index) {
  displayChoice_ = index;
  Picture5->showOver(rect());
  showRoster();
}

void namesel::showChoice(int row, bool doubleClick) {
  if (row <= 0) {
    Label1->setText(Q(kChooseYourName));
    Label2->clear();
    return;
  }
  const std::string& text = List1->lines().line(row);
  Label1->setText(Q(doubleClick ? DoubleClickedNameOf(text) : ChosenNameOf(text)));
  Label2->setText(QString::number(List1->lines().key(row)));
}

void namesel::List1_Click() { showChoice(List1->currentRow(), false); }

void namesel::List1_DblClick() {
  showChoice(List1->currentRow(), true);
  if (List1->currentRow() > 0) Command14_Click();
}

void namesel::Command14_Click() {
  AppState& state = screens_.state;
  // The child on the chosen line of the list as it is now, never a number left from an earlier list.
  const int row = List1->currentRow();
  const bool named = !(Label1->text() == Q(kChooseYourName) || Label1->text().isEmpty());
  if (!named || row <= 0 ||
      !LogInStudent(state, List1->lines().key(row), screens_.services.clock.SecondsSinceMidnight())) {
    PlayRefusalSound(state, screens_.services);
    return;
  }
  Command14->hide();
  Picture5->showOver(rect());
  BuildLevelCatalogue(state);
  screens_.Show<seisekitime1>();
}

void namesel::Command7_Click() {
  const std::string menu = MenuProgramPath(screens_.state.ExeFolder);
  std::string error;
  if (!screens_.services.launcher.Start(menu, "001", error)) {
    screens_.Fail("メニュープログラムを起動できません: " + error);
    return;
  }
  screens_.EndProgram(0);
}

// Closing the window here leaves the program as "0" does.
void namesel::Form_QueryUnload() {
  if (Command7->isVisible()) Command7_Click();
}

void namesel::Label4_Click() {
  frmver* version = screens_.Load<frmver>();
  version->move(mapToGlobal(rect().center()) - version->rect().center());
  screens_.Show<frmver>();
}

void namesel::Form_KeyPress(char32_t& KeyAscii) {
  if (KeyAscii == U'1' && Command14->isVisible()) {
    KeyAscii = 0;
    Command14_Click();
  } else if (KeyAscii == U'0' && Command7->isVisible()) {
    KeyAscii = 0;
    Command7_Click();
  } else if ((KeyAscii == U'\r' || KeyAscii == U' ') && focusWidget() == List1) {
    KeyAscii = 0;
    Command14_Click();
  }
}

}  // namespace bardrill::screens
