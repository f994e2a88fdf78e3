#include "core/results_file.h"

#include <cerrno>
#include <fstream>
#include <vector>

#include "core/app_state.h"
#include "platform/errors.h"
#include "platform/paths.h"

namespace bardrill {

std::string ResultsPath(const AppState& state) {
  return state.ProgramDataFolder + "成績累積データ" + state.ContentNumber + ".dat";
}

ResultsFile::ResultsFile(std::string path) : path_(paths::Native(path)) {}

int64_t ResultsFile::RecordCount() const {
  std::ifstream in(path_, std::ios::binary | std::ios::ate);
  if (!in) return 0;
  return static_cast<int64_t>(in.tellg()) / static_cast<int64_t>(kRecordSize);
}

void ResultsFile::ReadFrom(int64_t first, const std::function<void(int64_t, const RecordBytes&)>& visit) const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return;
    throw DataFileError(path_, 0, "the results file cannot be opened (" + SystemErrorText(errno) + ")");
  }
  if (first < 1) first = 1;
  in.seekg(static_cast<std::streamoff>((first - 1) * static_cast<int64_t>(kRecordSize)));
  // Read in large blocks: the counts read up to 20000 records every time a screen opens.
  constexpr size_t kBlockRecords = 4096;
  std::vector<unsigned char> block(kBlockRecords * kRecordSize);
  int64_t number = first;
  while (in) {
    in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
    size_t whole = static_cast<size_t>(in.gcount()) / kRecordSize;
    for (size_t i = 0; i < whole; ++i, ++number) {
      RecordBytes bytes;
      std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(i * kRecordSize), kRecordSize, bytes.begin());
      visit(number, bytes);
    }
  }
  if (in.bad()) throw DataFileError(path_, 0, "the results file cannot be read (" + SystemErrorText(errno) + ")");
}

std::optional<RecordBytes> ResultsFile::ReadOne(int64_t n) const {
  if (n < 1) return std::nullopt;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(static_cast<std::streamoff>((n - 1) * static_cast<int64_t>(kRecordSize)));
  RecordBytes bytes;
  in.read(reinterpret_cast<char*>(bytes.data()), kRecordSize);
  if (static_cast<size_t>(in.gcount()) != kRecordSize) return std::nullopt;
  return bytes;
}

}  // namespace bardrill
