#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace bardrill {
class Clock;
}

namespace bardrill::school {

struct Sources;

// The tool's "usage:" lines, and what its --help says after them.
extern const char* const kSynopsis;
extern const char* const kHelp;

// The whole bardrill-school tool; returns the exit status: 0 done (a check found the school ready), 2 bad
// usage, a refusal, a check that found problems or a write that failed (each named on `err`).
// init lays out a school with `sources`.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock,
        const Sources& sources);
// With the sounds and the program that come with this bardrill-school (InstalledSources).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock);

}  // namespace bardrill::school
