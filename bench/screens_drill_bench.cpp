// From the Enter that submits a right answer to the next problem drawn on the drill screen. The fake
// sound player returns at once, so the figure is the screen's own work: counting, generating, laying
// out and painting the diagram.
#include <benchmark/benchmark.h>

#include <QTest>

#include "core/results/counts.h"
#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "screens/mainfrm.h"
#include "screens/screens.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/settle.h"

namespace {

using namespace bardrill;

void RightAnswerToNextProblem(benchmark::State& st) {
  testing::Installation inst;
  testing::FakeServices fakes;
  SystemRandom random;
  Services services{fakes.clock, random, fakes.sound, fakes.launcher, fakes.prompts};
  AppState state;
  LoadConfiguration(state, inst.programFolder());
  ReadRoster(state, fakes.clock.today);
  state.CurrentStudentNumber = 1;
  state.CurrentStudentName = "山田 太郎";
  BuildLevelCatalogue(state);
  ComputeCounts(state, fakes.clock.today);
  state.SelectedLevel = static_cast<int>(st.range(0));

  screens::Screens screens(state, services);
  screens.onEnd = [](int) {};
  screens::StartDrill(screens);
  auto* form = screens.Find<screens::Mainfrm>();
  if (!form || !bench::ProcessEventsUntil([&] { return form->activationCount() > 0; })) {
    st.SkipWithError("the drill screen did not open");
    return;
  }
  if (!bench::FinishFileWork(screens, st)) return;
  for (auto _ : st) {
    st.PauseTiming();
    // Stay inside one drill: the finish sequence is not what is measured.
    if (state.CorrectCount >= 8) state.CorrectCount = 0;
    if (!fakes.sound.played.empty() && fakes.sound.played.back().ends_with("ng1.wav")) {
      st.SkipWithError("an answer typed by the benchmark was not taken as right");
      break;
    }
    fakes.sound.played.clear();
    for (QChar digit : QString::number(form->ExpectedAnswer()))
      QTest::sendKeyEvent(QTest::Click, form, Qt::Key_unknown, QString(digit), Qt::NoModifier);
    st.ResumeTiming();
    QTest::keyClick(form, Qt::Key_Return);
    form->repaint();
    // A right answer short of the last starts no file work; if it did, the figure would not be the
    // screen's own and the next key would be held off.
    if (screens.working()) {
      st.SkipWithError("a right answer started file work");
      break;
    }
  }
}
BENCHMARK(RightAnswerToNextProblem)
    ->ArgName("level")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
