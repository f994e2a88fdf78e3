// From the key that leaves one screen to the next screen shown, its entry procedure run, its file work
// answered (the screen filled) and painted: hub → drill ("1"), drill → completion (the tenth right
// answer, with the record appended on the file worker, the one-second pause and the counts read again),
// completion → hub (Enter on "メニューへ", the counts read again). Each iteration walks the whole cycle
// and times only its own leg.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>

#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "screens/frmsyuuryou.h"
#include "screens/mainfrm.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/school.h"
#include "support/settle.h"
#include "support/share_mount.h"

namespace {

using namespace bardrill;

enum class Leg { HubToDrill, DrillToCompletion, CompletionToHub };

class Cycle {
 public:
  // `place` may lay out the school's data elsewhere once the configuration is read.
  explicit Cycle(const std::function<void(testing::Installation&, AppState&)>& place = {})
      : services{fakes.clock, random, fakes.sound, fakes.launcher, fakes.prompts} {
    LoadConfiguration(state, inst.programFolder());
    ReadRoster(state, fakes.clock.today);
    if (place) place(inst, state);
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

void Walk(benchmark::State& st, Leg leg, Cycle& cycle) {
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

void Switch(benchmark::State& st, Leg leg) {
  Cycle cycle;
  Walk(st, leg, cycle);
}

#ifndef _WIN32
// The same legs on a school whose data lies on a share over Wi-Fi (20 Mbit/s, 5 ms a call), with a year
// of 20,000 drills in its results file, which the completion screen and the hub read again.
void OnWiFiShare(benchmark::State& st, Leg leg) {
  if (const std::string why = testing::ShareMount::Unavailable(); !why.empty()) {
    st.SkipWithError(why.c_str());
    return;
  }
  testing::ShareMount share;
  Cycle cycle([&](testing::Installation& inst, AppState& state) {
    namespace fs = std::filesystem;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> student(2, 500), level(1, 3), day(40, 400), seconds(30, 400);
    bench::WriteRecords(ResultsPath(state), 20000, [&](int) {
      return MakeNewRecord(static_cast<double>(testing::kToday - day(random)), 0.5, student(random),
                           level(random), seconds(random), state.SchoolCode);
    });
    const fs::path common = fs::path(inst.commonFolder()).parent_path();
    const fs::path onShare = fs::path(share.path()) / "共通";
    fs::copy(common, onShare, fs::copy_options::recursive);
    fs::remove_all(common);
    fs::create_directory_symlink(onShare, common);
    share.SyncAll();
    share.Slow(20'000'000, std::chrono::milliseconds(5));
  });
  Walk(st, leg, cycle);
}
void DrillToCompletionOnWiFiShare(benchmark::State& st) { OnWiFiShare(st, Leg::DrillToCompletion); }
void CompletionToHubOnWiFiShare(benchmark::State& st) { OnWiFiShare(st, Leg::CompletionToHub); }
BENCHMARK(DrillToCompletionOnWiFiShare)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(CompletionToHubOnWiFiShare)->Unit(benchmark::kMillisecond)->Iterations(3);
#endif

void HubToDrill(benchmark::State& st) { Switch(st, Leg::HubToDrill); }
void DrillToCompletion(benchmark::State& st) { Switch(st, Leg::DrillToCompletion); }
void CompletionToHub(benchmark::State& st) { Switch(st, Leg::CompletionToHub); }

BENCHMARK(HubToDrill)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(DrillToCompletion)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(CompletionToHub)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace
