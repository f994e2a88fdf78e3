#include "school/check.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "core/app_state.h"
#include "core/hub/hub.h"
#include "core/results/daily_copies.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "core/setup/sound_cues.h"
#include "core/setup/standards.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"
#include "school/layout.h"

namespace fs = std::filesystem;

namespace bardrill::school {

namespace {

bool IsRunnable(const fs::path& file) {
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (!fs::is_regular_file(status)) return false;
  return (status.permissions() & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) !=
         fs::perms::none;
}

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The program in the program folder (a launcher: the program it starts) and the menu program beside it.
void CheckPrograms(const std::string& programFolder, std::vector<std::string>& problems) {
  const fs::path program = paths::ToFs(programFolder) / paths::ToFs(kProgramFile);
  if (!IsRunnable(program)) {
    problems.push_back(paths::FromFs(program) +
                       ": the program is not there (or cannot be run); lay out the school "
                       "again with bardrill-school init, or put bardrill here");
  } else if (std::optional<std::string> target = LauncherTarget(FileText(program))) {
    if (!IsRunnable(paths::ToFs(*target)))
      problems.push_back(paths::FromFs(program) + ": starts " + *target +
                         ", which is not there (or cannot be run); install the bardrill package again");
  }
  const fs::path menu =
      (paths::ToFs(programFolder) / ".." / paths::ToFs(kMenuFolder) / paths::ToFs(kMenuProgram))
          .lexically_normal();
  if (!IsRunnable(menu))
    problems.push_back(paths::FromFs(menu) +
                       ": the menu program is not there (or cannot be run); a child who "
                       "presses \"0\" on the name selection screen would end the program with an error");
}

template <typename F>
bool Try(std::vector<std::string>& problems, F step) {
  try {
    step();
    return true;
  } catch (const DataFileError& e) {
    problems.push_back(e.what());
  }
  return false;
}

void Add(std::vector<std::string>& problems, const std::vector<DataFileError>& found) {
  for (const DataFileError& e : found) problems.push_back(e.what());
}

bool Listed(const RosterLine& line, int32_t listOnLeave) {
  return line.status == 0 || (line.status == 2 && listOnLeave == 1);
}

// What the program reads without a word but cannot work with. A listed child numbered 0 can drill, but
// the results file takes number 0 for no child: none of their drills would ever count. A roster that
// lists no teacher leaves the teacher's screens (standards, record fixes, monthly reports) unreachable.
void CheckListedLines(const std::string& roster, int32_t listOnLeave, std::vector<std::string>& problems) {
  const std::vector<RosterLine> lines = ReadRosterLines(roster);
  bool teacher = false;
  for (const RosterLine& line : lines) {
    if (!Listed(line, listOnLeave)) continue;
    teacher = teacher || IsTeacher(line.entry.name);
    if (line.entry.number != 0) continue;
    problems.push_back(
        DataFileError(roster, line.line, 1,
                      "the student number 0 is listed, but no drill of number 0 is ever counted; "
                      "give the child a number from 1 to 5000")
            .what());
  }
  if (!teacher)
    problems.push_back(
        roster +
        ": no listed line names a teacher (a name with 先生 or ★), so nobody can open the "
        "teacher's screens (データ処理: the standards, the records, 月報印刷); add a line such "
        "as 5000,1958,0,0,\"先生\",0,\"\",\"\"");
}

// A results file that lost records since the newest daily copy, and a daily copy that could not be made.
void CheckCopies(const std::string& dir, const std::string& results, CheckReport& report) {
  if (std::optional<ResultsLoss> loss = FindResultsLoss(results))
    report.problems.push_back(DescribeLoss(results, *loss) +
                              "; the program will not start until the file is put back with: "
                              "bardrill-school restore " +
                              dir + " " + DayName(loss->copy.day));
  if (std::optional<CopyFailure> failure = LastCopyFailure(results))
    report.problems.push_back(failure->note +
                              ": the daily copy of the results could not be made: " + failure->text);
}

std::string CopiesFact(const std::string& results) {
  const std::vector<DayCopy> copies = DayCopies(results);
  if (copies.empty())
    return "copies: none yet (the program makes one at its first start each day, in " +
           CopiesFolder(results) + ")";
  return "copies: " + std::to_string(copies.size()) + " days in " + CopiesFolder(results) +
         ", the newest of " + DayName(copies.back().day) + " with " + std::to_string(copies.back().records) +
         " records";
}

}  // namespace

CheckReport CheckSchool(const std::string& dir, int64_t today) {
  CheckReport report;
  std::vector<std::string>& problems = report.problems;
  std::string programFolder;
  try {
    programFolder = ProgramFolderOf(dir);
  } catch (const Refusal& refusal) {
    problems = refusal.problems();
    return report;
  }
  CheckPrograms(programFolder, problems);

  auto state = std::make_unique<AppState>();
  if (!Try(problems, [&] { LocateDataFolders(*state, programFolder); })) return report;
  Try(problems, [&] { LoadSchoolConfiguration(*state); });
  Try(problems, [&] { LoadStandards(*state); });
  if (Try(problems, [&] { LoadSoundMap(*state); })) Add(problems, SoundProblems(*state));
  const std::string roster = paths::Native(RosterPath(*state));
  const std::vector<DataFileError> rosterProblems = RosterProblems(roster, state->ListOnLeaveStudents);
  Add(problems, rosterProblems);
  if (rosterProblems.empty()) CheckListedLines(roster, state->ListOnLeaveStudents, problems);
  const std::string results = paths::Native(ResultsPath(*state));
  const std::string unwritable = WriteProblem(results);
  if (!unwritable.empty())
    problems.push_back(unwritable + "; no drill could be started, since its result could not be recorded");
  CheckCopies(dir, results, report);

  if (!problems.empty()) return report;
  ReadRoster(*state, today);
  report.facts.push_back("school: " + (state->SchoolCode.empty() ? "" : state->SchoolCode + " ") +
                         state->SchoolName + " (the school year starts in month " +
                         std::to_string(state->SchoolYearStartMonth) + ")");
  report.facts.push_back("roster: " + std::to_string(state->RosterCount) +
                         " listed on the name selection screen (" + roster + ")");
  report.facts.push_back("program folder: " + programFolder);
  report.facts.push_back("common data folder: " + state->CommonDataFolder);
  std::error_code ec;
  const bool drills = fs::exists(paths::ToFs(results), ec);
  report.facts.push_back("results: " + results +
                         (drills ? "" : " (no drills yet: the first one creates it)"));
  report.facts.push_back(CopiesFact(results));
  return report;
}

}  // namespace bardrill::school
