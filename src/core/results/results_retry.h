#pragma once
#include <functional>
#include <stdexcept>

namespace bardrill {

inline constexpr int kMissingFolderWaitMs = 5000;  // a share that went away: give it time to come back
inline constexpr int kMissingFolderTries = 4;      // ...and give up on the fourth failure in a row
inline constexpr int kBusyFileWaitMs = 1000;       // another program holds the file: try every second

// The results file stayed out of reach; the message is for the teacher at the PC.
class ResultsUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FileReadError;

// How a reader or writer of the results file takes its failures, one try after another: a missing folder
// is tried again after 5 seconds, and its fourth failure in a row throws ResultsUnavailable starting
// "ファイルがありません" and naming the folder; a file that is busy or refused is tried again every second
// for as long as it takes; any other failure throws ResultsUnavailable starting "成績ランダムファイル表示"
// with the system's text.
class ResultsPatience {
 public:
  // The milliseconds to wait before the next try.
  int WaitAfter(const FileReadError& failure);

 private:
  int missing_ = 0;
};

// Runs `read` (a reader of the results file that changes nothing until it has read the whole file)
// until it succeeds. Between tries it calls `wait` with the milliseconds to wait; `wait` returns false
// when the program ended meanwhile, and then so does this. Failures are taken as ResultsPatience takes
// them.
bool ReadResultsPatiently(const std::function<void()>& read, const std::function<bool(int)>& wait);

}  // namespace bardrill
