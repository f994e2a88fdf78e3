#include "screens/frmsyuuryou.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QtMath>
#include <cmath>

#include "core/results/counts.h"
#include "core/setup/sound_cues.h"
#include "screens/basefrm.h"
#include "screens/mainfrm.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "screens/ui_setup.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {

constexpr int kTimerInterval = 500;
constexpr double kSmallestPoints = 12;

constexpr int kFormWidthTwips = 15360;
constexpr int kFormHeightTwips = 11100;
// The card behind the results, in twips; the backdrop draws it so the labels stay transparent.
constexpr int kCardLeftTwips = 1080;
constexpr int kCardTopTwips = 1500;
constexpr int kCardWidthTwips = 13200;
constexpr int kCardHeightTwips = 7050;
// The same card in the backdrop's design pixels, where it is drawn.
constexpr QRect kCardPx(kCardLeftTwips / kTwipsPerPixel, kCardTopTwips / kTwipsPerPixel,
                        kCardWidthTwips / kTwipsPerPixel, kCardHeightTwips / kTwipsPerPixel);

// Places a widget across the card, `insetTwips` in from either side, `topTwips` below the card's top.
void PlaceOnCard(QWidget* w, int insetTwips, int topTwips, int heightTwips) {
  PlaceTwips(w, kCardLeftTwips + insetTwips, kCardTopTwips + topTwips, kCardWidthTwips - 2 * insetTwips,
             heightTwips);
}

QPolygonF Star(QPointF centre, double outer) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double radius = i % 2 == 0 ? outer : outer * 0.45;
    const double angle = -M_PI / 2 + i * M_PI / 5;
    star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
  }
  return star;
}

// A soft sky with bubbles, stars and hills, and a light card where the results are read, drawn in the
// design's pixels at the page scale.
QPixmap PaintBackdrop(QSize shownSize) {
  QPixmap pixmap(shownSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  ScalePainter(p);
  const QSizeF size = QSizeF(shownSize) / PageScale();
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor(186, 226, 255));
  sky.setColorAt(1, QColor(255, 246, 214));
  p.fillRect(QRectF(QPointF(0, 0), size), sky);

  p.setPen(Qt::NoPen);
  const struct {
    QPointF centre;
    double radius;
    QColor colour;
  } bubbles[] = {{{40, 120}, 70, QColor(255, 196, 220, 110)},  {{990, 150}, 90, QColor(255, 230, 140, 120)},
                 {{960, 520}, 60, QColor(190, 240, 190, 120)}, {{50, 560}, 80, QColor(200, 200, 255, 110)},
                 {{520, 40}, 30, QColor(255, 255, 255, 140)},  {{700, 60}, 18, QColor(255, 255, 255, 150)}};
  for (const auto& b : bubbles) {
    p.setBrush(b.colour);
    p.drawEllipse(b.centre, b.radius, b.radius);
  }
  p.setBrush(QColor(255, 214, 70, 200));
  for (QPointF at : {QPointF(30, 320), QPointF(994, 330), QPointF(120, 720), QPointF(900, 725)}) {
    p.drawPolygon(Star(at, 18));
  }

  QPainterPath hills;
  hills.moveTo(0, size.height());
  hills.lineTo(0, 690);
  hills.quadTo(260, 600, 520, 700);
  hills.quadTo(780, 610, size.width(), 680);
  hills.lineTo(size.width(), size.height());
  hills.closeSubpath();
  p.setBrush(QColor(150, 215, 140, 170));
  p.drawPath(hills);

  p.setBrush(QColor(255, 255, 255, 225));
  p.setPen(QPen(QColor(120, 180, 230), 4));
  p.drawRoundedRect(kCardPx, 28, 28);
  return pixmap;
}

// The backdrop is the same for every drill: painted once per size and kept for the next completion.
// Kept to the end of the program (never destroyed after the application object).
const QPixmap& Backdrop(QSize shownSize) {
  static auto* kept = new QPixmap;
  if (kept->size() != shownSize) *kept = PaintBackdrop(shownSize);
  return *kept;
}

QLabel* MakeTextLabel(QWidget* parent, const char* name, const QColor& colour, Qt::Alignment align) {
  QLabel* label = MakeLabel(parent, QString::fromLatin1(name));
  label->setAlignment(align | Qt::AlignVCenter);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  return label;
}

// The completion's texts are bold, shrink no smaller than 12 points and keep 8 pixels clear of their
// label's edge.
void SetCardText(QLabel* label, const QString& text, double points) {
  SetFittedText(label, text, points, true, kSmallestPoints, ScaledPx(8));
}

QString ButtonStyle(const QColor& face, const QColor& edge) {
  return QStringLiteral(
             "QPushButton { background: %1; color: rgb(40, 40, 60); border: %3px solid %2; border-radius: "
             "%4px; }"
             "QPushButton:focus { border: %5px solid rgb(255, 140, 0); }"
             "QPushButton:pressed { background: %2; }"
             "QPushButton:disabled { color: rgb(150, 150, 150); }")
      .arg(face.name(), edge.name())
      .arg(ScaledPx(4))
      .arg(ScaledPx(24))
      .arg(ScaledPx(8));
}

QString RoundedBackground(const char* rgb, int radiusPx) {
  return QStringLiteral("background: %1; border-radius: %2px;")
      .arg(QLatin1String(rgb))
      .arg(ScaledPx(radiusPx));
}

QPushButton* MakeBigButton(QWidget* parent, const char* name, const QString& caption, const QColor& face,
                           const QColor& edge) {
  QPushButton* button = MakeButton(parent, QString::fromLatin1(name), caption, ProportionalFont(28, true));
  button->setStyleSheet(ButtonStyle(face, edge));
  // Enter on the focused button presses it, as Space does.
  button->setAutoDefault(true);
  button->hide();
  return button;
}

}  // namespace

FrmSyuuryou::FrmSyuuryou(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowTitle(QStringLiteral("終了"));
  SizeTwips(this, kFormWidthTwips, kFormHeightTwips);
  // The colour halfway between the backdrop's sky and its ground, for the window's margins beside it.
  SetBackground(this, QColor(219, 236, 235));

  Image1 = MakeLabel(this, QStringLiteral("Image1"));

  Label15 = MakeTextLabel(this, "Label15", Qt::white, Qt::AlignHCenter);
  PlaceTwips(Label15, 360, 240, 3000, 1020);
  Label15->setStyleSheet(RoundedBackground("rgb(0, 128, 128)", 16));
  Label16 = MakeTextLabel(this, "Label16", QColor(0, 90, 90), Qt::AlignHCenter);
  PlaceTwips(Label16, 3540, 240, 3600, 1020);
  Label16->setStyleSheet(RoundedBackground("rgb(255, 255, 255)", 16));
  Label17 = MakeTextLabel(this, "Label17", QColor(30, 30, 80), Qt::AlignRight);
  PlaceTwips(Label17, 7320, 240, 7680, 1020);

  Label18 = MakeTextLabel(this, "Label18", QColor(20, 60, 170), Qt::AlignHCenter);
  PlaceOnCard(Label18, 300, 240, 1500);
  Label19 = MakeTextLabel(this, "Label19", QColor(60, 40, 20), Qt::AlignHCenter);
  PlaceOnCard(Label19, 300, 1830, 1080);
  Label20 = MakeTextLabel(this, "Label20", QColor(220, 30, 60), Qt::AlignHCenter);
  PlaceOnCard(Label20, 300, 2970, 1140);
  Label20->hide();

  // Today's counts read as one line, centred whatever the figures' widths.
  auto* todayRow = new QWidget(this);
  PlaceOnCard(todayRow, 300, 4200, 900);
  auto* row = new QHBoxLayout(todayRow);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(PixelsFromTwips(120));
  Label13 = MakeTextLabel(todayRow, "Label13", QColor(60, 60, 60), Qt::AlignLeft);
  Label14 = MakeTextLabel(todayRow, "Label14", QColor(60, 60, 60), Qt::AlignLeft);
  for (QLabel* label : {Label13, Label14}) label->setFont(ProportionalFont(24, true));
  row->addStretch();
  row->addWidget(Label13);
  row->addWidget(Label14);
  row->addStretch();

  Label2 = MakeTextLabel(this, "Label2", QColor(200, 60, 0), Qt::AlignHCenter);
  // Centred on the card, then a pixel to the left: on the pixel centre QRect::center() gives the card.
  constexpr int kLevelClearedWidthTwips = 9600;
  PlaceTwips(Label2, kCardLeftTwips + (kCardWidthTwips - kLevelClearedWidthTwips) / 2 - kTwipsPerPixel,
             kCardTopTwips + 5400, kLevelClearedWidthTwips, 1260);
  Label2->setStyleSheet(RoundedBackground("rgb(255, 232, 120)", 20));
  Label2->setFont(ProportionalFont(30, true));
  Label2->setText(QStringLiteral("このレベルクリア"));
  Label2->hide();

  Command4 = MakeBigButton(this, "Command4", QStringLiteral("メニューへ"), QColor(200, 230, 255),
                           QColor(70, 140, 220));
  PlaceTwips(Command4, 2280, 9150, 4800, 1500);
  connect(Command4, &QPushButton::clicked, this, &FrmSyuuryou::Command4_Click);
  Command5 =
      MakeBigButton(this, "Command5", QStringLiteral("もう一度"), QColor(210, 245, 200), QColor(80, 170, 80));
  PlaceTwips(Command5, 8280, 9150, 4800, 1500);
  connect(Command5, &QPushButton::clicked, this, &FrmSyuuryou::Command5_Click);

  Picture1 = MakePanel(this, QStringLiteral("Picture1"), QColor(255, 246, 150));
  constexpr int kBannerInsetTwips = 600;
  constexpr int kBannerHeightTwips = 3600;
  PlaceOnCard(Picture1, kBannerInsetTwips, 1650, kBannerHeightTwips);
  Picture1->setStyleSheet(
      QStringLiteral("#Picture1 { background: rgb(255, 246, 150); border: %1px solid rgb(255, 150, 0);"
                     " border-radius: %2px; }")
          .arg(ScaledPx(8))
          .arg(ScaledPx(32)));
  Label1 = MakeTextLabel(Picture1, "Label1", QColor(210, 30, 30), Qt::AlignHCenter);
  // Inside the banner's border.
  constexpr int kBannerMarginTwips = 180;
  PlaceTwips(Label1, kBannerMarginTwips, kBannerMarginTwips,
             kCardWidthTwips - 2 * kBannerInsetTwips - 2 * kBannerMarginTwips,
             kBannerHeightTwips - 2 * kBannerMarginTwips);
  SetCardText(Label1, QStringLiteral("目標レベルクリア。おめでとう！"), 36);
  Picture1->hide();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTimerInterval);
  connect(Timer1, &QTimer::timeout, this, &FrmSyuuryou::Timer1_Timer);
}

void FrmSyuuryou::Form_Load() {
  PlaceTwips(Image1, 0, 0, kFormWidthTwips, kFormHeightTwips);
  Image1->setPixmap(Backdrop(Image1->size()));
  Image1->lower();
}

void FrmSyuuryou::Form_Activate() {
  AppState& state = screens_.state;
  // A provisional figure while the counts are rebuilt from the results file.
  Label13->setText(Q(ProvisionalTodayText(state)));
  screens_.RefreshCounts(this, [this] { showCompletion(); });
}

void FrmSyuuryou::showCompletion() {
  AppState& state = screens_.state;
  const CompletionView view = EvaluateCompletion(state);

  levelCleared_ = view.levelCleared;
  if (view.levelCleared) Label2->show();
  // Decided before any sound, so a repeated clear never flashes the congratulation during one.
  if (view.congratulate) {
    Picture1->show();
    Picture1->raise();
  } else {
    Picture1->hide();
  }
  Timer1->start();

  SetCardText(Label19, Q(view.pointsText), 32);
  SetCardText(Label18, Q(view.timeText), 48);
  SetCardText(Label17, Q(view.nameText), 28);
  SetCardText(Label15, Q(view.titleText), 30);
  SetCardText(Label16, Q(view.levelText), 28);
  Label13->setText(Q(view.todayLevelText));
  Label14->setText(Q(view.todayTotalText));
  if (!view.message.empty()) {
    SetCardText(Label20, Q(view.message), 38);
    Label20->show();
  }

  // The sounds block until they end: let the child read the result meanwhile, today's counts laid out
  // for their new widths already.
  Label13->parentWidget()->layout()->activate();
  repaint();
  playRecordSound(view.sound);
  if (view.playPass) PlayPassSound(state, screens_.services);
  screens_.Unload<BASEFRM>();
}

void FrmSyuuryou::playRecordSound(CompletionSound sound) {
  AppState& state = screens_.state;
  Services& services = screens_.services;
  switch (sound) {
    case CompletionSound::PersonalBest:
      PlayPersonalBestSound(state, services);
      break;
    case CompletionSound::SchoolRecord:
      PlaySchoolRecordSound(state, services);
      break;
    case CompletionSound::Fail:
      PlayFailSound(state, services);
      break;
    case CompletionSound::None:
      break;
  }
}

void FrmSyuuryou::Timer1_Timer() {
  Picture1->hide();
  Command4->show();
  Command4->setFocus(Qt::OtherFocusReason);
  Timer1->stop();
  const CompletionChoices choices = CompletionAfterPause(screens_.state, levelCleared_);
  Command5->setVisible(choices.showRetry);
  Label2->setText(Q(choices.levelLabelText));
  Label2->setVisible(choices.levelLabelVisible);
}

// Leaving already (either button): a second press must not open a second screen.
bool FrmSyuuryou::startLeaving() {
  if (!Command4->isEnabled()) return false;
  Command4->setEnabled(false);
  return true;
}

void FrmSyuuryou::Command4_Click() {
  if (!startLeaving()) return;
  Screens& screens = screens_;
  screens.Show<seisekitime1>();
  screens.Unload(this);
}

// Until its buttons show, the drill's result is still on its way: closing the window then does nothing.
void FrmSyuuryou::Form_QueryUnload() {
  if (Command4->isVisible()) Command4_Click();
}

void FrmSyuuryou::Command5_Click() {
  if (!startLeaving()) return;
  Screens& screens = screens_;
  screens.Show<BASEFRM>();
  screens.Unload(this);
  StartDrill(screens);
}

}  // namespace bardrill::screens
