// bardrill-school's command line in this process, and the program's own options in a process of its own.

#include <cstdlib>
#include <string>
#include <vector>

#include "school/cli.h"
#include "school_fixture.h"
#include "support/process.h"

namespace bardrill::testing {
namespace {

std::string Version() {
  return std::to_string(BARDRILL_VERSION_MAJOR) + "." + std::to_string(BARDRILL_VERSION_MINOR) + "." +
         std::to_string(BARDRILL_VERSION_PATCH);
}

using SchoolCommandLine = SchoolTest;

TEST_F(SchoolCommandLine, EveryRefusalNamesWhatItRefusesWithStatus2AndWritesNothing) {
  WriteBytes(dir / "class.csv", "番号,学年,名前\r\n1,小3,佐藤 花子\r\n");
  const std::string csv = dir / "class.csv";
  const std::string fresh = dir / "new";
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> named;
  };
  const std::vector<Case> cases = {
      {{}, {"no command given"}},
      {{"enrol", root}, {"unknown command \"enrol\" (use init, check, roster or restore)"}},
      {{"check"}, {"DIR is required"}},
      {{"check", root, "again"}, {"\"again\" is one argument too many for check"}},
      {{"check", root, "--today", "2004-05-07"},
       {"--today does not belong to check: it belongs to import and export"}},
      {{"init", fresh, "--password"}, {"--password needs a value"}},
      {{"init", fresh, "--password", "1234", "--password=5678"}, {"--password is given twice"}},
      {{"init", fresh, "--colour", "red"}, {"unknown option --colour"}},
      {{"roster"}, {"roster needs a command: import or export"}},
      {{"roster", "move", root, csv}, {"unknown command \"roster move\""}},
      {{"roster", "import", root, csv, "--keep-numbers", "--move-history"},
       {"--keep-numbers", "--move-history", "are two ways: choose one"}},
      {{"roster", "import", root, csv, "--today", "2004-02-30"},
       {"--today: \"2004-02-30\" is not a date of the form YYYY-MM-DD"}},
      {{"roster", "export", root}, {"FILE.csv is required"}},
      {{"restore", root, "May 1"}, {"DAY: \"May 1\" is not a date of the form YYYY-MM-DD"}},
  };
  const auto before = Snapshot(dir.path());
  for (const Case& c : cases) {
    const ToolRun run = Tool(c.args);
    EXPECT_EQ(run.status, 2) << c.named.front();
    EXPECT_EQ(run.err.rfind("bardrill-school: ", 0), 0u) << run.err;
    for (const std::string& named : c.named) EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: bardrill-school"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(SchoolCommandLine, AWriteThatFailsExitsWith2NamingTheFile) {
  const std::string target = dir / "no/such/folder/class.csv";
  const ToolRun run = Tool({"roster", "export", root, target});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(target), std::string::npos) << run.err;
}

TEST_F(SchoolCommandLine, HelpPerCommandAndTheVersion) {
  const ToolRun help = Tool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, std::string(school::kSynopsis) + school::kHelp);
  const ToolRun import = Tool({"roster", "import", "--help"});
  EXPECT_EQ(import.status, 0);
  for (const char* option : {"--today", "--keep-numbers", "--move-history", "FILE.csv"})
    EXPECT_NE(import.out.find(option), std::string::npos) << option << "\n" << import.out;
  EXPECT_EQ(import.out.find("--password"), std::string::npos) << import.out;

  const ToolRun version = Tool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "bardrill-school " + Version() + "\n");
}

#ifndef _WIN32
// The build's program (Windows' tests have a stand-in instead), which reads its options through Qt.
TEST_F(SchoolCommandLine, TheProgramTellsItsVersionAndRefusesAnUnknownOptionWith2) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ASSERT_TRUE(TestSources().program.has_value());
  const std::string program = *TestSources().program;
  const Outcome version = RunProgram(program, {"--version"}, dir.path());
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, "bardrill " + Version() + "\n");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--bogus"},
                                             {"--window", "stray"},
                                             {"--program-folder"},
                                             {"--program-folder=a", "--program-folder=b"}}) {
    const Outcome refused = RunProgram(program, args, dir.path());
    EXPECT_EQ(refused.status, 2) << args.back();
    const std::string named = args.back().substr(0, args.back().find('='));
    EXPECT_NE(refused.err.find("bardrill: "), std::string::npos) << refused.err;  // after Qt's own notes
    EXPECT_NE(refused.err.find(named), std::string::npos) << refused.err;
  }
}
#endif

}  // namespace
}  // namespace bardrill::testing
