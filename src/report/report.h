#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/teacher/monthly_report.h"
#include "report/table.h"

namespace bardrill {
struct AppState;
class Clock;
}  // namespace bardrill

// bardrill-report: the teachers' view of an installation's results as CSV, a workbook or monthly
// reports per child, computed exactly as the program computes them, without writing any data file.
namespace bardrill::report {

enum class Command { Records, Summary, Monthly };
enum class Encoding { Utf8, Cp932 };
enum class Format { Csv, Xlsx };

struct Options {
  Command command = Command::Records;
  Encoding encoding = Encoding::Utf8;
  bool encodingGiven = false;
  std::optional<int64_t> today;  // summary and monthly; the system date when absent
  std::string programFolder;
  std::string output;  // -o FILE; empty: standard output
  Form form = Form::Identifiers;
  bool all = false;  // the teachers' summary keeps teachers and hidden roster rows
  Format format = Format::Csv;
  std::optional<Month> month;  // monthly only
  std::vector<int> students;   // monthly only, in the order given
};

// A CSV field: quoted (quotes doubled) only when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// The CSV of a table: one line per row ending in "\n", a code of the teachers' form as ="01234" so that
// a spreadsheet keeps it as text. Returns how many characters the encoding could not hold (written as
// "?").
size_t WriteCsv(const Table& table, std::ostream& out, Encoding encoding);

// Loads what the program loads at start-up and at login, from the program's folder: the configuration,
// the standards, the level catalogue and the roster. Throws DataFileError naming the failing file.
void LoadInstallation(AppState& state, const std::string& programFolder, int64_t today);

// One row per whole record of the results file, in file order, invalid records included.
Table RecordsTable(const AppState& state, Form form);

// Counts, points and best times per student and level, as ComputeCounts makes them for `today`, for
// every student on the roster or with a valid record; the teachers' form leaves out teachers and
// hidden roster rows unless `all`.
Table SummaryTable(AppState& state, int64_t today, Form form, bool all);

// WriteCsv of RecordsTable and SummaryTable in the scripts' form, as the tool has always written them.
size_t WriteRecords(const AppState& state, std::ostream& out, Encoding encoding);
size_t WriteSummary(AppState& state, int64_t today, std::ostream& out, Encoding encoding);

// Lists on `err` every valid record dated after `today`, which counts in the totals but in no window
// of days; returns how many there are.
size_t WarnRecordsAfter(const AppState& state, int64_t today, std::ostream& err);

// The whole tool; returns the exit status: 0 done, 2 bad usage, a missing or malformed file, a
// student not on the roster, or a report that could not be written (to its file or to standard output).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock);

}  // namespace bardrill::report
