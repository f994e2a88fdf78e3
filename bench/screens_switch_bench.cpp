// From the key that leaves one screen to the next screen shown, its entry procedure run, its file work
// answered (the screen filled) and painted: hub → drill ("1"), drill → completion (the tenth right
// answer, with the record appended on the file worker, the one-second pause and the counts read again),
// completion → hub (Enter on "メニューへ", the counts read again). Each iteration walks the whole cycle
// and times only its own leg.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "screens/frmsyuuryou.h"
#include "screens/mainfrm.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/settle.h"

namespace {

using namespace bardrill;

enum class Leg { HubToDrill, DrillToCompletion, CompletionToHub };

class Cycle {
 public:
  Cycle() : services{fakes.clock, random, fakes.sound, fakes.launcher, fakes.prompts} {
    LoadConfiguration(state, inst.programFolder());
    ReadRoster(state, fakes.clock.today);
    state.CurrentStudentNumber = 1;
    state.CurrentStudentName = "山田 太郎";
    BuildLevelCatalogue(state);
    // Every reading moves the tick counter past the pause at the end of a drill: the pause's own
    // second is not what is measured, its first poll is.
    fakes.clock.tickStep = 2000;
    screens.onEnd = [](int) {};
    screens.Show<screens::seisekitime1>();
  }

  // The first hub shown and filled. False when it did not come.
  bool Ready() {
    return bench::ProcessEventsUntil([&] { return Shown<screens::seisekitime1>() != nullptr; });
  }

  // Walks hub → drill → completion → hub, timing `leg` only. False when a screen did not come.
  bool Run(benchmark::State& st, Leg leg) {
    auto* hub = screens.Find<screens::seisekitime1>();
    if (!hub) return false;
    st.PauseTiming();
    // A month later each time round: the drills of the cycles before never add up to an overdoing ban.
    fakes.clock.today += 30;
    bool ok = Step(
        st, leg == Leg::HubToDrill, [&] { Type(Focus(hub), QStringLiteral("1")); },
        [&] { return Shown<screens::Mainfrm>(); });
    auto* drill = screens.Find<screens::Mainfrm>();
    if (!ok || !drill) return Resume(st, false);
    for (int i = 0; i < 9; ++i) Answer(drill);
    ok = Step(
        st, leg == Leg::DrillToCompletion, [&] { Answer(drill); },
        [&] { return Shown<screens::FrmSyuuryou>(); });
    auto* done = screens.Find<screens::FrmSyuuryou>();
    if (!ok || !done) return Resume(st, false);
    done->Timer1_Timer();
    auto* menu = done->findChild<QPushButton*>(QStringLiteral("Command4"));
    ok = menu && Step(
                     st, leg == Leg::CompletionToHub, [&] { QTest::keyClick(menu, Qt::Key_Return); },
                     [&] { return Shown<screens::seisekitime1>(); });
    return Resume(st, ok);
  }

 private:
  static QWidget* Focus(QWidget* form) { return form->focusWidget() ? form->focusWidget() : form; }
  static void Type(QWidget* target, const QString& text) {
    for (QChar c : text)
      QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  void Answer(screens::Mainfrm* drill) {
    Type(Focus(drill), QString::number(drill->ExpectedAnswer()));
    QTest::keyClick(Focus(drill), Qt::Key_Return);
  }
  // The form is on the screen, has run its entry procedure since it was loaded, the file work and pause
  // that procedure started are answered (the screen is filled), and it is painted.
  template <typename F>
  F* Shown() {
    F* f = screens.Find<F>();
    if (!f || !f->isVisible() || f->activationCount() == 0 || screens.working()) return nullptr;
    f->repaint();
    return f;
  }
  static bool Step(benchmark::State& st, bool timed, const std::function<void()>& key,
                   const std::function<bool()>& arrived) {
    if (timed) st.ResumeTiming();
    key();
    const bool there = bench::ProcessEventsUntil(arrived);
    if (timed) st.PauseTiming();
    return there;
  }
  static bool Resume(benchmark::State& st, bool ok) {
    st.ResumeTiming();
    return ok;
  }

  testing::Installation inst;
  testing::FakeServices fakes;
  SystemRandom random;
  Services services;
  AppState state;
  screens::Screens screens{state, services};
};

void Switch(benchmark::State& st, Leg leg) {
  Cycle cycle;
  if (!cycle.Ready()) {
    st.SkipWithError("the hub was not filled");
    return;
  }
  for (auto _ : st) {
    if (!cycle.Run(st, leg)) {
      st.SkipWithError("a screen of the cycle did not come");
      break;
    }
  }
}

void HubToDrill(benchmark::State& st) { Switch(st, Leg::HubToDrill); }
void DrillToCompletion(benchmark::State& st) { Switch(st, Leg::DrillToCompletion); }
void CompletionToHub(benchmark::State& st) { Switch(st, Leg::CompletionToHub); }

BENCHMARK(HubToDrill)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(DrillToCompletion)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(CompletionToHub)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace
