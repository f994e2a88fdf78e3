#include "core/results_file.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

#include "core/app_state.h"
#include "core/tables.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"

namespace bardrill {

namespace {

constexpr int64_t kRecordBytes = static_cast<int64_t>(kRecordSize);

std::string Describe(std::chrono::milliseconds wait) {
  if (wait.count() % 1000 == 0) return std::to_string(wait.count() / 1000) + " seconds";
  return std::to_string(wait.count()) + " ms";
}

// Opens the results file and takes its lock. A delete on another PC may rename a new file over the
// path while this one waits for the lock; the lock on the old file would then guard nothing, so the
// file is opened again until the locked file is the one the path names.
SharedFile OpenLocked(const std::string& path, const std::string& whatIsLost, const LockWaitStep& step = {}) {
  const auto limit = LockWaitLimit();
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + limit;
  // The step learns the whole wait, across the reopenings below.
  const LockWaitStep overall =
      !step ? LockWaitStep{} : [&](std::chrono::milliseconds, std::chrono::milliseconds) {
        step(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start),
             limit);
      };
  for (;;) {
    SharedFile file(path);
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!file.TryLockFor(std::max(left, std::chrono::milliseconds(0)), overall))
      throw FileWriteError(path + ": another computer or program kept the file locked for " +
                           Describe(limit) + "; " + whatIsLost);
    if (file.IsStillAtPath()) return file;
    if (std::chrono::steady_clock::now() >= deadline)
      throw FileWriteError(path + ": another computer kept replacing the file for " + Describe(limit) + "; " +
                           whatIsLost);
  }
}

// The results file with "temp" before its extension: "成績累積データtemp.dat".
std::string TempPath(const std::string& path) {
  const std::string ext = ".dat";
  if (path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
    return path.substr(0, path.size() - ext.size()) + "temp" + ext;
  return path + "temp";
}

// Undoes a failed write as far as the system still lets us; the caller reports the original failure.
template <typename Undo>
void TryToUndo(Undo undo) {
  try {
    undo();
  } catch (const FileWriteError&) {
  }
}

}  // namespace

std::string ResultsPath(const AppState& state) {
  return state.ProgramDataFolder + "成績累積データ" + state.ContentNumber + ".dat";
}

ResultsFile::ResultsFile(std::string path) : path_(paths::Native(path)) {}

void ResultsFile::Open() { SharedFile file(path_); }

int64_t ResultsFile::RecordCount() const {
  std::optional<FileReader> in = FileReader::Open(path_);
  return in ? in->Size() / kRecordBytes : 0;
}

void ResultsFile::Append(const ResultRecord& record, const LockWaitStep& step) {
  const RecordBytes bytes = record.Encode();
  SharedFile file = OpenLocked(path_, "the record was not written", step);
  // Stray bytes after the last whole record are what a failed write on an old PC left; they are
  // overwritten, so every record starts at a multiple of 44.
  const int64_t end = file.Size() / kRecordBytes * kRecordBytes;
  try {
    file.WriteAt(end, bytes);
    file.Sync();
  } catch (const FileWriteError&) {
    // Cut back to the whole records before releasing the lock, so that no other PC ever appends after
    // half a record.
    TryToUndo([&] {
      file.Truncate(end);
      file.Sync();
    });
    throw;
  }
  file.Unlock();
}

namespace {

// Visits records first..last (1-based) of an open file in large blocks: the counts read up to 20000
// records every time a screen opens. Stops early where the file ends.
void VisitRecords(const FileReader& in, int64_t first, int64_t last,
                  const std::function<void(int64_t, const RecordBytes&)>& visit) {
  constexpr int64_t kBlockRecords = 4096;
  std::vector<unsigned char> block(static_cast<size_t>(kBlockRecords) * kRecordSize);
  for (int64_t number = std::max<int64_t>(first, 1); number <= last;) {
    const int64_t wanted = std::min(kBlockRecords, last - number + 1);
    const size_t got = in.ReadAt((number - 1) * kRecordBytes,
                                 std::span(block.data(), static_cast<size_t>(wanted) * kRecordSize));
    const int64_t whole = static_cast<int64_t>(got / kRecordSize);
    for (int64_t i = 0; i < whole; ++i, ++number) {
      RecordBytes bytes;
      std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(i) * kRecordBytes, kRecordSize, bytes.begin());
      visit(number, bytes);
    }
    if (whole < wanted) return;
  }
}

}  // namespace

void ResultsFile::ReadFrom(int64_t first,
                           const std::function<void(int64_t, const RecordBytes&)>& visit) const {
  std::optional<FileReader> in = FileReader::Open(path_);
  if (in) VisitRecords(*in, first, std::numeric_limits<int64_t>::max() / kRecordBytes, visit);
}

int64_t ResultsFile::ReadNewest(int64_t limit,
                                const std::function<void(int64_t, const RecordBytes&)>& visit) const {
  std::optional<FileReader> in = FileReader::Open(path_);
  if (!in) return 0;
  const int64_t count = in->Size() / kRecordBytes;
  VisitRecords(*in, std::max<int64_t>(count - limit + 1, 1), count, visit);
  return count;
}

std::optional<RecordBytes> ResultsFile::ReadOne(int64_t n) const {
  if (n < 1) return std::nullopt;
  std::optional<FileReader> in = FileReader::Open(path_);
  if (!in) return std::nullopt;
  RecordBytes bytes;
  if (in->ReadAt((n - 1) * kRecordBytes, bytes) != kRecordSize) return std::nullopt;
  return bytes;
}

EditOutcome ResultsFile::RewriteOne(int64_t n, const RecordBytes& asRead, const ResultRecord& replacement) {
  if (n < 1) return EditOutcome::Missing;
  SharedFile file = OpenLocked(path_, "the record was not changed");
  const int64_t offset = (n - 1) * kRecordBytes;
  RecordBytes current;
  if (file.ReadAt(offset, current) != kRecordSize) return EditOutcome::Missing;
  if (current != asRead) return EditOutcome::Changed;
  const RecordBytes bytes = replacement.Encode();
  try {
    file.WriteAt(offset, bytes);
    file.Sync();
  } catch (const FileWriteError&) {
    TryToUndo([&] {
      file.WriteAt(offset, asRead);
      file.Sync();
    });
    throw;
  }
  file.Unlock();
  return EditOutcome::Done;
}

EditOutcome ResultsFile::DeleteOne(int64_t n, const RecordBytes& asRead) {
  if (n < 1) return EditOutcome::Missing;
  SharedFile file = OpenLocked(path_, "the record was not deleted");
  std::string contents(static_cast<size_t>(file.Size() / kRecordBytes * kRecordBytes), '\0');
  size_t got = file.ReadAt(0, std::span(reinterpret_cast<unsigned char*>(contents.data()), contents.size()));
  contents.resize(got / kRecordSize * kRecordSize);
  const size_t offset = static_cast<size_t>(n - 1) * kRecordSize;
  if (offset + kRecordSize > contents.size()) return EditOutcome::Missing;
  if (!std::equal(asRead.begin(), asRead.end(),
                  reinterpret_cast<const unsigned char*>(contents.data()) + offset))
    return EditOutcome::Changed;
  contents.erase(offset, kRecordSize);
  // Renamed over the results file while its lock is still held: an append waiting for the lock finds
  // afterwards that the path names a new file and writes there.
  ReplaceFileContents(path_, TempPath(path_), contents);
  file.Unlock();
  return EditOutcome::Done;
}

void OpenResultsFile(const AppState& state) { ResultsFile(ResultsPath(state)).Open(); }

std::string ResultsWriteProblem(const AppState& state) { return WriteProblem(ResultsPath(state)); }

void AppendResult(const AppState& state, Clock& clock, const LockWaitStep& step) {
  ResultsFile file(ResultsPath(state));
  // The record holds 16-bit numbers: anything outside the tables would be stored as another student or
  // level, so it is refused instead.
  if (state.CurrentStudentNumber < 0 || state.CurrentStudentNumber > kMaxStudent)
    throw FileWriteError(file.path() + ": student number " + std::to_string(state.CurrentStudentNumber) +
                         " is outside 0.." + std::to_string(kMaxStudent) + "; the record was not written");
  if (state.SelectedLevel < 1 || state.SelectedLevel > kMaxLevel)
    throw FileWriteError(file.path() + ": level " + std::to_string(state.SelectedLevel) + " is outside 1.." +
                         std::to_string(kMaxLevel) + "; the record was not written");
  constexpr double kSecondsPerDay = 86400;
  file.Append(
      MakeNewRecord(static_cast<double>(clock.Today()), clock.SecondsSinceMidnight() / kSecondsPerDay,
                    state.CurrentStudentNumber, state.SelectedLevel, state.DrillSeconds, state.SchoolCode),
      step);
}

}  // namespace bardrill
