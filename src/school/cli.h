#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace bardrill {
class Clock;
}

namespace bardrill::school {

struct Sources;

extern const char* const kUsage;

// The whole bardrill-school tool; returns the exit status: 0 done (a check found the school ready), 2 bad
// usage, a refusal or a check that found problems (each named on `err`), 1 a write that failed part-way.
// init lays out a school with `sources`.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock,
        const Sources& sources);
// With the sounds and the program that come with this bardrill-school (InstalledSources).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Clock& clock);

}  // namespace bardrill::school
