#include "core/teacher/record_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

#include "core/app_state.h"
#include "core/tables.h"
#include "platform/calendar.h"
#include "platform/text.h"

namespace bardrill {

namespace {

// Right-aligned in `width` blanks; a wider number stays whole, as a cut one would name another record.
void AppendRight(std::string& out, const std::string& number, size_t width) {
  if (number.size() < width) out.append(width - number.size(), ' ');
  out += number;
}

const std::string& NameOf(const AppState& state, int student) {
  static const std::string kNone;
  if (student < 0 || student > kMaxStudent) return kNone;
  return state.StudentNames[static_cast<size_t>(student)];
}

const std::string& GradeOf(const AppState& state, int student) {
  static const std::string kNone;
  if (student < 0 || student > kMaxStudent) return kNone;
  return state.StudentGrades[static_cast<size_t>(student)];
}

// The day a record's date shows: whole days, year 100 to year 9999 (what a date of the old system can
// hold); a damaged date shows none.
int32_t ShownDay(double date) {
  constexpr double kFirstDay = -657434;
  constexpr double kLastDay = 2958465;
  if (!(date >= kFirstDay && date <= kLastDay)) return ListedRecord::kNoDay;
  return static_cast<int32_t>(std::floor(date));
}

std::string DayText(int32_t day) {
  return day == ListedRecord::kNoDay ? "----/--/--" : calendar::FormatDate(day);
}

// Record `number` as the list keeps it; `ownSchool`: written by this school.
ListedRecord Listed(int64_t number, double date, double time, int32_t seconds, int16_t Bangou, int16_t level,
                    bool ownSchool) {
  ListedRecord listed;
  listed.time = time;
  listed.day = ShownDay(date);
  listed.seconds = seconds;
  listed.number = static_cast<uint32_t>(number) & 0x7FFFFFFF;
  listed.ownSchool = ownSchool ? 1 : 0;
  listed.Bangou = Bangou;
  listed.level = level;
  return listed;
}

// The line of a record (see RecordLine), made whenever it is shown: a screen shows some forty lines at
// a time.
std::string MakeLine(const AppState& state, int64_t number, const ListedRecord& record) {
  std::string out;
  out.reserve(128);
  AppendRight(out, std::to_string(number), 4);
  out += ' ';
  out += DayText(record.day);
  out += "　";
  AppendRight(out, RecordTimeText(record.time), 9);
  out += "ﾚﾍﾞﾙ";
  out += std::to_string(record.level);
  out += "　";
  AppendRight(out, std::to_string(record.seconds), 5);
  out += "秒 　";
  AppendRight(out, std::to_string(record.Bangou), 4);
  out += ' ';
  out += text::Left(NameOf(state, record.Bangou) + "　　　　　", 6);
  out += ' ';
  out += GradeOf(state, record.Bangou);
  out += "++";
  out += record.ownSchool ? state.SchoolName : "他塾";
  return out;
}

// The typed text as a number, or nothing when it is not one whole.
std::optional<double> TypedNumber(std::string_view typed) {
  const std::string ascii = text::Trim(text::HalfWidthNumber(typed));
  if (!text::IsNumber(ascii)) return std::nullopt;
  const double value = std::strtod(ascii.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

bool OnRoster(const AppState& state, int student) {
  if (student < 1 || student > kMaxStudent) return false;
  if (!state.StudentNames[static_cast<size_t>(student)].empty()) return true;
  return std::find(state.RosterNumbers.begin() + (state.RosterNumbers.empty() ? 0 : 1),
                   state.RosterNumbers.end(), student) != state.RosterNumbers.end();
}

}  // namespace

std::string RecordLine(const AppState& state, int64_t number, const ResultRecord& record) {
  return MakeLine(state, number,
                  Listed(number, record.date, record.time, record.seconds, record.Bangou, record.level,
                         record.schoolCode == MakeTextField(state.SchoolCode)));
}

std::string RecordLine(const AppState& state, const ListedRecord& record) {
  return MakeLine(state, record.number, record);
}

std::vector<int> RecordList::Numbers() const {
  std::vector<int> numbers;
  numbers.reserve(records.size());
  for (const ListedRecord& record : records) numbers.push_back(static_cast<int>(record.number));
  return numbers;
}

RecordList ReadRecordList(const AppState& state) {
  return ReadRecordList(ResultsFileOf(state), state.SchoolCode);
}

RecordList ReadRecordList(const ResultsFile& file, const std::string& schoolCode) {
  RecordList list;
  list.records.reserve(static_cast<size_t>(file.RecordCount()));
  const TextField ownSchool = MakeTextField(schoolCode);
  file.ReadBlocks(1, [&](int64_t number, std::span<const unsigned char> block) {
    for (size_t at = 0; at < block.size(); at += kRecordSize, ++number) {
      const unsigned char* r = block.data() + at;
      list.recordCount = number;
      const int16_t level = record_field::Level(r);
      if (level == 0) continue;
      list.records.push_back(
          Listed(number, record_field::Date(r), record_field::Time(r), record_field::Seconds(r),
                 record_field::Bangou(r), level,
                 std::equal(ownSchool.begin(), ownSchool.end(), r + record_field::kSchoolCodeOffset)));
    }
  });
  return list;
}

std::string RecordCountText(int64_t count) { return "総レコード数:" + std::to_string(count); }

std::string RecordDateText(double date) { return DayText(ShownDay(date)); }

std::string RecordTimeText(double time) {
  if (!std::isfinite(time)) return "--:--:--";
  return calendar::FormatTime(time);
}

std::string LevelText(int level) { return std::to_string(level) + "ﾚﾍﾞﾙ"; }

std::vector<std::string> RosterChoices(const AppState& state) {
  std::vector<std::string> choices;
  choices.reserve(static_cast<size_t>(std::max(state.RosterCount, 0)));
  for (int row = 1; row <= state.RosterCount; ++row) {
    const RosterEntry& entry = state.RosterRecords[static_cast<size_t>(row)];
    choices.push_back(std::to_string(entry.number) + " /  " + text::Trim(entry.name));
  }
  return choices;
}

std::string StudentChoice(const AppState& state, int student) {
  return std::to_string(student) + " /  " + NameOf(state, student);
}

std::string GradeText(const AppState& state, int student) { return text::Trim(GradeOf(state, student)); }

std::optional<int> ChoiceNumber(std::string_view choice) {
  const std::optional<double> value = TypedNumber(choice.substr(0, choice.find('/')));
  constexpr double kLimit = 1e9;
  if (!value || std::fabs(*value) > kLimit) return std::nullopt;
  return static_cast<int>(RoundHalfEven(*value));
}

int64_t RoundHalfEven(double value) {
  const double whole = std::floor(value);
  const double rest = value - whole;
  auto rounded = static_cast<int64_t>(whole);
  if (rest > 0.5 || (rest == 0.5 && rounded % 2 != 0)) ++rounded;
  return rounded;
}

std::optional<int> TypedSeconds(std::string_view typed) {
  const std::optional<double> value = TypedNumber(typed);
  if (!value || *value < 0 || *value > kMaxEditSeconds + 0.5) return std::nullopt;
  const int64_t seconds = RoundHalfEven(*value);
  if (seconds > kMaxEditSeconds) return std::nullopt;
  return static_cast<int>(seconds);
}

RecordEdit CheckRecordEdit(const AppState& state, const ResultRecord& asRead, std::string_view typedSeconds,
                           std::string_view studentChoice) {
  RecordEdit edit{asRead, {}};
  const std::optional<int> seconds = TypedSeconds(typedSeconds);
  if (!seconds) {
    edit.error = text::Trim(typedSeconds).empty()
                     ? "タイムが入っていません。"
                     : "タイム「" + std::string(typedSeconds) + "」は秒数として記録できません。";
    edit.error += "0 から 99999 までの秒数を入れてください。何も記録していません。";
    return edit;
  }
  const std::optional<int> student = ChoiceNumber(studentChoice);
  if (!student || (*student != asRead.Bangou && !OnRoster(state, *student))) {
    edit.error = text::Trim(studentChoice).empty()
                     ? "生徒が入っていません。"
                     : "生徒「" + std::string(studentChoice) + "」は名簿にありません。";
    edit.error += "一覧から選ぶか、名簿にある生徒番号を入れてください。何も記録していません。";
    return edit;
  }
  edit.record.seconds = *seconds;
  edit.record.Bangou = static_cast<int16_t>(*student);
  return edit;
}

std::string EditRefusedText(EditOutcome outcome, int64_t number) {
  const std::string record = "レコード " + std::to_string(number) + " は、開いた後でほかのパソコンから";
  const std::string rest = "何も変更していません。読み直した一覧で確かめてから、もう一度操作してください。";
  switch (outcome) {
    case EditOutcome::Changed:
      return record + "書き換えられました。" + rest;
    case EditOutcome::Missing:
      return record + "消去されました。" + rest;
    case EditOutcome::Done:
      break;
  }
  return {};
}

namespace {

// The line of record `number` in lines that hold records in file order, `numberOf` giving a line's.
template <typename Lines, typename NumberOf>
int FindLine(const Lines& lines, int64_t number, NumberOf numberOf) {
  const auto it = std::lower_bound(lines.begin(), lines.end(), number,
                                   [&](const auto& line, int64_t n) { return numberOf(line) < n; });
  return it != lines.end() && numberOf(*it) == number ? static_cast<int>(it - lines.begin()) : -1;
}

template <typename Lines, typename NumberOf>
int LineAfterGone(const Lines& linesAfter, int64_t deleted, NumberOf numberOf) {
  if (linesAfter.empty()) return -1;
  const auto it = std::lower_bound(linesAfter.begin(), linesAfter.end(), deleted,
                                   [&](const auto& line, int64_t n) { return numberOf(line) < n; });
  if (it == linesAfter.end()) return static_cast<int>(linesAfter.size()) - 1;
  return static_cast<int>(it - linesAfter.begin());
}

int NumberOfInt(int number) { return number; }
int NumberOfRecord(const ListedRecord& record) { return static_cast<int>(record.number); }

}  // namespace

int LineOfRecord(const std::vector<int>& numbers, int64_t number) {
  return FindLine(numbers, number, NumberOfInt);
}

int RecordList::LineOf(int64_t number) const { return FindLine(records, number, NumberOfRecord); }

int LineAfterDelete(const std::vector<int>& numbersAfter, int64_t deleted) {
  return LineAfterGone(numbersAfter, deleted, NumberOfInt);
}

int RecordList::LineAfterDelete(int64_t deleted) const {
  return LineAfterGone(records, deleted, NumberOfRecord);
}

}  // namespace bardrill
