// bardrill-school init and check: a school laid out from nothing, and every kind of fault check names.
#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "core/app_state.h"
#include "core/setup/config.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "school/check.h"
#include "school/cli.h"
#include "school_fixture.h"
#include "support/process.h"

namespace bardrill::testing {
namespace {

namespace fs = std::filesystem;
using files::Path;
using paths::Native;

// A folder as std::filesystem copies it on Windows too: without the separator at its end.
fs::path Folder(const std::string& folder) { return Path(folder).parent_path(); }

// The program folder's program and the menu program, relative to the school's folder.
const std::string kProgram = std::string("ソネタ/") + school::kProgramFile;
const std::string kMenu = "起動/プログラムメニューc.exe";

std::set<std::string> Tree(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(Path(folder)))
    names.insert(paths::FromFs(fs::relative(entry.path(), Path(folder))));
  return names;
}

void WriteLauncher(const std::string& path, const std::string& program) {
  WriteBytes(path, LauncherOf(program));
  fs::permissions(Path(path), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
}

using Init = SchoolTest;

TEST_F(Init, LaysOutAWholeSchoolWithRelativePathsThatChecksCleanWhereverItIsMoved) {
  EXPECT_EQ(codec::Cp932ToUtf8(ReadBytes(root + "パスデータ.txt")).substr(0, 12), "\"..\\共通\\\"");
  for (const std::string& file :
       {kProgram, kMenu, std::string("共通/共通データ.txt"), std::string("共通/新名簿.txt"),
        std::string("共通/音フォルダ/新音ファイル.txt"), std::string("共通/音フォルダ/合格.wav"),
        std::string("共通/ソネタ/タイム回数データ.txt")})
    EXPECT_TRUE(fs::is_regular_file(Path(root + file))) << file;
  EXPECT_EQ(codec::Cp932ToUtf8(ReadBytes(roster())), "5000,1958,0,0,\"先生\",0,\"\",\"\"\r\n");

  ToolRun check = Tool({"check", root});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("01234 テスト塾"), std::string::npos) << check.out;

  // Moved, and copied: each finds its own data, never the original's.
  files::rename(root, dir / "moved");
  fs::copy(Path(dir / "moved"), Path(dir / "copy"), fs::copy_options::recursive);
  for (const std::string& school : {dir / "moved/", dir / "copy/"}) {
    EXPECT_EQ(Tool({"check", school}).status, 0) << school;
    AppState state;
    LoadConfiguration(state, school + "ソネタ/");
    EXPECT_EQ(Native(state.CommonDataFolder), Native(school + "共通/"));
    EXPECT_EQ(state.TeacherPassword, "pass");
  }
}

// An installation that brings no sounds (the Windows installer): init writes them, the same files the
// build's sound folder holds, and the school checks clean.
TEST_F(Init, WritesTheSoundsItselfWhereTheInstallationBringsNone) {
  school::Sources sources = TestSources();
  const std::string built = sources.sounds;
  sources.sounds.clear();
  std::ostringstream out, err;
  ASSERT_EQ(school::Run({"init", dir / "written"}, out, err, clock, sources), 0) << err.str();
  const auto names = [](const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(Path(folder)))
      files[paths::FromFs(entry.path().filename())] = ReadBytes(paths::FromFs(entry.path()));
    return files;
  };
  const auto written = names(dir / "written/共通/音フォルダ");
  EXPECT_GT(written.size(), 5u);
  EXPECT_EQ(written, names(built));
  EXPECT_EQ(Tool({"check", dir / "written"}).status, 0);
}

TEST_F(Init, RefusesAFolderThatHoldsAnythingAndSettingsTheProgramWouldMisreadWritingNothing) {
  const auto before = Snapshot(dir.path());
  ToolRun again = Tool({"init", root});
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.err.find("the folder is not empty"), std::string::npos) << again.err;

  ToolRun bad =
      Tool({"init", dir / "new", "--school-code", "1234x", "--password", "a\"b", "--start-month", "13"});
  EXPECT_EQ(bad.status, 2);
  for (const char* what : {"--school-code", "--password", "--start-month"})
    EXPECT_NE(bad.err.find(what), std::string::npos) << bad.err;
  ToolRun numbered = Tool({"init", dir / "new", "--school-name", "12345塾"});
  EXPECT_NE(numbered.err.find("school code"), std::string::npos) << numbered.err;
  EXPECT_EQ(Snapshot(dir.path()), before);
  EXPECT_FALSE(fs::exists(dir / "new"));
}

TEST_F(Init, TheDemoIsASchoolLaidOutByInitWithItsOwnRosterAndHistory) {
  TempDir scratch;
  Outcome demo = RunProgram(BARDRILL_DEMO_GEN_EXE, {dir / "demo", "--today", "2004-05-07"}, scratch.path());
  ASSERT_EQ(demo.status, 0) << demo.err;
  std::set<std::string> school = Tree(root), made = Tree(dir / "demo");
  school.erase(Native(kProgram));  // the build puts the program into the demo's folder
  made.erase(Native("共通/ソネタ/成績累積データ.dat"));
  EXPECT_EQ(made, school);
  for (const char* same : {"パスデータ.txt", "共通/ソネタ/タイム回数データ.txt",
                           "共通/音フォルダ/新音ファイル.txt", "共通/音フォルダ/正解A.wav", kMenu.c_str()})
    EXPECT_EQ(ReadBytes(dir / "demo/" + same), ReadBytes(root + same)) << same;
  EXPECT_EQ(Tool({"roster", "export", dir / "demo", dir / "demo.csv"}).status, 0);
}

#ifndef _WIN32
// Windows' launcher program: launcher_win_test.cpp.
TEST_F(Init, TheLauncherStartsTheProgramOnItsSchoolThroughALinkALinkToALinkAndACopiedLink) {
  // A stand-in for the installed program: it writes down the arguments it was given.
  const std::string given = dir / "given.txt";
  const std::string standIn = dir / "stand-in";
  WriteBytes(standIn, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + given + "'\n");
  fs::permissions(standIn, fs::perms::owner_all);
  const std::string launcher = root + "ソネタ/bardrill";
  WriteBytes(launcher, school::LauncherText(standIn));
  fs::permissions(launcher, fs::perms::owner_all);

  fs::create_directories(dir / "デスクトップ");
  fs::create_symlink(launcher, dir / "デスクトップ/ドリル");
  fs::create_symlink(dir / "デスクトップ/ドリル", dir / "link-to-link");
  fs::copy_symlink(dir / "デスクトップ/ドリル", dir / "デスクトップ/ドリル2");
  TempDir scratch;
  for (const std::string& start :
       {launcher, dir / "デスクトップ/ドリル", dir / "link-to-link", dir / "デスクトップ/ドリル2"}) {
    SCOPED_TRACE(start);
    fs::remove(given);
    Outcome run = RunProgram(start, {"--window"}, scratch.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(given),
              "--program-folder\n" + fs::canonical(root + "ソネタ").string() + "\n--window\n");
  }
}
#endif

// ---- check ---------------------------------------------------------------------------------------------

struct Fault {
  const char* kind;
  std::function<void(const std::string& root)> make;
  size_t problems;                 // how many the report lists
  std::vector<std::string> named;  // what it names, each in one problem
};

void Cp932(const std::string& path, const std::string& utf8) { WriteCp932(path, utf8); }

const std::vector<Fault>& Faults() {
  static const std::vector<Fault> faults = {
      {"program missing",
       [](const std::string& r) { files::remove(r + kProgram); },
       1,
       {Native(kProgram) + ": the program is not there"}},
      {"menu program missing",
       [](const std::string& r) { files::remove(r + kMenu); },
       1,
       {Native(kMenu) + ": the menu program is not there"}},
      {"school data",
       [](const std::string& r) { Cp932(r + "共通/共通データ.txt", "13,\"塾\",0,0,0,\"p\",0,0,0,0\r\n"); },
       1,
       {"共通データ.txt: line 1, column 1: the first item must be the month"}},
      {"standards",
       [](const std::string& r) {
         Cp932(r + "共通/ソネタ/タイム回数データ.txt", "h,,,,,,,,,,,\r\n60,120\r\n");
       },
       1,
       {"タイム回数データ.txt: line 2"}},
      {"sounds",
       [](const std::string& r) {
         WriteBytes(r + "共通/音フォルダ/正解B.wav", "RIFF, but not a sound");
         files::remove(r + "共通/音フォルダ/合格.wav");
       },
       2,
       {"新音ファイル.txt: line 6", "\"正解B\", which cannot be played",
        "合格.wav: the completion screen's sound of a pass"}},
      {"roster",
       [](const std::string& r) {
         Cp932(r + "共通/新名簿.txt",
               "1,1995,0,0,\"山田\",0,\"\",\"\"\r\n6000,1995,0,0,\"林\",0,\"\",\"\"\r\n1,1996,0,0,\"森\",0,"
               "\"\",\"\"\r\n"
               "2,1996,0,\"森\",0,\"\",\"\"\r\n1,1997,0,0,\"原\",0,\"\",\"\"\r\n");
       },
       4,
       {"新名簿.txt: line 2, column 1: the student number must be",
        "新名簿.txt: line 3, column 1: the student number 1 is on line 1",
        "新名簿.txt: line 4: a roster line needs eight items",
        "新名簿.txt: line 5, column 1: the student number 1"}},
  };
  return faults;
}

size_t Mentions(const std::vector<std::string>& problems, const std::string& what) {
  size_t n = 0;
  for (const std::string& p : problems) n += p.find(what) != std::string::npos;
  return n;
}

using Check = SchoolTest;

TEST_F(Check, NamesEachKindOfFaultOnItsOwnAndAllOfThemAtOnceWritingNothing) {
  size_t all = 0;
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(fault.kind);
    TempDir scratch;
    const std::string other = scratch / "school/";
    fs::copy(Folder(root), Folder(other), fs::copy_options::recursive);
    fault.make(other);
    // Wine may apply a removal to its folder's time a moment later: compare with the folder once still.
    auto before = Snapshot(other);
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      auto again = Snapshot(other);
      if (again == before) break;
      before = std::move(again);
    }
    const std::vector<std::string> problems = school::CheckSchool(other, clock.today).problems;
    EXPECT_EQ(problems.size(), fault.problems);
    for (const std::string& what : fault.named) EXPECT_EQ(Mentions(problems, what), 1u) << what;
    EXPECT_EQ(Snapshot(other), before);
    all += problems.size();
  }
  for (const Fault& fault : Faults()) fault.make(root);
  ToolRun everything = Tool({"check", root});
  EXPECT_EQ(everything.status, 2);
  EXPECT_NE(everything.err.find(std::to_string(all) + " problems: the school is not ready"),
            std::string::npos)
      << everything.err;
}

TEST_F(Check, FindsWhatTheProgramMeetsOnlyLaterAndAFolderThatIsNoSchool) {
  // A launcher whose installed program went away (the package removed).
  const std::string gone = Native(dir / "nonexistent/") + school::kProgramFile;
  WriteLauncher(root + kProgram, gone);
  std::vector<std::string> problems = school::CheckSchool(root, clock.today).problems;
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("starts " + gone + ", which is not there"), std::string::npos) << problems[0];
  WriteLauncher(root + kProgram, *TestSources().program);

  WriteCp932(roster(), "0,1995,0,0,\"山田\",0,\"\",\"\"\r\n5000,1958,0,0,\"先生\",0,\"\",\"\"\r\n");
  problems = school::CheckSchool(root, clock.today).problems;
  ASSERT_EQ(problems.size(), 1u) << problems.back();
  EXPECT_NE(problems[0].find("新名簿.txt: line 1, column 1: the student number 0 is listed"),
            std::string::npos)
      << problems[0];
  // No teacher listed (hidden is not listed): nobody reaches the teacher's screens.
  WriteCp932(roster(), "1,1995,0,0,\"山田\",0,\"\",\"\"\r\n5000,1958,0,0,\"先生\",1,\"\",\"\"\r\n");
  ToolRun teacherless = Tool({"check", root});
  EXPECT_EQ(teacherless.status, 2);
  EXPECT_NE(teacherless.err.find("新名簿.txt: no listed line names a teacher"), std::string::npos)
      << teacherless.err;

  ToolRun elsewhere = Tool({"check", dir / "nothing"});
  EXPECT_EQ(elsewhere.status, 2);
  EXPECT_NE(elsewhere.err.find(Native("nothing/パスデータ.txt: not found")), std::string::npos)
      << elsewhere.err;
  // The common data folder gone (a share that dropped): named against the path file that names it.
  files::rename(common(), dir / "away");
  problems = school::CheckSchool(root + "ソネタ", clock.today).problems;
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("パスデータ.txt: line 1, column 1: the common data folder"), std::string::npos)
      << problems[0];
}

TEST_F(Check, FindsAResultsFolderWhereNoDrillCanBeRecorded) {
#ifdef _WIN32
  GTEST_SKIP() << "a folder marked read-only on Windows still takes new files, and Wine, which runs these "
                  "tests, does not enforce the access rights that would refuse them";
#else
  // Checked as a user who is not root, since root may write anything.
  WriteLauncher(root + kProgram, "/bin/sh");
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(common() + "ソネタ", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read |
                                           fs::perms::others_exec);
  const bool root_user = geteuid() == 0;
  if (root_user) {
    ASSERT_EQ(seteuid(65534), 0);
  }
  const std::vector<std::string> problems = school::CheckSchool(root, clock.today).problems;
  if (root_user) {
    ASSERT_EQ(seteuid(0), 0);
  }
  fs::permissions(common() + "ソネタ", fs::perms::owner_all);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("no file can be created in this folder"), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find("its result could not be recorded"), std::string::npos) << problems[0];
#endif
}

// What a program folder starts, read back from either kind of launcher, never from a program that only
// holds the launcher's mark in its own data (bardrill-launcher.exe as built).
TEST(Launcher, TellsTheProgramItStartsFromAScriptOrAProgramAndNothingFromOtherFiles) {
  EXPECT_EQ(school::LauncherTarget(school::LauncherText("/opt/it's/bardrill")), "/opt/it's/bardrill");
  const std::string mark = "# bardrill-school: starts the installed program on this school";
  const std::string image = "MZ\x90" + std::string("\0\0", 2) + mark + std::string("\0\r\nexec '/x'\n", 13);
  EXPECT_EQ(school::LauncherTarget(image), std::nullopt);
  const std::string program = "C:\\Program Files\\バー図\\bardrill.exe";
  EXPECT_EQ(school::LauncherTarget(school::LauncherImage(image, program)), program);
  EXPECT_EQ(school::LauncherTarget(school::LauncherImage(image, program) + "more"), std::nullopt);
  EXPECT_EQ(school::LauncherTarget(school::LauncherImage(school::LauncherImage(image, "old"), program)),
            program);
  EXPECT_EQ(school::LauncherTarget("#!/bin/sh\nexec '/bin/sh'\n"), std::nullopt);
}

}  // namespace
}  // namespace bardrill::testing
