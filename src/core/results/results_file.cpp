#include "core/results/results_file.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "core/app_state.h"
#include "core/results/daily_copies.h"
#include "core/setup/standards.h"
#include "core/tables.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"

namespace bardrill {

namespace {

constexpr int64_t kRecordBytes = static_cast<int64_t>(kRecordSize);

// Every whole record of a file its writer holds locked, as bytes.
std::string WholeRecords(SharedFile& file) {
  std::string contents(static_cast<size_t>(file.Size() / kRecordBytes * kRecordBytes), '\0');
  const size_t got =
      file.ReadAt(0, std::span(reinterpret_cast<unsigned char*>(contents.data()), contents.size()));
  contents.resize(got / kRecordSize * kRecordSize);
  return contents;
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

ResultsFile::ResultsFile(std::string path, SchoolFolder school)
    : path_(paths::Native(path)), school_(std::move(school)) {}

ResultsFile ResultsFileOf(const AppState& state) {
  return ResultsFile(ResultsPath(state),
                     SchoolFolder{paths::Native(StandardsPath(state)), state.ResultsFileSeen});
}

void ResultsFile::MarkSeen() const {
  if (school_) *school_->resultsSeen = true;
}

void ResultsFile::RequireNewSchool() const {
  if (!school_) return;
  const std::string folder = path_.substr(0, path_.find_last_of(paths::kSeparator) + 1);
  if (*school_->resultsSeen) {
    throw FileReadError(folder, FileReadError::Kind::FolderMissing, ENOENT,
                        path_ +
                            " was here and is gone: the folder is not the school's (a share that is away "
                            "may leave an empty folder in its place)");
  }
  if (!paths::Exists(school_->standardsPath)) {
    throw FileReadError(folder, FileReadError::Kind::FolderMissing, ENOENT,
                        "the folder holds neither " + path_ + " nor the standards file " +
                            school_->standardsPath +
                            ", so it is not the school's (a share that is away may leave an empty folder "
                            "in its place)");
  }
}

std::optional<FileReader> ResultsFile::OpenForReading() const {
  std::optional<FileReader> in = FileReader::Open(path_);
  if (in) {
    MarkSeen();
  } else {
    RequireNewSchool();
  }
  return in;
}

std::string ResultsFile::WriteProblem() const {
  if (!paths::Exists(path_)) {
    try {
      RequireNewSchool();
    } catch (const FileReadError& away) {
      return away.what();
    }
  }
  return bardrill::WriteProblem(path_);
}

void ResultsFile::Open() { SharedFile file(path_); }

int64_t ResultsFile::RecordCount() const {
  std::optional<FileReader> in = OpenForReading();
  return in ? in->Size() / kRecordBytes : 0;
}

namespace {

// Records a teacher may have deleted before a retry, moving an earlier attempt's record down.
constexpr int64_t kRetryLookBack = 64;

// Whether a record equal to `bytes` lies among the whole records of `file` from `from` (a byte offset)
// less kRetryLookBack records up to `end`.
bool HoldsRecord(SharedFile& file, int64_t from, int64_t end, const RecordBytes& bytes) {
  const int64_t start = std::max<int64_t>(0, std::min(from, end) - kRetryLookBack * kRecordBytes);
  std::string tail(static_cast<size_t>(end - start), '\0');
  const size_t got =
      file.ReadAt(start, std::span(reinterpret_cast<unsigned char*>(tail.data()), tail.size()));
  const std::string_view wanted(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (size_t at = 0; at + kRecordSize <= got; at += kRecordSize)
    if (std::string_view(tail).substr(at, kRecordSize) == wanted) return true;
  return false;
}

}  // namespace

void ResultsFile::Append(const ResultRecord& record, const LockWaitStep& step, Attempt* attempt) {
  const RecordBytes bytes = record.Encode();
  const std::string lost = "the record was not written";
  std::optional<SharedFile> existing = LockCurrentFile(path_, !school_, lost, step);
  if (!existing) {
    // Only the school's folder gets a new results file: never an empty mount point.
    RequireNewSchool();
    existing = LockCurrentFile(path_, true, lost, step);
  }
  MarkSeen();
  SharedFile& file = *existing;
  // Stray bytes after the last whole record are what a failed write on an old PC left; they are
  // overwritten, so every record starts at a multiple of 44.
  const int64_t end = file.Size() / kRecordBytes * kRecordBytes;
  if (attempt != nullptr) {
    if (attempt->firstEnd >= 0 && HoldsRecord(file, attempt->firstEnd, end, bytes)) {
      // An earlier try reached the server although it failed: it is not written twice.
      file.Unlock();
      return;
    }
    if (attempt->firstEnd < 0) attempt->firstEnd = end;
  }
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

using BlockVisit = std::function<void(int64_t, std::span<const unsigned char>)>;

// Visits records first..last (1-based) of an open file in large blocks: the records screen reads every
// record of the file. Stops early where the file ends.
void VisitBlocks(const FileReader& in, int64_t first, int64_t last, const BlockVisit& visit) {
  constexpr int64_t kBlockRecords = 4096;
  std::vector<unsigned char> block(static_cast<size_t>(kBlockRecords) * kRecordSize);
  for (int64_t number = std::max<int64_t>(first, 1); number <= last;) {
    const int64_t wanted = std::min(kBlockRecords, last - number + 1);
    const size_t got = in.ReadAt((number - 1) * kRecordBytes,
                                 std::span(block.data(), static_cast<size_t>(wanted) * kRecordSize));
    const int64_t whole = static_cast<int64_t>(got / kRecordSize);
    if (whole > 0) visit(number, std::span(block.data(), static_cast<size_t>(whole) * kRecordSize));
    if (whole < wanted) return;
    number += whole;
  }
}

}  // namespace

void ResultsFile::ReadBlocks(int64_t first, const BlockVisit& visit) const {
  std::optional<FileReader> in = OpenForReading();
  if (in) VisitBlocks(*in, first, std::numeric_limits<int64_t>::max() / kRecordBytes, visit);
}

void ResultsFile::ReadFrom(int64_t first,
                           const std::function<void(int64_t, const RecordBytes&)>& visit) const {
  ReadBlocks(first, [&](int64_t number, std::span<const unsigned char> block) {
    for (size_t at = 0; at < block.size(); at += kRecordSize, ++number) {
      RecordBytes bytes;
      std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(at), kRecordSize, bytes.begin());
      visit(number, bytes);
    }
  });
}

ResultsFile::Records ResultsFile::ReadNewest(int64_t limit, std::vector<unsigned char>& buffer) const {
  std::optional<FileReader> in = OpenForReading();
  if (!in) return {};
  Records records;
  records.fileRecords = in->Size() / kRecordBytes;
  records.first = std::max<int64_t>(records.fileRecords - std::max<int64_t>(limit, 0) + 1, 1);
  const size_t wanted = static_cast<size_t>(records.fileRecords - records.first + 1) * kRecordSize;
  if (buffer.size() < wanted) buffer.resize(wanted);
  // One read: the counts take up to 20000 records (0.9 MB) every time a screen opens.
  const size_t got = in->ReadAt((records.first - 1) * kRecordBytes, std::span(buffer.data(), wanted));
  records.bytes = std::span<const unsigned char>(buffer.data(), got / kRecordSize * kRecordSize);
  return records;
}

namespace {

// The records appended to the file `in` since `kept` was read, when it is the same file grown by appends
// only; false, with `kept` as it was, when it is not.
bool ReadAppended(const FileReader& in, const FileReader::Stamp& now, int64_t limit, KeptRecords& kept) {
  if (!kept.stamp || !kept.stamp->SameFile(now) || limit < 1) return false;
  const int64_t fileRecords = now.size / kRecordBytes;
  if (fileRecords < kept.fileRecords) return false;
  if (now.size == kept.stamp->size && now.written != kept.stamp->written) return false;
  // The last record kept is read again with the new ones: the file still holds it where it was, or
  // something other than appends happened to the file.
  const bool last = kept.fileRecords > 0;
  if (last && kept.size() < kRecordSize) return false;
  const int64_t from = kept.fileRecords - (last ? 1 : 0);
  std::vector<unsigned char> fresh(static_cast<size_t>(fileRecords - from) * kRecordSize);
  const size_t got = in.ReadAt(from * kRecordBytes, fresh);
  kept.bytesRead += static_cast<int64_t>(got);
  if (got < fresh.size()) return false;  // cut short meanwhile
  if (last && !std::equal(fresh.begin(), fresh.begin() + kRecordSize, kept.bytes.end() - kRecordSize))
    return false;
  kept.bytes.insert(kept.bytes.end(), fresh.begin() + (last ? kRecordSize : 0), fresh.end());
  kept.appended = fileRecords - kept.fileRecords;
  kept.fileRecords = fileRecords;
  const int64_t held = static_cast<int64_t>(kept.size() / kRecordSize);
  if (held > limit) {
    kept.start += static_cast<size_t>(held - limit) * kRecordSize;
    kept.first += held - limit;
    // Moved down only once the dropped front is as long as the rest: each byte moves at most once.
    if (kept.start > kept.bytes.size() / 2) {
      kept.bytes.erase(kept.bytes.begin(), kept.bytes.begin() + static_cast<ptrdiff_t>(kept.start));
      kept.start = 0;
    }
  }
  return true;
}

}  // namespace

ResultsFile::Records ResultsFile::ReadNewest(int64_t limit, KeptRecords& kept) const {
  limit = std::max<int64_t>(limit, 0);
  kept.bytesRead = 0;
  kept.appended = -1;
  std::optional<FileReader> in = OpenForReading();
  if (!in) {
    kept.bytes.clear();
    kept.start = 0;
    kept.first = 1;
    kept.fileRecords = 0;
    kept.stamp.reset();
    return {};
  }
  const FileReader::Stamp now = in->stamp();
  if (!ReadAppended(*in, now, limit, kept)) {
    kept.stamp.reset();
    const int64_t fileRecords = now.size / kRecordBytes;
    const int64_t first = std::max<int64_t>(fileRecords - limit + 1, 1);
    kept.start = 0;
    kept.bytes.resize(static_cast<size_t>(fileRecords - first + 1) * kRecordSize);
    const size_t got = in->ReadAt((first - 1) * kRecordBytes, kept.bytes);
    kept.bytesRead += static_cast<int64_t>(got);
    kept.bytes.resize(got / kRecordSize * kRecordSize);
    kept.first = first;
    kept.fileRecords = first - 1 + static_cast<int64_t>(got / kRecordSize);
  }
  kept.stamp = now;
  Records records;
  records.fileRecords = kept.fileRecords;
  records.first = kept.first;
  records.bytes = std::span<const unsigned char>(kept.bytes).subspan(kept.start);
  return records;
}

std::optional<RecordBytes> ResultsFile::ReadOne(int64_t n) const {
  if (n < 1) return std::nullopt;
  std::optional<FileReader> in = OpenForReading();
  if (!in) return std::nullopt;
  RecordBytes bytes;
  if (in->ReadAt((n - 1) * kRecordBytes, bytes) != kRecordSize) return std::nullopt;
  return bytes;
}

std::optional<SharedFile> ResultsFile::LockRecord(int64_t n, const char* lost,
                                                  const LockWaitStep& step) const {
  if (n < 1) return std::nullopt;
  std::optional<SharedFile> locked = LockCurrentFile(path_, !school_, lost, step);
  if (!locked) RequireNewSchool();
  return locked;
}

namespace {

// Why record `n` of the file's whole records `contents` may not be changed: it is not there, or no
// longer holds the bytes the teacher saw. Nothing when it may.
std::optional<EditOutcome> RefusedEdit(const std::string& contents, int64_t n, const RecordBytes& asRead) {
  const size_t offset = static_cast<size_t>(n - 1) * kRecordSize;
  if (offset + kRecordSize > contents.size()) return EditOutcome::Missing;
  if (!std::equal(asRead.begin(), asRead.end(),
                  reinterpret_cast<const unsigned char*>(contents.data()) + offset))
    return EditOutcome::Changed;
  return std::nullopt;
}

}  // namespace

EditOutcome ResultsFile::RewriteOne(int64_t n, const RecordBytes& asRead, const ResultRecord& replacement,
                                    const LockWaitStep& step) {
  std::optional<SharedFile> locked = LockRecord(n, "the record was not changed", step);
  if (!locked) return EditOutcome::Missing;
  SharedFile& file = *locked;
  std::string contents = WholeRecords(file);
  if (std::optional<EditOutcome> refused = RefusedEdit(contents, n, asRead)) return *refused;
  const size_t offset = static_cast<size_t>(n - 1) * kRecordSize;
  const RecordBytes bytes = replacement.Encode();
  std::copy(bytes.begin(), bytes.end(), contents.begin() + static_cast<ptrdiff_t>(offset));
  // A new file rather than a write in place: the PCs that keep the newest records between their reads
  // take a file of the same name and length for the one they read only while it is the same file.
  ReplaceFileContents(file, TempPath(path_), contents);
  file.Unlock();
  return EditOutcome::Done;
}

EditOutcome ResultsFile::DeleteOne(int64_t n, const RecordBytes& asRead, const LockWaitStep& step) {
  std::optional<SharedFile> locked = LockRecord(n, "the record was not deleted", step);
  if (!locked) return EditOutcome::Missing;
  SharedFile& file = *locked;
  std::string contents = WholeRecords(file);
  if (std::optional<EditOutcome> refused = RefusedEdit(contents, n, asRead)) return *refused;
  const size_t offset = static_cast<size_t>(n - 1) * kRecordSize;
  contents.erase(offset, kRecordSize);
  // Before the file shrinks, so that a file with fewer records than the newest copy is never the teacher's
  // doing unmarked; a mark that cannot be written stops the delete.
  if (school_) MarkTeacherDelete(path_, static_cast<int64_t>(contents.size() / kRecordSize));
  // Renamed over the results file while its lock is still held: an append waiting for the lock finds
  // afterwards that the path names a new file and writes there.
  ReplaceFileContents(file, TempPath(path_), contents);
  file.Unlock();
  return EditOutcome::Done;
}

int64_t ResultsFile::Renumber(const std::map<int, int>& moves, const std::string& copyPath,
                              const LockWaitStep& step) {
  std::optional<SharedFile> locked = LockRecord(1, "no drill was renumbered", step);
  if (!locked) return 0;
  SharedFile& file = *locked;
  std::string contents = WholeRecords(file);
  const std::string asRead = contents;
  int64_t changed = 0;
  for (size_t at = 0; at + kRecordSize <= contents.size(); at += kRecordSize) {
    auto* record = reinterpret_cast<unsigned char*>(contents.data()) + at;
    const auto move = moves.find(record_field::Bangou(record));
    if (move == moves.end()) continue;
    record_field::SetBangou(record, static_cast<uint16_t>(move->second));
    ++changed;
  }
  if (changed == 0) return 0;
  if (!copyPath.empty()) {
    // A copy of its own: an older copy of the same name is never written over.
    SharedFile copy(copyPath);
    if (copy.Size() != 0)
      throw FileWriteError(copyPath + ": a file of this name is already there; no drill was renumbered");
    copy.WriteAt(0, std::span(reinterpret_cast<const unsigned char*>(asRead.data()), asRead.size()));
    copy.Sync();
  }
  ReplaceFileContents(file, TempPath(path_), contents);
  file.Unlock();
  return changed;
}

void OpenResultsFile(const AppState& state) { ResultsFile(ResultsPath(state)).Open(); }

std::string ResultsWriteProblem(const AppState& state) { return ResultsFileOf(state).WriteProblem(); }

PendingResult PrepareResult(const AppState& state, Clock& clock) {
  ResultsFile file = ResultsFileOf(state);
  // The record holds 16-bit numbers: anything outside the tables would be stored as another student or
  // level, so it is refused instead.
  if (state.CurrentStudentNumber < 0 || state.CurrentStudentNumber > kMaxStudent)
    throw FileWriteError(file.path() + ": student number " + std::to_string(state.CurrentStudentNumber) +
                         " is outside 0.." + std::to_string(kMaxStudent) + "; the record was not written");
  if (state.SelectedLevel < 1 || state.SelectedLevel > kMaxLevel)
    throw FileWriteError(file.path() + ": level " + std::to_string(state.SelectedLevel) + " is outside 1.." +
                         std::to_string(kMaxLevel) + "; the record was not written");
  constexpr double kSecondsPerDay = 86400;
  ResultRecord record =
      MakeNewRecord(static_cast<double>(clock.Today()), clock.SecondsSinceMidnight() / kSecondsPerDay,
                    state.CurrentStudentNumber, state.SelectedLevel, state.DrillSeconds, state.SchoolCode);
  return {std::move(file), record, {}};
}

void AppendResult(const AppState& state, Clock& clock, const LockWaitStep& step) {
  PrepareResult(state, clock).Append(step);
}

}  // namespace bardrill
