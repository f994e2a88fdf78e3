#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/setup/roster.h"
#include "school/roster_numbers.h"

// The roster 新名簿.txt and the class list a teacher keeps in a spreadsheet, saved as CSV.
namespace bardrill::school {

// The lines of 新名簿.txt for these entries, as the program reads them back (the name and the two texts
// quoted and without their padding).
std::vector<std::string> RosterFileLines(const std::vector<RosterLine>& lines);

// A class list read from CSV: one roster line per child, `line` being the CSV line the row starts on.
// The bytes may be UTF-8 (with or without a byte-order mark) or CP932; the first row names the columns
// 番号, 生年度 and/or 学年, 名前 and 状態 (or number, birth year, grade, name, status), other columns
// are ignored; a grade such as 小3 or 中1 stands for the birth year of `schoolYear`'s children of that
// grade. Throws Refusal listing every fault, each as "FILE: line L, column C: …".
struct ClassList {
  std::vector<RosterLine> rows;
  std::vector<std::string> ignoredColumns;
};
ClassList ParseClassList(std::string_view bytes, const std::string& file, int schoolYear);

// The roster as CSV for a spreadsheet: UTF-8 with a byte-order mark, CR LF, the columns 番号, 生年度,
// 学年 (for `schoolYear`, for reading only), 名前 and 状態.
std::string ClassListCsv(const std::vector<RosterLine>& lines, int schoolYear);

struct ImportOutcome {
  size_t students = 0;                    // lines written
  size_t listed = 0;                      // of them listed on the selection screen (status 0)
  std::vector<std::string> keptTeachers;  // teacher lines kept from the old roster
  std::vector<std::string> ignoredColumns;
  std::vector<std::string> numbers;  // what became of the list's numbers (NumberPlan's notes)
  std::string roster;                // the roster written
  std::string backup;                // the dated copy of the old roster, or empty when there was none
  int64_t movedRecords = 0;          // records renumbered to follow their child
  std::string resultsCopy;           // the dated copy of the results file, when records were renumbered
};

// `roster import`: the class list at `csvPath` becomes the roster of the installation at `dir`. The
// whole file is refused (Refusal, every fault listed, nothing written) unless every row is right and
// no number would give one child's drills to another (PlanNumbers, by `rule`). The old roster is copied
// beside it as 新名簿_YYYY-MM-DD.txt first; numbers it had keep their other items (the two numbers and
// texts that sibling programs may use), and when the class list names no teacher (★ or 先生) the old
// roster's teachers are kept, so that the teacher screens stay reachable. Drills that follow their
// child are renumbered in the results file under its lock, after a dated copy of it is kept beside it.
ImportOutcome ImportRoster(const std::string& dir, const std::string& csvPath, int64_t today,
                           NumberRule rule = NumberRule::Refuse);

// `roster export`: writes the roster of the installation at `dir` as ClassListCsv to `csvPath`. Returns
// how many lines it wrote. Throws Refusal naming the roster's fault when the program could not read it.
size_t ExportRoster(const std::string& dir, const std::string& csvPath, int64_t today);

}  // namespace bardrill::school
