#include "school/cli.h"

#include <ostream>
#include <random>
#include <stdexcept>

#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "school/check.h"
#include "school/layout.h"
#include "school/restore.h"
#include "school/roster_csv.h"

namespace bardrill::school {

const char* const kUsage =
    "usage: bardrill-school init DIR [--school-code CODE] [--school-name NAME] [--password PASSWORD]\n"
    "                                [--start-month MONTH]\n"
    "       bardrill-school check DIR\n"
    "       bardrill-school roster import DIR FILE.csv [--today YYYY-MM-DD] [--keep-numbers | "
    "--move-history]\n"
    "       bardrill-school roster export DIR FILE.csv [--today YYYY-MM-DD]\n"
    "       bardrill-school restore DIR [YYYY-MM-DD]\n"
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
    "Exit status: 0 done, 2 refused (every reason named), 1 a write that failed.\n";

namespace {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Arguments {
  std::vector<std::string> words;  // the command, its sub-command and its folders
  std::vector<std::pair<std::string, std::string>> options;
};

// `flags` are the options that take no value.
Arguments Split(const std::vector<std::string>& args, const std::vector<std::string>& known,
                const std::vector<std::string>& flags = {}) {
  Arguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.rfind("--", 0) != 0) {
      parsed.words.push_back(arg);
      continue;
    }
    std::string name = arg, value;
    const size_t equals = arg.find('=');
    if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
      parsed.options.emplace_back(name, value);
      continue;
    }
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      throw UsageError(arg + " needs a value");
    }
    if (std::find(known.begin(), known.end(), name) == known.end())
      throw UsageError("unknown option " + name);
    parsed.options.emplace_back(name, value);
  }
  return parsed;
}

int64_t TodayOf(const Arguments& args, Clock& clock) {
  for (const auto& [name, value] : args.options) {
    if (name != "--today") continue;
    std::optional<int64_t> day = calendar::ParseIsoDate(value);
    if (!day) throw UsageError("--today: not a date of the form YYYY-MM-DD: " + value);
    return *day;
  }
  return clock.Today();
}

std::string RandomPassword() {
  std::random_device device;
  std::uniform_int_distribution<int> digit(0, 9);
  std::string password;
  for (int i = 0; i < 4; ++i) password += static_cast<char>('0' + digit(device));
  return password;
}

int Init(const Arguments& args, std::ostream& out, Clock& clock, const Sources& sources) {
  if (args.words.size() != 2) throw UsageError("init needs one folder");
  SchoolSettings settings;
  std::vector<std::string> problems;
  for (const auto& [name, value] : args.options) {
    if (name == "--school-code") settings.code = value;
    if (name == "--school-name") settings.name = value;
    if (name == "--password") settings.password = value;
    if (name == "--start-month") {
      const bool digits =
          !value.empty() && value.size() <= 2 && value.find_first_not_of("0123456789") == std::string::npos;
      settings.startMonth = digits ? std::stoi(value) : 0;
    }
  }
  const bool chosenPassword = std::any_of(args.options.begin(), args.options.end(),
                                          [](const auto& option) { return option.first == "--password"; });
  if (!chosenPassword) settings.password = RandomPassword();
  const std::string root = InitSchool(args.words[1], settings, sources, clock.Today());
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

int Check(const Arguments& args, std::ostream& out, std::ostream& err, Clock& clock) {
  if (args.words.size() != 2) throw UsageError("check needs one folder");
  CheckReport report = CheckSchool(args.words[1], TodayOf(args, clock));
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

NumberRule RuleOf(const Arguments& args) {
  NumberRule rule = NumberRule::Refuse;
  for (const auto& [name, value] : args.options) {
    const NumberRule named = name == "--keep-numbers"   ? NumberRule::KeepNumbers
                             : name == "--move-history" ? NumberRule::MoveHistory
                                                        : NumberRule::Refuse;
    if (named == NumberRule::Refuse) continue;
    if (rule != NumberRule::Refuse && rule != named)
      throw UsageError("--keep-numbers and --move-history are two ways: choose one");
    rule = named;
  }
  return rule;
}

int Roster(const Arguments& args, std::ostream& out, Clock& clock) {
  if (args.words.size() != 4 || (args.words[1] != "import" && args.words[1] != "export"))
    throw UsageError("roster import DIR FILE.csv, or roster export DIR FILE.csv");
  const int64_t today = TodayOf(args, clock);
  if (args.words[1] == "export") {
    const size_t lines = ExportRoster(args.words[2], args.words[3], today);
    out << args.words[3] << ": " << lines << " roster lines written (UTF-8 CSV)\n";
    return 0;
  }
  ImportOutcome outcome = ImportRoster(args.words[2], args.words[3], today, RuleOf(args));
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

int Restore(const Arguments& args, std::ostream& out, Clock& clock) {
  if (args.words.size() != 2 && args.words.size() != 3)
    throw UsageError("restore needs one folder and may take one day");
  std::optional<int64_t> day;
  if (args.words.size() == 3) {
    day = calendar::ParseIsoDate(args.words[2]);
    if (!day) throw UsageError("restore: not a day of the form YYYY-MM-DD: " + args.words[2]);
  }
  const RestoreOutcome outcome = RestoreResults(args.words[1], day, clock);
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

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock) {
  return Run(args, out, err, clock, InstalledSources());
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock,
        const Sources& sources) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  try {
    const std::string command = args.empty() ? "" : args[0];
    if (command == "init")
      return Init(Split(args, {"--school-code", "--school-name", "--password", "--start-month"}), out, clock,
                  sources);
    if (command == "check") return Check(Split(args, {}), out, err, clock);
    if (command == "restore") return Restore(Split(args, {}), out, clock);
    if (command == "roster")
      return Roster(Split(args, {"--today"}, {"--keep-numbers", "--move-history"}), out, clock);
    throw UsageError(command.empty() ? "no command given" : "unknown command " + command);
  } catch (const UsageError& e) {
    err << "bardrill-school: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const Refusal& refusal) {
    for (const std::string& problem : refusal.problems()) err << "bardrill-school: " << problem << "\n";
    return 2;
  } catch (const DataFileError& e) {
    err << "bardrill-school: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {  // a write that failed: the disk, the share, a lock held too long
    err << "bardrill-school: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace bardrill::school
