#include "core/results/results_retry.h"

#include <string>

#include "platform/errors.h"

namespace bardrill {

namespace {

std::string Detail(const FileReadError& failure) {
  return std::string(failure.what()) + " [" + std::to_string(failure.error()) + "]";
}

}  // namespace

int ResultsPatience::WaitAfter(const FileReadError& failure) {
  switch (failure.kind()) {
    case FileReadError::Kind::FolderMissing:
      if (++missing_ >= kMissingFolderTries)
        throw ResultsUnavailable("ファイルがありません\n" + failure.file() + "\n" + Detail(failure));
      return kMissingFolderWaitMs;
    case FileReadError::Kind::Busy:
      return kBusyFileWaitMs;
    case FileReadError::Kind::Other:
      break;
  }
  throw ResultsUnavailable("成績ランダムファイル表示\n" + Detail(failure));
}

bool ReadResultsPatiently(const std::function<void()>& read, const std::function<bool(int)>& wait) {
  ResultsPatience patience;
  for (;;) {
    try {
      read();
      return true;
    } catch (const FileReadError& failure) {
      if (!wait(patience.WaitAfter(failure))) return false;
    }
  }
}

}  // namespace bardrill
