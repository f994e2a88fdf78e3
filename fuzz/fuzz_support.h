#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "core/app_state.h"
#include "platform/errors.h"

// What the fuzz targets share: a school's installation to feed the readers, and the line between an
// expected refusal of bad input and a finding.
namespace bardrill::fuzz {

inline constexpr int64_t kToday = 38114;  // 2004-05-07, a Friday

// An installation in a fresh temporary folder, laid out as a school installs the program and holding
// well-formed files, loaded once into `state`. A target overwrites one file with its input, runs the
// real reader, and puts the good file back where later inputs need it. Removed when the process ends.
class Installation {
 public:
  static Installation& Get();

  std::string root;
  std::string programFolder;  // ends with "/"
  std::string commonFolder;
  std::string dataFolder;
  std::string soundFolder;
  AppState& state;

  std::string pathDataFile() const { return root + "パスデータ.txt"; }
  std::string commonDataFile() const { return commonFolder + "共通データ.txt"; }

  // The well-formed contents (CP932) of the installation's files.
  static const std::string& GoodPathData(const std::string& commonFolder);
  static const std::string& GoodCommonData();

 private:
  Installation();
  ~Installation();
};

void WriteFile(const std::string& path, const uint8_t* data, size_t size);
void WriteFile(const std::string& path, const std::string& bytes);

// Runs a reader on the input. Refusing it with DataFileError (FileReadError is one), as every reader
// documents, is the expected outcome of bad input; any other exception is a finding and aborts, so that
// the fuzzer keeps the input.
template <typename Read>
void Expect(const char* reader, Read read) {
  try {
    read();
  } catch (const DataFileError&) {
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s threw an exception it does not document: %s\n", reader, e.what());
    std::abort();
  }
}

}  // namespace bardrill::fuzz
