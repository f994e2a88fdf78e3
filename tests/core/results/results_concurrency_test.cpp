// Several processes append to one results file while others rewrite and delete records in it, as the
// PCs of a school do on a shared folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "core/results/results_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

constexpr int kAppenders = 4;
constexpr int kAppendsEach = 400;
constexpr int kEditors = 2;
constexpr int kEditorRecords = 120;
constexpr int kFirstEditor = 101;  // student number of the first editor's own records
constexpr double kDate = 38114;

ResultRecord Record(int student, int sequence) {
  return MakeNewRecord(kDate, (sequence % 1000) / 1000.0, student, 1, sequence, "12345");
}

// Whether a record is one that some process of this test wrote, undamaged.
bool LooksWritten(const ResultRecord& r) {
  bool appender = r.Bangou >= 1 && r.Bangou <= kAppenders && r.level == 1 && r.seconds < kAppendsEach;
  bool editor = r.Bangou >= kFirstEditor && r.Bangou < kFirstEditor + kEditors &&
                (r.level == 1 || r.level == 2) && r.seconds < kEditorRecords;
  ResultRecord fresh = Record(r.Bangou, r.seconds);
  fresh.level = r.level;
  return (appender || editor) && r.seconds >= 0 && r == fresh;
}

void Append(const std::string& path, int student, int count) {
  for (int sequence = 0; sequence < count; ++sequence) ResultsFile(path).Append(Record(student, sequence));
}

// Where the editor's record `sequence` is now; 0 when it is not in the file.
int64_t Find(const ResultsFile& file, int student, int sequence) {
  int64_t found = 0;
  file.ReadFrom(1, [&](int64_t n, const RecordBytes& bytes) {
    ResultRecord r = ResultRecord::Decode(bytes);
    if (r.Bangou == student && r.seconds == sequence) found = n;
  });
  return found;
}

// Appends its own records and, between appends, rewrites (level 1 -> 2) or deletes one of them that is
// still there, as a teacher would: find it, read it, edit it. The other editor's deletes move records
// down meanwhile, so some edits meet a different record and must come back Changed. Writes the fate of
// each of its records ('L' left, 'R' rewritten, 'D' deleted) to `report`.
void Edit(const std::string& path, int student, const std::string& report) {
  ResultsFile file(path);
  std::string fates(kEditorRecords, 'L');
  std::mt19937 random(static_cast<unsigned>(student));
  for (int sequence = 0; sequence < kEditorRecords; ++sequence) {
    file.Append(Record(student, sequence));
    std::vector<int> candidates;
    for (int s = 0; s <= sequence; ++s)
      if (fates[static_cast<size_t>(s)] != 'D') candidates.push_back(s);
    int target = candidates[random() % candidates.size()];
    int64_t n = Find(file, student, target);
    auto bytes = file.ReadOne(n);
    if (!bytes) continue;
    ResultRecord seen = ResultRecord::Decode(*bytes);
    if (seen.Bangou != student || seen.seconds != target) continue;  // moved since we found it
    if (random() % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    bool remove = fates[static_cast<size_t>(target)] == 'R' || random() % 2 == 0;
    if (remove) {
      if (file.DeleteOne(n, *bytes) == EditOutcome::Done) fates[static_cast<size_t>(target)] = 'D';
    } else {
      ResultRecord edited = seen;
      edited.level = 2;
      if (file.RewriteOne(n, *bytes, edited) == EditOutcome::Done) fates[static_cast<size_t>(target)] = 'R';
    }
  }
  std::ofstream(report) << fates;
}

BARDRILL_CHILD_TASK(Appender) {
  Append(args.at(0), std::stoi(args.at(1)), kAppendsEach);
  return 0;
}

BARDRILL_CHILD_TASK(Editor) {
  Edit(args.at(0), std::stoi(args.at(1)), args.at(2));
  return 0;
}

TEST(ResultsFileConcurrency, AppendsRewritesAndDeletesFromManyProcessesLoseNothing) {
  testing::TempDir dir;
  const std::string path = dir / "成績累積データ.dat";
  ResultsFile(path).Open();

  std::vector<testing::Child> workers;
  for (int w = 1; w <= kAppenders; ++w)
    workers.push_back(testing::Child::Start("Appender", {path, std::to_string(w)}));
  for (int e = 0; e < kEditors; ++e) {
    const std::string student = std::to_string(kFirstEditor + e);
    workers.push_back(testing::Child::Start("Editor", {path, student, dir / ("editor" + student)}));
  }

  // Meanwhile read as the screens do, without a lock: only whole, undamaged records may show.
  int reads = 0;
  int64_t damaged = 0;
  auto allEnded = [&] {
    return std::all_of(workers.begin(), workers.end(),
                       [](testing::Child& w) { return w.Ended().has_value(); });
  };
  while (!allEnded()) {
    ResultsFile(path).ReadFrom(1, [&](int64_t, const RecordBytes& b) {
      if (!LooksWritten(ResultRecord::Decode(b))) ++damaged;
    });
    ++reads;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  for (testing::Child& w : workers) EXPECT_EQ(w.Wait(), 0);
  EXPECT_EQ(damaged, 0) << "over " << reads << " reads";

  EXPECT_EQ(testing::files::file_size(path) % kRecordSize, 0u);
  EXPECT_FALSE(testing::files::exists(dir / "成績累積データtemp.dat"));

  std::map<std::pair<int, int>, std::vector<int>> levelsSeen;  // (student, sequence) -> level per copy
  ResultsFile(path).ReadFrom(1, [&](int64_t n, const RecordBytes& b) {
    ResultRecord r = ResultRecord::Decode(b);
    EXPECT_TRUE(LooksWritten(r)) << "record " << n;
    levelsSeen[{r.Bangou, r.seconds}].push_back(r.level);
  });

  size_t expected = 0;
  for (int w = 1; w <= kAppenders; ++w)
    for (int s = 0; s < kAppendsEach; ++s, ++expected)
      EXPECT_EQ(levelsSeen[std::pair(w, s)], std::vector<int>(1, 1)) << "appender " << w << " record " << s;
  int edits = 0;
  for (int e = 0; e < kEditors; ++e) {
    int student = kFirstEditor + e;
    std::string fates = testing::ReadBytes(dir / ("editor" + std::to_string(student)));
    ASSERT_EQ(fates.size(), static_cast<size_t>(kEditorRecords)) << "editor " << student;
    for (int s = 0; s < kEditorRecords; ++s) {
      char fate = fates[static_cast<size_t>(s)];
      std::vector<int> want = fate == 'D' ? std::vector<int>{} : std::vector<int>{fate == 'R' ? 2 : 1};
      if (!want.empty()) ++expected;
      if (fate != 'L') ++edits;
      EXPECT_EQ(levelsSeen[std::pair(student, s)], want)
          << "editor " << student << " record " << s << " fate " << fate;
    }
  }
  EXPECT_GT(edits, 0);
  EXPECT_EQ(ResultsFile(path).RecordCount(), static_cast<int64_t>(expected));
}

}  // namespace
}  // namespace bardrill
