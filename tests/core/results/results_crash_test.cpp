// Processes that append to, rewrite and delete records of one results file are killed at random
// moments, as a PC is switched off or crashes mid-write. Each tells the test through a pipe what it is
// about to do and what it has done, so that the file left behind can be held against the truth: whole
// records only, each as it was before or after the operation that the kill interrupted, and every
// append that its process had seen return still there, once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/results/results_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

constexpr int kTrials = 60;
constexpr int kAppenders = 2;        // students 1 and 2 append records numbered 0, 1, 2, ...
constexpr int kEditorStudent = 100;  // the editor's records, numbered 0..kEdited-1, are there at the start
constexpr int kEdited = 12;
constexpr double kDate = 38114;

ResultRecord Record(int student, int number, int level) {
  return MakeNewRecord(kDate, 0.5, student, level, number, "12345");
}

// What a worker tells the test: an intent before each operation and its outcome after.
struct Event {
  char kind;  // 'a' append of `number`, 'r' rewrite of `number` to `level`, 'd' delete of `number`;
              // then 'E' done, 'N' not done
  int32_t number;
  int32_t level;
};

// One write of a few bytes into a pipe is atomic: the test reads whole events or none.
void Tell(Event e) { testing::Tell(&e, sizeof e); }

[[noreturn]] void Append(const std::string& path, int student) {
  ResultsFile file(path);
  std::mt19937 random(std::random_device{}());
  for (int32_t number = 0;; ++number) {
    Tell({'a', number, 1});
    file.Append(Record(student, number, 1));
    Tell({'E', number, 1});
    // A breath between drills, so that the editor gets the lock now and then.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 1500));
  }
}

std::optional<int64_t> PositionOf(const ResultsFile& file, int number) {
  std::optional<int64_t> found;
  file.ReadFrom(1, [&](int64_t n, const RecordBytes& bytes) {
    ResultRecord r = ResultRecord::Decode(bytes);
    if (r.Bangou == kEditorStudent && r.seconds == number) found = n;
  });
  return found;
}

// As a teacher on the maintenance screen: find a record, then rewrite its level or delete it.
[[noreturn]] void Edit(const std::string& path, unsigned seed) {
  ResultsFile file(path);
  std::mt19937 random(seed);
  std::vector<int> level(kEdited, 1);
  std::vector<bool> gone(kEdited, false);
  for (;;) {
    std::vector<int> left;
    for (int i = 0; i < kEdited; ++i)
      if (!gone[static_cast<size_t>(i)]) left.push_back(i);
    while (left.empty()) std::this_thread::sleep_for(std::chrono::seconds(1));
    const int i = left[random() % left.size()];
    std::optional<int64_t> n = PositionOf(file, i);
    std::optional<RecordBytes> bytes = n ? file.ReadOne(*n) : std::nullopt;
    if (!bytes) std::_Exit(4);  // only this process moves its records
    EditOutcome outcome;
    if (random() % 3 == 0) {
      Tell({'d', i, 0});
      outcome = file.DeleteOne(*n, *bytes);
      if (outcome == EditOutcome::Done) gone[static_cast<size_t>(i)] = true;
    } else {
      const int next = level[static_cast<size_t>(i)] % 3 + 1;
      Tell({'r', i, next});
      outcome = file.RewriteOne(*n, *bytes, Record(kEditorStudent, i, next));
      if (outcome == EditOutcome::Done) level[static_cast<size_t>(i)] = next;
    }
    Tell({outcome == EditOutcome::Done ? 'E' : 'N', i, 0});
  }
}

BARDRILL_CHILD_TASK(CrashAppender) { Append(args.at(0), std::stoi(args.at(1))); }

BARDRILL_CHILD_TASK(CrashEditor) { Edit(args.at(0), static_cast<unsigned>(std::stoul(args.at(1)))); }

// Everything a worker told until it was killed.
std::vector<Event> ReadEvents(testing::Child& worker) {
  std::vector<Event> events;
  Event e;
  while (worker.Read(&e, sizeof e)) events.push_back(e);
  return events;
}

// Every state one record may be in after the kill: its level, or 0 for not in the file.
using Allowed = std::set<int>;

// What the events of one worker allow for each of its records, by record number.
std::map<int, Allowed> AllowedStates(const std::vector<Event>& events, int initialLevel, int count) {
  std::map<int, int> state;  // level, 0 = gone
  for (int i = 0; i < count; ++i) state[i] = initialLevel;
  std::optional<Event> pending;
  for (const Event& e : events) {
    if (e.kind == 'a' || e.kind == 'r' || e.kind == 'd') {
      pending = e;
      state.try_emplace(e.number, 0);  // a record being appended is not there before
    } else if (e.kind == 'E' && pending) {
      state[pending->number] = pending->kind == 'd' ? 0 : pending->level;
      pending.reset();
    } else {
      pending.reset();
    }
  }
  std::map<int, Allowed> allowed;
  for (const auto& [number, level] : state) allowed[number] = {level};
  // The operation the kill interrupted may have happened or not.
  if (pending) allowed[pending->number].insert(pending->kind == 'd' ? 0 : pending->level);
  return allowed;
}

struct Tally {
  int appends = 0;             // appends reported done
  int edits = 0;               // rewrites and deletes reported done
  std::map<char, int> cutOff;  // operations under way when their process was killed, by kind
};

int CountDone(const std::vector<Event>& events) {
  return static_cast<int>(
      std::count_if(events.begin(), events.end(), [](const Event& e) { return e.kind == 'E'; }));
}

// The kind of the operation the kill interrupted, or 0.
char CutOff(const std::vector<Event>& events) {
  if (events.empty() || events.back().kind == 'E' || events.back().kind == 'N') return 0;
  return events.back().kind;
}

// Runs one trial and checks the file it leaves against what the workers reported.
void Trial(const std::string& path, std::mt19937& random, Tally& tally) {
  std::string initial;
  for (int i = 0; i < kEdited; ++i) {
    RecordBytes b = Record(kEditorStudent, i, 1).Encode();
    initial.append(b.begin(), b.end());
  }
  testing::WriteBytes(path, initial);

  // None outlives the trial, whatever assertion ends it early.
  std::vector<testing::Child> workers;
  for (int a = 1; a <= kAppenders; ++a)
    workers.push_back(testing::Child::Start("CrashAppender", {path, std::to_string(a)}));
  const unsigned seed = random();
  workers.push_back(testing::Child::Start("CrashEditor", {path, std::to_string(seed)}));

  // Each has begun its first operation before the clock of the kill starts, however slowly the
  // machine starts processes.
  std::vector<std::vector<Event>> events(workers.size());
  for (size_t i = 0; i < workers.size(); ++i) {
    Event first;
    ASSERT_TRUE(workers[i].Read(&first, sizeof first));
    events[i].push_back(first);
  }
  // Killed one after the other at random moments: the others go on meanwhile, some waiting for a lock
  // that the dead one held.
  std::this_thread::sleep_for(std::chrono::microseconds(random() % 50000));
  std::vector<size_t> order(workers.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  for (size_t i : order) {
    workers[i].Kill();
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
  }
  for (size_t i = 0; i < workers.size(); ++i) {
    const int status = workers[i].Wait();
    std::vector<Event> rest = ReadEvents(workers[i]);
    events[i].insert(events[i].end(), rest.begin(), rest.end());
    ASSERT_EQ(status, testing::kKilled) << "a worker ended by itself: " << status;
  }

  ASSERT_EQ(testing::files::file_size(path) % kRecordSize, 0u);
  std::map<std::pair<int, int>, std::vector<int>> found;  // (student, number) -> level of each copy
  ResultsFile(path).ReadFrom(1, [&](int64_t n, const RecordBytes& bytes) {
    ResultRecord r = ResultRecord::Decode(bytes);
    EXPECT_EQ(Record(r.Bangou, r.seconds, r.level).Encode(), bytes) << "record " << n << " is torn";
    found[{r.Bangou, r.seconds}].push_back(r.level);
  });

  for (size_t w = 0; w < workers.size(); ++w) {
    const bool editor = w == workers.size() - 1;
    const int student = editor ? kEditorStudent : static_cast<int>(w) + 1;
    const std::vector<Event>& told = events[w];
    std::map<int, Allowed> allowed = AllowedStates(told, editor ? 1 : 0, editor ? kEdited : 0);
    for (const auto& [key, levels] : found) {
      if (key.first != student) continue;
      EXPECT_EQ(levels.size(), 1u) << "student " << student << " record " << key.second << " is there "
                                   << levels.size() << " times";
      EXPECT_TRUE(allowed.count(key.second) && allowed[key.second].count(levels[0]))
          << "student " << student << " record " << key.second << " has level " << levels[0]
          << " although its process never wrote it so";
    }
    for (const auto& [number, states] : allowed) {
      if (states.count(0)) continue;
      EXPECT_TRUE(found.count({student, number}))
          << "student " << student << " record " << number << " was lost";
    }
    (editor ? tally.edits : tally.appends) += CountDone(told);
    if (char kind = CutOff(told)) ++tally.cutOff[kind];
  }
  for (const auto& [key, levels] : found)
    EXPECT_TRUE(key.first == kEditorStudent || (key.first >= 1 && key.first <= kAppenders))
        << "a record of student " << key.first << " that nobody wrote";
}

TEST(ResultsFileCrashes, ProcessesKilledMidWriteLeaveWholeRecordsAndLoseNoReportedAppend) {
  testing::TempDir dir;
  const std::string path = dir / "成績累積データ.dat";
  std::mt19937 random(20040507);
  Tally tally;
  for (int trial = 1; trial <= kTrials; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    Trial(path, random, tally);
    if (HasFatalFailure() || HasFailure()) break;
  }
  std::printf(
      "%d trials: %d appends and %d edits reported done; cut off: %d appends, %d rewrites, %d deletes\n",
      kTrials, tally.appends, tally.edits, tally.cutOff['a'], tally.cutOff['r'], tally.cutOff['d']);
  // The kills must have fallen among the writes, not before or after them.
  EXPECT_GT(tally.appends, 0);
  EXPECT_GT(tally.edits, 0);
  EXPECT_GT(tally.cutOff['a'], kTrials / 2);
  EXPECT_GT(tally.cutOff['r'] + tally.cutOff['d'], kTrials / 3);
}

}  // namespace
}  // namespace bardrill
