// The report tool's exports for teachers, run as the real executable on a demo installation: the CSV
// for spreadsheets, the workbook read back by openpyxl, and the monthly report read back by poppler.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "platform/calendar.h"
#include "support/pdf_tools.h"
#include "support/process.h"
#include "support/report_day.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::kReportDay;
using testing::kReportDayText;
using testing::kUtf8Bom;

namespace fs = std::filesystem;
using testing::Outcome;
using testing::ReadBytes;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteBytes;

class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    Outcome generated =
        RunProgram(BARDRILL_DEMO_GEN_EXE, {root(), "--today", kReportDayText}, scratch_.path());
    ASSERT_EQ(generated.status, 0) << generated.err;
  }
  std::string root() const { return dir_.path() + "demo/"; }
  std::string programFolder() const { return root() + "ソネタ"; }
  std::string results() const { return root() + "共通/ソネタ/成績累積データ.dat"; }
  std::string out(const std::string& name) const { return out_ / name; }

  Outcome Report(std::vector<std::string> args) {
    args.push_back(programFolder());
    return RunProgram(BARDRILL_REPORT_EXE, args, scratch_.path());
  }
  // Two drills: 佐藤 花子 (2) on level 1 in 30 s today, and 鈴木 一郎 (3) giving up on level 2.
  void WriteTwoDrills() {
    std::string bytes;
    for (const ResultRecord& r :
         {MakeNewRecord(kReportDay, (14 * 3600 + 30 * 60 + 15) / 86400.0, 2, 1, 30, "01234"),
          MakeNewRecord(kReportDay - 1, 0.5, 3, 2, 99999, "01234")}) {
      const RecordBytes b = r.Encode();
      bytes.append(reinterpret_cast<const char*>(b.data()), b.size());
    }
    WriteBytes(results(), bytes);
  }
  // Runs a shell command line; its standard output.
  std::string Shell(const std::string& command) {
    const std::string captured = out("shell.txt");
    EXPECT_EQ(std::system((command + " > '" + captured + "'").c_str()), 0) << command;
    return ReadBytes(captured);
  }
  std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
  }
  bool Available(const Outcome& o) { return o.err.find("not available in this build") == std::string::npos; }

  TempDir dir_, scratch_, out_;
};

// ---- CSV for spreadsheets ----------------------------------------------------------------------------

TEST_F(Exports, TheTeachersCsvHasTheMarkJapaneseHeadersLevelNamesEmptyTimesAndCodesKeptAsText) {
  WriteTwoDrills();
  ASSERT_EQ(
      Report({"summary", "--today", kReportDayText, "--headers", "ja", "-o", out("summary.csv")}).status, 0);
  const std::string summary = ReadBytes(out("summary.csv"));
  EXPECT_EQ(summary.substr(0, 3), kUtf8Bom);
  std::istringstream lines(summary.substr(3));
  std::string header;
  std::getline(lines, header);
  EXPECT_EQ(
      header,
      "番号,名前,学年,レベル,今までの回数,今までのポイント,最近の回数,最近のポイント,やりすぎ判定の回数,"
      "やりすぎ判定のポイント,今日の回数,今日のポイント,最高タイム（秒）,塾の最高タイム（秒）");
  EXPECT_NE(summary.find("\n2,佐藤 花子,中２,レベル１,1,11,1,11,1,11,1,11,30,30\n"), std::string::npos);
  EXPECT_NE(summary.find("\n3,鈴木 一郎,中１,レベル２,0,0,0,0,0,0,0,0,,\n"), std::string::npos)
      << "no time is an empty cell, not 99999";
  EXPECT_EQ(summary.find("99999"), std::string::npos);
  for (const char* left : {"\n900,", "\n901,", "\n35,", "\n12,"})
    EXPECT_EQ(summary.find(left), std::string::npos) << left << ": teachers and hidden rows are left out";

  ASSERT_EQ(
      Report({"summary", "--today", kReportDayText, "--headers", "ja", "--all", "-o", out("all.csv")}).status,
      0);
  const std::string all = ReadBytes(out("all.csv"));
  for (const char* kept : {"\n900,先生,,レベル１,", "\n35,長谷川 隼,", "\n12,吉田 蓮,"})
    EXPECT_NE(all.find(kept), std::string::npos) << kept;

  ASSERT_EQ(Report({"records", "--headers", "ja", "-o", out("records.csv")}).status, 0);
  EXPECT_EQ(ReadBytes(out("records.csv")),
            kUtf8Bom +
                "記録番号,日付,時刻,番号,名前,レベル,タイム（秒）,ポイント,塾コード,有効\n"
                "1,2024/05/15,14:30:15,2,佐藤 花子,レベル１,30,11,=\"01234\",○\n"
                "2,2024/05/14,12:00:00,3,鈴木 一郎,レベル２,,0,=\"01234\",○\n");
}

TEST_F(Exports, AFileOfTheScriptsFormIsStandardOutputWithTheMarkAndStandardOutputStaysAsItWas) {
  for (const char* command : {"records", "summary"}) {
    SCOPED_TRACE(command);
    const Outcome plain = Report({command});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.substr(0, 3), kUtf8Bom) << "scripts read standard output";
    EXPECT_EQ(plain.out.substr(0, 7), std::string(command) == "records" ? "record," : "student");
    ASSERT_EQ(Report({command, "-o", out("plain.csv")}).status, 0);
    EXPECT_EQ(ReadBytes(out("plain.csv")), kUtf8Bom + plain.out);
    const Outcome sjis = Report({command, "--encoding", "cp932", "-o", out("sjis.csv")});
    ASSERT_EQ(sjis.status, 0) << sjis.err;
    EXPECT_EQ(ReadBytes(out("sjis.csv")), Report({command, "--encoding", "cp932"}).out)
        << "no mark in Shift-JIS";
    const Outcome ja = Report({command, "--headers", "ja"});
    EXPECT_EQ(ja.out.substr(0, 3), kUtf8Bom) << "the teachers' form is for spreadsheets wherever it goes";
  }
  EXPECT_EQ(FilesIn(out_.path()), (std::set<std::string>{"plain.csv", "sjis.csv"}));
}

// ---- bad input ---------------------------------------------------------------------------------------

TEST_F(Exports, AnOutputThatCannotBeWrittenIsNamedWithStatus2AndLeavesNoFile) {
  fs::create_directory(out("folder"));
  WriteBytes(out("kept.csv"), "the teacher's own");
  ::chmod(out("kept.csv").c_str(), 0444);
  fs::create_directory(out("locked"));
  ::chmod(out("locked").c_str(), 0555);
  const bool root = ::access(out("locked").c_str(), W_OK) == 0;  // root writes anywhere
  std::vector<std::string> targets = {out("no/such/folder/summary.csv"), out("folder"), out("kept.csv"),
                                      results()};
  if (!root) targets.push_back(out("locked/summary.csv"));
  const std::string before = ReadBytes(results());
  for (const std::string& target : targets) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"summary", "-o", target}, {"records", "--headers", "ja", "-o", target}}) {
      const Outcome o = Report(args);
      EXPECT_EQ(o.status, 2) << target;
      EXPECT_NE(o.err.find(target), std::string::npos) << o.err;
      EXPECT_EQ(o.out, "");
    }
  }
  EXPECT_EQ(ReadBytes(out("kept.csv")), "the teacher's own");
  EXPECT_EQ(ReadBytes(results()), before) << "the report never writes a data file";
  EXPECT_EQ(FilesIn(out_.path()), (std::set<std::string>{"folder", "kept.csv", "locked"}));
  EXPECT_TRUE(fs::is_empty(out("locked")));
  ::chmod(out("locked").c_str(), 0755);
}

TEST_F(Exports, ABadMonthOrStudentIsNamedWithStatus2AndWritesNoFile) {
  struct Case {
    std::vector<std::string> args;
    std::string named;
  };
  const std::vector<Case> cases = {
      {{"monthly", "--month", "2024-13", "-o", out("m.pdf")},
       "\"2024-13\" is not a month of the form YYYY-MM"},
      {{"monthly", "--month", "2024/04", "-o", out("m.pdf")}, "\"2024/04\""},
      {{"monthly", "--month", "24-04", "-o", out("m.pdf")}, "\"24-04\""},
      {{"monthly", "--month", "2024-04", "--student", "77", "-o", out("m.pdf")},
       "student 77 is not on the roster"},
      {{"monthly", "--month", "2024-04", "--student", "x1", "-o", out("m.pdf")},
       "\"x1\" is not a student number"},
      {{"monthly", "--month", "2024-04", "-o", out("none/m.pdf")}, out("none/m.pdf")},
      {{"monthly", "--month", "2024-04"}, "-o FILE.pdf"},
      {{"monthly", "-o", out("m.pdf")}, "--month YYYY-MM"},
      {{"summary", "--all"}, "--all belongs to --headers ja"},
      {{"summary", "--format", "xlsx"}, "--format xlsx needs -o"},
  };
  for (const Case& c : cases) {
    const Outcome o = Report(c.args);
    EXPECT_EQ(o.status, 2) << c.named;
    if (!Available(o)) continue;  // a build without the monthly report says so instead
    EXPECT_NE(o.err.find(c.named), std::string::npos) << o.err;
  }
  EXPECT_TRUE(fs::is_empty(out_.path()));
}

// ---- the workbook ------------------------------------------------------------------------------------

// Debian's Python, which has python3-openpyxl (a python3 earlier in the PATH may not).
const std::string kPython = "/usr/bin/python3";

// What openpyxl, a reader that is not ours, finds in the workbook: each sheet's name, frozen cell,
// header and the rows asked for, every cell as its Python type and value.
const char* const kReadWorkbook = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print("active", book.active.title)
for sheet in book.worksheets:
    print("sheet", sheet.title, sheet.freeze_panes, sheet.max_row)
    for row in sheet.iter_rows(min_row=1, max_row=3):
        print("|".join("%s:%s" % (type(c.value).__name__, c.value) for c in row))
)";

TEST_F(Exports, TheWorkbookHoldsTypedCellsUnderAFrozenHeaderInASummaryAndARecordsSheet) {
  WriteTwoDrills();
  const Outcome o =
      Report({"summary", "--format", "xlsx", "--today", kReportDayText, "-o", out("school.xlsx")});
  if (!Available(o)) GTEST_SKIP() << o.err;
  ASSERT_EQ(o.status, 0) << o.err;
  WriteBytes(out("read.py"), kReadWorkbook);
  const std::string read = Shell(kPython + " '" + out("read.py") + "' '" + out("school.xlsx") + "'");
  const size_t summaryRows = 1 + 37 * 3;  // the header and 37 listed children, three levels each
  EXPECT_EQ(read,
            "active 集計\n"
            "sheet 集計 A2 " +
                std::to_string(summaryRows) +
                "\n"
                "str:番号|str:名前|str:学年|str:レベル|str:今までの回数|str:今までのポイント|str:最近の回数|"
                "str:最近のポイント|str:やりすぎ判定の回数|str:やりすぎ判定のポイント|str:今日の回数|"
                "str:今日のポイント|str:最高タイム（秒）|str:塾の最高タイム（秒）\n"
                "int:1|str:山田 太郎|str:中３|str:レベル１|int:0|int:0|int:0|int:0|int:0|int:0|int:0|int:0|"
                "NoneType:None|int:30\n"
                "int:1|str:山田 太郎|str:中３|str:レベル２|int:0|int:0|int:0|int:0|int:0|int:0|int:0|int:0|"
                "NoneType:None|NoneType:None\n"
                "sheet 記録 A2 3\n"
                "str:記録番号|str:日付|str:時刻|str:番号|str:名前|str:レベル|str:タイム（秒）|str:ポイント|"
                "str:塾コード|str:有効\n"
                "int:1|datetime:2024-05-15 00:00:00|time:14:30:15|int:2|str:佐藤 花子|str:レベル１|int:30|"
                "int:11|str:01234|str:○\n"
                "int:2|datetime:2024-05-14 00:00:00|time:12:00:00|int:3|str:鈴木 一郎|str:レベル２|"
                "NoneType:None|int:0|str:01234|str:○\n");

  // The records command opens on its own sheet; xlsx2csv reads the same code back as text.
  ASSERT_EQ(Report({"records", "--format", "xlsx", "-o", out("records.xlsx")}).status, 0);
  EXPECT_EQ(Shell(kPython + " '" + out("read.py") + "' '" + out("records.xlsx") + "'").substr(0, 14),
            "active 記録\n");
  EXPECT_NE(Shell("xlsx2csv -n 記録 '" + out("records.xlsx") + "'").find(",01234,"), std::string::npos);
}

// How openpyxl finds each sheet set up for printing (a fitToWidth left out of the file means 1).
const char* const kReadPageSetup = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
for s in book.worksheets:
    p, m = s.page_setup, s.page_margins
    width = 1 if p.fitToWidth is None else p.fitToWidth
    print(s.title, p.orientation, p.paperSize, s.sheet_properties.pageSetUpPr.fitToPage, width, p.fitToHeight, s.print_title_rows, m.left, m.right, m.top, m.bottom, s.oddFooter.center.text)
)";

TEST_F(Exports, EveryWorkbookSheetPrintsLandscapeOnePageWideWithItsHeaderRowOnEveryPage) {
  WriteTwoDrills();
  const Outcome o = Report({"summary", "--format", "xlsx", "-o", out("school.xlsx")});
  if (!Available(o)) GTEST_SKIP() << o.err;
  ASSERT_EQ(o.status, 0) << o.err;
  WriteBytes(out("pages.py"), kReadPageSetup);
  // Fit to one page wide and any number of pages long (0); A4 is paper size 9.
  EXPECT_EQ(Shell(kPython + " '" + out("pages.py") + "' '" + out("school.xlsx") + "'"),
            "集計 landscape 9 True 1 0 $1:$1 0.25 0.25 0.5 0.5 &P / &N\n"
            "記録 landscape 9 True 1 0 $1:$1 0.25 0.25 0.5 0.5 &P / &N\n");
}

// ---- the monthly report ------------------------------------------------------------------------------

TEST_F(Exports, TheMonthlyReportHasAPagePerChildWhoDrilledWithTheMonthsFiguresAndCharts) {
  // April 2024, by the records themselves: every child with a drill that month.
  std::set<int> drilled;
  ResultsFile(results()).ReadFrom(1, [&](int64_t, const RecordBytes& bytes) {
    const ResultRecord r = ResultRecord::Decode(bytes);
    const calendar::CivilDate d = calendar::FromDayCount(static_cast<int64_t>(r.date));
    if (d.year == 2024 && d.month == 4) drilled.insert(r.Bangou);
  });
  ASSERT_GT(drilled.size(), 10u);
  const Outcome o = Report({"monthly", "--month", "2024-04", "-o", out("april.pdf")});
  if (!Available(o)) GTEST_SKIP() << o.err;
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(testing::PdfPages(out("april.pdf")), static_cast<int>(drilled.size()));
  const std::vector<std::string> embedded = testing::PdfFontsEmbedded(out("april.pdf"));
  EXPECT_FALSE(embedded.empty());
  EXPECT_EQ(std::set<std::string>(embedded.begin(), embedded.end()), std::set<std::string>{"yes"})
      << "every font is embedded";

  const std::string first = testing::PdfText(out("april.pdf"), {"-f", "1", "-l", "1", "-layout"});
  for (const std::string& shown : std::vector<std::string>{
           "さくら学習塾", "ソネタ", "月間成績表", "2024年4月", "山田 太郎 さん", "中３", "レベル１",
           "レベル２", "混合", "今月", "先月", "塾の最高", "塾の平均", "回数", "ポイント", "最高タイム",
           "ソネタ レベル１", "1 / " + std::to_string(drilled.size())})
    EXPECT_NE(first.find(shown), std::string::npos) << shown << " in\n" << first;
  EXPECT_EQ(testing::PdfText(out("april.pdf"), {}).find("先生"), std::string::npos)
      << "teachers do not drill";

  // Named children come in the order named, also one with no drill that month (the newcomer).
  ASSERT_EQ(
      Report({"monthly", "--month", "2024-04", "--student", "45", "--student", "1", "-o", out("two.pdf")})
          .status,
      0);
  const std::string two = testing::PdfText(out("two.pdf"));
  ASSERT_NE(two.find("福田 千尋"), std::string::npos) << two;
  EXPECT_LT(two.find("福田 千尋"), two.find("山田 太郎"));
  EXPECT_NE(two.find("この月のドリルはありません。"), std::string::npos);
  EXPECT_EQ(testing::PdfPages(out("two.pdf")), 2);
}

TEST_F(Exports, AMonthWithNoDrillsIsOnePageSayingSoAndANamedChildGetsAPageAllTheSame) {
  const Outcome o = Report({"monthly", "--month", "2023-01", "-o", out("empty.pdf")});
  if (!Available(o)) GTEST_SKIP() << o.err;
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("no child did a drill in 2023-01"), std::string::npos) << o.err;
  EXPECT_EQ(testing::PdfPages(out("empty.pdf")), 1);
  EXPECT_NE(testing::PdfText(out("empty.pdf")).find("2023年1月にドリルをした人はいません。"),
            std::string::npos);

  ASSERT_EQ(Report({"monthly", "--month", "2023-01", "--student", "2", "-o", out("one.pdf")}).status, 0);
  const std::string one = testing::PdfText(out("one.pdf"));
  EXPECT_NE(one.find("佐藤 花子 さん"), std::string::npos) << one;
  EXPECT_NE(one.find("この月のドリルはありません。"), std::string::npos) << one;
  EXPECT_EQ(FilesIn(out_.path()), (std::set<std::string>{"empty.pdf", "one.pdf"}));
}

}  // namespace
}  // namespace bardrill
