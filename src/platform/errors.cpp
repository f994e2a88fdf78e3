#include "platform/errors.h"

#include <cstdio>
#include <cstring>

#include "platform/text.h"

namespace bardrill {

namespace {
constexpr size_t kQuotedCharacters = 60;

// Control characters written out, so that a NUL cannot end the message and a line break cannot split it.
std::string Visible(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      out += c;
    } else if (u == 0) {
      out += "<NUL>";
    } else if (c == '\t') {
      out += "<TAB>";
    } else if (c == '\r') {
      out += "<CR>";
    } else if (c == '\n') {
      out += "<LF>";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", u);
      out += hex;
    }
  }
  return out;
}

std::string Describe(const std::string& file, int line, int column, const std::string& what) {
  std::string text = Visible(file);
  if (line > 0) text += ": line " + std::to_string(line);
  if (line > 0 && column > 0) text += ", column " + std::to_string(column);
  return text + ": " + Visible(what);
}
}  // namespace

DataFileError::DataFileError(std::string file, int line, const std::string& what)
    : DataFileError(std::move(file), line, 0, what) {}

DataFileError::DataFileError(std::string file, int line, int column, const std::string& what)
    : std::runtime_error(Describe(file, line, column, what)),
      file_(std::move(file)),
      line_(line),
      column_(column) {}

std::string Quoted(std::string_view s) {
  if (text::Length(s) <= kQuotedCharacters) return "\"" + Visible(s) + "\"";
  return "\"" + Visible(text::Left(s, kQuotedCharacters)) + "…\"";
}

FileReadError::FileReadError(std::string file, Kind kind, int err, const std::string& what)
    : DataFileError(std::move(file), 0, what), kind_(kind), error_(err) {}

std::string SystemErrorText(int err) { return std::strerror(err); }

}  // namespace bardrill
