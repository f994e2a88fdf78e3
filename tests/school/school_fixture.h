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

// A school that bardrill-school init laid out in a temporary folder, with the build's program and sounds,
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
