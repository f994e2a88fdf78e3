#include "school/roster_csv.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "core/app_state.h"
#include "core/hub/hub.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "platform/calendar.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"
#include "platform/text.h"
#include "school/layout.h"

namespace fs = std::filesystem;

namespace bardrill::school {

namespace {

constexpr size_t kNameWidth = 20;
constexpr int kFirstBirthYear = 1900;
constexpr int kLastBirthYear = 2099;
constexpr int kMaxStatus = 32767;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kFullWidthBlank[] = "\xE3\x80\x80";

// ---- cells ---------------------------------------------------------------------------------------------

struct CsvRow {
  int line = 0;
  std::vector<std::string> cells;
};

// Rows as a spreadsheet saves them: cells separated by `separator`, a cell in double quotes may hold the
// separator, line breaks and doubled quotes. An unclosed quote is a fault of the line it opens on.
std::vector<CsvRow> SplitRows(const std::string& text, char separator, const std::string& file,
                              std::vector<std::string>& problems) {
  std::vector<CsvRow> rows;
  CsvRow row{1, {}};
  std::string cell;
  int line = 1;
  size_t i = 0;
  auto endCell = [&] {
    row.cells.push_back(cell);
    cell.clear();
  };
  auto endRow = [&] {
    endCell();
    rows.push_back(std::move(row));
    row = CsvRow{line, {}};
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"' && text::Trim(cell).empty()) {
      const int opened = line;
      cell.clear();
      ++i;
      for (;;) {
        if (i >= text.size()) {
          problems.push_back(
              DataFileError(file, opened, "a double quote opens a cell here and never closes").what());
          endRow();
          return rows;
        }
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            cell += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (text[i] == '\n') ++line;
        cell += text[i++];
      }
      continue;
    }
    if (c == separator) {
      endCell();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
      endRow();
    } else {
      cell += c;
    }
    ++i;
  }
  if (!cell.empty() || !row.cells.empty()) endRow();
  return rows;
}

// Blanks around a cell, half-width and full-width, dropped.
std::string Trimmed(std::string_view s) {
  const std::string_view blank = kFullWidthBlank;
  std::string t = text::Trim(s);
  for (;;) {
    if (t.rfind(blank, 0) == 0) {
      t = text::Trim(std::string_view(t).substr(blank.size()));
    } else if (t.size() >= blank.size() && std::string_view(t).substr(t.size() - blank.size()) == blank) {
      t = text::Trim(std::string_view(t).substr(0, t.size() - blank.size()));
    } else {
      return t;
    }
  }
}

std::optional<long> WholeNumber(const std::string& cell) {
  // Full-width digits, as a Japanese spreadsheet may hold them, count as digits.
  const std::string digits = text::HalfWidthDigits(cell);
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stol(digits);
}

// ---- columns -------------------------------------------------------------------------------------------

enum Column { NumberColumn, BirthYearColumn, GradeColumn, NameColumn, StatusColumn, ColumnCount };

struct ColumnName {
  const char* japanese;
  std::vector<std::string> names;  // as compared: ASCII lower case, without blanks and underscores
};
const std::array<ColumnName, ColumnCount> kColumnNames = {{
    {"番号", {"番号", "no", "no.", "number", "出席番号"}},
    {"生年度", {"生年度", "birthyear"}},
    {"学年", {"学年", "grade"}},
    {"名前", {"名前", "氏名", "name"}},
    {"状態", {"状態", "status"}},
}};

std::string HeaderKey(const std::string& cell) {
  std::string key;
  for (char c : Trimmed(cell))
    if (c != ' ' && c != '_') key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

std::string Described(Column column) {
  static const char* const kEnglish[ColumnCount] = {"number", "birth year", "grade", "name", "status"};
  return std::string(kColumnNames[column].japanese) + " (" + kEnglish[column] + ")";
}

// ---- grades --------------------------------------------------------------------------------------------

// The grade indices a grade cell stands for: 小3 is 3, 中1 is 7, 幼3 is 0; the selection list's 幼- and
// 大+ (which export writes for the youngest and for adults) stand for a range.
struct GradeRange {
  int low, high;
  bool exact() const { return low == high; }
};

std::optional<GradeRange> GradeOf(const std::string& cell) {
  std::string g = text::HalfWidthDigits(Trimmed(cell));
  if (g.size() > 3 && g.compare(g.size() - 3, 3, "年") == 0) g.resize(g.size() - 3);
  if (g == "幼-") return GradeRange{-1000, -3};
  if (g == "大+") return GradeRange{13, 1000};
  struct School {
    const char* name;
    int years, offset;
  };
  for (const School& school :
       {School{"幼", 3, -3}, School{"小", 6, 0}, School{"中", 3, 6}, School{"高", 3, 9}}) {
    const std::string prefix = school.name;
    if (g.size() == prefix.size() + 1 && g.rfind(prefix, 0) == 0) {
      const int year = g.back() - '0';
      if (year >= 1 && year <= school.years) return GradeRange{school.offset + year, school.offset + year};
    }
  }
  return std::nullopt;
}

// ---- rows ----------------------------------------------------------------------------------------------

class RowReader {
 public:
  RowReader(const std::string& file, const CsvRow& row, const std::array<int, ColumnCount>& at,
            std::vector<std::string>& problems)
      : file_(file), row_(row), at_(at), problems_(problems) {}

  bool Has(Column c) const { return at_[c] >= 0; }
  std::string Cell(Column c) const {
    const size_t i = static_cast<size_t>(at_[c]);
    return i < row_.cells.size() ? Trimmed(row_.cells[i]) : std::string();
  }
  bool Missing(Column c) const { return static_cast<size_t>(at_[c]) >= row_.cells.size(); }
  void Fault(Column c, const std::string& what) {
    problems_.push_back(DataFileError(file_, row_.line, at_[c] + 1, what).what());
    faulty_ = true;
  }
  // The required cell's text, or nothing after telling why it is not there.
  std::optional<std::string> Required(Column c) {
    if (Missing(c)) {
      Fault(c, "the line ends before the column " + Described(c) + " (column " + std::to_string(at_[c] + 1) +
                   ")");
      return std::nullopt;
    }
    std::string cell = Cell(c);
    if (cell.empty()) {
      Fault(c, "the " + Described(c) + " is empty");
      return std::nullopt;
    }
    return cell;
  }
  bool faulty() const { return faulty_; }

 private:
  const std::string& file_;
  const CsvRow& row_;
  const std::array<int, ColumnCount>& at_;
  std::vector<std::string>& problems_;
  bool faulty_ = false;
};

void ReadNumber(RowReader& r, RosterLine& out) {
  std::optional<std::string> cell = r.Required(NumberColumn);
  if (!cell) return;
  std::optional<long> n = WholeNumber(*cell);
  if (!n || *n < 1 || *n > kMaxStudent) {
    r.Fault(NumberColumn, "the number must be a whole number from 1 to " + std::to_string(kMaxStudent) +
                              ", not " + Quoted(*cell));
    return;
  }
  out.entry.number = static_cast<int32_t>(*n);
}

// `shiftJis`: the file was read as Shift-JIS, where a spreadsheet writes "?" for each character that
// Shift-JIS cannot hold (𠮷 of 𠮷田 among them), so the child's real name is lost.
void ReadName(RowReader& r, RosterLine& out, bool shiftJis) {
  std::optional<std::string> cell = r.Required(NameColumn);
  if (!cell) return;
  const std::string& name = *cell;
  if (shiftJis && name.find('?') != std::string::npos) {
    r.Fault(NameColumn,
            "the name " + Quoted(name) +
                " holds \"?\": the spreadsheet wrote it for a character that Shift-JIS cannot hold; "
                "save the list as \"CSV UTF-8\" to keep that character, or write the name in other "
                "characters");
    return;
  }
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '"') {
      r.Fault(NameColumn,
              "the name " + Quoted(name) +
                  " holds a double quote, a line break or a control character, which the roster cannot hold");
      return;
    }
  }
  try {
    codec::Utf8ToCp932(name);
  } catch (const std::invalid_argument& e) {
    r.Fault(NameColumn, "the name " + Quoted(name) + " cannot be stored in the roster: " + e.what());
    return;
  }
  if (text::Length(name) > kNameWidth) {
    r.Fault(NameColumn, "the name " + Quoted(name) + " has " + std::to_string(text::Length(name)) +
                            " characters; the roster holds " + std::to_string(kNameWidth));
    return;
  }
  out.entry.name = name;
}

// The birth year from the 生年度 cell (a year, or a grade in its place) and the 学年 cell; when both are
// given they must agree.
void ReadBirthYear(RowReader& r, RosterLine& out, int schoolYear) {
  const std::string yearCell = r.Has(BirthYearColumn) ? r.Cell(BirthYearColumn) : "";
  const std::string gradeCell = r.Has(GradeColumn) ? r.Cell(GradeColumn) : "";
  const Column yearColumn = r.Has(BirthYearColumn) ? BirthYearColumn : GradeColumn;
  if (yearCell.empty() && gradeCell.empty()) {
    r.Required(yearColumn);
    return;
  }
  auto birthYearOfGrade = [&](Column c, const std::string& cell) -> std::optional<int> {
    std::optional<GradeRange> grade = GradeOf(cell);
    if (!grade) {
      const std::string grades = "幼1..幼3, 小1..小6, 中1..中3, 高1..高3";
      r.Fault(c, c == BirthYearColumn ? "the birth year must be a year such as 2015, or a grade (" + grades +
                                            "), not " + Quoted(cell)
                                      : "the grade " + Quoted(cell) + " is not one of " + grades);
      return std::nullopt;
    }
    if (!grade->exact()) {
      r.Fault(c, "the grade " + Quoted(cell) + " does not tell the birth year; give it in the column " +
                     Described(BirthYearColumn));
      return std::nullopt;
    }
    return schoolYear - 6 - grade->low;
  };
  std::optional<int> year;
  if (!yearCell.empty()) {
    std::optional<long> n = WholeNumber(yearCell);
    if (n) {
      if (*n < kFirstBirthYear || *n > kLastBirthYear) {
        r.Fault(BirthYearColumn, "the birth year must be a year from " + std::to_string(kFirstBirthYear) +
                                     " to " + std::to_string(kLastBirthYear) + ", not " + Quoted(yearCell));
        return;
      }
      year = static_cast<int>(*n);
    } else {
      year = birthYearOfGrade(BirthYearColumn, yearCell);
      if (!year) return;
    }
  }
  if (!gradeCell.empty()) {
    if (!year) {
      year = birthYearOfGrade(GradeColumn, gradeCell);
      if (!year) return;
    } else if (std::optional<GradeRange> grade = GradeOf(gradeCell)) {
      const int index = schoolYear - 6 - *year;
      if (index < grade->low || index > grade->high) {
        r.Fault(GradeColumn, "the grade " + Quoted(gradeCell) + " does not agree with the birth year " +
                                 std::to_string(*year) + ", which is " + GradeLabel(index) +
                                 " in the school year " + std::to_string(schoolYear) +
                                 "; mend one of them, or leave one empty");
        return;
      }
    } else {
      birthYearOfGrade(GradeColumn, gradeCell);
      return;
    }
  }
  out.entry.birthYear = *year;
}

void ReadStatus(RowReader& r, RosterLine& out) {
  if (!r.Has(StatusColumn) || r.Cell(StatusColumn).empty()) return;
  const std::string cell = r.Cell(StatusColumn);
  std::optional<long> n = WholeNumber(cell);
  if (!n || *n > kMaxStatus) {
    r.Fault(
        StatusColumn,
        "the status must be 0 (listed), 2 (on leave) or another whole number (hidden), not " + Quoted(cell));
    return;
  }
  out.status = static_cast<int32_t>(*n);
}

bool IsBlankRow(const CsvRow& row) {
  for (const std::string& cell : row.cells)
    if (!Trimmed(cell).empty()) return false;
  return true;
}

// Where each column is in the header row; -1 for a column it does not name.
std::array<int, ColumnCount> ReadHeader(const CsvRow& header, const std::string& file,
                                        std::vector<std::string>& ignored,
                                        std::vector<std::string>& problems) {
  std::array<int, ColumnCount> at;
  at.fill(-1);
  for (size_t i = 0; i < header.cells.size(); ++i) {
    const std::string key = HeaderKey(header.cells[i]);
    if (key.empty()) continue;
    bool known = false;
    for (int c = 0; c < ColumnCount; ++c) {
      for (const std::string& name : kColumnNames[c].names) {
        if (key != name) continue;
        known = true;
        if (at[c] >= 0) {
          problems.push_back(DataFileError(file, header.line, static_cast<int>(i) + 1,
                                           "the column " + Described(static_cast<Column>(c)) +
                                               " is named twice, in columns " + std::to_string(at[c] + 1) +
                                               " and " + std::to_string(i + 1))
                                 .what());
        } else {
          at[c] = static_cast<int>(i);
        }
      }
    }
    if (!known) ignored.push_back(Trimmed(header.cells[i]));
  }
  if (at[NumberColumn] < 0 || at[NameColumn] < 0 || (at[BirthYearColumn] < 0 && at[GradeColumn] < 0)) {
    std::string named;
    for (const std::string& cell : header.cells)
      if (!Trimmed(cell).empty()) named += (named.empty() ? "" : ", ") + Trimmed(cell);
    problems.push_back(
        DataFileError(file, header.line,
                      "the first line must name the columns 番号, 生年度 or 学年, and 名前 (状態 "
                      "may follow; number, birth year, grade, name and status in English); "
                      "it names " +
                          (named.empty() ? std::string("none") : named))
            .what());
  }
  return at;
}

std::string CsvCell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos && text == text::Trim(text)) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(paths::ToFs(path), std::ios::binary);
  if (!in) throw Refusal(path + ": cannot be read (" + SystemErrorText(errno) + ")");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BackupName(const std::string& roster, int64_t today) {
  const fs::path path = paths::ToFs(roster);
  std::string date = calendar::FormatDate(today);  // yyyy/MM/dd
  for (char& c : date)
    if (c == '/') c = '-';
  const std::string stem =
      paths::FromFs(path.parent_path()) + paths::kSeparator + paths::FromFs(path.stem()) + "_" + date;
  const std::string extension = paths::FromFs(path.extension());
  std::string name = stem + extension;
  std::error_code ec;
  for (int n = 2; fs::exists(paths::ToFs(name), ec); ++n) name = stem + "_" + std::to_string(n) + extension;
  return name;
}

// The old roster's lines, for the items it keeps; nothing when the program could not read it either.
std::vector<RosterLine> OldRoster(const std::string& path) {
  try {
    return ReadRosterLines(path);
  } catch (const DataFileError&) {
    return {};
  }
}

// The roster could not follow renumbered drills: the drills go back to the numbers the roster still has.
void UndoMoves(ResultsFile& results, const std::map<int, int>& moves, const std::string& copy,
               const std::string& why) {
  std::map<int, int> back;
  for (const auto& [from, to] : moves) back[to] = from;
  try {
    results.Renumber(back, "");
  } catch (const std::exception& e) {
    throw FileWriteError(why +
                         "; and the drills renumbered for the new roster could not be given back "
                         "their old numbers (" +
                         e.what() + "): copy " + copy + " over " + results.path() +
                         " while no PC is drilling");
  }
}

}  // namespace

std::vector<std::string> RosterFileLines(const std::vector<RosterLine>& lines) {
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (const RosterLine& line : lines) {
    const RosterEntry& e = line.entry;
    out.push_back(std::to_string(e.number) + "," + std::to_string(e.birthYear) + "," +
                  std::to_string(e.extra1) + "," + std::to_string(e.extra2) + ",\"" + text::Trim(e.name) +
                  "\"," + std::to_string(line.status) + ",\"" + text::Trim(e.text2) + "\",\"" +
                  text::Trim(e.text3) + "\"");
  }
  return out;
}

ClassList ParseClassList(std::string_view bytes, const std::string& file, int schoolYear) {
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
    throw Refusal(file +
                  ": the file is UTF-16 (a spreadsheet's \"Unicode text\"); save the list as CSV instead "
                  "(\"CSV UTF-8\" or \"CSV (comma separated)\")");
  std::string text;
  try {
    text = codec::TextFileToUtf8(bytes);
  } catch (const codec::UndecodableText& e) {
    const auto line =
        1 + std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(e.offset()), '\n');
    throw Refusal(
        DataFileError(file, static_cast<int>(line),
                      std::string("the file is neither UTF-8 nor Shift-JIS (CP932) text: ") + e.what())
            .what());
  }
  const bool shiftJis = !codec::ReadsAsUtf8(bytes);
  const std::string firstLine = text.substr(0, text.find('\n'));
  const char separator =
      firstLine.find(',') == std::string::npos && firstLine.find('\t') != std::string::npos ? '\t' : ',';

  ClassList list;
  std::vector<std::string> problems;
  std::vector<CsvRow> rows = SplitRows(text, separator, file, problems);
  size_t first = 0;
  while (first < rows.size() && IsBlankRow(rows[first])) ++first;
  if (first == rows.size())
    throw Refusal(DataFileError(file, 0, "the file is empty: it lists no children").what());
  const std::array<int, ColumnCount> at = ReadHeader(rows[first], file, list.ignoredColumns, problems);
  if (!problems.empty()) throw Refusal(problems);

  std::vector<int> lineOfNumber(kMaxStudent + 1, 0);
  for (size_t i = first + 1; i < rows.size(); ++i) {
    const CsvRow& row = rows[i];
    if (IsBlankRow(row)) continue;
    RowReader reader(file, row, at, problems);
    RosterLine line;
    line.line = row.line;
    ReadNumber(reader, line);
    ReadBirthYear(reader, line, schoolYear);
    ReadName(reader, line, shiftJis);
    ReadStatus(reader, line);
    if (line.entry.number > 0) {
      int& earlier = lineOfNumber[static_cast<size_t>(line.entry.number)];
      if (earlier != 0) {
        reader.Fault(NumberColumn, "the number " + std::to_string(line.entry.number) + " is on line " +
                                       std::to_string(earlier) + " and again on line " +
                                       std::to_string(row.line) +
                                       "; every child needs a number of their own");
      } else {
        earlier = row.line;
      }
    }
    if (!reader.faulty()) list.rows.push_back(std::move(line));
  }
  if (problems.empty() && list.rows.size() > static_cast<size_t>(kMaxRosterRows))
    problems.push_back(
        DataFileError(file, list.rows[kMaxRosterRows].line,
                      "the list holds more than " + std::to_string(kMaxRosterRows) + " children")
            .what());
  if (problems.empty() && list.rows.empty())
    problems.push_back(
        DataFileError(file, rows[first].line, "the file names its columns but lists no children").what());
  if (!problems.empty()) throw Refusal(problems);
  return list;
}

std::string ClassListCsv(const std::vector<RosterLine>& lines, int schoolYear) {
  std::string csv = kByteOrderMark;
  csv += "番号,生年度,学年,名前,状態\r\n";
  for (const RosterLine& line : lines) {
    const RosterEntry& e = line.entry;
    csv += std::to_string(e.number) + "," + std::to_string(e.birthYear) + "," +
           GradeLabel(schoolYear - 6 - e.birthYear) + "," + CsvCell(text::Trim(e.name)) + "," +
           std::to_string(line.status) + "\r\n";
  }
  return csv;
}

ImportOutcome ImportRoster(const std::string& dir, const std::string& csvPath, int64_t today,
                           NumberRule rule) {
  AppState state;
  LocateDataFolders(state, ProgramFolderOf(dir));
  LoadSchoolConfiguration(state);
  const int schoolYear = SchoolYearOf(today, state.SchoolYearStartMonth);
  ClassList list = ParseClassList(ReadAll(csvPath), csvPath, schoolYear);

  ImportOutcome outcome;
  outcome.roster = paths::Native(RosterPath(state));
  outcome.ignoredColumns = list.ignoredColumns;
  std::vector<RosterLine> lines = std::move(list.rows);
  const std::vector<RosterLine> old = OldRoster(outcome.roster);
  ResultsFile results = ResultsFileOf(state);
  NumberPlan plan = PlanNumbers(lines, old, ReadNumberUse(results), rule, csvPath);
  if (!plan.problems.empty()) throw Refusal(plan.problems);
  outcome.numbers = std::move(plan.notes);
  std::vector<const RosterLine*> oldByNumber(kMaxStudent + 1, nullptr);
  for (const RosterLine& line : old) oldByNumber[static_cast<size_t>(line.entry.number)] = &line;
  bool namesTeacher = false;
  for (RosterLine& line : lines) {
    namesTeacher = namesTeacher || IsTeacher(line.entry.name);
    if (const RosterLine* before = oldByNumber[static_cast<size_t>(line.entry.number)]) {
      line.entry.extra1 = before->entry.extra1;
      line.entry.extra2 = before->entry.extra2;
      line.entry.text2 = before->entry.text2;
      line.entry.text3 = before->entry.text3;
    }
  }
  if (!namesTeacher) {
    std::vector<bool> used(kMaxStudent + 1, false);
    for (const RosterLine& line : lines) used[static_cast<size_t>(line.entry.number)] = true;
    for (const RosterLine& line : old) {
      if (!IsTeacher(line.entry.name) || used[static_cast<size_t>(line.entry.number)]) continue;
      outcome.keptTeachers.push_back(std::to_string(line.entry.number) + " " + text::Trim(line.entry.name));
      lines.push_back(line);
    }
  }
  std::string utf8;
  for (const std::string& line : RosterFileLines(lines)) utf8 += line + "\r\n";
  const std::string bytes = codec::Utf8ToCp932(utf8);

  std::optional<SharedFile> file = LockCurrentFile(outcome.roster, true, "the roster is left as it was");
  // The drills first: a results file locked too long by a drilling PC then stops the import before
  // anything is written.
  if (!plan.moves.empty()) {
    outcome.resultsCopy = BackupName(results.path(), today);
    outcome.movedRecords = results.Renumber(plan.moves, outcome.resultsCopy);
  }
  try {
    if (file->Size() > 0) {
      outcome.backup = BackupName(outcome.roster, today);
      // Flushed whole before the roster is replaced: after a power cut the old roster is there or in its
      // copy.
      try {
        CopyToNewFile(outcome.roster, outcome.backup);
      } catch (const FileWriteError& e) {
        throw FileWriteError(outcome.backup + ": the old roster cannot be kept here (" + e.what() +
                             "); the roster is left as it was");
      }
    }
    ReplaceFileContents(*file, outcome.roster + ".tmp", bytes);
  } catch (const std::exception& e) {
    if (outcome.movedRecords > 0) UndoMoves(results, plan.moves, outcome.resultsCopy, e.what());
    throw;
  }
  outcome.students = lines.size();
  for (const RosterLine& line : lines) outcome.listed += line.status == 0;
  return outcome;
}

size_t ExportRoster(const std::string& dir, const std::string& csvPath, int64_t today) {
  AppState state;
  LocateDataFolders(state, ProgramFolderOf(dir));
  LoadSchoolConfiguration(state);
  const std::vector<RosterLine> lines = ReadRosterLines(RosterPath(state));
  WriteWholeFile(csvPath, ClassListCsv(lines, SchoolYearOf(today, state.SchoolYearStartMonth)));
  return lines.size();
}

}  // namespace bardrill::school
