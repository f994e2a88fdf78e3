#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace bardrill::school {

struct CheckReport {
  std::vector<std::string> problems;  // each naming its file (and line, column), as the program words it
  std::vector<std::string> facts;     // what was found, for a ready school: name, students, folders
};

// `bardrill-school check`: reads every file of the installation at `dir` as the program does at start-up,
// and checks what the program finds only later: the program and the menu program are there, every sound
// it plays decodes, the roster's lines each on their own (every number used twice) and a teacher among
// them, the results file can be written and has lost no records since the newest daily copy, and the
// last daily copy did not fail. Writes nothing.
CheckReport CheckSchool(const std::string& dir, int64_t today);

}  // namespace bardrill::school
