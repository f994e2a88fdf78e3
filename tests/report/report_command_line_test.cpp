// bardrill-report's command line, read in this process: what each command takes, and every refusal
// naming what it refuses.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/calendar.h"
#include "report/command_line.h"

namespace bardrill::report {
namespace {

struct Reading {
  std::optional<int> status;
  Options options;
  std::string out, err;
};

Reading Read(const std::vector<std::string>& args) {
  Reading reading;
  std::ostringstream out, err;
  reading.status = ReadCommandLine(args, reading.options, out, err);
  reading.out = out.str();
  reading.err = err.str();
  return reading;
}

TEST(ReportCommandLine, TakesEachCommandsOptionsInAnyOrderAndEitherSpelling) {
  Reading summary = Read({"summary", "--encoding=CP932", "dir", "--today", "2024-05-07", "--output=s.csv"});
  ASSERT_FALSE(summary.status) << summary.err;
  EXPECT_EQ(summary.options.command, Command::Summary);
  EXPECT_EQ(summary.options.encoding, Encoding::Cp932);
  EXPECT_EQ(summary.options.today, calendar::ParseIsoDate("2024-05-07"));
  EXPECT_EQ(summary.options.output, "s.csv");
  EXPECT_EQ(summary.options.programFolder, "dir");

  Reading workbook = Read({"records", "--format", "xlsx", "-o", "r.xlsx", "dir"});
  ASSERT_FALSE(workbook.status) << workbook.err;
  EXPECT_EQ(workbook.options.format, Format::Xlsx);
  EXPECT_EQ(workbook.options.form, Form::Japanese) << "a workbook is the teachers' form";

  Reading monthly =
      Read({"monthly", "--student", "45", "--month", "2024-04", "--student", "0001", "-o", "m.pdf", "dir"});
  ASSERT_FALSE(monthly.status) << monthly.err;
  EXPECT_EQ(monthly.options.command, Command::Monthly);
  EXPECT_EQ(monthly.options.students, (std::vector<int>{45, 1}));
  EXPECT_EQ(monthly.options.month, ParseMonth("2024-04"));
  EXPECT_EQ(monthly.options.programFolder, "dir") << "--student takes one number each time";
}

TEST(ReportCommandLine, EveryRefusalNamesWhatItRefusesWithStatus2AndTheUsage) {
  struct Case {
    std::vector<std::string> args;
    std::string named;
  };
  const std::vector<Case> cases = {
      {{}, "no command given"},
      {{"list", "dir"}, "unknown command \"list\""},
      {{"records"}, "PROGRAM_FOLDER is required"},
      {{"records", "dir", "other"}, "\"other\" is one argument too many for records"},
      {{"records", "--bogus", "dir"}, "unknown option --bogus"},
      {{"records", "--today", "2024-05-07", "dir"},
       "--today does not belong to records: it belongs to summary "
       "and monthly"},
      {{"records", "--encoding", "latin1", "dir"},
       "--encoding: unknown encoding \"latin1\" (use utf-8 or cp932)"},
      {{"summary", "--today", "2024-13-01", "dir"}, "\"2024-13-01\" is not a date of the form YYYY-MM-DD"},
      {{"summary", "dir", "--today"}, "--today needs a value"},
      {{"summary", "--today", "2024-05-07", "--today", "2024-05-08", "dir"}, "--today is given twice"},
      {{"records", "-o", "a.csv", "-o", "b.csv", "dir"}, "--output is given twice"},
      {{"records", "--headers", "en", "dir"}, "--headers: unknown headers \"en\""},
      {{"summary", "--format", "pdf", "dir"}, "--format: unknown format \"pdf\""},
      {{"summary", "--all", "dir"}, "--all belongs to --headers ja"},
      {{"summary", "--format", "xlsx", "dir"}, "--format xlsx needs -o"},
      {{"summary", "--format", "xlsx", "--encoding", "cp932", "-o", "s.xlsx", "dir"},
       "--encoding belongs to CSV"},
      {{"monthly", "-o", "m.pdf", "dir"}, "the monthly report needs --month YYYY-MM"},
      {{"monthly", "--month", "2024-04", "dir"}, "the monthly report needs -o FILE.pdf"},
      {{"monthly", "--month", "2024-13", "-o", "m.pdf", "dir"}, "--month: \"2024-13\" is not a month"},
      {{"monthly", "--month", "2024-04", "--student", "5001", "-o", "m.pdf", "dir"},
       "--student: \"5001\" is not a student number"},
      {{"monthly", "--month", "2024-04", "--headers", "ja", "-o", "m.pdf", "dir"},
       "--headers does not belong to monthly: it belongs to records and summary"},
  };
  for (const Case& c : cases) {
    const Reading reading = Read(c.args);
    EXPECT_EQ(reading.status, 2) << c.named;
    EXPECT_EQ(reading.err.rfind("bardrill-report: ", 0), 0u) << reading.err;
    EXPECT_NE(reading.err.find(c.named), std::string::npos) << reading.err;
    EXPECT_NE(reading.err.find("usage: bardrill-report"), std::string::npos) << reading.err;
    EXPECT_EQ(reading.out, "");
  }
}

TEST(ReportCommandLine, HelpOfEachCommandListsItsOwnOptionsAndVersionNamesTheBuild) {
  const Reading tool = Read({"--help"});
  EXPECT_EQ(tool.status, 0);
  EXPECT_EQ(tool.out, std::string(kSynopsis) + kHelp);

  const Reading summary = Read({"summary", "--help"});
  EXPECT_EQ(summary.status, 0);
  for (const char* option : {"--today", "--all", "--encoding", "--headers", "--format", "PROGRAM_FOLDER"})
    EXPECT_NE(summary.out.find(option), std::string::npos) << option << "\n" << summary.out;
  EXPECT_EQ(summary.out.find("--month"), std::string::npos) << summary.out;
  EXPECT_EQ(Read({"monthly", "--help"}).out.find("--encoding"), std::string::npos);

  const Reading version = Read({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "bardrill-report " + std::to_string(BARDRILL_VERSION_MAJOR) + "." +
                             std::to_string(BARDRILL_VERSION_MINOR) + "." +
                             std::to_string(BARDRILL_VERSION_PATCH) + "\n");
  EXPECT_EQ(version.err, "");
}

}  // namespace
}  // namespace bardrill::report
