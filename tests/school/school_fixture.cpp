#include "school_fixture.h"

#include <filesystem>
#include <sstream>

#include "platform/paths.h"
#include "school/cli.h"

namespace bardrill::testing {

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(paths::ToFs(folder))) {
    const std::string path = paths::FromFs(entry.path());
    const auto stamp = fs::last_write_time(entry.path()).time_since_epoch().count();
#ifdef _WIN32
    // Windows tells whether a folder may be written only by writing in it (a file made and removed),
    // which moves the folder's time: there a folder is compared by what it holds.
    if (!entry.is_regular_file()) {
      files[path] = "<folder>";
      continue;
    }
#endif
    files[path] = std::to_string(stamp) + ":" + (entry.is_regular_file() ? ReadBytes(path) : "<folder>");
  }
  return files;
}

school::Sources TestSources() {
  school::Sources sources = school::InstalledSources();
#ifdef BARDRILL_PROGRAM_STAND_IN_EXE
  sources.program = paths::FromFs(std::filesystem::absolute(paths::ToFs(BARDRILL_PROGRAM_STAND_IN_EXE)));
#endif
  return sources;
}

std::string LauncherOf(const std::string& program) {
#ifdef _WIN32
  return school::LauncherImage(ReadBytes(school::LauncherProgram()), program);
#else
  return school::LauncherText(program);
#endif
}

SchoolTest::SchoolTest() {
  ToolRun init = Tool(
      {"init", dir / "school", "--school-code", "01234", "--school-name", "テスト塾", "--password", "pass"});
  EXPECT_EQ(init.status, 0) << init.err;
  root = dir / "school/";
}

ToolRun SchoolTest::Tool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  ToolRun run;
  run.status = school::Run(args, out, err, clock, TestSources());
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace bardrill::testing
