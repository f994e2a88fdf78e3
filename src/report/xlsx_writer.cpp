// The workbook export through libxlsxwriter: compiled in only where the library is (see exports.h).
#include <xlsxwriter.h>

#include "report/exports.h"

namespace bardrill::report {

namespace {

struct Formats {
  lxw_format* header;
  lxw_format* date;
  lxw_format* time;
  lxw_format* number;
  lxw_format* text;
};

Formats MakeFormats(lxw_workbook* workbook) {
  Formats f{};
  f.header = workbook_add_format(workbook);
  format_set_bold(f.header);
  format_set_bg_color(f.header, 0xDDEBF7);
  format_set_bottom(f.header, LXW_BORDER_THIN);
  f.date = workbook_add_format(workbook);
  format_set_num_format(f.date, "yyyy/mm/dd");
  f.time = workbook_add_format(workbook);
  format_set_num_format(f.time, "hh:mm:ss");
  f.number = workbook_add_format(workbook);
  format_set_num_format(f.number, "0");
  // Text cells are marked as text ("@"), so that a code typed over in the spreadsheet stays text too.
  f.text = workbook_add_format(workbook);
  format_set_num_format(f.text, "@");
  return f;
}

lxw_error WriteCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const Cell& cell, const Formats& f) {
  switch (cell.kind) {
    case Cell::Kind::Empty:
      return LXW_NO_ERROR;
    case Cell::Kind::Text:
    case Cell::Kind::Code:
      return worksheet_write_string(sheet, row, col, cell.text.c_str(), f.text);
    case Cell::Kind::Number:
      return worksheet_write_number(
          sheet, row, col, cell.number,
          cell.number == static_cast<double>(static_cast<long long>(cell.number)) ? f.number : nullptr);
    case Cell::Kind::Date:
      return worksheet_write_number(sheet, row, col, cell.number, f.date);
    case Cell::Kind::TimeOfDay:
      return worksheet_write_number(sheet, row, col, cell.number, f.time);
  }
  return LXW_NO_ERROR;
}

// Printed, a sheet is as wide as its columns: the summary's fourteen would otherwise be split across
// portrait pages with the header on the first only. Landscape A4 one page wide, as long as it takes, the
// header row on every page, narrow margins so that the scale stays readable, and the page numbers.
lxw_error SetUpPages(lxw_worksheet* sheet) {
  constexpr uint8_t kA4 = 9;
  worksheet_set_landscape(sheet);
  worksheet_set_paper(sheet, kA4);
  worksheet_fit_to_pages(sheet, 1, 0);
  worksheet_set_margins(sheet, 0.25, 0.25, 0.5, 0.5);  // inches: left, right, top, bottom
  if (lxw_error e = worksheet_set_footer(sheet, "&C&P / &N")) return e;
  return worksheet_repeat_rows(sheet, 0, 0);
}

lxw_error WriteSheet(lxw_workbook* workbook, const Table& table, const Formats& f) {
  lxw_worksheet* sheet =
      workbook_add_worksheet(workbook, table.sheet.empty() ? nullptr : table.sheet.c_str());
  if (!sheet) return LXW_ERROR_MEMORY_MALLOC_FAILED;
  for (size_t col = 0; col < table.headers.size(); ++col) {
    const auto c = static_cast<lxw_col_t>(col);
    const double width = col < table.widths.size() ? table.widths[col] : 12;
    if (lxw_error e = worksheet_set_column(sheet, c, c, width, nullptr)) return e;
    if (lxw_error e = worksheet_write_string(sheet, 0, c, table.headers[col].c_str(), f.header)) return e;
  }
  for (size_t r = 0; r < table.rows.size(); ++r) {
    const std::vector<Cell>& row = table.rows[r];
    for (size_t col = 0; col < row.size(); ++col) {
      if (lxw_error e =
              WriteCell(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(col), row[col], f))
        return e;
    }
  }
  // The header row stays in view while scrolling, and offers the spreadsheet's filters.
  worksheet_freeze_panes(sheet, 1, 0);
  if (!table.headers.empty())
    worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(table.rows.size()),
                         static_cast<lxw_col_t>(table.headers.size() - 1));
  return SetUpPages(sheet);
}

}  // namespace

bool WorkbookAvailable() { return true; }

std::string WriteWorkbook(const std::string& path, const std::vector<Table>& sheets) {
  lxw_workbook* workbook = workbook_new(path.c_str());
  if (!workbook) return "the workbook cannot be made";
  const Formats formats = MakeFormats(workbook);
  lxw_error error = LXW_NO_ERROR;
  for (const Table& table : sheets) {
    error = WriteSheet(workbook, table, formats);
    if (error) break;
  }
  // Closing writes the file, and frees the workbook whatever happened before.
  const lxw_error closed = workbook_close(workbook);
  if (error) return lxw_strerror(error);
  if (closed) return lxw_strerror(closed);
  return "";
}

}  // namespace bardrill::report
