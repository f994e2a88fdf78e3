#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// What bardrill-report and bardrill-school share about their command lines: the same help and version
// options, the same refusals in the same words and the same exit statuses.
namespace bardrill::cli {

// The exit status of a tool that has done its work, and of one that refused its input or could not write.
inline constexpr int kDone = 0;
inline constexpr int kRefused = 2;

// A command line that CLI11 took but the tool cannot: a rule between options, or a value that makes no
// sense with another. The text names the option.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "bardrill-report 1.0.14": the tool's name and the version of the project it was built from.
std::string VersionText(const std::string& tool);

// A check of an option's value whose refusal says what was wrong with the value; CLI11 puts the option's
// name in front of it. `problem` returns that refusal, or "" for a value that is right.
CLI::Validator Check(std::function<std::string(const std::string& value)> problem);

// A date of the form YYYY-MM-DD that the calendar holds.
CLI::Validator DateCheck();

// A tool's command line: `--help` on the tool and on every command, `--version` on the tool; `synopsis`
// is the tool's "usage:" lines, shown with every refusal and first in the tool's own help.
class CommandLine {
 public:
  CommandLine(std::string tool, std::string synopsis, std::string help);

  // A command of the tool (or of `parent`, one of its commands), whose help says `description`.
  CLI::App* command(const std::string& name, const std::string& description, CLI::App* parent = nullptr);

  // Parses `args` (the arguments after the program's name). Returns nothing when the tool is to go on
  // with what the options hold, and otherwise the exit status after the help or the version is written
  // on `out` (kDone) or a refusal on `err` (kRefused). `check` runs after CLI11 has taken the line, for
  // the rules CLI11 cannot state; a UsageError it throws is refused like the rest.
  std::optional<int> parse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                           const std::function<void()>& check = {});

  CLI::App& app() { return app_; }

 private:
  std::string explained(const CLI::ParseError& e) const;
  std::string leftOver() const;
  std::string belongsTo(const std::string& option) const;

  std::string tool_, synopsis_, help_;
  CLI::App app_;
};

}  // namespace bardrill::cli
