#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "school/layout.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace bardrill::testing {

// Every file and folder under `folder` with its bytes and modification time: equal snapshots mean that
// nothing was written.
std::map<std::string, std::string> Snapshot(const std::string& folder);

struct ToolRun {
  int status = -1;
  std::string out, err;
};

// The sounds and the program that the tests lay schools out with: the build's own, or on Windows, where
// the build has no program, the stand-in that writes down how it was started (program_stand_in.cpp).
school::Sources TestSources();

// The program folder's launcher of `program`, as init writes it: a script, or on Windows the launcher
// program carrying the path.
std::string LauncherOf(const std::string& program);

// A school that bardrill-school init laid out in a temporary folder, with the test sources,
// on the fake clock's 2004-05-07 (school year 2004).
class SchoolTest : public ::testing::Test {
 protected:
  SchoolTest();
  // bardrill-school with these arguments, run in this process on the fake clock.
  ToolRun Tool(const std::vector<std::string>& args);
  std::string common() const { return root + "共通/"; }
  std::string roster() const { return common() + "新名簿.txt"; }

  TempDir dir;
  FakeClock clock;
  std::string root;  // ends with "/"
};

}  // namespace bardrill::testing
