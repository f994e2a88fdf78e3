#pragma once
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/results/result_record.h"
#include "core/results/results_file.h"

namespace bardrill {

struct AppState;

// One record of the teacher's list as the screen keeps it: what its line shows, in 24 bytes where the
// record takes 44 and its line over 100. A file of 2,000,000 records is listed in 48 MB.
struct ListedRecord {
  static constexpr int32_t kNoDay = INT32_MIN;  // `day` of a damaged date, shown as dashes

  double time = 0;  // time of day as stored
  int32_t day = 0;  // the date shown, as a day count (RecordDateText)
  int32_t seconds = 0;
  uint32_t number : 31 = 0;    // the record's number in the file, from 1
  uint32_t ownSchool : 1 = 0;  // written by this school; else the line names "他塾"
  int16_t Bangou = 0;
  int16_t level = 0;
};
static_assert(sizeof(ListedRecord) <= 24);

// The teacher's list of every record of the results file, one line each, in file order. Records of
// level 0 (left by other programs or a damaged write) are not listed, so a line's position says nothing
// about the record it shows: each line carries its record number. Lines are made only when shown or
// printed (RecordLine).
struct RecordList {
  std::vector<ListedRecord> records;
  int64_t recordCount = 0;  // whole records in the file, level 0 included
  // The record number of each line.
  std::vector<int> Numbers() const;
  // LineOfRecord and LineAfterDelete (below) of this list.
  int LineOf(int64_t number) const;
  int LineAfterDelete(int64_t deleted) const;
};

// "  12 2004/05/07　 12:00:00ﾚﾍﾞﾙ1　   45秒 　   1 山田 太郎　 小３++テスト塾": the record's number,
// date, time, level, seconds, student number, name and grade from the roster tables, and its school
// (the school's name for its own records, "他塾" for another school's). Numbers are right-aligned in
// their columns; one too wide for its column is written whole rather than cut.
std::string RecordLine(const AppState& state, int64_t number, const ResultRecord& record);
std::string RecordLine(const AppState& state, const ListedRecord& record);

// Reads the results file and lists its records. Throws DataFileError (a FileReadError) naming the file
// when it cannot be read; a missing file in an existing folder is an empty list.
RecordList ReadRecordList(const AppState& state);
// The same from `file`, for a reader that must not touch the state (a worker thread).
RecordList ReadRecordList(const ResultsFile& file, const std::string& schoolCode);

// "総レコード数:" and the number of records.
std::string RecordCountText(int64_t count);

// A record's date "yyyy/MM/dd" and time "HH:mm:ss"; dashes where a damaged record holds no real one.
std::string RecordDateText(double date);
std::string RecordTimeText(double time);
// "3ﾚﾍﾞﾙ"
std::string LevelText(int level);

// The student choices of the edit panel, one per listed roster row: "12 /  name".
std::vector<std::string> RosterChoices(const AppState& state);
std::string StudentChoice(const AppState& state, int student);
// The student's grade code ("小３"), empty for a number without one.
std::string GradeText(const AppState& state, int student);
// The number in front of the first "/" of a student choice (or of a typed number), rounded halves to
// even; nothing when it is not a number or lies beyond any student number by far.
std::optional<int> ChoiceNumber(std::string_view choice);

// Rounds to a whole number, halves to the even neighbour (44.5 -> 44, 45.5 -> 46).
int64_t RoundHalfEven(double value);

inline constexpr int kMaxEditSeconds = 99999;
// A typed time as it is stored: a number from 0 to 99999 once rounded; nothing otherwise. Full-width
// digits count as digits.
std::optional<int> TypedSeconds(std::string_view typed);

// What the edit panel would write: the record as read with the typed time and student, or why not.
struct RecordEdit {
  ResultRecord record;
  std::string error;  // for the teacher: names what was typed and where; empty when the edit is good
  bool ok() const { return error.empty(); }
};

// Checks the typed time and student choice against the record as read. The student must be a number
// on the roster (listed, or hidden but named), unless it is the record's own student left as it was.
RecordEdit CheckRecordEdit(const AppState& state, const ResultRecord& asRead, std::string_view typedSeconds,
                           std::string_view studentChoice);

// Why a rewrite or delete of record `number` wrote nothing (another PC changed the file meanwhile).
std::string EditRefusedText(EditOutcome outcome, int64_t number);

// The line showing record `number`, or -1.
int LineOfRecord(const std::vector<int>& numbers, int64_t number);
// The line to choose after record `deleted` went: the one that took its place (the first record after
// it), or the last line when it was the last; -1 for an empty list.
int LineAfterDelete(const std::vector<int>& numbersAfter, int64_t deleted);

}  // namespace bardrill
