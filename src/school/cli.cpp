#include "school/cli.h"

#include <optional>
#include <ostream>
#include <random>

#include "cli/command_line.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "school/check.h"
#include "school/layout.h"
#include "school/restore.h"
#include "school/roster_csv.h"

namespace bardrill::school {

const char* const kSynopsis =
    "usage: bardrill-school init DIR [--school-code CODE] [--school-name NAME] [--password PASSWORD]\n"
    "                                [--start-month MONTH]\n"
    "       bardrill-school check DIR\n"
    "       bardrill-school roster import DIR FILE.csv [--today YYYY-MM-DD] [--keep-numbers | "
    "--move-history]\n"
    "       bardrill-school roster export DIR FILE.csv [--today YYYY-MM-DD]\n"
    "       bardrill-school restore DIR [YYYY-MM-DD]\n"
    "       bardrill-school --version\n";

const char* const kHelp =
    "init:   lays out a new school in DIR (new or empty), with relative paths only.\n"
    "check:  reads every file of the school in DIR as the program does and lists every problem, a\n"
    "        results file that lost records since the daily copy and a daily copy that failed among them.\n"
    "import: the class list in FILE.csv (UTF-8 or Shift-JIS; columns 番号, 生年度 or 学年, 名前, 状態)\n"
    "        becomes the roster; the old one is kept as a dated copy beside it. A list that would give\n"
    "        a number's drills to another child is refused, unless --keep-numbers (children on the\n"
    "        roster keep their numbers) or --move-history (the drills follow the list's numbers).\n"
    "export: writes the roster as FILE.csv (UTF-8 with a byte-order mark) for a spreadsheet.\n"
    "restore: puts the results file back from the program's daily copy of that day (the newest when no\n"
    "        day is given), in 成績のコピー beside it, adding every drill done since the copy; the file\n"
    "        it replaces is kept there too. The roster and the standards are put back only if missing.\n"
    "bardrill-school COMMAND --help lists a command's options.\n"
    "Exit status: 0 done, 2 refused (every reason named) or a write that failed.\n";

namespace {

// What the command line asks for, whichever command it names.
struct Request {
  std::string dir;
  std::string csv;               // roster import and export
  std::string day;               // restore; empty: the newest copy
  std::optional<int64_t> today;  // roster import and export; empty: the clock's
  SchoolSettings settings;       // init
  std::string startMonth;        // init; empty: the settings' own
  bool keepNumbers = false, moveHistory = false;
};

struct Commands {
  CLI::App *init, *check, *import, *exportRoster, *restore;
};

void AddDir(CLI::App& command, Request& request, const std::string& what) {
  command.add_option("DIR", request.dir, what)->required();
}

void AddToday(CLI::App& command, Request& request) {
  command
      .add_option_function<std::string>(
          "--today", [&request](const std::string& day) { request.today = calendar::ParseIsoDate(day); },
          "the day the children's grades are counted from (default: today)")
      ->type_name("YYYY-MM-DD")
      ->check(cli::DateCheck());
}

CLI::App* DeclareInit(cli::CommandLine& line, Request& request) {
  CLI::App* init =
      line.command("init", "Lays out a new school in DIR (new or empty), with relative paths only.");
  AddDir(*init, request, "the school's folder, new or empty");
  SchoolSettings& settings = request.settings;
  init->add_option("--school-code", settings.code, "the school's code: five digits (default: none)")
      ->type_name("CODE");
  init->add_option("--school-name", settings.name, "the school's name (default: " + settings.name + ")")
      ->type_name("NAME");
  init->add_option("--password", settings.password,
                   "the password of the teacher's screens (default: four digits drawn at random)")
      ->type_name("PASSWORD");
  init->add_option("--start-month", request.startMonth,
                   "the month the school year starts in, 1 to 12 (default: " +
                       std::to_string(settings.startMonth) + ")")
      ->type_name("MONTH");
  return init;
}

CLI::App* DeclareImport(cli::CommandLine& line, CLI::App* roster, Request& request) {
  CLI::App* import = line.command(
      "import",
      "Makes the class list in FILE.csv the roster (UTF-8 or Shift-JIS; columns 番号, 生年度 or 学年, 名前, "
      "状態); the old roster is kept as a dated copy beside it.",
      roster);
  AddDir(*import, request, "the school's folder");
  import->add_option("FILE.csv", request.csv, "the class list, saved as CSV by a spreadsheet")->required();
  AddToday(*import, request);
  CLI::Option* keep = import->add_flag("--keep-numbers", request.keepNumbers,
                                       "children already on the roster keep their numbers");
  import
      ->add_flag("--move-history", request.moveHistory,
                 "the drills in the results file follow the children to the list's numbers")
      ->excludes(keep);
  return import;
}

Commands Declare(cli::CommandLine& line, Request& request) {
  Commands commands{};
  commands.init = DeclareInit(line, request);
  commands.check = line.command(
      "check", "Reads every file of the school in DIR as the program does and lists every problem.");
  AddDir(*commands.check, request, "the school's folder");
  CLI::App* roster =
      line.command("roster", "Brings a class list in from a spreadsheet, or writes the roster out.");
  commands.import = DeclareImport(line, roster, request);
  commands.exportRoster = line.command(
      "export", "Writes the roster as FILE.csv (UTF-8 with a byte-order mark) for a spreadsheet.", roster);
  AddDir(*commands.exportRoster, request, "the school's folder");
  commands.exportRoster->add_option("FILE.csv", request.csv, "the file to write")->required();
  AddToday(*commands.exportRoster, request);
  commands.restore = line.command(
      "restore",
      "Puts the results file back from the program's daily copy of DAY (the newest when no day is given), "
      "adding every drill done since the copy.");
  AddDir(*commands.restore, request, "the school's folder");
  commands.restore->add_option("DAY", request.day, "the day of the copy, YYYY-MM-DD")
      ->check(cli::DateCheck());
  return commands;
}

std::string RandomPassword() {
  std::random_device device;
  std::uniform_int_distribution<int> digit(0, 9);
  std::string password;
  for (int i = 0; i < 4; ++i) password += static_cast<char>('0' + digit(device));
  return password;
}

// The month the option names, or 0 (which the settings' check refuses, naming --start-month) for
// anything but a number of one or two digits.
int StartMonth(const std::string& text, int otherwise) {
  if (text.empty()) return otherwise;
  const bool digits = text.size() <= 2 && text.find_first_not_of("0123456789") == std::string::npos;
  return digits ? std::stoi(text) : 0;
}

int Init(const Request& request, bool passwordGiven, std::ostream& out, Clock& clock,
         const Sources& sources) {
  SchoolSettings settings = request.settings;
  settings.startMonth = StartMonth(request.startMonth, settings.startMonth);
  if (!passwordGiven) settings.password = RandomPassword();
  const std::string root = InitSchool(request.dir, settings, sources, clock.Today());
  out << "A new school is laid out in " << root << "\n"
      << "  school:   " << (settings.code.empty() ? "" : settings.code + " ") << settings.name
      << " (the school year starts in month " << settings.startMonth << ")\n"
      << "  roster:   only the teacher, \"" << kTeacherName << "\" (number " << kTeacherNumber << ")\n"
      << "  password: " << settings.password << " (the teacher's screens; line 6 of " << root << kCommonFolder
      << paths::kSeparator << "共通データ.txt)\n"
      << "Next:\n"
      << "  1. Add the children from a spreadsheet saved as CSV (columns 番号, 学年 or 生年度, 名前):\n"
      << "       bardrill-school roster import " << root << " CLASS.csv\n"
      << "  2. Check the school:\n"
      << "       bardrill-school check " << root << "\n"
      << "  3. Start the program:\n"
      << "       " << root << kProgramFolder << paths::kSeparator << kProgramFile << "\n";
  return 0;
}

int Check(const Request& request, std::ostream& out, std::ostream& err, Clock& clock) {
  CheckReport report = CheckSchool(request.dir, clock.Today());
  if (!report.problems.empty()) {
    for (const std::string& problem : report.problems) err << "bardrill-school: " << problem << "\n";
    err << "bardrill-school: " << report.problems.size()
        << (report.problems.size() == 1 ? " problem" : " problems") << ": the school is not ready\n";
    return 2;
  }
  out << "The school is ready.\n";
  for (const std::string& fact : report.facts) out << "  " << fact << "\n";
  return 0;
}

int Export(const Request& request, std::ostream& out, Clock& clock) {
  const size_t lines = ExportRoster(request.dir, request.csv, request.today.value_or(clock.Today()));
  out << request.csv << ": " << lines << " roster lines written (UTF-8 CSV)\n";
  return 0;
}

int Import(const Request& request, std::ostream& out, Clock& clock) {
  const NumberRule rule = request.keepNumbers   ? NumberRule::KeepNumbers
                          : request.moveHistory ? NumberRule::MoveHistory
                                                : NumberRule::Refuse;
  ImportOutcome outcome = ImportRoster(request.dir, request.csv, request.today.value_or(clock.Today()), rule);
  out << outcome.roster << ": " << outcome.students << (outcome.students == 1 ? " student" : " students")
      << " written, " << outcome.listed << " of them listed on the name selection screen\n";
  for (const std::string& teacher : outcome.keptTeachers)
    out << "  kept from the old roster, since the list names no teacher: " << teacher << "\n";
  for (const std::string& column : outcome.ignoredColumns) out << "  column not used: " << column << "\n";
  for (const std::string& number : outcome.numbers) out << "  " << number << "\n";
  if (!outcome.backup.empty()) out << "  the old roster is kept as " << outcome.backup << "\n";
  if (outcome.movedRecords > 0)
    out << "  " << outcome.movedRecords << (outcome.movedRecords == 1 ? " record" : " records")
        << " renumbered in the results file; the results file as it was is kept as " << outcome.resultsCopy
        << "\n";
  return 0;
}

int Restore(const Request& request, std::ostream& out, Clock& clock) {
  std::optional<int64_t> day;
  if (!request.day.empty()) day = calendar::ParseIsoDate(request.day);
  const RestoreOutcome outcome = RestoreResults(request.dir, day, clock);
  if (!outcome.wasWrong.empty()) out << "was: " << outcome.wasWrong << "\n";
  out << outcome.results << ": put back from " << outcome.copy.results << " (the copy of "
      << DayName(outcome.copy.day) << ", " << outcome.copy.records << " records)\n";
  out << "  " << outcome.addedBack << " drills done since the copy added back; the file holds "
      << outcome.records << " records\n";
  if (!outcome.replacedKept.empty())
    out << "  the file it replaced (" << outcome.replacedRecords << " records) is kept as "
        << outcome.replacedKept << "\n";
  for (const std::string& file : outcome.putBack)
    out << "  " << file << " was missing: put back from the copy\n";
  return 0;
}

int RunCommand(const Commands& commands, const Request& request, std::ostream& out, std::ostream& err,
               Clock& clock, const Sources& sources) {
  if (commands.init->parsed())
    return Init(request, commands.init->count("--password") > 0, out, clock, sources);
  if (commands.check->parsed()) return Check(request, out, err, clock);
  if (commands.import->parsed()) return Import(request, out, clock);
  if (commands.exportRoster->parsed()) return Export(request, out, clock);
  return Restore(request, out, clock);
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock) {
  return Run(args, out, err, clock, InstalledSources());
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock,
        const Sources& sources) {
  Request request;
  cli::CommandLine line("bardrill-school", kSynopsis, kHelp);
  const Commands commands = Declare(line, request);
  if (const std::optional<int> status = line.parse(args, out, err)) return *status;
  try {
    return RunCommand(commands, request, out, err, clock, sources);
  } catch (const Refusal& refusal) {
    for (const std::string& problem : refusal.problems()) err << "bardrill-school: " << problem << "\n";
  } catch (const std::exception& e) {
    // A file that makes no sense, or a write that failed: the disk, the share, a lock held too long.
    err << "bardrill-school: " << e.what() << "\n";
  }
  return cli::kRefused;
}

}  // namespace bardrill::school
