#include "report/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "core/app_state.h"
#include "core/hub/hub.h"
#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "report/command_line.h"
#include "report/exports.h"
#include "report/output_file.h"

namespace bardrill::report {

namespace {

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
      line += fields[i];
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

// A code as a spreadsheet keeps it: the formula ="01234" shows the text 01234 where the plain field
// would become the number 1234. A code that a formula cannot hold as it is stays a plain field.
std::string CodeField(const std::string& code) {
  if (code.find_first_of(",\"\r\n") != std::string::npos) return CsvField(code);
  return "=\"" + code + "\"";
}

std::string CsvText(const Cell& cell, Form form) {
  if (cell.kind == Cell::Kind::Code && form == Form::Japanese) return CodeField(cell.text);
  return CsvField(cell.text);
}

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

Cell DateCell(double date, Form form) {
  if (form == Form::Japanese && std::isfinite(date) && date >= 0 && date <= kLastDayCount)
    return {Cell::Kind::Date, DateText(date), std::floor(date)};
  return Cell::OfText(DateText(date));
}

Cell TimeOfDayCell(double time, Form form) {
  if (form == Form::Japanese && std::isfinite(time) && time >= 0 && time < 1)
    return {Cell::Kind::TimeOfDay, TimeText(time), time};
  return Cell::OfText(TimeText(time));
}

// A time in seconds; the teachers' form leaves a cell without a valid time empty.
Cell SecondsCell(int32_t seconds, Form form) {
  if (form == Form::Japanese && seconds > kLastValidSeconds) return Cell::Blank();
  return Cell::OfNumber(seconds);
}

// The level as the hub names it in the teachers' form, by its number otherwise.
Cell LevelCell(const AppState& state, int level, Form form) {
  if (form == Form::Japanese && level >= 1 && level <= kMaxLevel &&
      !state.LevelNames[static_cast<size_t>(level)].empty())
    return Cell::OfText(state.LevelNames[static_cast<size_t>(level)]);
  return Cell::OfNumber(level);
}

Cell TextCell(std::string text) { return text.empty() ? Cell::Blank() : Cell::OfText(std::move(text)); }

// Roster rows the selection list shows: hidden rows (and those on leave, unless listed) are not among
// them.
std::vector<bool> ListedStudents(const AppState& state) {
  std::vector<bool> listed(kMaxStudent + 1, false);
  for (int32_t row = 1; row <= state.RosterCount && static_cast<size_t>(row) < state.RosterNumbers.size();
       ++row) {
    const int32_t n = state.RosterNumbers[static_cast<size_t>(row)];
    if (n >= 0 && n <= kMaxStudent) listed[static_cast<size_t>(n)] = true;
  }
  return listed;
}

// The installation's own files, which a report must never replace.
std::vector<std::string> DataFiles(const AppState& state, const std::string& programFolder) {
  return {paths::Native(ResultsPath(state)), paths::Native(RosterPath(state)),
          paths::Native(state.ProgramDataFolder + "タイム回数データ.txt"),
          paths::Native(state.CommonDataFolder + "共通データ.txt"), programFolder + "/../パスデータ.txt"};
}

}  // namespace

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

size_t WriteCsv(const Table& table, std::ostream& out, Encoding encoding) {
  CsvWriter csv(out, encoding);
  std::vector<std::string> fields;
  for (const std::string& header : table.headers) fields.push_back(CsvField(header));
  csv.Row(fields);
  for (const std::vector<Cell>& row : table.rows) {
    fields.clear();
    for (const Cell& cell : row) fields.push_back(CsvText(cell, table.form));
    csv.Row(fields);
  }
  return csv.substituted();
}

Table RecordsTable(const AppState& state, Form form) {
  const bool ja = form == Form::Japanese;
  Table table;
  table.sheet = "記録";
  table.form = form;
  table.headers = ja ? std::vector<std::string>{"記録番号", "日付",         "時刻",     "番号",     "名前",
                                                "レベル",   "タイム（秒）", "ポイント", "塾コード", "有効"}
                     : std::vector<std::string>{"record", "date",    "time",   "student", "name",
                                                "level",  "seconds", "points", "school",  "valid"};
  table.widths = {9, 12, 10, 7, 16, 10, 12, 9, 9, 6};
  ResultsFileOf(state).ReadFrom(1, [&](int64_t number, const RecordBytes& bytes) {
    const ResultRecord r = ResultRecord::Decode(bytes);
    const std::string valid = ja ? (r.IsValid() ? "○" : "×") : (r.IsValid() ? "1" : "0");
    table.rows.push_back({Cell::OfNumber(number), DateCell(r.date, form), TimeOfDayCell(r.time, form),
                          Cell::OfNumber(r.Bangou), TextCell(NameOf(state, r.Bangou)),
                          LevelCell(state, r.level, form), SecondsCell(r.seconds, form),
                          Cell::OfNumber(PointsOf(state, r)),
                          ja ? Cell::OfCode(text::TrimRight(FieldText(r.schoolCode)))
                             : TextCell(text::TrimRight(FieldText(r.schoolCode))),
                          Cell::OfText(valid)});
  });
  return table;
}

Table SummaryTable(AppState& state, int64_t today, Form form, bool all) {
  ComputeCounts(state, today);
  const bool ja = form == Form::Japanese;
  Table table;
  table.sheet = "集計";
  table.form = form;
  if (ja) {
    table.headers = {"番号",
                     "名前",
                     "学年",
                     "レベル",
                     "今までの回数",
                     "今までのポイント",
                     "最近の回数",
                     "最近のポイント",
                     "やりすぎ判定の回数",
                     "やりすぎ判定のポイント",
                     "今日の回数",
                     "今日のポイント",
                     "最高タイム（秒）",
                     "塾の最高タイム（秒）"};
    table.widths = {7, 16, 6, 10, 12, 15, 11, 14, 17, 20, 11, 14, 15, 19};
  } else {
    table.headers = {"student",     "name",        "level",      "TotalCount",  "TotalPoints",
                     "JudgeCount",  "JudgePoints", "LimitCount", "LimitPoints", "TodayCount",
                     "TodayPoints", "BestTime",    "SchoolBest"};
    table.widths = std::vector<double>(table.headers.size(), 12);
  }
  const std::vector<bool> listed = ListedStudents(state);
  const int levels = std::clamp(state.LevelCount, 0, kMaxLevel);
  for (int n : SummaryStudents(state)) {
    const std::string name = NameOf(state, n);
    // Teachers and roster rows the selection list hides are the school's own business.
    if (ja && !all && (IsTeacher(name) || (!name.empty() && !listed[static_cast<size_t>(n)]))) continue;
    for (int level = 1; level <= levels; ++level) {
      std::vector<Cell> row = {Cell::OfNumber(n), TextCell(name)};
      if (ja) row.push_back(TextCell(state.StudentGrades[static_cast<size_t>(n)]));
      const double todayCount = state.TodayCount(level, n);
      for (Cell cell :
           {LevelCell(state, level, form), Cell::OfNumber(state.TotalCount(level, n)),
            Cell::OfNumber(state.TotalPoints(level, n)), Cell::OfNumber(state.JudgeCount(level, n)),
            Cell::OfNumber(state.JudgePoints(level, n)), Cell::OfNumber(state.LimitCount(level, n)),
            Cell::OfNumber(state.LimitPoints(level, n)),
            Cell::OfNumber(static_cast<double>(std::llround(todayCount)), Whole(todayCount)),
            Cell::OfNumber(state.TodayPoints(level, n)), SecondsCell(state.BestTime(level, n), form),
            SecondsCell(state.SchoolBest[static_cast<size_t>(level)], form)})
        row.push_back(std::move(cell));
      table.rows.push_back(std::move(row));
    }
  }
  return table;
}

size_t WriteRecords(const AppState& state, std::ostream& out, Encoding encoding) {
  return WriteCsv(RecordsTable(state, Form::Identifiers), out, encoding);
}

size_t WriteSummary(AppState& state, int64_t today, std::ostream& out, Encoding encoding) {
  return WriteCsv(SummaryTable(state, today, Form::Identifiers, false), out, encoding);
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

namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// What a report says when it cannot be written: the tool's message, and exit status 2.
class ReportFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void WriteMonthly(const Options& options, const AppState& state, int64_t today, std::ostream& err) {
  for (int n : options.students) {
    if (!OnRoster(state, n))
      throw ReportFailure("student " + std::to_string(n) + " is not on the roster (" +
                          paths::Native(RosterPath(state)) + ")");
  }
  OutputFile file(options.output, DataFiles(state, options.programFolder));
  const Month month = *options.month;
  const std::vector<ChartRecord> drills = ReadDrills(state, MonthlyReportDays(month));
  const MonthlyReport report = BuildMonthlyReport(state, {month, options.students}, drills);
  const std::string problem =
      WriteMonthlyPdf(file.temporary(), report, calendar::FormatDate(today) + " 作成");
  if (!problem.empty()) throw ReportFailure(options.output + ": " + problem);
  file.Commit();
  if (report.pages.empty())
    err << "bardrill-report: no child did a drill in " << MonthText(month)
        << ": the report is one page saying so\n";
}

// The CSV or workbook of records or summary; returns the characters CP932 could not hold.
size_t WriteTables(const Options& options, AppState& state, int64_t today, std::ostream& out) {
  const bool records = options.command == Command::Records;
  if (options.format == Format::Xlsx) {
    OutputFile file(options.output, DataFiles(state, options.programFolder));
    std::vector<Table> sheets;
    sheets.push_back(SummaryTable(state, today, Form::Japanese, options.all));
    sheets.push_back(RecordsTable(state, Form::Japanese));
    if (records) std::swap(sheets[0], sheets[1]);
    const std::string problem = WriteWorkbook(file.temporary(), sheets);
    if (!problem.empty()) throw ReportFailure(options.output + ": " + problem);
    file.Commit();
    return 0;
  }
  const Table table =
      records ? RecordsTable(state, options.form) : SummaryTable(state, today, options.form, options.all);
  // A file, or the teachers' form wherever it goes, is for a spreadsheet: the mark tells it the
  // encoding. Standard output in the scripts' form stays as it has always been.
  const bool mark =
      options.encoding == Encoding::Utf8 && (!options.output.empty() || options.form == Form::Japanese);
  if (options.output.empty()) {
    if (mark) out << kByteOrderMark;
    return WriteCsv(table, out, options.encoding);
  }
  OutputFile file(options.output, DataFiles(state, options.programFolder));
  std::ostringstream csv;
  if (mark) csv << kByteOrderMark;
  const size_t substituted = WriteCsv(table, csv, options.encoding);
  file.Write(csv.str());
  file.Commit();
  return substituted;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock) {
  Options options;
  if (const std::optional<int> status = ReadCommandLine(args, options, out, err)) return *status;
  if (options.format == Format::Xlsx && !WorkbookAvailable()) {
    err << "bardrill-report: --format xlsx is not available in this build (it was built without "
           "libxlsxwriter); use CSV with --headers ja\n";
    return 2;
  }
  if (options.command == Command::Monthly && !MonthlyPdfAvailable()) {
    err << "bardrill-report: the monthly report is not available in this build (it was built without "
           "Qt)\n";
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
    if (options.command == Command::Monthly) {
      WriteMonthly(options, state, today, err);
      return 0;
    }
    const size_t substituted = WriteTables(options, state, today, out);
    if (options.output.empty()) {
      out.flush();
      if (!out) {
        err << "bardrill-report: the report could not be written to standard output\n";
        return 2;
      }
    }
    if (substituted > 0) {
      err << "bardrill-report: " << substituted
          << " character(s) that Shift-JIS cannot hold were written as \"?\"\n";
    }
    WarnRecordsAfter(state, today, err);
  } catch (const std::exception& e) {
    // A missing or malformed file, named with its line by DataFileError; an output file that cannot be
    // written (OutputError) or a report that could not be made (ReportFailure), named with the file.
    err << "bardrill-report: " << e.what() << "\n";
    return 2;
  }
  return 0;
}

}  // namespace bardrill::report
