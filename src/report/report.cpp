#include "report/report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "core/app_state.h"
#include "core/config.h"
#include "core/counts.h"
#include "core/identity.h"
#include "core/result_record.h"
#include "core/results_file.h"
#include "core/roster.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace bardrill::report {

const char* const kUsage =
    "usage: bardrill-report records [--encoding utf-8|cp932] PROGRAM_FOLDER\n"
    "       bardrill-report summary [--today YYYY-MM-DD] [--encoding utf-8|cp932] PROGRAM_FOLDER\n"
    "PROGRAM_FOLDER is the program's own folder (the one beside パスデータ.txt).\n"
    "records: every record of the results file, in file order.\n"
    "summary: counts, points and best times per student and level, as of today.\n"
    "The report is CSV on standard output; nothing is ever written to the installation.\n";

namespace {

Encoding ParseEncoding(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (lower == "utf-8" || lower == "utf8") return Encoding::Utf8;
  if (lower == "cp932") return Encoding::Cp932;
  throw UsageError("unknown encoding \"" + text + "\" (use utf-8 or cp932)");
}

size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// CP932 bytes of a row. A character CP932 cannot hold (from a file saved as UTF-8, or from record bytes
// that were never valid CP932) is written as "?" and counted, so the rest of the report is still written.
std::string ToCp932(const std::string& utf8, size_t& substituted) {
  try {
    return codec::Utf8ToCp932(utf8);
  } catch (const std::invalid_argument&) {
  }
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    try {
      out += codec::Utf8ToCp932(utf8.substr(i, length));
    } catch (const std::invalid_argument&) {
      out += '?';
      ++substituted;
    }
    i += length;
  }
  return out;
}

class CsvWriter {
 public:
  CsvWriter(std::ostream& out, Encoding encoding) : out_(out), encoding_(encoding) {}

  // Rows end with "\n" alone: the report is read by pipes, scripts and spreadsheets on the machine
  // where it runs, all of which take LF, while a CR would show up as stray "^M" in terminal tools.
  void Row(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) line += ',';
      line += CsvField(fields[i]);
    }
    line += '\n';
    out_ << (encoding_ == Encoding::Cp932 ? ToCp932(line, substituted_) : line);
  }

  size_t substituted() const { return substituted_; }

 private:
  std::ostream& out_;
  Encoding encoding_;
  size_t substituted_ = 0;
};

// A date beyond 9999/12/31 (or not a number) is shown as stored.
std::string DateText(double date) {
  if (std::isfinite(date) && date >= 0 && date <= kLastDayCount)
    return calendar::FormatDate(static_cast<int64_t>(date));
  return text::NumberText(date);
}

// A time of day outside [0, 1) is not a time of day: show what is stored rather than a wrapped clock.
std::string TimeText(double time) {
  if (std::isfinite(time) && time >= 0 && time < 1) return calendar::FormatTime(time);
  return text::NumberText(time);
}

std::string NameOf(const AppState& state, int student) {
  if (student < 0 || student > kMaxStudent) return "";
  return text::Trim(state.StudentNames[static_cast<size_t>(student)]);
}

int32_t PointsOf(const AppState& state, const ResultRecord& record) {
  if (record.level < 1 || record.level > kMaxLevel) return 0;
  return DrillPoints(state, record.seconds, record.level);
}

// Students the summary lists: everyone the roster names (listed or not) and everyone with a valid record.
std::vector<int> SummaryStudents(const AppState& state) {
  std::vector<bool> included(kMaxStudent + 1, false);
  for (int n = 0; n <= kMaxStudent; ++n) included[n] = !state.StudentNames[static_cast<size_t>(n)].empty();
  for (int32_t row = 1; row <= state.RosterCount && static_cast<size_t>(row) < state.RosterNumbers.size();
       ++row) {
    int32_t n = state.RosterNumbers[static_cast<size_t>(row)];
    if (n >= 0 && n <= kMaxStudent) included[n] = true;
  }
  const int64_t loaded =
      std::min<int64_t>(state.LoadedCount, static_cast<int64_t>(state.LoadedStudents.size()) - 1);
  for (int64_t k = 1; k <= loaded; ++k) {
    int32_t n = state.LoadedStudents[static_cast<size_t>(k)];
    if (n >= 1 && n <= kMaxStudent) included[n] = true;
  }
  std::vector<int> students;
  for (int n = 0; n <= kMaxStudent; ++n)
    if (included[n]) students.push_back(n);
  return students;
}

std::string Whole(double value) { return std::to_string(std::llround(value)); }

}  // namespace

Options ParseArguments(const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError("no command given");
  Options options;
  if (args[0] == "records") {
    options.command = Command::Records;
  } else if (args[0] == "summary") {
    options.command = Command::Summary;
  } else {
    throw UsageError("unknown command \"" + args[0] + "\" (use records or summary)");
  }
  bool encodingGiven = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--encoding") {
      if (encodingGiven) throw UsageError("--encoding is given twice");
      options.encoding = ParseEncoding(value());
      encodingGiven = true;
    } else if (arg == "--today") {
      if (options.command != Command::Summary) throw UsageError("--today belongs to the summary only");
      if (options.today) throw UsageError("--today is given twice");
      const std::string& date = value();
      options.today = calendar::ParseIsoDate(date);
      if (!options.today) throw UsageError("\"" + date + "\" is not a date of the form YYYY-MM-DD");
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option " + arg);
    } else if (!options.programFolder.empty()) {
      throw UsageError("only one PROGRAM_FOLDER may be given");
    } else {
      options.programFolder = arg;
    }
  }
  if (options.programFolder.empty()) throw UsageError("PROGRAM_FOLDER is missing");
  return options;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

void LoadInstallation(AppState& state, const std::string& programFolder, int64_t today) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // The program finds its folder through its own resolved path; resolving the argument the same way
  // gives the same program folder name (and so the same data folder) for ".", a relative path or a link.
  fs::path folder = fs::weakly_canonical(fs::absolute(paths::ToFs(programFolder)), ec);
  if (ec || !fs::is_directory(folder))
    throw DataFileError(programFolder, 0, "there is no such program folder");
  LoadDataConfiguration(state, paths::FromFs(folder));
  BuildLevelCatalogue(state);
  ReadRoster(state, today);
}

size_t WriteRecords(const AppState& state, std::ostream& out, Encoding encoding) {
  CsvWriter csv(out, encoding);
  csv.Row({"record", "date", "time", "student", "name", "level", "seconds", "points", "school", "valid"});
  ResultsFileOf(state).ReadFrom(1, [&](int64_t number, const RecordBytes& bytes) {
    const ResultRecord r = ResultRecord::Decode(bytes);
    csv.Row({std::to_string(number), DateText(r.date), TimeText(r.time), std::to_string(r.Bangou),
             NameOf(state, r.Bangou), std::to_string(r.level), std::to_string(r.seconds),
             std::to_string(PointsOf(state, r)), text::TrimRight(FieldText(r.schoolCode)),
             r.IsValid() ? "1" : "0"});
  });
  return csv.substituted();
}

size_t WriteSummary(AppState& state, int64_t today, std::ostream& out, Encoding encoding) {
  ComputeCounts(state, today);
  CsvWriter csv(out, encoding);
  csv.Row({"student", "name", "level", "TotalCount", "TotalPoints", "JudgeCount", "JudgePoints", "LimitCount",
           "LimitPoints", "TodayCount", "TodayPoints", "BestTime", "SchoolBest"});
  const int levels = std::clamp(state.LevelCount, 0, kMaxLevel);
  for (int n : SummaryStudents(state)) {
    for (int level = 1; level <= levels; ++level) {
      csv.Row({std::to_string(n), NameOf(state, n), std::to_string(level),
               std::to_string(state.TotalCount(level, n)), std::to_string(state.TotalPoints(level, n)),
               std::to_string(state.JudgeCount(level, n)), std::to_string(state.JudgePoints(level, n)),
               std::to_string(state.LimitCount(level, n)), std::to_string(state.LimitPoints(level, n)),
               Whole(state.TodayCount(level, n)), std::to_string(state.TodayPoints(level, n)),
               std::to_string(state.BestTime(level, n)), std::to_string(state.SchoolBest[level])});
    }
  }
  return csv.substituted();
}

size_t WarnRecordsAfter(const AppState& state, int64_t today, std::ostream& err) {
  std::vector<std::string> lines;
  ResultsFileOf(state).ReadFrom(1, [&](int64_t number, const RecordBytes& bytes) {
    const ResultRecord r = ResultRecord::Decode(bytes);
    if (!r.IsValid() || !(r.date > static_cast<double>(today))) return;
    lines.push_back("  record " + std::to_string(number) + ": " + DateText(r.date) + " " + TimeText(r.time) +
                    ", student " + std::to_string(r.Bangou) + " " + NameOf(state, r.Bangou) + ", level " +
                    std::to_string(r.level) + ", " + std::to_string(r.seconds) + " seconds\n");
  });
  if (lines.empty()) return 0;
  err << "bardrill-report: " << lines.size() << " record(s) dated after today ("
      << DateText(static_cast<double>(today))
      << "): the clock of the PC that wrote them ran ahead, or this PC's clock runs behind. They count in "
         "the "
         "totals but in no window of days (today, the pass and overdoing windows, the hub's periods):\n";
  for (const std::string& line : lines) err << line;
  return lines.size();
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  Options options;
  try {
    options = ParseArguments(args);
  } catch (const UsageError& e) {
    err << "bardrill-report: " << e.what() << "\n" << kUsage;
    return 2;
  }
  try {
    AppState state;
    const int64_t today = options.today ? *options.today : clock.Today();
    LoadInstallation(state, options.programFolder, today);
    const std::string results = paths::Native(ResultsPath(state));
    if (!paths::Exists(results)) {
      err << "bardrill-report: " << results
          << ": there is no results file yet, so no drill has been recorded\n";
    }
    size_t substituted = options.command == Command::Records
                             ? WriteRecords(state, out, options.encoding)
                             : WriteSummary(state, today, out, options.encoding);
    out.flush();
    if (!out) {
      err << "bardrill-report: the report could not be written to standard output\n";
      return 1;
    }
    if (substituted > 0) {
      err << "bardrill-report: " << substituted
          << " character(s) that Shift-JIS cannot hold were written as \"?\"\n";
    }
    WarnRecordsAfter(state, today, err);
  } catch (const std::exception& e) {  // a missing or malformed file, named with its line by DataFileError
    err << "bardrill-report: " << e.what() << "\n";
    return 2;
  }
  return 0;
}

}  // namespace bardrill::report
