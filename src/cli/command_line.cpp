#include "cli/command_line.h"

#include <ostream>

#include "platform/calendar.h"

namespace bardrill::cli {

namespace {

// The deepest command the line named: the tool itself when it named none.
const CLI::App* Chosen(const CLI::App& app) {
  const CLI::App* at = &app;
  while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
  return at;
}

std::vector<std::string> CommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; }))
    names.push_back(command->get_name());
  return names;
}

// "a", "a or b", "a, b or c".
std::string Alternatives(const std::vector<std::string>& names, const std::string& last) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " " + last + " " : ", ";
    text += names[i];
  }
  return text;
}

// The text of a CLI11 message up to its first ": ", which is the option's name in the messages below.
std::string NameIn(const std::string& message) { return message.substr(0, message.find(':')); }

}  // namespace

std::string VersionText(const std::string& tool) {
  return tool + " " + std::to_string(BARDRILL_VERSION_MAJOR) + "." + std::to_string(BARDRILL_VERSION_MINOR) +
         "." + std::to_string(BARDRILL_VERSION_PATCH);
}

CLI::Validator Check(std::function<std::string(const std::string& value)> problem) {
  return CLI::Validator([problem](std::string& value) { return problem(value); }, "");
}

CLI::Validator DateCheck() {
  return Check([](const std::string& text) -> std::string {
    if (calendar::ParseIsoDate(text)) return "";
    return "\"" + text + "\" is not a date of the form YYYY-MM-DD";
  });
}

CommandLine::CommandLine(std::string tool, std::string synopsis, std::string help)
    : tool_(std::move(tool)), synopsis_(std::move(synopsis)), help_(std::move(help)), app_("", tool_) {
  app_.set_help_flag("-h,--help", "show this help and end");
  app_.set_version_flag("--version", VersionText(tool_), "show the version and end");
  // What the line leaves over is named by leftOver(), in words that say which command it belongs to.
  app_.allow_extras();
  app_.get_formatter()->label("Usage", "usage");
  app_.get_formatter()->label("OPTIONS", "options");
  app_.get_formatter()->label("REQUIRED", "");
  app_.get_formatter()->label("TEXT", "");
  app_.get_formatter()->column_width(28);
}

CLI::App* CommandLine::command(const std::string& name, const std::string& description, CLI::App* parent) {
  CLI::App* command = (parent ? parent : &app_)->add_subcommand(name, description);
  command->allow_extras();
  return command;
}

std::optional<int> CommandLine::parse(const std::vector<std::string>& args, std::ostream& out,
                                      std::ostream& err, const std::function<void()>& check) {
  std::string refusal;
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes the line from its end
    app_.parse(reversed);
    refusal = leftOver();
    if (refusal.empty() && check) check();
    if (refusal.empty()) return std::nullopt;
  } catch (const CLI::CallForHelp&) {
    out << (app_.get_subcommands().empty() ? synopsis_ + help_ : app_.help());
    return kDone;
  } catch (const CLI::CallForVersion& version) {
    out << version.what() << "\n";
    return kDone;
  } catch (const CLI::ParseError& e) {
    refusal = explained(e);
  } catch (const UsageError& e) {
    refusal = e.what();
  }
  err << tool_ << ": " << refusal << "\n"
      << synopsis_ << "(" << tool_ << " COMMAND --help tells what a command does and takes)\n";
  return kRefused;
}

// CLI11's words where they name the option well enough; ours where a teacher would have to decode them.
std::string CommandLine::explained(const CLI::ParseError& e) const {
  const std::string what = e.what();
  const std::string kind = e.get_name();
  if (kind == "ArgumentMismatch" && what.find("At Most") != std::string::npos)
    return NameIn(what) + " is given twice";
  if (kind == "ArgumentMismatch" && what.find("missing") != std::string::npos)
    return NameIn(what) + " needs a value";
  if (kind == "ExcludesError") {
    const size_t excludes = what.find(" excludes ");
    return what.substr(0, excludes) + " and " + what.substr(excludes + 10) + " are two ways: choose one";
  }
  return what;
}

// What CLI11 left over: a command it does not know, an option of another command (or of none), or
// one argument too many. Empty when nothing is left.
std::string CommandLine::leftOver() const {
  const CLI::App* chosen = Chosen(app_);
  const std::vector<std::string> rest = chosen->remaining();
  const std::vector<std::string> commands = CommandNames(*chosen);
  const std::string where = chosen == &app_ ? "" : chosen->get_name() + " ";
  if (!commands.empty() && (rest.empty() || rest.front().rfind('-', 0) != 0)) {
    if (rest.empty())
      return where.empty() ? "no command given" : where + "needs a command: " + Alternatives(commands, "or");
    return "unknown command \"" + where + rest.front() + "\" (use " + Alternatives(commands, "or") + ")";
  }
  if (rest.empty()) return "";
  const std::string& first = rest.front();
  if (first.size() > 1 && first[0] == '-') {
    const std::string owners = belongsTo(first.substr(0, first.find('=')));
    if (owners.empty()) return "unknown option " + first;
    return first + " does not belong to " + chosen->get_name() + ": it belongs to " + owners;
  }
  return "\"" + first + "\" is one argument too many for " + chosen->get_name();
}

// The commands that take `option`, as "summary and monthly"; empty when none does.
std::string CommandLine::belongsTo(const std::string& option) const {
  std::vector<std::string> owners;
  std::vector<const CLI::App*> commands = {&app_};
  for (size_t i = 0; i < commands.size(); ++i) {
    if (i > 0 && commands[i]->get_option_no_throw(option) != nullptr)
      owners.push_back(commands[i]->get_name());
    for (const CLI::App* command : commands[i]->get_subcommands([](const CLI::App*) { return true; }))
      commands.push_back(command);
  }
  return Alternatives(owners, "and");
}

}  // namespace bardrill::cli
