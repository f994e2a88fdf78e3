#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace bardrill::report {

// An output file that cannot be written; the text names it.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A report file written whole or not at all: everything goes to a new temporary file beside the
// target, which replaces the target only when complete. Until then the target is as it was; a report
// that fails (or is abandoned) leaves no file behind.
class OutputFile {
 public:
  // Refuses a target whose folder is not there or cannot be written, a folder, a read-only file and
  // any of `guarded` (the installation's data files), and creates the temporary file. Throws
  // OutputError naming the target.
  OutputFile(std::string target, const std::vector<std::string>& guarded);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& target() const { return target_; }
  // Where the report is written meanwhile.
  const std::string& temporary() const { return temporary_; }
  // Writes `bytes` to the temporary file. Throws OutputError.
  void Write(const std::string& bytes);
  // Puts the temporary file in the target's place. Throws OutputError; the temporary file is gone
  // either way.
  void Commit();

 private:
  std::string target_;
  std::string temporary_;
  bool committed_ = false;
};

}  // namespace bardrill::report
