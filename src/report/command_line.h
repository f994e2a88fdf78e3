#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "report/report.h"

namespace bardrill::report {

// The tool's "usage:" lines, and what its --help says after them.
extern const char* const kSynopsis;
extern const char* const kHelp;

// Reads bardrill-report's arguments (those after the program's name) into `options`. Returns nothing when
// the report is to be made; otherwise the exit status after --help or --version was answered on `out`
// (0), or after the line was refused on `err`, the option named (2).
std::optional<int> ReadCommandLine(const std::vector<std::string>& args, Options& options, std::ostream& out,
                                   std::ostream& err);

}  // namespace bardrill::report
