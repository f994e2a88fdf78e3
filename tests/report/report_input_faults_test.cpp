// Every input file broken as a school would break it, one row per fault of docs/input-faults.md: what
// the program's loaders say, what bardrill-report says, and that no file is changed by either.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <sstream>

#include "core/app_state.h"
#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_retry.h"
#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "core/setup/sound_cues.h"
#include "platform/calendar.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "support/installation.h"
#include "support/process.h"
#include "support/report_day.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::kReportDay;
using testing::kUtf8Bom;

namespace fs = testing::files;
using namespace std::string_literals;
using testing::Installation;

// The first bytes of an Excel workbook saved under the text file's name.
const std::string kWorkbook("PK\x03\x04\x14\x00\x06\x00\x08\x00\x00\x00!\x00", 14);
const std::string kMegabyte(1 << 20, 'x');

// How a row breaks its file. "{common}" in the bytes stands for the common data folder.
struct Fault {
  enum class Kind { Missing, Folder, Bytes } kind = Kind::Bytes;
  std::string bytes;
  bool utf8 = false;  // the folder replacing "{common}" is written in UTF-8, not CP932
};
Fault Missing() { return {Fault::Kind::Missing, "", false}; }
Fault Folder() { return {Fault::Kind::Folder, "", false}; }
Fault Raw(std::string bytes) { return {Fault::Kind::Bytes, std::move(bytes), false}; }
std::string Sjis(const std::string& utf8) { return codec::Utf8ToCp932(utf8); }
Fault Text(const std::string& utf8) { return Raw(Sjis(utf8)); }
Fault Utf8(const std::string& text) { return {Fault::Kind::Bytes, text, true}; }
Fault Utf8Bom(const std::string& text) { return {Fault::Kind::Bytes, kUtf8Bom + text, true}; }

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

std::string Repeat(const std::string& line, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += line;
  return out;
}

void Apply(const Fault& fault, const Installation& inst, const std::string& path) {
  fs::remove(path);
  if (fault.kind == Fault::Kind::Folder) fs::create_directory(path);
  if (fault.kind != Fault::Kind::Bytes) return;
  const std::string common = fault.utf8 ? inst.commonFolder() : Sjis(inst.commonFolder());
  testing::WriteBytes(path, Replaced(fault.bytes, "{common}", common));
}

// What the program and the report say: the file loads (and `check` holds), or it is refused with a
// message naming the file, the line and column, and `words`.
struct Says {
  int line = -1;
  int column = 0;
  std::string words;
  std::function<void(const AppState&)> check;
};
Says Loads(std::function<void(const AppState&)> check = nullptr) { return {-1, 0, "", std::move(check)}; }
Says Refused(int line, int column, std::string words) { return {line, column, std::move(words), nullptr}; }

struct Row {
  const char* fault;
  Fault file;
  Says says;
};

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files[fs::Utf8(entry.path())] =
        entry.is_regular_file() ? testing::ReadBytes(fs::Utf8(entry.path())) : "/";
  return files;
}

std::string LinesOfValidColumn(const std::string& csv) {
  std::istringstream in(csv);
  std::string line, valid;
  std::getline(in, line);  // the titles
  while (std::getline(in, line)) valid += line.substr(line.rfind(',') + 1);
  return valid;
}

class InputFaults : public ::testing::Test {
 protected:
  testing::Outcome Report(const Installation& inst) {
    return testing::RunProgram(BARDRILL_REPORT_EXE, {"records", inst.programFolder()}, scratch_.path());
  }

  // The start-up and the selection screen's roster, as the program runs them.
  static void LoadAsTheProgramDoes(AppState& state, const Installation& inst) {
    LoadConfiguration(state, inst.programFolder());
    ReadRoster(state, kReportDay);
  }

  // `readByReport`: the report reads the file too (it never reads the sound map).
  void Check(const std::string& name, std::function<std::string(const Installation&)> pathOf,
             const std::vector<Row>& rows, bool readByReport = true) {
    for (const Row& row : rows) {
      SCOPED_TRACE(name + ": " + row.fault);
      Installation inst;
      Apply(row.file, inst, pathOf(inst));
      const auto before = Snapshot(inst.root());
      AppState state;
      std::string message;
      try {
        LoadAsTheProgramDoes(state, inst);
        if (row.says.line >= 0) ADD_FAILURE() << "the program took the file";
        if (row.says.check) row.says.check(state);
      } catch (const DataFileError& e) {
        message = e.what();
        EXPECT_GE(row.says.line, 0) << message;
        EXPECT_TRUE(e.file().ends_with(name)) << e.file();
        EXPECT_EQ(e.line(), row.says.line) << message;
        EXPECT_EQ(e.column(), row.says.column) << message;
        EXPECT_NE(message.find(name), std::string::npos) << message;
        EXPECT_NE(message.find(row.says.words), std::string::npos) << message;
        EXPECT_LT(text::Length(message), 400u) << "an item is quoted whole";
      }
      const testing::Outcome report = Report(inst);
      if (row.says.line >= 0 && readByReport) {
        EXPECT_EQ(report.status, 2);
        EXPECT_EQ(report.err, "bardrill-report: " + message + "\n");
        EXPECT_EQ(report.out, "");
      } else {
        EXPECT_EQ(report.status, 0) << report.err;
        EXPECT_EQ(report.out.rfind("record,", 0), 0u) << report.out;
      }
      EXPECT_EQ(Snapshot(inst.root()), before) << "a file was changed";
    }
  }

  testing::TempDir scratch_;
};

const std::string kPathData = "\"{common}\",0,0,0,0,0,0,0,0,0\r\n";

TEST_F(InputFaults, PathData) {
  // The folder is right when the school's files in it are read.
  auto found = [](const AppState& s) {
    EXPECT_EQ(s.SchoolName, "テスト塾");
    EXPECT_EQ(s.StudentNames[1], "山田 太郎");
  };
  Check(
      "パスデータ.txt", [](const Installation& i) { return i.root() + "パスデータ.txt"; },
      {
          {"missing", Missing(), Refused(0, 0, "there is no such file")},
          {"empty", Text(""), Refused(0, 0, "the file is empty; it must hold 10 items")},
          {"a folder in its place", Folder(), Refused(0, 0, "is a folder, not a file")},
          {"cut off", Text("\"{common}\",0,0"), Refused(1, 0, "ends after 3 items; it must hold 10")},
          {"UTF-8", Utf8(kPathData), Loads(found)},
          {"UTF-8 with BOM", Utf8Bom(kPathData), Loads(found)},
          {"invalid Shift-JIS", Raw("\"{common}\",0,\x85\x40,0,0,0,0,0,0,0\r\n"),
           Refused(1, 3, "the bytes 85 40 here are not Shift-JIS (CP932) text")},
          {"garbage bytes", Raw(kWorkbook), Refused(1, 1, "the control character 03")},
          {"a huge line", Text("\"" + kMegabyte + "\",0,0,0,0,0,0,0,0,0\r\n"),
           Refused(1, 1, "\"" + kMegabyte.substr(0, 60) + "…\"")},
          {"a huge number", Text("\"{common}\",1e999,0,0,0,0,0,0,0,99999999999999999999\r\n"), Loads(found)},
          {"too many lines", Text(kPathData + Repeat("0\r\n", 50)), Loads(found)},
          {"a bad quote", Text("\"{common}\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n\"0\"\r\n"),
           Refused(1, 1, "a double quote (\") opens an item here and is not closed on the same line")},
          {"a NUL byte", Raw("\"{common}\0\",0,0,0,0,0,0,0,0,0\r\n"s), Refused(1, 1, "NUL (zero) byte")},
          {"a folder that does not exist", Text("\"{common}ない\\\",0,0,0,0,0,0,0,0,0\r\n"),
           Refused(1, 1, "ない\\\" does not exist or cannot be reached")},
          {"a file named as the folder", Text("\"{common}新名簿.txt\",0,0,0,0,0,0,0,0,0\r\n"),
           Refused(1, 1, "新名簿.txt\" is a file, not a folder")},
          {"an empty folder item", Text(",0,0,0,0,0,0,0,0,0\r\n"),
           Refused(1, 1, "the common data folder is empty")},
          {"a relative folder", Text("..\\共通\\,0,0,0,0,0,0,0,0,0\r\n"), Loads(found)},
          {"a folder without its final separator", Text(Replaced(kPathData, "/\"", "\"")), Loads(found)},
      });
}

const std::string kCommon = "4\r\n\"01234山田塾\"\r\n0\r\n0\r\n0\r\n\"pass\"\r\n0\r\n0\r\n0\r\n0\r\n";

TEST_F(InputFaults, CommonData) {
  auto school = [](const AppState& s) {
    EXPECT_EQ(s.SchoolYearStartMonth, 4);
    EXPECT_EQ(s.SchoolCode, "01234");
    EXPECT_EQ(s.SchoolName, "山田塾");
  };
  Check("共通データ.txt", [](const Installation& i) { return i.commonFolder() + "共通データ.txt"; },
        {
            {"missing", Missing(), Refused(0, 0, "there is no such file")},
            {"empty", Text("\r\n"), Refused(0, 0, "the file is empty; it must hold 10 items")},
            {"a folder in its place", Folder(), Refused(0, 0, "is a folder, not a file")},
            {"cut off", Text("4\r\n\"01234山田塾\"\r\n0\r\n0"), Refused(4, 0, "ends after 4 items")},
            {"UTF-8", Utf8(kCommon), Loads(school)},
            {"UTF-8 with BOM", Utf8Bom(kCommon), Loads(school)},
            {"invalid Shift-JIS", Raw(Replaced(Sjis(kCommon), "\x8e\x52", "\x85\x40")),
             Refused(2, 1, "the bytes 85 40 here are not Shift-JIS")},
            {"garbage bytes", Raw(kWorkbook), Refused(1, 1, "the control character 03")},
            {"a huge line", Text(kMegabyte + kCommon),
             Refused(1, 1, "not \"" + kMegabyte.substr(0, 60) + "…\"")},
            {"a huge number", Text("1e999" + kCommon.substr(1)), Refused(1, 1, "month (1 to 12)")},
            {"a huge number where a flag is",
             Text(Replaced(kCommon, "\r\n0\r\n0\r\n0\r\n\"", "\r\n1e300\r\n0\r\n0\r\n\"")),
             Loads([](const AppState& s) { EXPECT_EQ(s.ListOnLeaveStudents, 0); })},
            {"too many lines", Text(kCommon + Repeat("0\r\n", 50)), Loads(school)},
            {"a bad quote", Text(Replaced(kCommon, "塾\"", "塾")),
             Refused(2, 1, "is not closed on the same line")},
            {"a NUL byte", Raw(Replaced(Sjis(kCommon), "pass", "pa\0ss"s)), Refused(6, 1, "NUL")},
            {"month 13", Text("13" + kCommon.substr(1)), Refused(1, 1, "not \"13\"")},
            {"a full-width month", Text("４" + kCommon.substr(1)), Refused(1, 1, "not \"４\"")},
            {"a school code Shift-JIS lacks", Utf8(Replaced(kCommon, "01234", "1〜〜〜〜")),
             Refused(2, 1, "the school code \"1〜〜〜〜\" holds a character Shift-JIS cannot store")},
        });
}

const std::string kRoster =
    "1,1995,0,0,\"山田 "
    "太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"★先生\",0,\"\",\"\"\r\n3,1997,,,\"佐藤\",2,\"\",\"\"\r\n";

TEST_F(InputFaults, Roster) {
  auto names = [](const AppState& s) {
    EXPECT_EQ(s.RosterCount, 2);
    EXPECT_EQ(s.StudentNames[1], "山田 太郎");
    EXPECT_EQ(s.StudentNames[2], "★先生");
    EXPECT_EQ(s.StudentNames[3], "佐藤");
  };
  auto numberLine = [](int n) { return std::to_string(n) + ",1996,0,0,\"n\",0,\"\",\"\"\r\n"; };
  std::string tooMany;
  for (int n = 0; n <= 5000; ++n) tooMany += numberLine(n);
  Check("新名簿.txt", [](const Installation& i) { return i.commonFolder() + "新名簿.txt"; },
        {
            {"missing", Missing(), Refused(0, 0, "there is no such file")},
            {"empty", Text(""), Refused(0, 0, "the roster is empty")},
            {"blank lines only", Text("\r\n  \r\n"), Refused(0, 0, "the roster is empty")},
            {"a folder in its place", Folder(), Refused(0, 0, "is a folder, not a file")},
            {"cut off", Text(kRoster.substr(0, kRoster.find("★") - 2)), Refused(2, 0, "this one has 4")},
            {"UTF-8", Utf8(kRoster), Loads(names)},
            {"UTF-8 with BOM", Utf8Bom(kRoster), Loads(names)},
            {"invalid Shift-JIS", Raw(Replaced(Sjis(kRoster), Sjis("佐藤"), "\x81")),
             Refused(3, 5, "the byte 81 here is not Shift-JIS")},
            {"garbage bytes", Raw(kWorkbook), Refused(1, 1, "the control character 03")},
            {"a huge line", Text(Replaced(kRoster, "佐藤", kMegabyte)),
             Loads([](const AppState& s) { EXPECT_EQ(s.StudentNames[3], kMegabyte.substr(0, 20)); })},
            {"a huge number", Text(Replaced(kRoster, "3,1997", "1e300,1997")),
             Refused(3, 1, "the student number must be a whole number from 0 to 5000, not \"1e300\"")},
            {"a huge number where nothing is read", Text(Replaced(kRoster, "1997,,", "1997,99999999999,")),
             Refused(3, 3, "the third item must be a whole number from -32768 to 32767")},
            {"too many lines", Text(tooMany), Refused(5001, 0, "more than 5000 students")},
            {"a bad quote", Text(Replaced(kRoster, "★先生\",0,\"\",\"\"", "★先生,0,,")),
             Refused(2, 5, "is not closed")},
            {"a NUL byte", Raw(Replaced(Sjis(kRoster), " ", std::string(1, '\0'))), Refused(1, 5, "NUL")},
            {"one number on two lines", Text(kRoster + Replaced(numberLine(2), "\"n\",0", "\"n\",1")),
             Refused(4, 1, "the student number 2 is on line 2 and again on line 4")},
            {"a number beyond 5000", Text(kRoster + numberLine(5001)), Refused(4, 1, "from 0 to 5000")},
            {"seven items on a line", Text(Replaced(kRoster, ",\"\",\"\"\r\n2", ",\"\"\r\n2")),
             Refused(1, 0, "this one has 7")},
        });
}

const std::string kHeader = "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n";
const std::string kStandards =
    kHeader +
    "60,120,100,10,1,10,200,7,1,,,\r\n90,180,,10,1,10,200,7,1,,,\r\n120,240,150,15,1.5,10,300,14,1,,,\r\n";

std::string StandardsWith(const std::string& from, const std::string& to) {
  return Replaced(kStandards, from, to);
}

TEST_F(InputFaults, Standards) {
  auto levels = [](const AppState& s) {
    EXPECT_EQ(s.Standards[1].targetTime, 60);
    EXPECT_EQ(s.Standards[2].clearPoints, 0) << "an empty item reads as 0";
    EXPECT_FLOAT_EQ(s.Standards[3].pointRate, 1.5f);
  };
  std::string tooMany = kHeader;
  for (int level = 1; level <= 36; ++level) tooMany += "60,120,100,10,1,10,200,7,1,,,\r\n";
  const std::string line2 = "60,120,100,10,1,10,200,7,1,,,";
  Check(
      "タイム回数データ.txt", [](const Installation& i) { return i.dataFolder() + "タイム回数データ.txt"; },
      {
          {"missing", Missing(), Refused(0, 0, "there is no such file")},
          {"empty", Text(""), Refused(0, 0, "the file is empty")},
          {"a folder in its place", Folder(), Refused(0, 0, "is a folder, not a file")},
          {"cut off", Text(kStandards.substr(0, kStandards.rfind("120,240,150") + 11)),
           Refused(4, 0, "have 3 items instead of 12")},
          {"UTF-8", Utf8(kStandards), Loads(levels)},
          {"UTF-8 with BOM", Utf8Bom(kStandards), Loads(levels)},
          {"invalid Shift-JIS", Raw(Sjis(kHeader) + "60,\xff\x31\x32\x30,100,10,1,10,200,7,1,,,\r\n"),
           Refused(2, 2, "the byte FF here is not Shift-JIS")},
          {"garbage bytes", Raw(kWorkbook), Refused(1, 1, "the control character 03")},
          {"a huge line", Text(StandardsWith(line2, std::string(1 << 20, '9') + line2.substr(2))),
           Refused(2, 1, "目標Time is \"" + std::string(60, '9') + "…\", which is out of range")},
          {"a huge number", Text(StandardsWith("90,180", "90,1e999")),
           Refused(3, 2, "最低Time is \"1e999\"")},
          {"a number beyond 32 bits", Text(StandardsWith("90,180", "3000000000,180")),
           Refused(3, 1, "which is out of range")},
          {"too many lines", Text(tooMany), Refused(37, 0, "more than 35 level lines")},
          {"a bad quote", Text(StandardsWith("90,180", "\"90,180")), Refused(3, 1, "is not closed")},
          {"a NUL byte", Raw(Sjis(StandardsWith("90,180", "90\0,180"s))), Refused(3, 1, "NUL")},
          {"a full-width number", Text(StandardsWith("90,180", "９０,180")),
           Refused(3, 1, "目標Time is \"９０\", which is not a number")},
          {"a unit after the number", Text(StandardsWith("90,180", "90,180秒")), Refused(3, 2, "\"180秒\"")},
          {"a word", Text(StandardsWith("150,15,1.5", "150,abc,1.5")), Refused(4, 4, "ｸﾘｱ回数 is \"abc\"")},
          {"a negative value", Text(StandardsWith("90,180", "90,-5")),
           Refused(3, 2, "最低Time is \"-5\", but a standard cannot be negative")},
          {"titles only", Text(kHeader), Refused(1, 0, "no level lines")},
          {"eleven items on a line", Text(StandardsWith("7,1,,,\r\n90", "7,1,,\r\n90")),
           Refused(2, 0, "11 items instead of 12")},
          {"a text in a spare column", Text(StandardsWith("14,1,,,", "14,1,メモ,,")), Loads(levels)},
      });
}

const std::string kSoundMap = "正解音2\r\nok1\r\nok2\r\n*\r\n間違い音1\r\nng1\r\n*\r\n";

TEST_F(InputFaults, SoundMap) {
  // The loader only reads the map; the sounds it names are checked at start-up, before any drill.
  auto mapped = [](const AppState& s) {
    EXPECT_EQ(s.SoundCues[kRightCue].countText, "2");
    EXPECT_EQ(s.SoundCues[kRightCue].files[2], "ok2");
    EXPECT_EQ(s.SoundCues[kWrongCue].countText, "1");
  };
  auto unmapped = [](const AppState& s) { EXPECT_EQ(s.SoundCues[kRightCue].countText, ""); };
  Check(
      "新音ファイル.txt", [](const Installation& i) { return i.soundFolder() + "新音ファイル.txt"; },
      {
          {"missing", Missing(), Refused(0, 0, "there is no such file")},
          {"empty", Text(""), Loads(unmapped)},
          {"a folder in its place", Folder(), Refused(0, 0, "is a folder, not a file")},
          {"cut off", Text("正解音2\r\nok1\r\nok"), Refused(3, 0, "ends with the file, without \"*\"")},
          {"UTF-8", Utf8(kSoundMap), Loads(mapped)},
          {"UTF-8 with BOM", Utf8Bom(kSoundMap), Loads(mapped)},
          {"invalid Shift-JIS", Raw(Replaced(Sjis(kSoundMap), "ng1", "n\x82\x20")),
           Refused(6, 1, "the byte 82 here is not Shift-JIS")},
          {"garbage bytes", Raw(kWorkbook), Refused(1, 1, "the control character 03")},
          {"a huge line", Text(Replaced(kSoundMap, "ok1", kMegabyte)),
           Loads([](const AppState& s) { EXPECT_EQ(s.SoundCues[kRightCue].files[1], kMegabyte); })},
          {"too many lines", Text("正解音2\r\n" + Repeat("ok\r\n", 25) + "*\r\n"), Loads(unmapped)},
          {"a bad quote", Text(Replaced(kSoundMap, "ok2", "\"ok2")), Refused(3, 1, "is not closed")},
          {"a NUL byte", Raw(Replaced(Sjis(kSoundMap), "ok2", "ok\0"s)), Refused(3, 1, "NUL")},
          {"a cue whose files are missing", Text(Replaced(kSoundMap, "ok2", "ない")),
           Loads([](const AppState& s) { EXPECT_EQ(s.SoundCues[kRightCue].files[2], "ない"); })},
      },
      false);
}

std::string Record(int32_t seconds, double date = kReportDay, int student = 1) {
  RecordBytes bytes = MakeNewRecord(date, 0.5, student, 1, seconds, "01234").Encode();
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST_F(InputFaults, Results) {
  struct ResultsRow {
    const char* fault;
    Fault file;
    int64_t loaded;     // valid records the program counts; -1: the program cannot read the file
    std::string valid;  // the report's `valid` column, record by record, or the words of its refusal
  };
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<ResultsRow> rows = {
      {"missing", Missing(), 0, ""},
      {"empty", Raw(""), 0, ""},
      {"a folder in its place", Folder(), -1, "is a folder, not a file"},
      {"cut off", Raw(Record(40) + Record(50) + Record(60).substr(0, 20)), 2, "11"},
      {"garbage bytes", Raw(kWorkbook + std::string(44 * 2 - kWorkbook.size(), '\xff') + Record(40)), 1,
       "001"},
      {"negative seconds", Raw(Record(40) + Record(-2147483647 - 1) + Record(-1)), 1, "100"},
      {"dates of inf, NaN, 1e308 and -1",
       Raw(Record(40, inf) + Record(40, std::nan("")) + Record(40, 1e308) + Record(40, -1) + Record(40)), 1,
       "00001"},
      {"the last and the first day beyond 9999",
       Raw(Record(40, kLastDayCount) + Record(40, kLastDayCount + 1)), 1, "10"},
      {"a huge number", Raw(Record(std::numeric_limits<int32_t>::max())), 1, "1"},
      {"too many records", Raw(Repeat(Record(40), 20001)), kMaxLoadedRecords, std::string(20001, '1')},
  };
  for (const ResultsRow& row : rows) {
    SCOPED_TRACE(row.fault);
    Installation inst;
    Apply(row.file, inst, inst.dataFolder() + "成績累積データ.dat");
    const auto before = Snapshot(inst.root());
    AppState state;
    LoadAsTheProgramDoes(state, inst);
    try {
      ReadResultsPatiently([&] { ComputeCounts(state, kReportDay); }, [](int) { return false; });
      EXPECT_EQ(state.LoadedCount, row.loaded);
      if (row.loaded > 0) {
        EXPECT_EQ(state.BestTime(1, 1), row.fault == "a huge number"s ? kNoTime : 40);
        EXPECT_GE(state.TotalPoints(1, 1), 0);
      }
    } catch (const ResultsUnavailable& e) {
      EXPECT_EQ(row.loaded, -1) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("成績ランダムファイル表示\n", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find("成績累積データ.dat: " + row.valid), std::string::npos)
          << e.what();
    }
    const testing::Outcome report = Report(inst);
    if (row.loaded < 0) {
      EXPECT_EQ(report.status, 2);
      EXPECT_NE(report.err.find(row.valid), std::string::npos) << report.err;
    } else {
      EXPECT_EQ(report.status, 0) << report.err;
      EXPECT_EQ(LinesOfValidColumn(report.out), row.valid);
    }
    EXPECT_EQ(Snapshot(inst.root()), before) << "a file was changed";
  }
}

}  // namespace
}  // namespace bardrill
