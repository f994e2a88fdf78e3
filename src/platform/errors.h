#pragma once
#include <stdexcept>
#include <string>

namespace bardrill {

// A data file that is missing, unreadable or malformed. The message always names the file and, where
// there is one, the line (or record) so that a teacher can find and mend it.
class DataFileError : public std::runtime_error {
 public:
  DataFileError(std::string file, int line, const std::string& what);
  const std::string& file() const { return file_; }
  int line() const { return line_; }  // 0 when the failure is not tied to a line

 private:
  std::string file_;
  int line_;
};

// A write to a shared file that failed (the share went away, the disk is full, the lock was never
// released). Carries the system's error text; nothing partial is left behind.
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised after the user has been told why the program must end (the sound system keeps failing).
// The application catches it at the top and closes every screen.
class ProgramEnd : public std::runtime_error {
 public:
  explicit ProgramEnd(const std::string& why, int exitCode = 1)
      : std::runtime_error(why), exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// The system's text for an errno value.
std::string SystemErrorText(int err);

}  // namespace bardrill
