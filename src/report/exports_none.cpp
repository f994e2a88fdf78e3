// The stand-ins of a build without libxlsxwriter or without Qt (see exports.h).
#include "report/exports.h"

namespace bardrill::report {

#ifndef BARDRILL_REPORT_XLSX
bool WorkbookAvailable() { return false; }
std::string WriteWorkbook(const std::string&, const std::vector<Table>&) {
  return "this build has no workbook writer";
}
#endif

#ifndef BARDRILL_REPORT_PDF
bool MonthlyPdfAvailable() { return false; }
std::string WriteMonthlyPdf(const std::string&, const MonthlyReport&, const std::string&) {
  return "this build has no PDF writer";
}
#endif

}  // namespace bardrill::report
