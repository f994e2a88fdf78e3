#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/shared_file.h"

namespace bardrill {

// The newest records of the results file as the last read took them, with what that read saw of the
// file, so that the next read takes only the records appended since (ResultsFile::ReadNewest).
struct KeptRecords {
  std::vector<unsigned char> bytes;        // from `start` on, whole records numbered from `first`
  size_t start = 0;                        // the records dropped from the front are not moved out each time
  int64_t first = 1;                       // the number (from 1) of the first record kept
  int64_t fileRecords = 0;                 // the file's records as read: the last one kept is this one
  std::optional<FileReader::Stamp> stamp;  // the file when read; none: the next read takes it whole
  int64_t bytesRead = 0;                   // by the last read
  int64_t appended = -1;                   // records the last read added to those kept; -1: read whole

  size_t size() const { return bytes.size() - start; }
};

}  // namespace bardrill
