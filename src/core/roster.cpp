#include "core/roster.h"

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

int32_t WholeNumber(const Item& item, const std::string& file, const char* what, double low, double high) {
  double v = item.Number();
  if (!item.IsNumber() || v < low || v > high) {
    throw DataFileError(file, item.line,
                        std::string(what) + " must be a whole number from " + text::NumberText(low) + " to " +
                            text::NumberText(high) + ", not \"" + item.text + "\"");
  }
  return static_cast<int32_t>(v);
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

void ReadRoster(AppState& state, int64_t today) {
  state.SchoolYear = SchoolYearOf(today, state.SchoolYearStartMonth);
  const std::string file = paths::Native(RosterPath(state));
  ItemReader reader = ItemReader::FromFile(file);
  std::vector<RosterEntry> rows(1);
  std::vector<int32_t> numbers(1);
  while (!reader.AtEnd()) {
    std::vector<Item> items = reader.NextLine();
    CheckItemCount(items, file);
    RosterEntry entry;
    entry.number = WholeNumber(items[0], file, "the student number", 0, kMaxStudent);
    entry.birthYear = WholeNumber(items[1], file, "the birth year", -32768, 32767);
    entry.extra1 = static_cast<int32_t>(items[2].Number());
    entry.extra2 = static_cast<int32_t>(items[3].Number());
    entry.name = text::FitLeft(items[4].text, kRosterTextWidth);
    int32_t status = static_cast<int32_t>(items[5].Number());
    entry.text2 = text::FitLeft(items[6].text, kRosterTextWidth);
    entry.text3 = text::FitLeft(items[7].text, kRosterTextWidth);
    if (status == 2 && state.ListOnLeaveStudents == 1) status = 0;

    // Hidden students keep their name, birth year and grade, so results lists can still name them.
    state.StudentNames[entry.number] = text::Trim(entry.name);
    state.StudentBirthYears[entry.number] = entry.birthYear;
    int grade = state.SchoolYear - entry.birthYear - 6;
    if (grade >= 0 && grade <= 10) state.StudentGrades[entry.number] = GradeCode(grade);
    if (status != 0) continue;
    if (rows.size() > static_cast<size_t>(kMaxRosterRows)) {
      throw DataFileError(file, items[0].line,
                          "the roster lists more than " + std::to_string(kMaxRosterRows) + " students");
    }
    numbers.push_back(entry.number);
    rows.push_back(std::move(entry));
  }
  state.RosterRecords = std::move(rows);
  state.RosterNumbers = std::move(numbers);
  state.RosterCount = static_cast<int32_t>(state.RosterNumbers.size() - 1);
}

}  // namespace bardrill
