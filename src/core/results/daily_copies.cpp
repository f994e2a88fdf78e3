#include "core/results/daily_copies.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <span>
#include <system_error>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/services.h"
#include "core/setup/roster.h"
#include "core/setup/standards.h"
#include "platform/calendar.h"
#include "platform/codec.h"
#include "platform/durable_files.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"

namespace fs = std::filesystem;

namespace bardrill {

namespace {

constexpr int64_t kRecordBytes = static_cast<int64_t>(kRecordSize);
constexpr char kLossTitle[] = "成績のファイル";
constexpr char kMissingForChild[] = "成績のファイルが なくなっています。先生を よんでください。";
constexpr char kShortForChild[] = "成績のファイルの きろくが へっています。先生を よんでください。";

std::string FileName(const std::string& path) { return paths::LastComponent(paths::Native(path)); }

std::optional<int64_t> DayOfName(const std::string& name) {
  std::optional<int64_t> day = calendar::ParseIsoDate(name);
  if (day && DayName(*day) != name) return std::nullopt;
  return day;
}

int64_t RecordsIn(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(paths::ToFs(path), ec);
  return ec ? 0 : static_cast<int64_t>(size) / kRecordBytes;
}

// The roster or the standards copied into `folder` as their writers leave them: read under the lock they
// take. Where this PC may not take it (a file a child's account may only read), the file is read whole
// without it: its writers replace it whole, by a rename, so it is never found halfway.
void CopyTextFile(const std::string& path, const std::string& folder) {
  std::optional<std::string> bytes;
  try {
    std::optional<SharedFile> file = LockCurrentFile(path, false, "no copy of the day was made");
    if (file) bytes = ReadAllBytes(*file);
  } catch (const FileWriteError&) {
    bytes = ReadAllBytes(path);
  }
  if (bytes) durable::WriteNewFile(folder + FileName(path), *bytes);
}

// The entries of a folder; none when it cannot be listed, which for the copies is as good as none.
template <typename Visit>
void EachEntry(const std::string& folder, Visit visit) {
  std::error_code ec;
  for (fs::directory_iterator it(paths::ToFs(folder), ec), end; !ec && it != end; it.increment(ec))
    visit(*it);
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(paths::ToFs(path), ec);
}

void MakeFolder(const std::string& folder) {
  std::error_code ec;
  const bool made = fs::create_directories(paths::ToFs(folder), ec);
  if (ec) throw FileWriteError(folder + ": the folder cannot be made (" + ec.message() + ")");
  // A folder made new is flushed into the folder that holds it, or a power cut takes it, and every copy
  // made in it, away.
  if (made) {
    std::string parent = folder;
    while (!parent.empty() && parent.back() == paths::kSeparator) parent.pop_back();
    durable::SyncFolder(parent.substr(0, parent.find_last_of(paths::kSeparator) + 1));
  }
}

std::string NewTemporaryFolder(const std::string& copies, int64_t today) {
  std::random_device device;
  std::mt19937_64 random((static_cast<uint64_t>(device()) << 32) ^ device());
  for (int attempt = 0; attempt < 16; ++attempt) {
    char ending[20];
    std::snprintf(ending, sizeof ending, "%016llx", static_cast<unsigned long long>(random()));
    const std::string folder = copies + kTemporaryPrefix + DayName(today) + "_" + ending;
    std::error_code ec;
    if (fs::create_directory(paths::ToFs(folder), ec)) return folder + paths::kSeparator;
    if (ec) throw FileWriteError(folder + ": the folder cannot be made (" + ec.message() + ")");
  }
  throw FileWriteError(copies + ": no free name for a temporary folder was found");
}

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  fs::remove_all(paths::ToFs(path), ec);
}

// A small text file replaced whole, so that a reader finds the old one or the new one.
void ReplaceNote(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp";
  RemoveQuietly(temp);
  durable::WriteNewFile(temp, text);
  try {
    durable::RenameOver(temp, path);
  } catch (const FileWriteError&) {
    RemoveQuietly(temp);
    throw;
  }
}

std::string Stamp(Clock& clock) {
  return DayName(clock.Today()) + " " + calendar::FormatTime(clock.SecondsSinceMidnight() / 86400);
}

void NoteFailure(const std::string& copies, Clock& clock, const std::string& why) {
  // UTF-8 with its mark: the system's words may hold characters Shift-JIS lacks, and every editor a
  // teacher has reads it.
  const std::string text =
      "\xEF\xBB\xBF" + Stamp(clock) + " この日の成績のコピーを作れませんでした。\r\n" + why + "\r\n";
  try {
    MakeFolder(copies);
    ReplaceNote(copies + kCopyFailureName, text);
  } catch (const std::exception&) {
    // Where not even the note can be written (a share that is read-only), check finds the results file
    // unwritable too and says so.
  }
}

void RemoveOldCopies(const std::string& copies, int64_t today) {
  std::error_code ec;
  std::map<int64_t, fs::path> days;
  EachEntry(copies, [&](const fs::directory_entry& entry) {
    const std::string name = paths::FromFs(entry.path().filename());
    if (std::optional<int64_t> day = DayOfName(name)) {
      days.emplace(*day, entry.path());
    } else if (name.rfind(kTemporaryPrefix, 0) == 0) {
      // A copy cut short by a PC switched off: one of an earlier day is nobody's work any more.
      std::optional<int64_t> made = DayOfName(name.substr(std::string(kTemporaryPrefix).size(), 10));
      if (made && *made < today) fs::remove_all(entry.path(), ec);
    }
  });
  std::vector<int64_t> all;
  for (const auto& [day, path] : days) all.push_back(day);
  const std::set<int64_t> kept = DaysKept(all, today);
  for (const auto& [day, path] : days)
    if (!kept.contains(day)) fs::remove_all(path, ec);
}

// The day's folder from the temporary one, under the results file's lock: a delete on the records screen
// then comes wholly before or wholly after the copy, and its mark names the right newest copy.
bool RenameIntoPlace(const std::string& results, const std::string& temp, const std::string& day) {
  std::optional<SharedFile> file = LockCurrentFile(results, false, "no copy of the day was made");
  if (IsFolder(day)) return false;
  // Copied a piece at a time: a school's file of millions of records is not held whole.
  if (file) {
    int64_t at = 0;
    durable::WriteNewFile(temp + FileName(results), [&](std::span<char> piece) {
      const size_t got =
          file->ReadAt(at, std::span(reinterpret_cast<unsigned char*>(piece.data()), piece.size()));
      at += static_cast<int64_t>(got);
      return got;
    });
  }
  durable::SyncFolder(temp);
  return durable::RenameToNew(temp, day);
}

struct DeleteMark {
  int64_t copyDay = 0;
  int64_t records = 0;
};

// A mark that cannot be read explains nothing: a loss is then rather told once too often than never.
std::optional<DeleteMark> ReadDeleteMark(const std::string& resultsPath) {
  std::optional<std::string> text;
  try {
    text = ReadAllBytes(CopiesFolder(resultsPath) + kTeacherDeleteName);
  } catch (const std::exception&) {
  }
  if (!text || text->size() > 200) return std::nullopt;
  char day[11] = {};
  long long records = -1;
  if (std::sscanf(text->c_str(), "copy %10s records %lld", day, &records) != 2 || records < 0)
    return std::nullopt;
  std::optional<int64_t> copyDay = DayOfName(day);
  if (!copyDay) return std::nullopt;
  return DeleteMark{*copyDay, records};
}

}  // namespace

SchoolFiles SchoolFilesOf(const AppState& state) {
  return {paths::Native(ResultsPath(state)), paths::Native(RosterPath(state)),
          paths::Native(StandardsPath(state))};
}

std::string CopiesFolder(const std::string& resultsPath) {
  const std::string native = paths::Native(resultsPath);
  return native.substr(0, native.find_last_of(paths::kSeparator) + 1) + kCopiesFolderName + paths::kSeparator;
}

std::string DayName(int64_t day) {
  const calendar::CivilDate date = calendar::FromDayCount(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::vector<DayCopy> DayCopies(const std::string& resultsPath) {
  const std::string copies = CopiesFolder(resultsPath);
  std::vector<DayCopy> found;
  EachEntry(copies, [&](const fs::directory_entry& entry) {
    const std::string name = paths::FromFs(entry.path().filename());
    std::optional<int64_t> day = DayOfName(name);
    std::error_code ec;
    if (!day || !entry.is_directory(ec)) return;
    DayCopy copy{*day, copies + name + paths::kSeparator, "", 0};
    copy.results = copy.folder + FileName(resultsPath);
    copy.records = RecordsIn(copy.results);
    found.push_back(std::move(copy));
  });
  std::sort(found.begin(), found.end(), [](const DayCopy& a, const DayCopy& b) { return a.day < b.day; });
  return found;
}

std::set<int64_t> DaysKept(const std::vector<int64_t>& days, int64_t today) {
  std::set<int64_t> kept;
  if (days.empty()) return kept;
  kept.insert(*std::max_element(days.begin(), days.end()));
  auto monthOf = [](int64_t day) {
    const calendar::CivilDate date = calendar::FromDayCount(day);
    return date.year * 12 + date.month - 1;
  };
  const int thisMonth = monthOf(today);
  std::map<int, int64_t> firstOfMonth;
  for (int64_t day : days) {
    if (day > today - kDaysKept) kept.insert(day);
    const int month = monthOf(day);
    if (month > thisMonth || thisMonth - month >= kMonthsKept) continue;
    auto [first, fresh] = firstOfMonth.emplace(month, day);
    if (!fresh) first->second = std::min(first->second, day);
  }
  for (const auto& [month, day] : firstOfMonth) kept.insert(day);
  return kept;
}

CopyOutcome MakeDailyCopy(const SchoolFiles& files, Clock& clock) {
  const int64_t today = clock.Today();
  const std::string copies = CopiesFolder(files.results);
  const std::string day = copies + DayName(today);
  std::string temp;
  try {
    if (IsFolder(day)) return {CopyOutcome::Kind::AlreadyThere, ""};
    MakeFolder(copies);
    temp = NewTemporaryFolder(copies, today);
    CopyTextFile(files.roster, temp);
    CopyTextFile(files.standards, temp);
    if (!RenameIntoPlace(files.results, temp, day)) {
      RemoveQuietly(temp);
      return {CopyOutcome::Kind::AlreadyThere, ""};
    }
    durable::SyncFolder(copies);
    RemoveQuietly(copies + kCopyFailureName);
    RemoveOldCopies(copies, today);
    return {CopyOutcome::Kind::Made, ""};
  } catch (const std::exception& failure) {
    if (!temp.empty()) RemoveQuietly(temp);
    NoteFailure(copies, clock, failure.what());
    return {CopyOutcome::Kind::Failed, failure.what()};
  }
}

void MarkTeacherDelete(const std::string& resultsPath, int64_t recordsAfter) {
  const std::vector<DayCopy> copies = DayCopies(resultsPath);
  if (copies.empty()) return;
  ReplaceNote(CopiesFolder(resultsPath) + kTeacherDeleteName,
              "copy " + DayName(copies.back().day) + "\r\nrecords " + std::to_string(recordsAfter) + "\r\n");
}

void ForgetTeacherDelete(const std::string& resultsPath) {
  const std::string mark = CopiesFolder(resultsPath) + kTeacherDeleteName;
  std::error_code ec;
  fs::remove(paths::ToFs(mark), ec);
  if (ec) throw FileWriteError(mark + ": cannot be removed (" + ec.message() + ")");
}

std::optional<ResultsLoss> FindResultsLoss(const std::string& resultsPath) {
  const std::vector<DayCopy> copies = DayCopies(resultsPath);
  if (copies.empty() || copies.back().records == 0) return std::nullopt;
  ResultsLoss loss;
  loss.copy = copies.back();
  loss.expected = loss.copy.records;
  std::error_code ec;
  const fs::file_status status = fs::status(paths::ToFs(resultsPath), ec);
  if (status.type() == fs::file_type::not_found) {
    // Never the teacher's: the records screen leaves at least an empty file.
    loss.missing = true;
    return loss;
  }
  if (ec || !fs::is_regular_file(status)) return std::nullopt;
  std::optional<DeleteMark> mark = ReadDeleteMark(resultsPath);
  if (mark && mark->copyDay == loss.copy.day) loss.expected = mark->records;
  loss.records = RecordsIn(resultsPath);
  if (loss.records >= loss.expected) return std::nullopt;
  return loss;
}

std::string DescribeLoss(const std::string& resultsPath, const ResultsLoss& loss) {
  const std::string copy = loss.copy.results + " (the copy of " + DayName(loss.copy.day) + ", " +
                           std::to_string(loss.copy.records) + " records)";
  if (loss.missing) return resultsPath + ": the results file is missing; the newest copy is " + copy;
  return resultsPath + ": holds " + std::to_string(loss.records) + " records, fewer than the " +
         std::to_string(loss.expected) +
         " it should hold at least, and no delete on the records screen explains it; the newest copy is " +
         copy;
}

std::optional<CopyFailure> LastCopyFailure(const std::string& resultsPath) {
  const std::string note = CopiesFolder(resultsPath) + kCopyFailureName;
  if (!paths::Exists(note)) return std::nullopt;
  std::string text;
  try {
    std::optional<std::string> bytes = ReadAllBytes(note);
    if (!bytes) return std::nullopt;
    text = codec::TextFileToUtf8(*bytes);
  } catch (const std::exception& e) {
    text = std::string("(the note cannot be read: ") + e.what() + ")";
  }
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return CopyFailure{note, text};
}

std::optional<ResultsLoss> CopyUnlessLost(const SchoolFiles& files, Clock& clock) {
  std::optional<ResultsLoss> loss = FindResultsLoss(files.results);
  if (!loss) MakeDailyCopy(files, clock);
  return loss;
}

void RefuseLostResults(const std::string& resultsPath, const ResultsLoss& loss, Prompts& prompts) {
  prompts.Message(kLossTitle,
                  std::string(loss.missing ? kMissingForChild : kShortForChild) + "\n" + resultsPath);
  throw ProgramEnd(DescribeLoss(resultsPath, loss), 2);
}

void ProtectResultsAtStart(const AppState& state, Services& services) {
  const SchoolFiles files = SchoolFilesOf(state);
  if (std::optional<ResultsLoss> loss = CopyUnlessLost(files, services.clock))
    RefuseLostResults(files.results, *loss, services.prompts);
}

}  // namespace bardrill
