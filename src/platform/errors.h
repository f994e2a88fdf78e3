#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace bardrill {

// A data file that is missing, unreadable or malformed. The message always names the file and, where
// there is one, the line (or record) and the column (the item's place on its line), so that a teacher
// can find and mend it. Control characters in the message are written out ("<NUL>"), so that nothing
// cuts it short.
class DataFileError : public std::runtime_error {
 public:
  DataFileError(std::string file, int line, const std::string& what);
  DataFileError(std::string file, int line, int column, const std::string& what);
  const std::string& file() const { return file_; }
  int line() const { return line_; }      // 0 when the failure is not tied to a line
  int column() const { return column_; }  // 0 when it is not tied to one item

 private:
  std::string file_;
  int line_;
  int column_;
};

// An item's text for a message, in double quotes: at most 60 characters (a longer one is cut and ends
// with "…"), control characters written out.
std::string Quoted(std::string_view text);

// A shared file that cannot be read just now, sorted by what a reader can do about it.
class FileReadError : public DataFileError {
 public:
  enum class Kind {
    FolderMissing,  // the file's folder is not there (a network share that went away): it may come back
    Busy,           // refused or in use by another program: wait and try again
    Other,          // anything else: trying again will not help
  };
  FileReadError(std::string file, Kind kind, int err, const std::string& what);
  Kind kind() const { return kind_; }
  int error() const { return error_; }  // the system's error number

 private:
  Kind kind_;
  int error_;
};

// A write to a shared file that failed (the share went away, the disk is full, the lock was never
// released). Carries the system's error text; nothing partial is left behind.
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A write that was done but could not be confirmed as kept: a file replaced, after which its folder
// could not be flushed (a share that went away at that moment). Whoever tells the user must not say
// that nothing changed.
class UnconfirmedWriteError : public FileWriteError {
 public:
  using FileWriteError::FileWriteError;
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
