#include "screens/screen_fixture.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimerEvent>
#include <filesystem>
#include <fstream>
#include <utility>

#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "support/process.h"

namespace bardrill::testing {

ScreenTest::ScreenTest() {
  screens.onEnd = [this](int code) { endCode = code; };
  // Most tests read a screen right after the call that shows it; those of the waits themselves let the
  // file work run on its worker.
  screens.fileWorkAnsweredAtOnce = true;
  // The tests print to PDF files of their own (choosePrinter); the machine they run on may have no printer.
  screens.printerInstalled = [] { return true; };
  fakes.clock.tickStep = 250;  // a pause of a second ends after a few polls of its timer
  LoadInstallation();
}

ScreenTest::~ScreenTest() {
  for (screens::Form* f : screens.LoadedForms()) screens.Unload(f);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ScreenTest::LoadInstallation() {
  LoadConfiguration(state, inst.programFolder());
  ReadRoster(state, fakes.clock.today);
}

void ScreenTest::LogInAs(int student) {
  state.CurrentStudentNumber = student;
  state.CurrentStudentName = state.StudentNames[static_cast<size_t>(student)];
  state.CurrentStudentGrade = state.StudentGrades[static_cast<size_t>(student)];
  BuildLevelCatalogue(state);
}

void ScreenTest::AddRecord(int student, int level, int seconds, int64_t date) {
  ResultRecord r = MakeNewRecord(static_cast<double>(date), 0.5, student, level, seconds, state.SchoolCode);
  RecordBytes bytes = r.Encode();
  std::ofstream out(files::Path(ResultsPath(state)), std::ios::binary | std::ios::app);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void ScreenTest::TakeShareAway() {
  namespace fs = std::filesystem;
  const fs::path folder = files::Path(inst.dataFolder()).parent_path();
  fs::path away = folder;
  away += ".away";
  fs::rename(folder, away);
  fs::create_directory(folder);
  shareWatch.setInterval(0);
  QObject::connect(&shareWatch, &QTimer::timeout, [this, folder, away] {
    if (!screens.pausing() || shareBack) return;
    filesLeftInEmptyFolder = std::distance(fs::directory_iterator(folder), {});
    fs::remove_all(folder);
    fs::rename(away, folder);
    shareBack = true;
    shareWatch.stop();
  });
  shareWatch.start();
}

bool ScreenTest::SeenWhileAnotherPCHoldsTheLock(const std::function<bool()>& seen,
                                                const std::function<void()>& act) {
  std::optional<Child> other = HoldLock(ResultsPath(state), std::chrono::milliseconds(400));
  EXPECT_TRUE(other);
  bool wasSeen = false;
  QTimer watch;
  watch.setInterval(0);
  QObject::connect(&watch, &QTimer::timeout, [&] { wasSeen |= seen(); });
  watch.start();
  // The wait runs on the file worker while the screen shows it.
  const bool atOnce = std::exchange(screens.fileWorkAnsweredAtOnce, false);
  act();
  Settle();
  screens.fileWorkAnsweredAtOnce = atOnce;
  watch.stop();
  if (other) {
    EXPECT_EQ(other->Wait(), 0);
  }
  return wasSeen;
}

void ScreenTest::Type(QWidget* target, const QString& text) {
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  Settle();
}

void ScreenTest::Press(QWidget* target, Qt::Key key) {
  QTest::keyClick(target, key);
  Settle();
}

void ScreenTest::DoEvents() {
  QCoreApplication::processEvents();
  Settle();
}

void ScreenTest::Settle(screens::Screens& which) {
  // Generous: under Wine or a loaded machine a file job may take a while; a job that never answers
  // fails the test rather than hanging it. Sleeps until the next event (the worker's answer, a pause's
  // poll, the deadline) rather than spinning beside the worker: processEvents with a time limit ignores
  // WaitForMoreEvents.
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.start(std::chrono::seconds(60));
  while (which.working() && deadline.isActive())
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  EXPECT_FALSE(which.working()) << "file work still unanswered after a minute";
  QCoreApplication::processEvents();
}

void ScreenTest::Tick(QTimer* timer) {
  ASSERT_TRUE(timer->isActive());
  QTimerEvent event(timer->timerId());
  QCoreApplication::sendEvent(timer, &event);
}

}  // namespace bardrill::testing
