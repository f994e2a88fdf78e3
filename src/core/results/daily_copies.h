#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Copies of a school's data made once a day beside the results file, and what they tell about a results
// file that has lost records. Any child can delete or overwrite the results file from the file manager;
// without a copy the whole history would be gone, and the next drill would start an empty file as if the
// school were new.
namespace bardrill {

struct AppState;
struct Services;
class Prompts;
class Clock;

// The folder of copies beside the results file, with one folder per day named YYYY-MM-DD.
inline constexpr char kCopiesFolderName[] = "成績のコピー";
// In the folder of copies: why the last day's copy could not be made, until a copy is made again.
inline constexpr char kCopyFailureName[] = "コピーできなかった理由.txt";
// In the folder of copies: what the last delete on the records screen left, so that a results file with
// fewer records than the newest copy is known to be the teacher's doing.
inline constexpr char kTeacherDeleteName[] = "先生が消した記録.txt";
// A day's copy while it is being made: this, the day and an ending of its own.
inline constexpr char kTemporaryPrefix[] = "作成中_";

// The last 14 days' copies are kept, and the first copy of each of the last 12 months.
inline constexpr int64_t kDaysKept = 14;
inline constexpr int kMonthsKept = 12;

// The files a day's copy holds, as paths of this system.
struct SchoolFiles {
  std::string results;
  std::string roster;
  std::string standards;
};
SchoolFiles SchoolFilesOf(const AppState& state);

// The folder of copies of the results file at `resultsPath`, ending with a separator.
std::string CopiesFolder(const std::string& resultsPath);
// "2004-05-07"
std::string DayName(int64_t day);

struct DayCopy {
  int64_t day = 0;
  std::string folder;   // ends with a separator
  std::string results;  // its copy of the results file, which a new school's copy lacks
  int64_t records = 0;  // whole records in it; 0 when there is none
};
// The day copies beside the results file, oldest first; none when there is no folder of copies.
std::vector<DayCopy> DayCopies(const std::string& resultsPath);

// Which of the copies' `days` stay on `today`: those of the last 14 days (and any dated after today, by a
// PC whose clock is wrong: nothing is removed on its word), the first of each of the last 12 months,
// and the newest, whatever its age, as it is what a lost file is measured against.
std::set<int64_t> DaysKept(const std::vector<int64_t>& days, int64_t today);

// What MakeDailyCopy did.
struct CopyOutcome {
  enum class Kind { Made, AlreadyThere, Failed };
  Kind kind = Kind::Failed;
  std::string failure;  // why, when it failed
};

// Makes today's copy of the three files unless there is one, then removes the copies no longer kept.
// The copy is made in a temporary folder of this call's own, flushed to the disk and renamed into place
// under the results file's lock, so a folder named by a day is always a whole copy; of PCs starting at
// once, the first rename wins and the others remove their temporary folders. Each file is read under its
// own lock, one at a time, as its writers take it. Never throws: a copy that cannot be made must not keep a
// child from drilling. A failure is noted in the folder of copies (kCopyFailureName), where
// bardrill-school check finds it, and a copy made later removes the note.
CopyOutcome MakeDailyCopy(const SchoolFiles& files, Clock& clock);

// Records that the records screen deleted a record, leaving `recordsAfter` records, while the newest copy
// is what it is now. Called with the results file locked, before the file is replaced: should the mark not
// be written (FileWriteError), nothing is deleted. Nothing is written while there are no copies.
void MarkTeacherDelete(const std::string& resultsPath, int64_t recordsAfter);
// Forgets the mark, once the records it speaks of are back (a restore).
void ForgetTeacherDelete(const std::string& resultsPath);

// A results file that is missing, or holds fewer records than the newest copy, with no delete on the
// records screen since that copy to explain it.
struct ResultsLoss {
  bool missing = false;
  int64_t records = 0;   // in the file now
  int64_t expected = 0;  // what it should hold at least
  DayCopy copy;          // the newest copy
};
// Nothing for a school without copies, or whose newest copy holds no records: a new school, whose first
// drill makes the file.
std::optional<ResultsLoss> FindResultsLoss(const std::string& resultsPath);
// For the teacher: what is wrong, with the file and the copy, each named.
std::string DescribeLoss(const std::string& resultsPath, const ResultsLoss& loss);

// The note of the last copy that could not be made: its path and text.
struct CopyFailure {
  std::string note;
  std::string text;
};
std::optional<CopyFailure> LastCopyFailure(const std::string& resultsPath);

// At the program's start, before any drill: a lost results file tells the child to call the teacher
// and ends the program (ProgramEnd) instead of letting the first drill start an empty file; otherwise
// today's copy is made.
void ProtectResultsAtStart(const AppState& state, Services& services);
// Its two halves, for a start whose files are read off the screens' thread: the files' half finds the
// loss or makes the copy; the loss is then told to the child, which ends the program (ProgramEnd).
std::optional<ResultsLoss> CopyUnlessLost(const SchoolFiles& files, Clock& clock);
[[noreturn]] void RefuseLostResults(const std::string& resultsPath, const ResultsLoss& loss,
                                    Prompts& prompts);

}  // namespace bardrill
