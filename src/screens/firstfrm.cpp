#include "screens/firstfrm.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <memory>
#include <optional>

#include "core/results/daily_copies.h"
#include "core/setup/config.h"
#include "core/setup/sound_cues.h"
#include "painters/palette.h"
#include "platform/clock.h"
#include "screens/namesel.h"
#include "screens/screens.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
// Two bars and their total, the picture of what the program drills, drawn in the design's 640 x 480
// pixels at the page scale.
QPixmap SplashPicture(QSize shownSize) {
  QPixmap pixmap(shownSize);
  pixmap.fill(kDrillColour);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  ScalePainter(p);
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(kBandColour);
  p.drawRect(120, 240, 240, 60);
  p.setBrush(QColor(64, 192, 64));
  p.drawRect(360, 240, 160, 60);
  p.setBrush(QColor(192, 255, 192));
  p.drawRect(270, 120, 100, 50);
  p.drawLine(120, 240, 270, 145);
  p.drawLine(520, 240, 370, 145);
  p.setFont(ExactProportionalFont(28, true));
  p.drawText(QRect(270, 120, 100, 50), Qt::AlignCenter, QStringLiteral("15"));
  p.drawText(QRect(120, 240, 240, 60), Qt::AlignCenter, QStringLiteral("9"));
  p.drawText(QRect(360, 240, 160, 60), Qt::AlignCenter, QStringLiteral("6"));
  p.setFont(ExactProportionalFont(40, true));
  p.setPen(QColor(0, 96, 96));
  p.drawText(QRect(0, 340, 640, 100), Qt::AlignCenter, QStringLiteral("バー図ドリル"));
  return pixmap;
}
}  // namespace

Firstfrm::Firstfrm(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowFlag(Qt::FramelessWindowHint);
  FixedSizeTwips(this, 9600, 9000);
  SetBackground(this, kDrillColour);
  Picture1 = new QFrame(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  PlaceTwips(Picture1, 0, 0, 9600, 7200);
  Image1 = MakeLabel(Picture1, QStringLiteral("Image1"));
  PlaceTwips(Image1, 0, 0, 9600, 7200);
  Image1->setPixmap(SplashPicture(Image1->size()));
  Label1 = MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("Just a moment, please."),
                     ProportionalFont(16, true));
  PlaceTwips(Label1, 300, 7350, 9000, 540);
  Label5 = MakeLabel(this, QStringLiteral("Label5"), {}, ProportionalFont(14));
  PlaceTwips(Label5, 300, 7920, 9000, 450);
  Label2 = MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("bardrill 学習塾のためのバー図ドリル"),
                     ProportionalFont(10));
  PlaceTwips(Label2, 300, 8460, 9000, 390);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  Timer1->setSingleShot(false);
  connect(Timer1, &QTimer::timeout, this, &Firstfrm::Timer1_Timer);
}

void Firstfrm::Form_Load() {
  screens_.Show<Firstfrm>();
  screens_.DoEvents();
  AppState& state = screens_.state;
  SeedRandomFromClock(screens_.services);
  PrepareSplash(state, screens_.services.clock.Today());
  Label5->setText(Q(state.DateLabel));
  screens_.Show<Firstfrm>();
  screens_.DoEvents();
  Timer1->start();
}

void Firstfrm::Timer1_Timer() {
  Timer1->stop();
  // Loaded into a copy on the file worker, so that the splash keeps painting while a slow share
  // answers, and taken over here once it is all read.
  struct Start {
    AppState state;
    std::optional<ResultsLoss> loss;
  };
  auto start = std::make_shared<Start>();
  start->state = screens_.state;
  screens_.RunFileWorkOnce(
      this,
      [start, clock = std::make_shared<ClockReading>(screens_.services.clock)] {
        LoadConfiguration(start->state, start->state.ExeFolder);
        start->loss = CopyUnlessLost(SchoolFilesOf(start->state), *clock);
        // Found here rather than by the fourth failed sound of a child's first drill, which would be lost.
        if (!start->loss) CheckWatchedSounds(start->state);
      },
      [this, start](std::exception_ptr failure) {
        if (failure) std::rethrow_exception(failure);
        screens_.state = std::move(start->state);
        if (start->loss)
          RefuseLostResults(SchoolFilesOf(screens_.state).results, *start->loss, screens_.services.prompts);
        screens_.Show<namesel>();
        screens_.Unload(this);
      });
}

}  // namespace bardrill::screens
