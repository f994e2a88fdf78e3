// Windows' launcher program (src/launcher/main_win.cpp) as init lays it out, run for real: the program
// folder's bardrill.exe and the menu stand-in, with the stand-in for the installed program
// (program_stand_in.cpp) in an installation folder of its own.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/paths.h"
#include "school/check.h"
#include "school_fixture.h"
#include "support/process.h"

namespace bardrill::testing {
namespace {

namespace fs = std::filesystem;
using files::Path;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

class Launcher : public ::testing::Test {
 protected:
  Launcher() {
    // Nobody is there to close a message box: the launcher tells its standard error alone.
    SetEnvironmentVariableW(L"BARDRILL_NO_MESSAGE_BOX", L"1");
    files::create_directories(dir / "インストール");
    fs::copy_file(Path(*TestSources().program), Path(program));
    school::Sources sources = TestSources();
    sources.program = program;
    school::SchoolSettings settings;
    settings.password = "pass";
    root = school::InitSchool(dir / "さくら 学習塾", settings, sources, clock.today);
  }

  // What the installed program was started with: its working folder, then its arguments. Nothing when it
  // did not start within a minute (every start is slow under Wine on a loaded machine).
  std::vector<std::string> Given() {
    const std::string given = dir / "インストール\\given.txt";
    for (int i = 0; i < 600 && !files::exists(given); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::vector<std::string> lines = Lines(ReadBytes(given));
    files::remove(given);
    return lines;
  }

  Outcome Run(const std::string& exe, const std::vector<std::string>& args = {}) {
    return RunProgram(exe, args, scratch.path());
  }

  TempDir dir, scratch;
  FakeClock clock;
  const std::string program = dir / "インストール\\bardrill.exe";
  std::string root;  // the school's folder, ending with "\"
};

TEST_F(Launcher, TheProgramFoldersLauncherStartsTheInstalledProgramOnItsOwnFolderWithItsArguments) {
  const std::string launcher = root + "ソネタ\\bardrill.exe";
  EXPECT_EQ(school::LauncherTarget(ReadBytes(launcher)), program);
  EXPECT_EQ(school::CheckSchool(root, clock.today).problems, std::vector<std::string>{});

  Outcome run = Run(launcher, {"--window", "山田 \"太郎\""});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Given(), (std::vector<std::string>{root + "ソネタ", "--program-folder", root + "ソネタ",
                                               "--window", "山田 \"太郎\""}));

  // A copy of the school starts the program on the copy.
  const std::string copy = dir / "コピー\\";
  // std::filesystem refuses a folder named with the separator at its end.
  fs::copy(Path(root).parent_path(), Path(copy).parent_path(), fs::copy_options::recursive);
  run = Run(copy + "ソネタ\\bardrill.exe");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Given(), (std::vector<std::string>{copy + "ソネタ", "--program-folder", copy + "ソネタ"}));
}

TEST_F(Launcher, TheMenuStandInStartsTheSchoolsLauncherAgainWithoutTheMenusArgument) {
  Outcome run = Run(root + "起動\\プログラムメニューc.exe", {"001"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Given(), (std::vector<std::string>{root + "ソネタ", "--program-folder", root + "ソネタ"}));
}

TEST_F(Launcher, AMissingProgramIsNamedInJapaneseAndNothingStarts) {
  const std::string missing = "見つからないファイル：";
  files::remove(program);
  Outcome run = Run(root + "ソネタ\\bardrill.exe");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("ドリルのプログラムが見つからないため、起動できません。"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(missing + program + "\n"), std::string::npos) << run.err;
  const std::vector<std::string> problems = school::CheckSchool(root, clock.today).problems;
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("starts " + program + ", which is not there"), std::string::npos) << problems[0];

  files::remove(root + "ソネタ\\bardrill.exe");
  run = Run(root + "起動\\プログラムメニューc.exe", {"001"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(missing + root + "ソネタ\\bardrill.exe\n"), std::string::npos) << run.err;

  // The launcher as built starts nothing, whatever it is named: it is no school's.
  EXPECT_EQ(school::LauncherTarget(ReadBytes(school::LauncherProgram())), std::nullopt);
  fs::copy_file(Path(school::LauncherProgram()), Path(root + "ソネタ\\bardrill.exe"));
  run = Run(root + "ソネタ\\bardrill.exe");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("このプログラムは学校のフォルダーから起動します"), std::string::npos) << run.err;
  EXPECT_FALSE(files::exists(dir / "インストール\\given.txt"));
}

}  // namespace
}  // namespace bardrill::testing
