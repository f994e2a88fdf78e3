// The demo generator and the report tool, run as the real executables on real installations in
// temporary folders.

#include <gtest/gtest.h>
#ifdef __linux__
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "core/setup/sound_cues.h"
#include "platform/calendar.h"
#include "platform/codec.h"
#include "support/process.h"
#include "support/report_day.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::kReportDay;
using testing::kReportDayText;

namespace fs = testing::files;
using testing::Outcome;
using testing::ReadBytes;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteCp932;

const char* const kRecordsHeader = "record,date,time,student,name,level,seconds,points,school,valid";
const char* const kSummaryHeader =
    "student,name,level,TotalCount,TotalPoints,JudgeCount,JudgePoints,LimitCount,LimitPoints,TodayCount,"
    "TodayPoints,BestTime,SchoolBest";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
  if (!line.empty() && line.back() == ',') fields.push_back("");
  return fields;
}

std::string RecordBytesOf(const ResultRecord& record) {
  RecordBytes bytes = record.Encode();
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

double TimeOfDay(int h, int m, int s) { return (h * 3600 + m * 60 + s) / 86400.0; }

// Every file under a folder with its bytes and modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(const std::string& folder) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[fs::Utf8(entry.path())] = {entry.is_regular_file() ? ReadBytes(fs::Utf8(entry.path())) : "",
                                     fs::last_write_time(entry.path())};
  }
  return files;
}

// A demo installation generated afresh for each test (its path file names its own absolute folder).
class Installation : public ::testing::Test {
 protected:
  void SetUp() override {
    Outcome generated =
        RunProgram(BARDRILL_DEMO_GEN_EXE, {root(), "--today", kReportDayText}, scratch_.path());
    ASSERT_EQ(generated.status, 0) << generated.err;
  }

  std::string root() const { return paths::Native(dir_.path() + "demo/"); }
  std::string programFolder() const { return root() + "ソネタ"; }
  std::string common() const { return paths::Native(root() + "共通/"); }
  std::string results() const { return paths::Native(common() + "ソネタ/成績累積データ.dat"); }

  Outcome Report(const std::vector<std::string>& args) {
    return RunProgram(BARDRILL_REPORT_EXE, args, scratch_.path());
  }

  void WriteResults(const std::vector<ResultRecord>& records) {
    std::string bytes;
    for (const ResultRecord& r : records) bytes += RecordBytesOf(r);
    WriteBytes(results(), bytes);
  }

  TempDir dir_;
  TempDir scratch_;
};

// ---- the demo generator ------------------------------------------------------------------------------

bool IsCp932WithCrLf(const std::string& bytes) {
  std::string utf8 = codec::Cp932ToUtf8(bytes);
  if (codec::Utf8ToCp932(utf8) != bytes) return false;
  if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != "\r\n") return false;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  return true;
}

uint32_t Le(const std::string& b, size_t at, int width) {
  uint32_t v = 0;
  for (int i = 0; i < width; ++i)
    v |= static_cast<uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
  return v;
}

// A plain PCM WAVE file as the generator writes it: 16-bit mono 22050 Hz, 0.15..1.2 s of audible data
// that starts and ends silent.
void ExpectPlayableWav(const std::string& path) {
  SCOPED_TRACE(path);
  std::string b = ReadBytes(path);
  ASSERT_GE(b.size(), 44u);
  EXPECT_EQ(b.substr(0, 4), "RIFF");
  EXPECT_EQ(Le(b, 4, 4), b.size() - 8);
  EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le(b, 20, 2), 1u);  // PCM
  EXPECT_EQ(Le(b, 22, 2), 1u);  // mono
  EXPECT_EQ(Le(b, 24, 4), 22050u);
  EXPECT_EQ(Le(b, 28, 4), 44100u);
  EXPECT_EQ(Le(b, 34, 2), 16u);
  EXPECT_EQ(b.substr(36, 4), "data");
  const uint32_t dataBytes = Le(b, 40, 4);
  ASSERT_EQ(dataBytes, b.size() - 44);
  const double seconds = dataBytes / 2 / 22050.0;
  EXPECT_GE(seconds, 0.15);
  EXPECT_LE(seconds, 1.2);
  int peak = 0;
  for (size_t i = 44; i + 1 < b.size(); i += 2)
    peak = std::max(peak, std::abs(static_cast<int16_t>(Le(b, i, 2))));
  EXPECT_GT(peak, 16000);
  EXPECT_EQ(static_cast<int16_t>(Le(b, 44, 2)), 0);
  EXPECT_EQ(static_cast<int16_t>(Le(b, b.size() - 2, 2)), 0);
}

TEST_F(Installation, GeneratorLaysOutCp932FilesThatTheProgramLoads) {
  for (const std::string& file :
       {root() + "パスデータ.txt", common() + "共通データ.txt", common() + "新名簿.txt",
        common() + "音フォルダ/新音ファイル.txt", common() + "ソネタ/タイム回数データ.txt"}) {
    EXPECT_TRUE(IsCp932WithCrLf(ReadBytes(file))) << file;
  }
  EXPECT_TRUE(fs::is_directory(programFolder()));

  AppState state;
  LoadConfiguration(state, programFolder() + "/");
  EXPECT_EQ(state.CommonDataFolder, common());
  EXPECT_EQ(state.SchoolCode, "01234");
  EXPECT_EQ(state.SchoolName, "さくら学習塾");
  EXPECT_EQ(state.SchoolYearStartMonth, 4);
  EXPECT_EQ(state.TeacherPassword, "1234");
  EXPECT_EQ(state.Standards[3].targetTime, 120);
  EXPECT_FLOAT_EQ(state.Standards[3].pointRate, 1.5f);
  EXPECT_EQ(state.Standards[3].judgeDays, 14);

  ReadRoster(state, kReportDay);
  std::set<std::string> grades, names;
  for (int n = 0; n <= kMaxStudent; ++n) {
    if (!state.StudentGrades[n].empty()) grades.insert(state.StudentGrades[n]);
    if (!state.StudentNames[n].empty()) names.insert(state.StudentNames[n]);
  }
  EXPECT_GE(names.size(), 38u);
  EXPECT_LE(names.size(), 50u);
  EXPECT_EQ(grades, (std::set<std::string>{"幼３", "小１", "小２", "小３", "小４", "小５", "小６", "中１",
                                           "中２", "中３"}));
  EXPECT_TRUE(names.count("先生"));
  EXPECT_TRUE(
      std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.find("★") != n.npos; }));
  EXPECT_EQ(names.size() - static_cast<size_t>(state.RosterCount), 3u) << "two on leave and one hidden";

  // Every cue is mapped, the drill's right and wrong answers to several sounds, and every sound exists.
  std::map<std::string, int> listed;
  for (int cue = 1; cue <= kSoundCueCount; ++cue) {
    const SoundCue& c = state.SoundCues[cue];
    int count = std::stoi(c.countText.empty() ? "0" : c.countText);
    listed[c.name] = count;
    for (int i = 1; i <= count; ++i) ExpectPlayableWav(state.SoundFolder + c.files[i] + ".wav");
  }
  EXPECT_EQ(listed.size(), 10u);
  for (const auto& [name, count] : listed) EXPECT_GE(count, 1) << name;
  EXPECT_GE(listed["正解音2"], 2);
  EXPECT_GE(listed["間違い音1"], 2);
  ExpectPlayableWav(state.SoundFolder + "最高1.wav");
  ExpectPlayableWav(state.SoundFolder + "合格.wav");
}

TEST_F(Installation, GeneratorWritesEightWeeksOfHistoryUpToToday) {
  std::string bytes = ReadBytes(results());
  ASSERT_EQ(bytes.size() % kRecordSize, 0u);
  const size_t count = bytes.size() / kRecordSize;
  EXPECT_GT(count, 300u);
  std::set<int> students;
  int64_t earliest = kReportDay, todays = 0;
  double lastMoment = -1;
  for (size_t i = 0; i < count; ++i) {
    RecordBytes raw;
    std::memcpy(raw.data(), bytes.data() + i * kRecordSize, kRecordSize);
    ResultRecord r = ResultRecord::Decode(raw);
    ASSERT_TRUE(r.IsValid()) << "record " << i + 1;
    EXPECT_EQ(FieldText(r.schoolCode), "01234");
    EXPECT_LE(r.date, kReportDay);
    EXPECT_GE(r.date + r.time, lastMoment) << "records are in the order the drills ended";
    lastMoment = r.date + r.time;
    earliest = std::min(earliest, static_cast<int64_t>(r.date));
    todays += r.date == kReportDay;
    students.insert(r.Bangou);
    EXPECT_TRUE(r.level >= 1 && r.level <= 3);
  }
  EXPECT_GT(todays, 0);
  EXPECT_GE(kReportDay - earliest, 50);
  EXPECT_LE(kReportDay - earliest, 60);
  EXPECT_FALSE(students.count(900) || students.count(901)) << "teachers do not drill";
  EXPECT_GE(students.size(), 30u);
}

TEST_F(Installation, GeneratorPutsTodaysDrillsBeforeTheTimeOfDay) {
  Outcome early = RunProgram(BARDRILL_DEMO_GEN_EXE, {root(), "--today", kReportDayText, "--time", "04:00"},
                             scratch_.path());
  ASSERT_EQ(early.status, 0) << early.err;
  const std::string bytes = ReadBytes(results());
  int todays = 0;
  double lastMoment = -1;
  for (size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
    RecordBytes raw;
    std::memcpy(raw.data(), bytes.data() + at, kRecordSize);
    const ResultRecord r = ResultRecord::Decode(raw);
    EXPECT_GE(r.date + r.time, lastMoment) << "still in the order the drills ended";
    lastMoment = r.date + r.time;
    if (r.date != kReportDay) continue;
    ++todays;
    EXPECT_LT(r.time * 86400, 4 * 3600) << "a drill of today after 04:00";
  }
  EXPECT_GT(todays, 0) << "the morning keeps today's drills, earlier";
}

TEST_F(Installation, GeneratorRerunIsIdenticalAndLeavesTheProgramAndOtherFilesAlone) {
  const std::string before = ReadBytes(results());
  WriteBytes(programFolder() + "/bardrill", "the program");
  WriteBytes(dir_.path() + "beside-root.txt", "not ours");
  WriteBytes(results(), "damaged");

  Outcome again = RunProgram(BARDRILL_DEMO_GEN_EXE, {root(), "--today", kReportDayText}, scratch_.path());
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadBytes(results()), before);
  EXPECT_EQ(ReadBytes(programFolder() + "/bardrill"), "the program");
  EXPECT_EQ(ReadBytes(dir_.path() + "beside-root.txt"), "not ours");
  std::set<std::string> top;
  for (const auto& e : fs::directory_iterator(dir_.path())) top.insert(fs::Utf8(e.path().filename()));
  EXPECT_EQ(top, (std::set<std::string>{"demo", "beside-root.txt"}));

  Outcome later = RunProgram(BARDRILL_DEMO_GEN_EXE, {root(), "--today", "2024-06-01"}, scratch_.path());
  ASSERT_EQ(later.status, 0) << later.err;
  EXPECT_NE(ReadBytes(results()), before);
}

TEST_F(Installation, GeneratorRejectsBadUsageWithoutWritingAnything) {
  const std::string target = dir_.path() + "new";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {target, "--today", "2024-02-30"},
                                             {target, "--today"},
                                             {target, "--bogus"},
                                             {target, "--time", "25:00"}}) {
    Outcome o = RunProgram(BARDRILL_DEMO_GEN_EXE, args, scratch_.path());
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_NE(o.err.find("usage"), std::string::npos);
  }
  Outcome orphan = RunProgram(BARDRILL_DEMO_GEN_EXE, {dir_.path() + "no/such/root"}, scratch_.path());
  EXPECT_NE(orphan.status, 0);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_FALSE(fs::exists(dir_.path() + "no"));
}

// ---- records -----------------------------------------------------------------------------------------

TEST_F(Installation, RecordsListEveryRecordInFileOrder) {
  // A trailing partial record (another PC in the middle of an append) is not a record.
  const size_t count = ReadBytes(results()).size() / kRecordSize;
  std::ofstream(results(), std::ios::binary | std::ios::app) << std::string(20, '\x07');

  Outcome o = Report({"records", programFolder()});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  std::vector<std::string> lines = Lines(o.out);
  ASSERT_EQ(lines.size(), count + 1);
  EXPECT_EQ(lines[0], kRecordsHeader);
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 10u) << lines[i];
    EXPECT_EQ(f[0], std::to_string(i));
    EXPECT_EQ(f[8], "01234");
    EXPECT_EQ(f[9], "1");
  }
}

constexpr size_t kAppends = 2000;

BARDRILL_CHILD_TASK(AppendAsAnotherPc) {
  ResultsFile file(args.at(0));
  for (size_t i = 0; i < kAppends; ++i)
    file.Append(MakeNewRecord(kReportDay, 0.9, 3, 1, 40 + static_cast<int>(i % 50), "01234"));
  return 0;
}

TEST_F(Installation, RecordsWhileAnotherProcessAppendsListOnlyWholeRecords) {
  const size_t before = ReadBytes(results()).size() / kRecordSize;
  testing::Child child = testing::Child::Start("AppendAsAnotherPc", {results()});
  size_t previous = before;
  for (int run = 0; run < 5; ++run) {
    Outcome o = Report({"records", programFolder()});
    ASSERT_EQ(o.status, 0) << o.err;
    std::vector<std::string> lines = Lines(o.out);
    const size_t rows = lines.size() - 1;
    EXPECT_GE(rows, previous);
    EXPECT_LE(rows, before + kAppends);
    previous = rows;
    for (size_t i = 1; i < lines.size(); ++i) {
      std::vector<std::string> f = Fields(lines[i]);
      ASSERT_EQ(f.size(), 10u) << lines[i];
      ASSERT_EQ(f[9], "1") << lines[i];
      ASSERT_EQ(f[8], "01234") << lines[i];
    }
  }
  ASSERT_EQ(child.Wait(), 0);
  EXPECT_EQ(Lines(Report({"records", programFolder()}).out).size(), before + kAppends + 1);
}

TEST_F(Installation, RecordsShowAnAppendedRecordWithItsDateTimeNameAndPoints) {
  // Level 3: target 120 s, rate 1.5; 60 s earns Int(((120-60)/120)^3 * 50 + 5) = 11 base points, 16 in all.
  std::ofstream(results(), std::ios::binary | std::ios::app)
      << RecordBytesOf(MakeNewRecord(kReportDay, TimeOfDay(14, 30, 15), 1, 3, 60, "01234"));
  Outcome o = Report({"records", programFolder()});
  ASSERT_EQ(o.status, 0) << o.err;
  std::vector<std::string> lines = Lines(o.out);
  EXPECT_EQ(lines.back(),
            std::to_string(lines.size() - 1) + ",2024/05/15,14:30:15,1,山田 太郎,3,60,16,01234,1");
}

TEST_F(Installation, RecordsShowInvalidAndStrangeRecordsAsStored) {
  ResultRecord badBytes = MakeNewRecord(kReportDay, 0.5, 2, 1, 30, "");
  std::memcpy(badBytes.schoolCode.data(), "\x85\x40   ", 5);  // a lead byte CP932 leaves unassigned
  WriteResults({
      MakeNewRecord(kReportDay, 0.5, 0, 1, 30, "01234"),      // no student
      MakeNewRecord(kReportDay, 0.5, 2, 0, 30, "01234"),      // no level
      MakeNewRecord(-1, 0.5, 2, 1, 30, "01234"),              // before day 0
      MakeNewRecord(std::nan(""), 0.5, 2, 1, 30, "01234"),    // not a number
      MakeNewRecord(kReportDay, 1.75, 7000, 40, 30, ""),      // off every table
      MakeNewRecord(kReportDay, 0.25, 2, 1, 99999, "01234"),  // no valid time
      MakeNewRecord(kReportDay, 0.5, 2, 1, 30, "01,3\""),
      MakeNewRecord(kReportDay, 0.5, 2, 1, 30, "0\"12"),
      badBytes,
  });
  Outcome o = Report({"records", programFolder()});
  ASSERT_EQ(o.status, 0) << o.err;
  std::vector<std::string> lines = Lines(o.out);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[1], "1,2024/05/15,12:00:00,0,,1,30,11,01234,0");
  EXPECT_EQ(lines[2], "2,2024/05/15,12:00:00,2,佐藤 花子,0,30,0,01234,0");
  EXPECT_EQ(lines[3], "3,-1,12:00:00,2,佐藤 花子,1,30,11,01234,0");
  EXPECT_NE(Fields(lines[4])[1].find("nan"), std::string::npos) << lines[4];
  EXPECT_EQ(Fields(lines[4])[9], "0");
  EXPECT_EQ(lines[5], "5,2024/05/15,1.75,7000,,40,30,0,,1");
  EXPECT_EQ(lines[6], "6,2024/05/15,06:00:00,2,佐藤 花子,1,99999,0,01234,1");
  EXPECT_EQ(lines[7], "7,2024/05/15,12:00:00,2,佐藤 花子,1,30,11,\"01,3\"\"\",1");
  EXPECT_EQ(lines[8], "8,2024/05/15,12:00:00,2,佐藤 花子,1,30,11,\"0\"\"12\",1");

  // Bytes that were never Shift-JIS still leave a readable report in either encoding.
  EXPECT_NE(lines[9].find("\xEF\xBF\xBD"), std::string::npos) << lines[9];
  Outcome cp = Report({"records", "--encoding", "cp932", programFolder()});
  ASSERT_EQ(cp.status, 0) << cp.err;
  EXPECT_NE(Lines(cp.out).back().find(",?"), std::string::npos);
  EXPECT_NE(cp.err.find("\"?\""), std::string::npos) << cp.err;
}

// A PC whose clock ran ahead wrote records dated after today: the report still lists them where it
// always did and names each on standard error, so that the teacher can find them.
TEST_F(Installation, RecordsDatedAfterTodayAreNamedOnStandardErrorOnly) {
  const int64_t in2090 = calendar::DayCount({2090, 1, 5});
  WriteResults({MakeNewRecord(kReportDay, 0.5, 1, 1, 30, "01234"),
                MakeNewRecord(kReportDay + 1, 0.5, 2, 1, 31, "01234"),
                MakeNewRecord(in2090, 0.5, 1, 2, 32, "01234")});
  Outcome records = Report({"records", programFolder()});
  ASSERT_EQ(records.status, 0) << records.err;
  ASSERT_EQ(Lines(records.out).size(), 4u);
  EXPECT_EQ(Lines(records.out)[3], "3,2090/01/05,12:00:00,1,山田 太郎,2,32,18,01234,1");
  EXPECT_NE(records.err.find("1 record(s) dated after today"), std::string::npos) << records.err;
  EXPECT_NE(records.err.find("  record 3: 2090/01/05 12:00:00, student 1 山田 太郎, level 2, 32 seconds\n"),
            std::string::npos)
      << records.err;

  Outcome summary = Report({"summary", "--today", kReportDayText, programFolder()});
  ASSERT_EQ(summary.status, 0) << summary.err;
  EXPECT_EQ(Lines(summary.out)[0], kSummaryHeader);
  EXPECT_EQ(summary.out.find("record 2"), std::string::npos);
  EXPECT_NE(summary.err.find("2 record(s) dated after today (2024/05/15)"), std::string::npos) << summary.err;
  EXPECT_NE(summary.err.find("  record 2: 2024/05/16"), std::string::npos) << summary.err;
  EXPECT_NE(summary.err.find("  record 3: 2090/01/05"), std::string::npos) << summary.err;
}

TEST_F(Installation, Cp932EncodingWritesTheNamesAsShiftJis) {
  Outcome utf8 = Report({"summary", "--today", kReportDayText, programFolder()});
  Outcome cp = Report({"summary", "--encoding", "cp932", "--today", kReportDayText, programFolder()});
  ASSERT_EQ(cp.status, 0) << cp.err;
  const std::string sjisName = codec::Utf8ToCp932("山田 太郎");
  EXPECT_EQ(sjisName, "\x8E\x52\x93\x63\x20\x91\xBE\x98\x59");
  EXPECT_NE(cp.out.find("\n1," + sjisName + ",1,"), std::string::npos);
  EXPECT_EQ(cp.out.find("山田"), std::string::npos);
  EXPECT_EQ(cp.out, codec::Utf8ToCp932(utf8.out));
}

// ---- summary -----------------------------------------------------------------------------------------

TEST_F(Installation, SummaryAgreesWithAHandComputation) {
  // Standards: level 1 target 60 s, windows 7 and 1 days; level 2 target 90; level 3 target 120,
  // rate 1.5, judged over 14 days. Points by the formula (T - s)^3 / T^3 * 50 + 5 at or under target,
  // 4 under 2T, 1 under 10T, then 0.
  struct Drill {
    int daysAgo, student, level, seconds;
  };
  const std::vector<Drill> drills = {
      {0, 2, 1, 30},     // 11 points; today, in both windows
      {6, 2, 1, 45},     // 5; last day of the 7-day window
      {7, 2, 1, 150},    // 1; just outside it
      {0, 2, 1, 6000},   // 0, and too slow to count
      {0, 2, 2, 90},     // 5: exactly on target
      {10, 2, 3, 100},   // Int(1.5 * 5) = 7; inside the 14-day window only
      {0, 3, 1, 20},     // the school's best on level 1
      {0, 3000, 1, 70},  // not on the roster
  };
  std::vector<ResultRecord> records;
  for (const Drill& d : drills)
    records.push_back(MakeNewRecord(kReportDay - d.daysAgo, 0.7, d.student, d.level, d.seconds, "01234"));
  records.push_back(MakeNewRecord(kReportDay, 0.7, 4000, 0, 10, "01234"));  // invalid: lists nobody
  WriteResults(records);

  Outcome o = Report({"summary", "--today", kReportDayText, programFolder()});
  ASSERT_EQ(o.status, 0) << o.err;
  std::vector<std::string> lines = Lines(o.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], kSummaryHeader);
  auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("2,佐藤 花子,1,3,17,2,16,1,11,1,11,30,20"));
  EXPECT_TRUE(has("2,佐藤 花子,2,1,5,1,5,1,5,1,5,90,90"));
  EXPECT_TRUE(has("2,佐藤 花子,3,1,7,1,7,0,0,0,0,100,100"));
  EXPECT_TRUE(has("900,先生,1,0,0,0,0,0,0,0,0,99999,20"));
  EXPECT_TRUE(has("35,長谷川 隼,3,0,0,0,0,0,0,0,0,99999,100")) << "hidden students are listed too";
  EXPECT_TRUE(has("3000,,1,1,4,1,4,1,4,1,4,70,20"));

  // Every named roster line (42) and the record-only student, three levels each, by student and level.
  std::vector<std::pair<int, int>> order;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 13u) << lines[i];
    order.emplace_back(std::stoi(f[0]), std::stoi(f[2]));
  }
  EXPECT_EQ(order.size(), 43u * 3);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
  EXPECT_EQ(std::count(order.begin(), order.end(), std::make_pair(4000, 1)), 0);
}

// ---- failures and read-only use ----------------------------------------------------------------------

TEST_F(Installation, MissingOrMalformedFilesAreNamedWithExitStatus2) {
  struct Case {
    std::string file;
    std::string contents;  // empty: remove the file
    std::string named;
  };
  const std::vector<Case> cases = {
      {"パスデータ.txt", "", "パスデータ.txt"},
      {"共通/新名簿.txt", "", "新名簿.txt"},
      {"共通/ソネタ/タイム回数データ.txt", "", "タイム回数データ.txt"},
      {"共通/新名簿.txt", "1,2010,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,2011,0,0,\"佐藤 花子\",0,\"\"\r\n",
       "新名簿.txt: line 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " / " + c.contents);
    const std::string original = ReadBytes(root() + c.file);
    if (c.contents.empty()) {
      fs::remove(root() + c.file);
    } else {
      WriteCp932(root() + c.file, c.contents);
    }
    for (const char* command : {"records", "summary"}) {
      Outcome o = Report({command, programFolder()});
      EXPECT_EQ(o.status, 2);
      EXPECT_NE(o.err.find(c.named), std::string::npos) << o.err;
      EXPECT_EQ(o.out, "");
    }
    WriteBytes(root() + c.file, original);
  }
  Outcome noFolder = Report({"records", root() + "どこにもない"});
  EXPECT_EQ(noFolder.status, 2);
  EXPECT_NE(noFolder.err.find("どこにもない"), std::string::npos);
}

TEST_F(Installation, BadUsageShowsTheUsageWithExitStatus2) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"list", programFolder()},
           {"records"},
           {"records", "--encoding", "latin1", programFolder()},
           {"records", "--today", kReportDayText, programFolder()},
           {"summary", "--today", "2024-13-01", programFolder()},
           {"summary", "--today", programFolder()},
           {"records", programFolder(), programFolder()},
       }) {
    Outcome o = Report(args);
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_NE(o.err.find("usage: bardrill-report"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
}

#ifdef __linux__
TEST_F(Installation, AReportThatStandardOutputCannotTakeExitsWith2) {
  const std::string err = scratch_ / "err.txt";
  const std::string command = std::string("'") + BARDRILL_REPORT_EXE + "' records '" + programFolder() +
                              "' >/dev/full 2>'" + err + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_NE(ReadBytes(err).find("could not be written to standard output"), std::string::npos)
      << ReadBytes(err);
}
#endif

TEST_F(Installation, TheReportChangesNothingAndCreatesNoResultsFile) {
  const auto before = Snapshot(root());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"records", programFolder()},
           {"summary", programFolder()},
           {"summary", "--encoding", "cp932", "--today", kReportDayText, programFolder()}}) {
    ASSERT_EQ(Report(args).status, 0);
  }
  EXPECT_EQ(Snapshot(root()), before);

  fs::remove(results());
  for (const char* command : {"records", "summary"}) {
    Outcome o = Report({command, programFolder()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("成績累積データ.dat"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(results()));
  }
  EXPECT_EQ(Lines(Report({"records", programFolder()}).out), std::vector<std::string>{kRecordsHeader});
}

}  // namespace
}  // namespace bardrill
