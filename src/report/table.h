#pragma once
#include <string>
#include <vector>

// A report as a table of typed cells: the CSV writes their texts, a workbook stores each as what it is.
namespace bardrill::report {

// The scripts' form (program identifiers, level numbers, 99999 for no time: the tool's output as it
// has always been) or the teachers' (Japanese column names, level names, empty cells for no time,
// codes kept as text).
enum class Form { Identifiers, Japanese };

struct Cell {
  enum class Kind {
    Empty,
    Text,       // names and anything else shown as written
    Code,       // a code such as a school code 01234: text that must not become a number
    Number,     // `number`, written as `text`
    Date,       // `number` is a day count (days since 1899-12-30, as spreadsheets count them)
    TimeOfDay,  // `number` is a fraction of a day
  };
  Kind kind = Kind::Empty;
  std::string text;  // the CSV's text of the cell
  double number = 0;

  static Cell Blank() { return {}; }
  static Cell OfText(std::string text) { return {Kind::Text, std::move(text), 0}; }
  static Cell OfCode(std::string code) {
    return code.empty() ? Blank() : Cell{Kind::Code, std::move(code), 0};
  }
  static Cell OfNumber(double value, std::string text) { return {Kind::Number, std::move(text), value}; }
  static Cell OfNumber(long long value) {
    return {Kind::Number, std::to_string(value), static_cast<double>(value)};
  }
};

struct Table {
  std::string sheet;  // the workbook's sheet name
  Form form = Form::Identifiers;
  std::vector<std::string> headers;
  std::vector<double> widths;  // the workbook's column widths, in characters
  std::vector<std::vector<Cell>> rows;
};

}  // namespace bardrill::report
