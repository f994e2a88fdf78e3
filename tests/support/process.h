#pragma once
#include <string>
#include <vector>

namespace bardrill::testing {

struct Outcome {
  int status = -1;  // the exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program with stdout and stderr captured in files of `scratch` (a folder ending with "/"), and
// waits for it.
Outcome RunProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& scratch);

}  // namespace bardrill::testing
