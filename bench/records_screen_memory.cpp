// Opens the records screen on a results file of N records (a full school's 5000 students, the file
// written first) and prints how long the opening took (until the list is filled: the records are read
// on the file worker) and how much memory the process held before, at its peak while opening, and once
// the screen is open: bench/records_screen_memory runs it on 20,000 and on 2,000,000 records.
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "screens/application.h"
#include "screens/frmdata.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "screens/ui_setup.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/school.h"
#include "support/settle.h"

namespace {

// A figure of /proc/self/status ("VmRSS", "VmHWM") in MB.
double StatusMegabytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::strtod(line.c_str() + field.size() + 1, nullptr) / 1024;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace bardrill;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s RECORDS\n", argv[0]);
    return 2;
  }
  const int records = std::atoi(argv[1]);
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  screens::Application app(qtArgc, argv);
  screens::ApplyJapaneseFonts(app);

  constexpr int kStudents = 5000;
  constexpr int kDays = 1460;
  testing::Installation inst;
  inst.WriteRoster(bench::FullRoster(kStudents));
  AppState state;
  testing::FakeServices fakes;
  LoadConfiguration(state, inst.programFolder());
  ReadRoster(state, fakes.clock.today);
  std::mt19937 random(11);
  std::uniform_int_distribution<int> student(1, kStudents), level(1, 3), seconds(30, 400);
  std::uniform_real_distribution<double> time(0.35, 0.9);
  bench::WriteRecords(ResultsPath(state), records, [&](int n) {
    const int64_t day = fakes.clock.today - kDays + static_cast<int64_t>(n) * kDays / records;
    return MakeNewRecord(static_cast<double>(day), time(random), student(random), level(random),
                         seconds(random), n % 10 == 0 ? "99999" : state.SchoolCode);
  });
  screens::Screens screens(state, fakes.services);
  screens.onEnd = [](int) {};
  QCoreApplication::processEvents();

  const double before = StatusMegabytes("VmRSS");
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak from here on
  const auto start = std::chrono::steady_clock::now();
  auto* form = screens.Show<screens::FrmData>();
  if (!bench::FinishFileWork(screens)) {
    std::fprintf(stderr, "the records screen's file work was not answered within a minute\n");
    return 1;
  }
  const double openMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const int lines = form->findChild<screens::LineList*>(QStringLiteral("List1"))->count();
  form->repaint();
  QCoreApplication::processEvents();
  std::printf("records %d  lines %d  open %.0f ms  RSS before %.0f MB  peak %.0f MB  open %.0f MB\n", records,
              lines, openMs, before, StatusMegabytes("VmHWM"), StatusMegabytes("VmRSS"));
  screens.Unload(form);
  return 0;
}
