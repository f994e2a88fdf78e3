#include "core/setup/roster.h"

#include <functional>

#include "core/app_state.h"
#include "platform/calendar.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace bardrill {

namespace {
constexpr size_t kRosterItems = 8;
constexpr size_t kRosterTextWidth = 20;
constexpr double kInt16Min = -32768;
constexpr double kInt16Max = 32767;

int32_t WholeNumber(const Item& item, const std::string& file, const char* what, double low, double high) {
  double v = item.Number();
  if (!item.IsNumber() || v < low || v > high) {
    throw DataFileError(file, item.line, item.column,
                        std::string(what) + " must be a whole number from " + text::NumberText(low) + " to " +
                            text::NumberText(high) + ", not " + Quoted(item.text));
  }
  return static_cast<int32_t>(v);
}

// The 16-bit numbers after the name and birth year: empty reads as 0, as these files were always read.
int32_t SmallNumber(const Item& item, const std::string& file, const char* what) {
  if (!item.quoted && item.text.empty()) return 0;
  return WholeNumber(item, file, what, kInt16Min, kInt16Max);
}

// Trailing empty items (a comma at the end of the line) are harmless; anything else must be eight items.
void CheckItemCount(std::vector<Item>& items, const std::string& file) {
  while (items.size() > kRosterItems && items.back().text.empty() && !items.back().quoted) items.pop_back();
  if (items.size() != kRosterItems) {
    throw DataFileError(file, items.empty() ? 0 : items.front().line,
                        "a roster line needs eight items (number, birth year, two numbers, name, status and "
                        "two texts), this one has " +
                            std::to_string(items.size()));
  }
}

RosterLine ParseLine(std::vector<Item>& items, const std::string& file) {
  CheckItemCount(items, file);
  RosterLine parsed;
  parsed.line = items[0].line;
  RosterEntry& entry = parsed.entry;
  entry.number = WholeNumber(items[0], file, "the student number", 0, kMaxStudent);
  entry.birthYear = WholeNumber(items[1], file, "the birth year", kInt16Min, kInt16Max);
  entry.extra1 = SmallNumber(items[2], file, "the third item");
  entry.extra2 = SmallNumber(items[3], file, "the fourth item");
  entry.name = text::FitLeft(items[4].text, kRosterTextWidth);
  parsed.status = SmallNumber(items[5], file, "the status (0 listed, 2 on leave, other hidden)");
  entry.text2 = text::FitLeft(items[6].text, kRosterTextWidth);
  entry.text3 = text::FitLeft(items[7].text, kRosterTextWidth);
  return parsed;
}

// Every line of the roster, each checked on its own; `problem` is told each fault, in file order, and
// the lines without one are returned. One number on two lines would merge two children into one, so the
// later line is a fault.
std::vector<RosterLine> ParseRoster(ItemReader& reader,
                                    const std::function<void(const DataFileError&)>& problem) {
  const std::string& file = reader.name();
  if (reader.AtEnd()) {
    problem(DataFileError(file, 0, "the roster is empty: it lists no students at all"));
    return {};
  }
  std::vector<RosterLine> lines;
  std::vector<int> lineOfNumber(kMaxStudent + 1, 0);
  while (!reader.AtEnd()) {
    std::vector<Item> items = reader.NextLine();
    try {
      RosterLine parsed = ParseLine(items, file);
      int& earlier = lineOfNumber[static_cast<size_t>(parsed.entry.number)];
      if (earlier != 0) {
        throw DataFileError(file, parsed.line, items[0].column,
                            "the student number " + std::to_string(parsed.entry.number) + " is on line " +
                                std::to_string(earlier) + " and again on line " +
                                std::to_string(parsed.line) + "; every student needs a number of their own");
      }
      earlier = parsed.line;
      lines.push_back(std::move(parsed));
    } catch (const DataFileError& e) {
      problem(e);
    }
  }
  return lines;
}

bool IsListed(int32_t status, int32_t listOnLeave) {
  return status == 0 || (status == 2 && listOnLeave == 1);
}

DataFileError TooManyListed(const std::string& file, int line) {
  return DataFileError(file, line,
                       "the roster lists more than " + std::to_string(kMaxRosterRows) + " students");
}

}  // namespace

int SchoolYearOf(int64_t today, int startMonth) {
  calendar::CivilDate d = calendar::FromDayCount(today);
  return d.month < startMonth ? d.year - 1 : d.year;
}

std::string GradeCode(int gradeIndex) {
  static const char* const kCodes[11] = {"幼３", "小１", "小２", "小３", "小４", "小５",
                                         "小６", "中１", "中２", "中３", "高１"};
  if (gradeIndex < 0 || gradeIndex > 10) return "";
  return kCodes[gradeIndex];
}

std::string GradeLabel(int gradeIndex) {
  if (gradeIndex < -2) return "幼-";
  if (gradeIndex <= 0) return "幼" + std::to_string(gradeIndex + 3);
  if (gradeIndex <= 6) return "小" + std::to_string(gradeIndex);
  if (gradeIndex <= 9) return "中" + std::to_string(gradeIndex - 6);
  if (gradeIndex <= 12) return "高" + std::to_string(gradeIndex - 9);
  return "大+";
}

bool IsPreschoolLabel(const std::string& label) { return label.rfind("幼", 0) == 0; }

std::vector<std::string> GradeFilterChoices() {
  return {"全学年", "中学生全体", "小学生全体", "中３", "中２", "中１",
          "小６",   "小５",       "小４",       "小３", "小２", "小１"};
}

std::string RosterPath(const AppState& state) { return state.CommonDataFolder + "新名簿.txt"; }

std::vector<RosterLine> ReadRosterLines(const std::string& path) {
  ItemReader reader = ItemReader::FromFile(paths::Native(path));
  return ParseRoster(reader, [](const DataFileError& e) { throw e; });
}

std::vector<DataFileError> RosterProblems(const std::string& path, int32_t listOnLeave) {
  std::vector<DataFileError> problems;
  try {
    ItemReader reader = ItemReader::FromFile(paths::Native(path));
    int listed = 0;
    for (const RosterLine& line :
         ParseRoster(reader, [&](const DataFileError& e) { problems.push_back(e); })) {
      if (IsListed(line.status, listOnLeave) && ++listed == kMaxRosterRows + 1)
        problems.push_back(TooManyListed(reader.name(), line.line));
    }
  } catch (const DataFileError& e) {
    problems.push_back(e);
  }
  return problems;
}

void ReadRoster(AppState& state, int64_t today) {
  const std::string file = paths::Native(RosterPath(state));
  ApplyRosterLines(state, today, file, ReadRosterLines(file));
}

RosterRead RosterReadOf(const AppState& state) {
  return RosterRead{paths::Native(RosterPath(state)), {}, {}};
}

void ReadRosterInto(RosterRead& read) {
  try {
    read.lines = ReadRosterLines(read.file);
  } catch (const DataFileError& failure) {
    read.fault = failure.what();
  }
}

void ApplyRosterLines(AppState& state, int64_t today, const std::string& file,
                      const std::vector<RosterLine>& lines) {
  const int schoolYear = SchoolYearOf(today, state.SchoolYearStartMonth);
  std::vector<RosterEntry> rows(1);
  std::vector<int32_t> numbers(1);
  for (const RosterLine& line : lines) {
    if (!IsListed(line.status, state.ListOnLeaveStudents)) continue;
    if (rows.size() > static_cast<size_t>(kMaxRosterRows)) throw TooManyListed(file, line.line);
    numbers.push_back(line.entry.number);
    rows.push_back(line.entry);
  }

  state.SchoolYear = schoolYear;
  for (const RosterLine& line : lines) {
    // Hidden students keep their name, birth year and grade, so results lists can still name them.
    const RosterEntry& entry = line.entry;
    state.StudentNames[entry.number] = text::Trim(entry.name);
    state.StudentBirthYears[entry.number] = entry.birthYear;
    int grade = schoolYear - entry.birthYear - 6;
    if (grade >= 0 && grade <= 10) state.StudentGrades[entry.number] = GradeCode(grade);
  }
  state.RosterRecords = std::move(rows);
  state.RosterNumbers = std::move(numbers);
  state.RosterCount = static_cast<int32_t>(state.RosterNumbers.size() - 1);
}

}  // namespace bardrill
