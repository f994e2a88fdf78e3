#include "core/results/results_retry.h"

#include <string>

#include "platform/errors.h"

namespace bardrill {

namespace {

std::string Detail(const FileReadError& failure) {
  return std::string(failure.what()) + " [" + std::to_string(failure.error()) + "]";
}

}  // namespace

bool ReadResultsPatiently(const std::function<void()>& read, const std::function<bool(int)>& wait) {
  int missing = 0;
  for (;;) {
    try {
      read();
      return true;
    } catch (const FileReadError& failure) {
      switch (failure.kind()) {
        case FileReadError::Kind::FolderMissing:
          if (++missing >= kMissingFolderTries)
            throw ResultsUnavailable("ファイルがありません\n" + failure.file() + "\n" + Detail(failure));
          if (!wait(kMissingFolderWaitMs)) return false;
          break;
        case FileReadError::Kind::Busy:
          if (!wait(kBusyFileWaitMs)) return false;
          break;
        case FileReadError::Kind::Other:
          throw ResultsUnavailable("成績ランダムファイル表示\n" + Detail(failure));
      }
    }
  }
}

}  // namespace bardrill
