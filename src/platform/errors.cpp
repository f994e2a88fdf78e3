#include "platform/errors.h"

#include <cstring>

namespace bardrill {

namespace {
std::string Describe(const std::string& file, int line, const std::string& what) {
  std::string text = file;
  if (line > 0) text += ": line " + std::to_string(line);
  return text + ": " + what;
}
}  // namespace

DataFileError::DataFileError(std::string file, int line, const std::string& what)
    : std::runtime_error(Describe(file, line, what)), file_(std::move(file)), line_(line) {}

FileReadError::FileReadError(std::string file, Kind kind, int err, const std::string& what)
    : DataFileError(std::move(file), 0, what), kind_(kind), error_(err) {}

std::string SystemErrorText(int err) { return std::strerror(err); }

}  // namespace bardrill
