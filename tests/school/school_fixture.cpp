#include "school_fixture.h"

#include <filesystem>
#include <sstream>

#include "school/cli.h"

namespace bardrill::testing {

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const auto stamp = fs::last_write_time(entry.path()).time_since_epoch().count();
    files[entry.path().string()] = std::to_string(stamp) + ":" +
                                   (entry.is_regular_file() ? ReadBytes(entry.path().string()) : "<folder>");
  }
  return files;
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
  run.status = school::Run(args, out, err, clock);
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace bardrill::testing
