// Walks a child's path through the screens on a demo installation and saves a picture of each screen,
// so that the README's pictures can be remade whenever the screens change.
//
//   bardrill-screenshots PROGRAM_FOLDER OUTPUT_FOLDER
//
// It appends one drill to the installation's results file: run it on a throw-away installation.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "core/app_state.h"
#include "core/services.h"
#include "platform/clock.h"
#include "screens/application.h"
#include "screens/firstfrm.h"
#include "screens/frmdata.h"
#include "screens/frmsyuuryou.h"
#include "screens/frmtimedata.h"
#include "screens/frmver.h"
#include "screens/line_list.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/program_window.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "screens/ui_setup.h"

namespace {
using namespace bardrill;

// Pictures need no sound and start no other program.
class SilentPlayer : public SoundPlayer {
 public:
  bool PlayToEnd(const std::string&, std::string&) override { return true; }
};
// Each reading of the drill's clock moves it on by some seconds, so that the pictured drill has a
// plausible time instead of the instant one of keys sent by a program.
class UnhurriedClock : public SystemClock {
 public:
  double MonotonicSeconds() override { return SystemClock::MonotonicSeconds() + 40.0 * readings_++; }

 private:
  int readings_ = 0;
};
class NoLauncher : public ProgramLauncher {
 public:
  bool Start(const std::string&, const std::string&, std::string&) override { return true; }
};
class PrintedPrompts : public Prompts {
 public:
  void Message(const std::string& title, const std::string& text) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    Message(title, text);
    return false;
  }
};

void Settle(int ms = 150) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Lets the program run until `ready` holds: the start and the lists are read on the file worker, so a
// screen shows a moment after the step that asks for it. False after ten seconds.
template <class Ready>
bool SettleUntil(Ready ready) {
  QElapsedTimer t;
  t.start();
  while (!ready()) {
    if (t.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void Key(QWidget* target, const QString& text, int key = Qt::Key_unknown) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &release);
}

void Save(QWidget* form, const QString& folder, const char* name) {
  Settle();
  QString path = QDir(folder).filePath(QString::fromLatin1(name));
  // The whole window as a child sees it, margins included; a dialog form is pictured alone.
  if (!form->window()->grab().save(path)) std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
  std::printf("%s\n", qPrintable(path));
}

QWidget* Focused(QWidget* form) { return form->focusWidget() ? form->focusWidget() : form; }
}  // namespace

int main(int argc, char** argv) {
  screens::Application app(argc, argv);
  screens::ScaleToFitScreen();
  screens::ApplyJapaneseFonts(app);
  if (argc != 3) {
    std::fprintf(stderr, "usage: bardrill-screenshots PROGRAM_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);

  UnhurriedClock clock;
  SystemRandom random;
  SilentPlayer sound;
  NoLauncher launcher;
  PrintedPrompts prompts;
  Services services{clock, random, sound, launcher, prompts};
  AppState state;
  state.ExeFolder = std::string(argv[1]) + "/";
  screens::Screens nav(state, services);
  nav.setFullScreen(true);
  int ended = -1;
  nav.onEnd = [&](int code) { ended = code; };
  app.setScreens(&nav);

  auto* splash = nav.Load<screens::Firstfrm>();
  splash->timer()->stop();  // the picture first; the start-up step is run by hand below
  Save(splash, out, "1-splash.png");
  splash->Timer1_Timer();

  screens::LineList* list = nullptr;
  const bool named = SettleUntil([&] {
    if (ended >= 0) return true;
    auto* shown = nav.Find<screens::namesel>();
    list = shown ? shown->findChild<screens::LineList*>(QStringLiteral("List1")) : nullptr;
    return list && list->count() > 0;
  });
  if (ended >= 0) return ended;
  if (!named) return 1;
  Settle(1000);  // the counts come after the roster and fill the list again
  auto* selection = nav.Find<screens::namesel>();
  list = selection->findChild<screens::LineList*>(QStringLiteral("List1"));
  list->setFocus();
  list->setCurrentRow(std::min(8, list->count() - 1));
  Save(selection, out, "2-namesel.png");

  Key(list, QStringLiteral("\r"), Qt::Key_Return);
  auto hubShown = [&] {
    auto* shown = nav.Find<screens::seisekitime1>();
    return shown && shown->isVisible() && shown->hubReady() ? shown : nullptr;
  };
  if (!SettleUntil(hubShown)) return 1;
  auto* hub = hubShown();
  Save(hub, out, "3-hub.png");

  Key(Focused(hub), QStringLiteral("1"));
  if (!SettleUntil([&] { return nav.Find<screens::Mainfrm>() != nullptr; })) return 1;
  Settle(300);
  auto* drill = nav.Find<screens::Mainfrm>();
  for (int answered = 0; answered < 10 && nav.Find<screens::Mainfrm>(); ++answered) {
    if (answered == 3) {
      Key(Focused(drill), QString::number(drill->ExpectedAnswer()).left(1));
      Save(drill, out, "4-drill.png");
      Key(Focused(drill), QStringLiteral("\b"), Qt::Key_Backspace);
    }
    // The drill records what its one-second timer last showed: let it tick before the last answer.
    if (answered == 9) Settle(1100);
    for (QChar digit : QString::number(drill->ExpectedAnswer())) Key(Focused(drill), QString(digit));
    Key(Focused(drill), QStringLiteral("\r"), Qt::Key_Return);
  }
  if (!SettleUntil([&] { return nav.Find<screens::FrmSyuuryou>() != nullptr; })) return 1;
  auto* done = nav.Find<screens::FrmSyuuryou>();
  Settle(700);
  Save(done, out, "5-completion.png");

  // Back on the hub: the best times, today's drills and the chart of the child's history.
  auto* back = done->findChild<QPushButton*>(QStringLiteral("Command4"));
  if (!back) return 1;
  back->click();
  if (!SettleUntil(hubShown)) return 1;
  hub = hubShown();
  auto click = [&](const char* name) {
    if (auto* button = hub->findChild<QAbstractButton*>(QString::fromLatin1(name))) button->click();
    Settle(200);
  };
  click("Option2(0)");
  Save(hub, out, "7-hub-times.png");
  click("Option1(2)");
  Save(hub, out, "8-hub-today.png");
  click("Option2(2)");
  click("Command17");
  Save(hub, out, "9-hub-chart.png");

  auto* version = nav.Show<screens::frmver>();
  Save(version, out, "6-version.png");
  nav.Unload(version);

  // The teacher's two screens, as the password on the hub opens them.
  auto* editor = nav.Show<screens::FrmTimeData>();
  nav.Unload(hub);
  Settle(300);
  Save(editor, out, "10-standards.png");
  auto* records = nav.Show<screens::FrmData>();
  nav.Unload(editor);
  Settle(300);
  if (auto* list = records->findChild<screens::LineList*>(QStringLiteral("List1"))) {
    list->setFocus();
    list->setCurrentRow(std::max(0, list->count() - 1));
    Key(list, QStringLiteral("\r"), Qt::Key_Return);
  }
  Save(records, out, "11-records.png");

  return 0;
}
