// bardrill-school roster import and export: a spreadsheet's class list becomes the roster, or is refused
// whole with every bad row named, and export gives back what import takes.
#include "school/roster_csv.h"

#include <filesystem>

#include "core/setup/roster.h"
#include "platform/codec.h"
#include "platform/text.h"
#include "school_fixture.h"

namespace bardrill::testing {
namespace {

namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF";

// The roster's lines in short: number, birth year, name, status.
std::vector<std::string> Lines(const std::string& roster) {
  std::vector<std::string> out;
  for (const RosterLine& l : ReadRosterLines(roster))
    out.push_back(std::to_string(l.entry.number) + " " + std::to_string(l.entry.birthYear) + " " +
                  text::Trim(l.entry.name) + " " + std::to_string(l.status));
  return out;
}

using Import = SchoolTest;

TEST_F(Import, TakesEachEncodingAndHeaderASpreadsheetSaves) {
  // 小3 in the school year 2004 was born in the school year 1995, 中1 in 1991.
  struct Variant {
    const char* kind;
    std::string bytes;
  };
  const std::vector<Variant> variants = {
      {"UTF-8 with a byte-order mark, Japanese header, birth years",
       kBom + "番号,生年度,名前,状態\r\n1,1995,山田 太郎,0\r\n2,1991,\"佐藤, 花子\",2\r\n"},
      {"UTF-8 without a mark, English header in another order, grades",
       "Name,Grade,No.,Status\n山田 太郎,小3,1,\n\"佐藤, 花子\",中1,2,2\n,,,\n"},
      {"CP932, 学年 with full-width digits, a column it does not use, a trailing blank line",
       codec::Utf8ToCp932("出席番号,ふりがな,名前,学年,状態\r\n１,やまだ,山田 "
                          "太郎,小３,0\r\n2,さとう,\"佐藤, 花子\",中１年,2\r\n\r\n")},
      {"tab-separated, a grade standing in the birth year's column",
       "番号\t生年度\t名前\t状態\n1\t小3\t山田 太郎\t0\n"
       "2\t1991\t佐藤, 花子\t2\n"},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.kind);
    WriteBytes(dir / "class.csv", v.bytes);
    ToolRun run = Tool({"roster", "import", root, dir / "class.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    // The list names no teacher: the old roster's is kept.
    EXPECT_EQ(Lines(roster()),
              (std::vector<std::string>{"1 1995 山田 太郎 0", "2 1991 佐藤, 花子 2", "5000 1958 先生 0"}));
  }
}

TEST_F(Import, RefusesTheWholeFileListingEveryBadRowAndLeavesEveryFileAsItWas) {
  WriteBytes(dir / "class.csv",
             kBom +
                 "番号,学年,名前,状態\r\n"
                 "1,小3,山田 太郎,0\r\n"           // line 2: good
                 "0,小3,林,0\r\n"                  // 3: number outside 1..5000
                 "1,小4,森,0\r\n"                  // 4: number used twice
                 "3,小2,\xF0\xA0\xAE\xB7野,0\r\n"  // 5: 𠮷, which Shift-JIS lacks
                 "4,小1\r\n"                       // 6: the name column missing
                 "5,小7,原,0\r\n"                  // 7: no such grade
                 "6,中2,中村,x\r\n"                // 8: a status that is no number
                 "7,小5,寿限無寿限無五劫の擦り切れ海砂利水魚の水行末,0\r\n");  // 9: too long
  const auto before = Snapshot(dir.path());
  ToolRun run = Tool({"roster", "import", root, dir / "class.csv"});
  EXPECT_EQ(run.status, 2);
  for (const char* named :
       {"class.csv: line 3, column 1: the number must be a whole number from 1 to 5000",
        "class.csv: line 4, column 1: the number 1 is on line 2 and again on line 4",
        "class.csv: line 5, column 3: the name", "class.csv: line 6, column 3: the line ends",
        "class.csv: line 7, column 2: the grade \"小7\"", "class.csv: line 8, column 4: the status",
        "class.csv: line 9, column 3: the name"})
    EXPECT_NE(run.err.find(named), std::string::npos) << named << "\n" << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 7) << run.err;
  EXPECT_EQ(Snapshot(dir.path()), before);

  const auto school = Snapshot(root);
  for (const std::string& bad : {std::string("番号,名前\r\n1,山田\r\n"), std::string("\xFF\xFE\x31\x00"),
                                 kBom + "番号,生年度,名前\r\n1,1995,山田\r\n2,1995,\"森\r\n"}) {
    WriteBytes(dir / "class.csv", bad);
    ToolRun refused = Tool({"roster", "import", root, dir / "class.csv"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("class.csv: "), std::string::npos) << refused.err;
    EXPECT_EQ(Snapshot(root), school) << refused.err;
  }
}

TEST_F(Import, AQuestionMarkInAShiftJisNameIsACharacterTheSpreadsheetCouldNotSave) {
  // A spreadsheet saving 𠮷田 健太 as Shift-JIS writes ?田 健太.
  WriteBytes(dir / "class.csv",
             codec::Utf8ToCp932("番号,学年,名前\r\n1,小3,山田 太郎\r\n2,小3,?田 健太\r\n"));
  const auto before = Snapshot(dir.path());
  ToolRun run = Tool({"roster", "import", root, dir / "class.csv"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(
      run.err.find("class.csv: line 3, column 3: the name \"?田 健太\" holds \"?\": the spreadsheet wrote "
                   "it for a character that Shift-JIS cannot hold; save the list as \"CSV UTF-8\""),
      std::string::npos)
      << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(Snapshot(dir.path()), before);

  // In UTF-8 a "?" is what was typed; and one line written is one student.
  WriteBytes(dir / "class.csv", kBom + "番号,生年度,名前\r\n5000,1958,先生?\r\n");
  run = Tool({"roster", "import", root, dir / "class.csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(": 1 student written, 1 of them listed"), std::string::npos) << run.out;
}

TEST_F(Import, KeepsTheOldRosterDatedAndWhatSiblingProgramsKeepInIt) {
  WriteCp932(roster(), "1,1995,7,8,\"山田\",0,\"ﾒﾓ\",\"x\"\r\n5000,1958,0,0,\"先生\",0,\"\",\"\"\r\n");
  const std::string kept = ReadBytes(roster());
  WriteBytes(dir / "class.csv", "番号,生年度,名前\n1,1995,山田 太郎\n2,1996,森\n5000,1958,★先生\n");
  ASSERT_EQ(Tool({"roster", "import", root, dir / "class.csv"}).status, 0);
  EXPECT_EQ(ReadBytes(common() + "新名簿_2004-05-07.txt"), kept);
  EXPECT_EQ(codec::Cp932ToUtf8(ReadBytes(roster())),
            "1,1995,7,8,\"山田 太郎\",0,\"ﾒﾓ\",\"x\"\r\n2,1996,0,0,\"森\",0,\"\",\"\"\r\n"
            "5000,1958,0,0,\"★先生\",0,\"\",\"\"\r\n");
  ASSERT_EQ(Tool({"roster", "import", root, dir / "class.csv"}).status, 0);
  EXPECT_TRUE(fs::exists(paths::ToFs(common() + "新名簿_2004-05-07_2.txt")));
}

TEST_F(Import, ExportWritesWhatImportReproducesByteForByte) {
  WriteCp932(roster(),
             "3,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n1,1991,0,0,\"佐藤, 花子\",2,\"\",\"\"\r\n"
             "2,1999,0,0,\"鈴木\",1,\"\",\"\"\r\n5000,1958,0,0,\"先生\",0,\"\",\"\"\r\n");
  const std::string before = ReadBytes(roster());
  ToolRun exported = Tool({"roster", "export", root, dir / "class.csv"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(ReadBytes(dir / "class.csv"),
            kBom +
                "番号,生年度,学年,名前,状態\r\n3,1995,小3,山田 太郎,0\r\n"
                "1,1991,中1,\"佐藤, 花子\",2\r\n2,1999,幼2,鈴木,1\r\n5000,1958,大+,先生,0\r\n");
  ASSERT_EQ(Tool({"roster", "import", root, dir / "class.csv"}).status, 0);
  EXPECT_EQ(ReadBytes(roster()), before);

  // A grade that disagrees with the birth year is a fault, not a choice between them; a year written
  // with 年 is neither a year nor a grade.
  WriteBytes(dir / "class.csv", kBom + "番号,生年度,名前\r\n3,2015年,山田 太郎\r\n");
  EXPECT_NE(Tool({"roster", "import", root, dir / "class.csv"})
                .err.find("line 2, column 2: the birth year must be a year such as 2015, or a grade"),
            std::string::npos);
  WriteBytes(dir / "class.csv", kBom + "番号,生年度,学年,名前\r\n3,1995,小4,山田 太郎\r\n");
  ToolRun disagreeing = Tool({"roster", "import", root, dir / "class.csv"});
  EXPECT_EQ(disagreeing.status, 2);
  EXPECT_NE(
      disagreeing.err.find("line 2, column 3: the grade \"小4\" does not agree with the birth year 1995"),
      std::string::npos)
      << disagreeing.err;
}

}  // namespace
}  // namespace bardrill::testing
