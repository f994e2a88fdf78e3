// A class list with new numbers against the drills the results file keys by number: refused naming every
// number it would hand over, or settled by --keep-numbers or --move-history, on real files; the drills
// moved while another process appends to the results file.
#include "school/roster_numbers.h"

#include <filesystem>
#include <map>
#include <thread>

#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "platform/shared_file.h"
#include "platform/text.h"
#include "school_fixture.h"
#include "support/process.h"

namespace bardrill::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kBom = "\xEF\xBB\xBF";

// Another PC: appends drills of `args[1]` to the results file `args[0]` until the file `args[2]` appears,
// telling the test after its first one, and at the end how many it appended.
BARDRILL_CHILD_TASK(AppendUntilStopped) {
  ResultsFile file(args[0]);
  const int number = std::stoi(args[1]);
  int32_t appended = 0;
  while (appended == 0 || !fs::exists(args[2])) {
    file.Append(MakeNewRecord(kToday, 0.5, number, 1, 40, "01234"));
    if (++appended == 1) Tell(&appended, sizeof appended);
  }
  Tell(&appended, sizeof appended);
  return 0;
}

class Numbers : public SchoolTest {
 protected:
  // 山田 太郎 (1) has 27 drills, 佐藤 花子 (2) 5, and 3 belongs to a child who left: 4 drills.
  Numbers() {
    WriteCp932(roster(),
               "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1991,0,0,\"佐藤 花子\",0,\"\",\"\"\r\n"
               "5000,1958,0,0,\"先生\",0,\"\",\"\"\r\n");
    std::string bytes;
    for (const auto& [number, drills] : std::map<int, int>{{1, 27}, {2, 5}, {3, 4}})
      for (int i = 0; i < drills; ++i) bytes += Record(number, 30 + i);
    WriteBytes(results(), bytes);
  }
  static std::string Record(int number, int seconds) {
    const RecordBytes b = MakeNewRecord(kToday - 1, 0.5, number, 1 + seconds % 3, seconds, "01234").Encode();
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
  }
  std::string results() const { return common() + "ソネタ/成績累積データ.dat"; }
  ToolRun Import(const std::string& csv, std::vector<std::string> options = {}) {
    WriteBytes(dir / "class.csv", kBom + "番号,生年度,名前\r\n" + csv);
    std::vector<std::string> args = {"roster", "import", root, dir / "class.csv"};
    args.insert(args.end(), options.begin(), options.end());
    return Tool(args);
  }
  // Each child's drills as the program counts them: by the number the roster gives the name.
  std::map<std::string, int> DrillsByName() {
    std::map<int, std::string> names;
    for (const RosterLine& line : ReadRosterLines(roster()))
      names[line.entry.number] = text::Trim(line.entry.name);
    std::map<std::string, int> drills;
    ResultsFile(results()).ReadFrom(1, [&](int64_t, const RecordBytes& r) {
      const auto name = names.find(record_field::Bangou(r.data()));
      ++drills[name == names.end() ? "(no child)" : name->second];
    });
    return drills;
  }
  std::map<int, int> DrillsByNumber() {
    std::map<int, int> drills;
    ResultsFile(results()).ReadFrom(
        1, [&](int64_t, const RecordBytes& r) { ++drills[record_field::Bangou(r.data())]; });
    return drills;
  }
  const std::map<std::string, int> kBefore = {{"山田 太郎", 27}, {"佐藤 花子", 5}, {"(no child)", 4}};
};

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(Numbers, AListThatWouldHandADrilledNumberToAnotherChildIsRefusedNamingEachAndWritesNothing) {
  EXPECT_EQ(DrillsByName(), kBefore);
  const auto before = Snapshot(dir.path());
  struct Case {
    const char* kind;
    std::string csv;
    std::vector<std::string> options;
    std::vector<std::string> named;
  };
  const std::vector<Case> cases = {
      {"the numbers of two children swapped",
       "1,1991,佐藤 花子\r\n2,1995,山田 太郎\r\n",
       {},
       {"class.csv: line 2: the number 1 carries 27 drills of 山田 太郎 in the results file; the list gives "
        "it to 佐藤 花子",
        "class.csv: line 3: the number 2 carries 5 drills of 佐藤 花子 in the results file; the list gives "
        "it "
        "to 山田 太郎",
        "--keep-numbers", "--move-history"}},
      {"a child given a new number, nobody their old one",
       "30,1995,山田　太郎\r\n2,1991,佐藤 花子\r\n",
       {},
       {"class.csv: line 2: 山田　太郎's 27 drills are under the number 1 in the results file; the list "
        "gives "
        "山田　太郎 the number 30, without them"}},
      {"the number of a child who left, for a new child, even with --move-history",
       "1,1995,山田 太郎\r\n2,1991,佐藤 花子\r\n3,1996,新井 一郎\r\n",
       {"--move-history"},
       {"class.csv: line 4: the number 3 carries 4 drills of a child no longer on the roster in the results "
        "file; the list gives it to 新井 一郎",
        "give a new child a number that carries no drills, or import with --keep-numbers"}},
      {"the teacher's number for a child, the teacher left out of the list",
       "1,1995,山田 太郎\r\n2,1991,佐藤 花子\r\n5000,1996,新井 一郎\r\n",
       {},
       {"class.csv: line 4: the number 5000 is the teacher 先生's on the roster; the list gives it to 新井 "
        "一郎, which would drop the teacher"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ToolRun run = Import(c.csv, c.options);
    EXPECT_EQ(run.status, 2);
    for (const std::string& named : c.named) EXPECT_EQ(Count(run.err, named), 1u) << named << "\n" << run.err;
    fs::remove(dir / "class.csv");
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
  EXPECT_EQ(Import("1,1991,佐藤 花子\r\n", {"--keep-numbers", "--move-history"}).status, 2);
}

TEST_F(Numbers, KeepNumbersKeepsEveryChildsNumberAndGivesANewChildTheLowestNumberNothingUses) {
  const std::string drills = ReadBytes(results());
  ToolRun run = Import("1,1991,佐藤 花子\r\n2,1995,山田太郎\r\n5000,2000,新井 一郎\r\n", {"--keep-numbers"});
  ASSERT_EQ(run.status, 0) << run.err;
  // 1, 2 and 5000 are on the roster, 3 carries drills: the new child gets 4.
  std::vector<std::string> lines;
  for (const RosterLine& l : ReadRosterLines(roster()))
    lines.push_back(std::to_string(l.entry.number) + " " + text::Trim(l.entry.name));
  EXPECT_EQ(lines, (std::vector<std::string>{"2 佐藤 花子", "1 山田太郎", "4 新井 一郎", "5000 先生"}));
  EXPECT_EQ(ReadBytes(results()), drills);
  EXPECT_FALSE(fs::exists(common() + "ソネタ/成績累積データ_2004-05-07.dat"));
  for (const char* told :
       {"佐藤 花子 keeps the number 2 (the list gives 1)", "山田太郎 keeps the number 1 (the list gives 2)",
        "新井 一郎 is new and gets the number 4 (the list gives 5000)"})
    EXPECT_NE(run.out.find(told), std::string::npos) << told << "\n" << run.out;
  EXPECT_EQ(DrillsByName(),
            (std::map<std::string, int>{{"山田太郎", 27}, {"佐藤 花子", 5}, {"(no child)", 4}}));
}

TEST_F(Numbers, MoveHistoryLetsTheListsNumbersStandAndTheDrillsFollowAfterACopyIsKept) {
  const std::string drills = ReadBytes(results());
  ToolRun run = Import("1,1991,佐藤 花子\r\n2,1995,山田 太郎\r\n", {"--move-history"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadBytes(common() + "ソネタ/成績累積データ_2004-05-07.dat"), drills);
  EXPECT_NE(run.out.find("32 records renumbered in the results file"), std::string::npos) << run.out;
  EXPECT_EQ(DrillsByName(), kBefore);
  EXPECT_EQ(DrillsByNumber(), (std::map<int, int>{{1, 5}, {2, 27}, {3, 4}}));
  // Only the numbers changed: every other byte of every record is as it was.
  std::string now = ReadBytes(results());
  ASSERT_EQ(now.size(), drills.size());
  for (size_t at = 0; at < now.size(); at += kRecordSize) {
    now.replace(at + record_field::kBangouOffset, 2, 2, '\0');
    std::string was = drills.substr(at, kRecordSize);
    was.replace(record_field::kBangouOffset, 2, 2, '\0');
    ASSERT_EQ(now.substr(at, kRecordSize), was) << "record " << at / kRecordSize + 1;
  }
  // Imported again, the list is what the roster already says: nothing more moves.
  ToolRun again = Import("1,1991,佐藤 花子\r\n2,1995,山田 太郎\r\n");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(DrillsByName(), kBefore);
}

TEST_F(Numbers, MoveHistoryWaitsForAPCThatHoldsTheLockAndLosesNoRecordAppendedMeanwhile) {
  // Another PC keeps appending while the drills move.
  std::string bytes = ReadBytes(results());
  for (int i = 0; i < 3000; ++i) bytes += Record(1 + i % 2, 60);
  WriteBytes(results(), bytes);
  const std::string stop = dir / "stop";
  Child pc = Child::Start("AppendUntilStopped", {results(), "7", stop});
  int32_t appended = 0;
  ASSERT_TRUE(pc.Read(&appended, sizeof appended));
  ToolRun run = Import("1,1991,佐藤 花子\r\n2,1995,山田 太郎\r\n", {"--move-history"});
  ASSERT_EQ(run.status, 0) << run.err;
  // The PC goes on appending after the replacement, into the new file.
  const int64_t after = ResultsFile(results()).RecordCount();
  while (ResultsFile(results()).RecordCount() == after) std::this_thread::sleep_for(5ms);
  WriteBytes(stop, "");
  ASSERT_TRUE(pc.Read(&appended, sizeof appended));
  EXPECT_EQ(pc.Wait(), 0);
  EXPECT_EQ(DrillsByNumber(), (std::map<int, int>{{1, 5 + 1500}, {2, 27 + 1500}, {3, 4}, {7, appended}}));

  // A PC that holds the lock is waited for, within the program's own bounded wait.
  std::optional<Child> holder = HoldLock(results(), 1500ms);
  ASSERT_TRUE(holder);
  ASSERT_EQ(Import("1,1995,山田 太郎\r\n2,1991,佐藤 花子\r\n", {"--move-history"}).status, 0);
  EXPECT_EQ(holder->Wait(), 0);
  EXPECT_EQ(DrillsByNumber(), (std::map<int, int>{{1, 27 + 1500}, {2, 5 + 1500}, {3, 4}, {7, appended}}));
  // Past it, nothing is written, the roster included.
  SetLockWaitLimit(300ms);
  holder = HoldLock(results(), 3s);
  ASSERT_TRUE(holder);
  const auto before = Snapshot(root);
  ToolRun late = Import("1,1991,佐藤 花子\r\n2,1995,山田 太郎\r\n", {"--move-history"});
  SetLockWaitLimit(30s);
  EXPECT_EQ(late.status, 2);
  EXPECT_NE(late.err.find("kept the file locked"), std::string::npos) << late.err;
  EXPECT_EQ(holder->Wait(), 0);
  EXPECT_EQ(Snapshot(root), before);
}

}  // namespace
}  // namespace bardrill::testing
