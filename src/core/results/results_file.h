#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/results/kept_records.h"
#include "core/results/result_record.h"
#include "platform/shared_file.h"

namespace bardrill {

struct AppState;
class Clock;

// "成績累積データ.dat" in the program's data folder (ContentNumber adds nothing when empty).
std::string ResultsPath(const AppState& state);

// What became of a teacher's rewrite or delete of one record.
enum class EditOutcome {
  Done,
  Changed,  // the record at that position no longer holds the bytes the teacher saw: nothing was written
  Missing,  // there is no record at that position any more
};

// What tells the school's folder from an empty one in its place: a share that drops can leave its empty
// mount point behind, and a folder can be renamed away and another made under its name. A results file
// missing from a folder that does not hold the school's standards file, or missing after this run has
// found it, is a share that is away, never a school without drills.
struct SchoolFolder {
  std::string standardsPath;  // the standards file beside the results
  // This run has found the results file; set by whichever thread reads it.
  std::shared_ptr<std::atomic<bool>> resultsSeen = std::make_shared<std::atomic<bool>>(false);
};

// The shared results file: a plain sequence of 44-byte records, appended by several PCs at once.
// Appends, rewrites and deletes take a whole-file lock (waiting for another PC for about 30 seconds);
// readers take none and see whole records only. A trailing partial record is ignored by readers and
// overwritten by the next append.
class ResultsFile {
 public:
  // A file whose absence means no drills yet, wherever it is (tools and tests of the file itself).
  explicit ResultsFile(std::string path);
  // The school's results file: while it cannot be found in the school's folder, readers, rewrites and
  // deletes throw FileReadError (FolderMissing) naming the folder, and appends do too instead of making a
  // file there.
  ResultsFile(std::string path, SchoolFolder school);
  const std::string& path() const { return path_; }

  // Creates the file when it does not exist. Throws FileWriteError with the system's error text.
  void Open();
  // Empty when the file can be written (or created, in the school's folder); else what stands in the
  // way, naming the file or its folder.
  std::string WriteProblem() const;
  // Whole records in the file (length / 44, rounded down); 0 for a missing file.
  int64_t RecordCount() const;
  // Writes one record at the end under the lock and flushes it to disk; while another PC holds the
  // lock, `step` runs instead of a sleep. Throws FileWriteError with the system's error text when it
  // cannot; then nothing of the record is left in the file, unless the share went away after the
  // server took the record and before the flush answered (nothing can take it back then).
  //
  // `attempt` makes a retry of the same record safe from that case: the first call notes in it where
  // the file ended, and a later call with it first looks among the records from there (and a few
  // before, for records a teacher deleted meanwhile) for one equal to `record` byte for byte, and
  // writes nothing when it is there. A drill's record holds its student and the time of day it was
  // finished, so no other drill's record is equal to it.
  struct Attempt {
    int64_t firstEnd = -1;  // where the file ended at the first try; -1 before it
  };
  void Append(const ResultRecord& record, const LockWaitStep& step = {}, Attempt* attempt = nullptr);
  // Calls `visit` for records first..count in file order (1-based numbers), up to the end of the file as
  // it grows meanwhile. Nothing for a missing file in an existing folder; any other failure throws
  // FileReadError.
  void ReadFrom(int64_t first, const std::function<void(int64_t number, const RecordBytes&)>& visit) const;
  // Calls `visit` for records first..count in file order as ReadFrom does, a block of thousands at a
  // time: `block` holds whole records, the first of them numbered `number`.
  void ReadBlocks(
      int64_t first,
      const std::function<void(int64_t number, std::span<const unsigned char> block)>& visit) const;
  // Records read in one go: `bytes` holds records first, first + 1, ... whole, 44 bytes each.
  struct Records {
    int64_t fileRecords = 0;  // records in the file when it was opened
    int64_t first = 1;
    std::span<const unsigned char> bytes;
    int64_t count() const { return static_cast<int64_t>(bytes.size() / kRecordSize); }
  };
  // The newest `limit` records as the file is at the moment it is opened; records appended meanwhile
  // wait for the next read. They are read into `buffer`, which grows as needed and never shrinks, so
  // that a caller keeping it between reads allocates it once. No records for a missing file in an
  // existing folder; any other failure throws FileReadError.
  Records ReadNewest(int64_t limit, std::vector<unsigned char>& buffer) const;
  // The same into `kept`, reading only what is new: when the file is the one read last time, as long or
  // longer, not written in place since (its last write time moved while its length did not) and still
  // holding the last record kept, only that record and the ones appended since are read, and the oldest
  // kept make room for them; otherwise the newest are read whole. After a failure the next read takes the
  // file whole.
  Records ReadNewest(int64_t limit, KeptRecords& kept) const;
  // Record n (1-based), or nothing when n is beyond the end.
  std::optional<RecordBytes> ReadOne(int64_t n) const;
  // Replaces record n under the lock, if it still holds `asRead`.
  EditOutcome RewriteOne(int64_t n, const RecordBytes& asRead, const ResultRecord& replacement,
                         const LockWaitStep& step = {});
  // Removes record n under the lock, if it still holds `asRead`; later records move down by one. The
  // compacted file is written beside the original and renamed over it.
  EditOutcome DeleteOne(int64_t n, const RecordBytes& asRead, const LockWaitStep& step = {});
  // Gives every record of a student number in `moves` the number it maps to, in one replacement of the
  // whole file under the lock; every other byte stays as it was. First, under the same lock, the file as
  // it is is copied to `copyPath` (a new file; none when empty). Returns how many records changed; the
  // file is left alone, and no copy made, when none did.
  int64_t Renumber(const std::map<int, int>& moves, const std::string& copyPath,
                   const LockWaitStep& step = {});

 private:
  std::optional<FileReader> OpenForReading() const;
  // Throws the FileReadError of a share that is away unless a missing file means a school without
  // drills yet.
  void RequireNewSchool() const;
  // The file locked for a change of record `n`, or nothing when there is no such record (no file yet,
  // or n below 1).
  std::optional<SharedFile> LockRecord(int64_t n, const char* lost, const LockWaitStep& step) const;
  void MarkSeen() const;

  std::string path_;
  std::optional<SchoolFolder> school_;
};

// The installation's results file, guarded by its school folder (SchoolFolder above).
ResultsFile ResultsFileOf(const AppState& state);

// Creates the results file of the installation when it does not exist yet.
void OpenResultsFile(const AppState& state);

// The record of the drill just finished, made from the state (today, now, the logged-in student, the
// selected level, DrillSeconds and the school code), with the file it goes to: what a worker thread
// appends while the screens go on. Throws FileWriteError naming the file for a student or level that a
// record cannot hold.
// Appending it again after a failure writes it once: see ResultsFile::Append's `attempt`.
struct PendingResult {
  ResultsFile file;
  ResultRecord record;
  ResultsFile::Attempt attempt;
  void Append(const LockWaitStep& step = {}) { file.Append(record, step, &attempt); }
};
PendingResult PrepareResult(const AppState& state, Clock& clock);

// PrepareResult, then its Append.
void AppendResult(const AppState& state, Clock& clock, const LockWaitStep& step = {});

// Empty when the results file can be written (or created, for a school without drills yet); else
// what stands in the way, naming the file or its folder.
std::string ResultsWriteProblem(const AppState& state);

}  // namespace bardrill
