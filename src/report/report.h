#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bardrill {
struct AppState;
class Clock;
}  // namespace bardrill

// bardrill-report: the teachers' view of an installation's results as CSV, computed exactly as the
// program computes them, without writing anything.
namespace bardrill::report {

enum class Command { Records, Summary };
enum class Encoding { Utf8, Cp932 };

struct Options {
  Command command = Command::Records;
  Encoding encoding = Encoding::Utf8;
  std::optional<int64_t> today;  // summary only; the system date when absent
  std::string programFolder;
};

// A command line the tool cannot understand; the text says what was wrong with it.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

extern const char* const kUsage;

Options ParseArguments(const std::vector<std::string>& args);

// A CSV field: quoted (quotes doubled) only when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// Loads what the program loads at start-up and at login, from the program's folder: the configuration,
// the standards, the level catalogue and the roster. Throws DataFileError naming the failing file.
void LoadInstallation(AppState& state, const std::string& programFolder, int64_t today);

// One row per whole record of the results file, in file order, invalid records included. Returns how
// many characters the encoding could not hold (written as "?").
size_t WriteRecords(const AppState& state, std::ostream& out, Encoding encoding);

// Counts, points and best times per student and level, as ComputeCounts makes them for `today`, for
// every student on the roster or with a valid record. Returns as WriteRecords does.
size_t WriteSummary(AppState& state, int64_t today, std::ostream& out, Encoding encoding);

// Lists on `err` every valid record dated after `today`, which counts in the totals but in no window
// of days; returns how many there are.
size_t WarnRecordsAfter(const AppState& state, int64_t today, std::ostream& err);

// The whole tool; returns the exit status: 0 done, 2 bad usage or a missing or malformed file, 1 when
// the report could not be written out.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock);

}  // namespace bardrill::report
