// The pages at every screen size a school has, and the dialogs over them: their keys, their words.
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <set>

#include "core/drill/drill.h"
#include "core/results/counts.h"
#include "screens/application.h"
#include "screens/frmdata.h"
#include "screens/frmsyuuryou.h"
#include "screens/frmtimedata.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/program_window.h"
#include "screens/qt_services.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "screens/widgets.h"

namespace bardrill::testing {
namespace {

using namespace screens;

class ScreenSizes : public ScreenTest {
 protected:
  ~ScreenSizes() override { SetPageScale(1); }

  // Every page a child or a teacher meets, built at the page scale in force, handed to `check` while
  // it is shown (a page may leave as the next one comes).
  void EveryPage(const std::function<void(Form*)>& check) {
    check(screens.Show<namesel>());
    LogInAs(1);
    ComputeCounts(state, fakes.clock.today);
    check(screens.Show<seisekitime1>());
    state.SelectedLevel = 3;
    StartDrill(screens);
    DoEvents();
    check(screens.Find<Mainfrm>());
    check(screens.Show<FrmSyuuryou>());
    check(screens.Show<FrmTimeData>());
    check(screens.Show<FrmData>());
  }

  // The controls of `page` that a user sees, with what is wrong with each: outside the screen, or
  // outside the part of its parent that is shown.
  static std::vector<std::string> ControlsCutOff(Form* page, const QRect& screenRect) {
    std::vector<std::string> cut;
    for (QWidget* w : page->findChildren<QWidget*>()) {
      if (w->isWindow() || !w->isVisibleTo(page) || w->objectName().isEmpty() ||
          w->objectName().startsWith(QLatin1String("qt_")))
        continue;
      const QRect onPage(w->mapTo(page, QPoint(0, 0)), w->size());
      const QRect onScreen = onPage.translated(page->pos());
      if (!screenRect.contains(onScreen)) cut.push_back(w->objectName().toStdString() + " leaves the screen");
      if (!page->rect().contains(onPage)) cut.push_back(w->objectName().toStdString() + " leaves its page");
    }
    return cut;
  }
};

TEST_F(ScreenSizes, EveryPageFitsAndEveryControlStaysOnTheScreenFrom800x600To3840x2160) {
  for (const QSize screen : {QSize(800, 600), QSize(1024, 600), QSize(1024, 768), QSize(1366, 768),
                             QSize(1920, 1080), QSize(3840, 2160)}) {
    SCOPED_TRACE(std::to_string(screen.width()) + "x" + std::to_string(screen.height()));
    const double scale = PageScaleToFit(screen);
    SetPageScale(scale);
    const QRect screenRect(QPoint(0, 0), screen);
    screens.window()->setGeometry(screenRect);
    EveryPage([&](Form* page) {
      ASSERT_NE(page, nullptr);
      DoEvents();
      SCOPED_TRACE(page->objectName().toStdString());
      EXPECT_LE(page->width(), screen.width());
      EXPECT_LE(page->height(), screen.height());
      EXPECT_TRUE(screenRect.contains(QRect(page->pos(), page->size()))) << "centred inside the screen";
      EXPECT_EQ(ControlsCutOff(page, screenRect), std::vector<std::string>());
    });
    // The largest page fills the screen in one direction.
    EXPECT_TRUE(PixelsFromTwips(kLargestPageTwips.width()) >= screen.width() - 2 ||
                PixelsFromTwips(kLargestPageTwips.height()) >= screen.height() - 2);
    for (Form* f : screens.LoadedForms()) screens.Unload(f);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

TEST_F(ScreenSizes, FontsAndBordersGrowAndShrinkWithThePage) {
  SetPageScale(1);
  const double designPoints = ProportionalFont(12).pointSizeF();
  SetPageScale(0.78);
  EXPECT_NEAR(ProportionalFont(12).pointSizeF(), designPoints * 0.78, 0.01);
  EXPECT_NEAR(FixedFont(9).pointSizeF(), 9 * 0.78, 0.01);
  EXPECT_DOUBLE_EQ(ExactFixedFont(9).pointSizeF(), 9) << "paper keeps its size";
  EXPECT_EQ(ScaledPx(8), 6);
  SetPageScale(1.4);
  EXPECT_EQ(ScaledPx(8), 11);
  // Controls that touch in the design touch at any scale: a size is the distance between its edges.
  QWidget parent;
  QWidget left(&parent), right(&parent);
  for (const double scale : {0.78, 0.998, 1.333, 1.406}) {
    SetPageScale(scale);
    PlaceTwips(&left, 100, 100, 2495, 800);
    PlaceTwips(&right, 2595, 100, 3200, 800);
    EXPECT_EQ(left.geometry().right() + 1, right.x()) << scale;
  }
}

// ---- dialogs over a page ------------------------------------------------------------------------------

class DialogKeys : public ScreenTest {
 protected:
  Mainfrm* StartLevelOne(Screens& on) {
    LogInAs(1);
    ComputeCounts(state, fakes.clock.today);
    state.SelectedLevel = 1;
    StartDrill(on);
    DoEvents();
    return on.Find<Mainfrm>();
  }
  seisekitime1* OpenHub() {
    LogInAs(1);
    ComputeCounts(state, fakes.clock.today);
    seisekitime1* hub = screens.Show<seisekitime1>();
    DoEvents();
    return hub;
  }
};

TEST_F(DialogKeys, DigitsTypedIntoADialogOverTheHubNeitherStartADrillNorLeaveTheHub) {
  auto* app = static_cast<Application*>(QCoreApplication::instance());
  app->setScreens(&screens);
  seisekitime1* hub = OpenHub();
  QDialog dialog(hub);
  auto* fileName = new QLineEdit(&dialog);
  QString typed;
  QTimer::singleShot(0, &dialog, [&] {
    fileName->setFocus();
    // "1" starts level 1 on the hub and "0" goes back to the name screen, when the hub gets them.
    Type(fileName, QStringLiteral("chart-2026-10.pdf"));
    typed = fileName->text();
    dialog.accept();
  });
  dialog.exec();
  app->setScreens(nullptr);
  EXPECT_EQ(typed, QStringLiteral("chart-2026-10.pdf"));
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>()) << "a digit started a drill";
  EXPECT_EQ(screens.window()->page(), hub) << "the hub is still the page shown";
}

TEST_F(DialogKeys, APageUnloadedUnderItsOwnDialogGoesOnlyOnceTheDialogIsClosed) {
  seisekitime1* hub = OpenHub();
  QPointer<seisekitime1> alive(hub);
  bool aliveAfterUnload = false;
  {  // as the print dialog lives in the handler that opened it
    QDialog dialog(hub);
    QTimer::singleShot(0, &dialog, [&] {
      screens.Unload(hub);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QTest::qWait(120);
      aliveAfterUnload = !alive.isNull();
      dialog.accept();
    });
    dialog.exec();
  }
  EXPECT_TRUE(aliveAfterUnload) << "deleted while its dialog was open";
  for (int i = 0; i < 20 && alive; ++i) {
    QTest::qWait(20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  EXPECT_TRUE(alive.isNull()) << "gone once the dialog closed";
}

TEST_F(DialogKeys, TheSoundFailureShowsOneBoxAndEnterInItEndsTheProgram) {
  QtPrompts prompts;
  Services services{fakes.clock, fakes.random, fakes.sound, fakes.launcher, prompts};
  Screens own(state, services);
  prompts.attach(&own);
  int ownEnd = -1;
  own.onEnd = [&](int code) { ownEnd = code; };
  auto* app = static_cast<Application*>(QCoreApplication::instance());
  app->setScreens(&own);
  fakes.sound.failAlways = true;
  Mainfrm* drill = StartLevelOne(own);
  ASSERT_NE(drill, nullptr);

  // Whatever box opens is answered with Enter, as a child at the keyboard would.
  std::set<QWidget*> boxes;
  QStringList texts;
  QTimer answerer;
  answerer.setInterval(5);
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box || boxes.count(box)) return;
    boxes.insert(box);
    if (auto* text = box->findChild<QLabel*>(QStringLiteral("MessageText"))) texts << text->text();
    Press(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
  });
  answerer.start();
  for (int i = 0; i < 4 && ownEnd == -1; ++i) {
    Type(drill->focusWidget() ? drill->focusWidget() : drill, QStringLiteral("0"));
    Press(drill->focusWidget() ? drill->focusWidget() : drill, Qt::Key_Return);
  }
  answerer.stop();
  app->setScreens(nullptr);
  EXPECT_EQ(boxes.size(), 1u);
  ASSERT_EQ(texts.size(), 1);
  EXPECT_TRUE(texts[0].startsWith(QStringLiteral("音声がでません。先生を呼びなさい。")))
      << texts[0].toStdString();
  EXPECT_NE(ownEnd, -1) << "the program ends after the box";
}

TEST_F(DialogKeys, MessageLinesBreakOnlyBetweenWords) {
  const QFont font = ProportionalFont(11);
  const QFontMetrics metrics(font);
  const QString sentence = QStringLiteral(
      "成績を保存できませんでした。ディスクがいっぱいです。"
      "もう一度保存しますか？ 「いいえ」でプログラムを終了します。");
  const int narrow = metrics.horizontalAdvance(QStringLiteral("成績を保存できませんでした。"));
  const QStringList lines = WrapBetweenWords(sentence, metrics, narrow).split(QLatin1Char('\n'));
  ASSERT_GT(lines.size(), 2);
  for (const QString& line : lines) {
    const QChar last = line.back();
    EXPECT_TRUE(QStringLiteral("。？」").contains(last)) << line.toStdString() << ": broken inside a word";
  }
  EXPECT_EQ(lines.join(QString()).remove(QLatin1Char(' ')), QString(sentence).remove(QLatin1Char(' ')));

  // The text's own line ends stay; a piece wider than the box stands whole on its line.
  const QString path = QStringLiteral("/srv/さくら学習塾/共通/ソネタ/成績累積データ.dat");
  const QStringList kept =
      WrapBetweenWords(QStringLiteral("読めません。\n") + path, metrics, metrics.horizontalAdvance(path) / 3)
          .split(QLatin1Char('\n'));
  EXPECT_EQ(kept.front(), QStringLiteral("読めません。"));
  EXPECT_EQ(kept.mid(1).join(QString()), path);
  for (const QString& line : kept.mid(1)) EXPECT_TRUE(line.endsWith(QLatin1Char('/')) || path.endsWith(line));
}

TEST_F(DialogKeys, AFullScreenWindowMinimisedMidDrillComesBackWithItsDrillAsItWas) {
  Mainfrm* drill = StartLevelOne(screens);
  ASSERT_NE(drill, nullptr);
  Type(drill, QString::number(drill->ExpectedAnswer()));
  Press(drill, Qt::Key_Return);
  const QString left = drill->findChild<QLabel*>(QStringLiteral("Label8"))->text();
  screens.window()->showOnWholeScreen();
  DoEvents();
  screens.window()->showMinimized();
  DoEvents();
  DoEvents();
  EXPECT_FALSE(screens.window()->isMinimized());
  EXPECT_TRUE(screens.window()->windowState() & Qt::WindowFullScreen);
  EXPECT_EQ(screens.Find<Mainfrm>(), drill);
  EXPECT_EQ(drill->findChild<QLabel*>(QStringLiteral("Label8"))->text(), left);
  EXPECT_FALSE(screens.window()->windowFlags() & Qt::WindowMinimizeButtonHint);
}

}  // namespace
}  // namespace bardrill::testing
