#pragma once
#include <string>
#include <vector>

#include "core/teacher/monthly_report.h"
#include "report/table.h"

// The exports that need a library beyond the core: each lives in a source of its own, compiled in only
// where its library is (the workbook: libxlsxwriter; the monthly PDF: Qt), with a stand-in that says
// so otherwise.
namespace bardrill::report {

// Whether this build writes workbooks.
bool WorkbookAvailable();
// Writes `sheets` as a workbook at `path`, the first sheet active, each with its header row frozen.
// Empty when done, else what went wrong.
std::string WriteWorkbook(const std::string& path, const std::vector<Table>& sheets);

// Whether this build writes the monthly report.
bool MonthlyPdfAvailable();
// Writes one A4 page per page of `report` (or one page saying that nobody drilled in the month) as a
// PDF at `path`, with the fonts embedded; `madeOn` is printed at the foot of each page. Empty when
// done, else what went wrong.
std::string WriteMonthlyPdf(const std::string& path, const MonthlyReport& report, const std::string& madeOn);

}  // namespace bardrill::report
