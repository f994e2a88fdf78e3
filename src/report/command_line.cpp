#include "report/command_line.h"

#include <algorithm>
#include <cctype>

#include "cli/command_line.h"
#include "core/tables.h"
#include "platform/calendar.h"

namespace bardrill::report {

const char* const kSynopsis =
    "usage: bardrill-report records [--encoding utf-8|cp932] [--headers ja] [-o FILE] PROGRAM_FOLDER\n"
    "       bardrill-report summary [--today YYYY-MM-DD] [--encoding utf-8|cp932] [--headers ja [--all]]\n"
    "                               [-o FILE] PROGRAM_FOLDER\n"
    "       bardrill-report records --format xlsx -o FILE.xlsx PROGRAM_FOLDER\n"
    "       bardrill-report summary --format xlsx [--today YYYY-MM-DD] [--all] -o FILE.xlsx PROGRAM_FOLDER\n"
    "       bardrill-report monthly --month YYYY-MM [--student N]... [--today YYYY-MM-DD] -o FILE.pdf\n"
    "                               PROGRAM_FOLDER\n"
    "       bardrill-report --version\n";

const char* const kHelp =
    "PROGRAM_FOLDER is the program's own folder (the one beside パスデータ.txt).\n"
    "records: every record of the results file, in file order.\n"
    "summary: counts, points and best times per student and level, as of today.\n"
    "The report is CSV on standard output, or written whole to FILE with -o (UTF-8 with a byte-order\n"
    "mark). --headers ja names the columns in Japanese, names the levels, leaves a cell without a time\n"
    "empty, keeps codes as text and leaves teachers and hidden roster rows out of the summary (--all\n"
    "keeps them). --format xlsx writes a workbook of both, the command's sheet first.\n"
    "monthly: one page per child with a drill in the month (or per child named by --student): the\n"
    "month's drills, points and best times per level against the month before and the school's, and\n"
    "the month's history charts; --today is the date printed as the day it was made.\n"
    "Nothing is ever written to the installation. bardrill-report COMMAND --help lists a command's\n"
    "options. Exit status: 0 done, 2 refused (the reason named) or a report that could not be written.\n";

namespace {

using cli::Check;
using cli::UsageError;

std::optional<Encoding> EncodingNamed(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  if (text == "utf-8" || text == "utf8") return Encoding::Utf8;
  if (text == "cp932") return Encoding::Cp932;
  return std::nullopt;
}

std::optional<Format> FormatNamed(const std::string& text) {
  if (text == "csv") return Format::Csv;
  if (text == "xlsx") return Format::Xlsx;
  return std::nullopt;
}

std::string NotAStudentNumber(const std::string& number) {
  const bool digits =
      !number.empty() && number.size() <= 4 && number.find_first_not_of("0123456789") == std::string::npos;
  if (digits && std::stoi(number) >= 1 && std::stoi(number) <= kMaxStudent) return "";
  return "\"" + number + "\" is not a student number (1 to " + std::to_string(kMaxStudent) + ")";
}

void AddOutput(CLI::App& command, Options& options, const std::string& what) {
  command.add_option("-o,--output", options.output, what)
      ->type_name("FILE")
      ->check(Check([](const std::string& file) { return file.empty() ? "needs a file name" : ""; }));
}

void AddProgramFolder(CLI::App& command, Options& options) {
  command
      .add_option("PROGRAM_FOLDER", options.programFolder,
                  "the program's own folder, the one beside パスデータ.txt (ソネタ in a school's folder)")
      ->required();
}

void AddToday(CLI::App& command, Options& options, const std::string& what) {
  command
      .add_option_function<std::string>(
          "--today", [&options](const std::string& day) { options.today = calendar::ParseIsoDate(day); },
          what)
      ->type_name("YYYY-MM-DD")
      ->check(cli::DateCheck());
}

// The options of the tables, records and summary alike.
void AddTableOptions(CLI::App& command, Options& options) {
  command
      .add_option_function<std::string>(
          "--encoding",
          [&options](const std::string& name) {
            options.encoding = *EncodingNamed(name);
            options.encodingGiven = true;
          },
          "the CSV's characters: utf-8 (the default) or cp932 (Shift-JIS)")
      ->type_name("utf-8|cp932")
      ->check(Check([](const std::string& name) {
        return EncodingNamed(name) ? "" : "unknown encoding \"" + name + "\" (use utf-8 or cp932)";
      }));
  command
      .add_option_function<std::string>(
          "--headers", [&options](const std::string&) { options.form = Form::Japanese; },
          "ja: the teachers' form for a spreadsheet, in Japanese, without teachers or hidden children")
      ->type_name("ja")
      ->check(Check([](const std::string& form) {
        return form == "ja" ? "" : "unknown headers \"" + form + "\" (use ja)";
      }));
  command
      .add_option_function<std::string>(
          "--format", [&options](const std::string& name) { options.format = *FormatNamed(name); },
          "csv (the default) or xlsx: a workbook of both tables (needs -o)")
      ->type_name("csv|xlsx")
      ->check(Check([](const std::string& name) {
        return FormatNamed(name) ? "" : "unknown format \"" + name + "\" (use csv or xlsx)";
      }));
  AddOutput(command, options, "write the report to FILE (replaced whole) instead of standard output");
  AddProgramFolder(command, options);
}

void AddMonthlyOptions(CLI::App& command, Options& options) {
  command
      .add_option_function<std::string>(
          "--month", [&options](const std::string& month) { options.month = ParseMonth(month); },
          "the month of the report")
      ->type_name("YYYY-MM")
      ->check(Check([](const std::string& month) {
        return ParseMonth(month) ? "" : "\"" + month + "\" is not a month of the form YYYY-MM";
      }));
  command
      .add_option("--student", options.students,
                  "a child's number; give it once per child (without it, every child with a drill in the "
                  "month)")
      ->type_name("N")
      ->allow_extra_args(false)
      ->check(Check(NotAStudentNumber));
  AddToday(command, options, "the date printed as the day the report was made (default: today)");
  AddOutput(command, options, "the PDF file to write");
  AddProgramFolder(command, options);
}

// The rules between options, which hold whichever order they are given in.
void CheckCombinations(Options& options) {
  if (options.format == Format::Xlsx) {
    if (options.encodingGiven) throw UsageError("--encoding belongs to CSV: a workbook holds its own text");
    if (options.output.empty()) throw UsageError("--format xlsx needs -o FILE.xlsx");
    options.form = Form::Japanese;
  }
  if (options.all && options.form != Form::Japanese)
    throw UsageError("--all belongs to --headers ja or --format xlsx: the plain summary lists everyone");
  if (options.command == Command::Monthly) {
    if (!options.month) throw UsageError("the monthly report needs --month YYYY-MM");
    if (options.output.empty()) throw UsageError("the monthly report needs -o FILE.pdf");
  }
}

}  // namespace

std::optional<int> ReadCommandLine(const std::vector<std::string>& args, Options& options, std::ostream& out,
                                   std::ostream& err) {
  cli::CommandLine line("bardrill-report", kSynopsis, kHelp);
  CLI::App* records = line.command("records", "Every record of the results file, in file order, as CSV.");
  AddTableOptions(*records, options);
  CLI::App* summary =
      line.command("summary", "Counts, points and best times per child and level, as of today, as CSV.");
  AddToday(*summary, options, "count as of this day instead of today");
  summary->add_flag("--all", options.all, "keep teachers and hidden children in the teachers' form");
  AddTableOptions(*summary, options);
  CLI::App* monthly = line.command(
      "monthly",
      "One PDF page per child: the month's drills, points and best times per level against the month "
      "before and the school's, and the month's charts.");
  AddMonthlyOptions(*monthly, options);
  return line.parse(args, out, err, [&] {
    options.command = records->parsed()   ? Command::Records
                      : summary->parsed() ? Command::Summary
                                          : Command::Monthly;
    CheckCombinations(options);
  });
}

}  // namespace bardrill::report
