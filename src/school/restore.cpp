#include "school/restore.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <span>
#include <system_error>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/setup/config.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/durable_files.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"
#include "school/layout.h"

namespace fs = std::filesystem;

namespace bardrill::school {

namespace {

std::string WholeRecords(const std::string& bytes) {
  return bytes.substr(0, bytes.size() / kRecordSize * kRecordSize);
}

RecordBytes RecordAt(const std::string& bytes, size_t at) {
  RecordBytes record;
  std::copy_n(reinterpret_cast<const unsigned char*>(bytes.data()) + at, kRecordSize, record.begin());
  return record;
}

// The drills of `replaced` that `copy` lacks, dated from `from` to `to`: those done after the copy was
// made. A record of the copy's own day that the copy holds is not taken twice; bytes that are no drill
// (a file overwritten with something else) are never taken.
std::string DrillsSince(const std::string& copy, const std::string& replaced, int64_t from, int64_t to,
                        int64_t& count) {
  std::map<RecordBytes, int> inCopy;
  for (size_t at = 0; at + kRecordSize <= copy.size(); at += kRecordSize) {
    const RecordBytes record = RecordAt(copy, at);
    if (record_field::Date(record.data()) >= static_cast<double>(from)) ++inCopy[record];
  }
  std::string added;
  count = 0;
  for (size_t at = 0; at + kRecordSize <= replaced.size(); at += kRecordSize) {
    const RecordBytes record = RecordAt(replaced, at);
    const ResultRecord drill = ResultRecord::Decode(record);
    if (!drill.IsValid() || drill.date < static_cast<double>(from) || drill.date > static_cast<double>(to))
      continue;
    if (auto held = inCopy.find(record); held != inCopy.end() && held->second > 0) {
      --held->second;
      continue;
    }
    added.append(replaced, at, kRecordSize);
    ++count;
  }
  return added;
}

const DayCopy& ChosenCopy(const std::vector<DayCopy>& copies, const std::string& results,
                          std::optional<int64_t> day) {
  if (copies.empty()) throw Refusal(CopiesFolder(results) + ": there is no copy of the results to put back");
  if (!day) return copies.back();
  for (const DayCopy& copy : copies)
    if (copy.day == *day) return copy;
  std::string days;
  for (const DayCopy& copy : copies) days += (days.empty() ? "" : ", ") + DayName(copy.day);
  throw Refusal(CopiesFolder(results) + ": there is no copy of " + DayName(*day) + "; there are copies of " +
                days);
}

// The replaced file, kept beside the copies in a folder named by the date and time of the restore.
std::string KeepReplaced(const std::string& results, const std::string& bytes, Clock& clock) {
  const int seconds = static_cast<int>(clock.SecondsSinceMidnight());
  char time[16];
  std::snprintf(time, sizeof time, "%02d%02d%02d", seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
  const std::string base = CopiesFolder(results) + DayName(clock.Today()) + "_" + time + "_置き換え前";
  std::error_code ec;
  fs::create_directories(paths::ToFs(CopiesFolder(results)), ec);
  for (int n = 1; n < 100; ++n) {
    const std::string folder = n == 1 ? base : base + "_" + std::to_string(n);
    if (!fs::create_directory(paths::ToFs(folder), ec)) {
      if (ec) throw FileWriteError(folder + ": the folder cannot be made (" + ec.message() + ")");
      continue;
    }
    const std::string kept = folder + paths::kSeparator + paths::LastComponent(results);
    durable::WriteNewFile(kept, bytes);
    durable::SyncFolder(folder);
    durable::SyncFolder(CopiesFolder(results));
    return kept;
  }
  throw FileWriteError(base + ": no free name for the replaced file's folder was found");
}

void PutBackIfMissing(const std::string& path, const DayCopy& copy, std::vector<std::string>& putBack) {
  const std::string copied = copy.folder + paths::LastComponent(path);
  if (paths::Exists(path) || !paths::Exists(copied)) return;
  std::optional<SharedFile> file = LockCurrentFile(path, true, "the file was not put back");
  ReplaceFileContents(*file, path + ".tmp", ReadAllBytes(copied).value_or(""));
  file->Unlock();
  putBack.push_back(path);
}

}  // namespace

RestoreOutcome RestoreResults(const std::string& dir, std::optional<int64_t> day, Clock& clock) {
  AppState state;
  LocateDataFolders(state, ProgramFolderOf(dir));
  const SchoolFiles files = SchoolFilesOf(state);
  RestoreOutcome outcome;
  outcome.results = files.results;
  const std::vector<DayCopy> copies = DayCopies(files.results);
  outcome.copy = ChosenCopy(copies, files.results, day);
  if (std::optional<ResultsLoss> loss = FindResultsLoss(files.results))
    outcome.wasWrong = DescribeLoss(files.results, *loss);
  const std::string copy = WholeRecords(ReadAllBytes(outcome.copy.results).value_or(""));
  {
    std::optional<SharedFile> file = LockCurrentFile(files.results, true, "nothing was put back");
    const std::string replaced = ReadAllBytes(*file);
    outcome.replacedRecords = static_cast<int64_t>(replaced.size() / kRecordSize);
    if (!replaced.empty()) outcome.replacedKept = KeepReplaced(files.results, replaced, clock);
    const std::string contents =
        copy + DrillsSince(copy, replaced, outcome.copy.day, clock.Today(), outcome.addedBack);
    outcome.records = static_cast<int64_t>(contents.size() / kRecordSize);
    // The teacher's doing, as a delete on the records screen is: a copy older than the newest may hold
    // fewer records, and the program must not take that for a loss.
    MarkTeacherDelete(files.results, outcome.records);
    ReplaceFileContents(*file, files.results + ".tmp", contents);
    file->Unlock();
  }
  PutBackIfMissing(files.roster, outcome.copy, outcome.putBack);
  PutBackIfMissing(files.standards, outcome.copy, outcome.putBack);
  return outcome;
}

}  // namespace bardrill::school
