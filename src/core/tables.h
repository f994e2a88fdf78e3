#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace bardrill {

inline constexpr int kMaxLevel = 35;      // per-level tables hold levels 0..35
inline constexpr int kMaxStudent = 5000;  // per-student tables hold student numbers 0..5000
inline constexpr int kMaxRosterRows = 5000;
inline constexpr int kMaxLoadedRecords = 20000;  // the newest records loaded by the counts

// A per-level, per-student table indexed [level 0..35][student 0..5000], stored flat so that one level's
// students are contiguous (the counts clear and scan them level by level).
template <typename T>
class LevelStudentTable {
 public:
  static constexpr int kLevels = kMaxLevel + 1;
  static constexpr int kStudents = kMaxStudent + 1;

  LevelStudentTable() : cells_(static_cast<size_t>(kLevels) * kStudents) {}
  static bool InRange(int level, int student) {
    return level >= 0 && level < kLevels && student >= 0 && student < kStudents;
  }
  T& operator()(int level, int student) { return cells_[Index(level, student)]; }
  const T& operator()(int level, int student) const { return cells_[Index(level, student)]; }
  void Fill(T value) { std::fill(cells_.begin(), cells_.end(), value); }

 private:
  static size_t Index(int level, int student) { return static_cast<size_t>(level) * kStudents + student; }
  std::vector<T> cells_;
};

// A table indexed by level 0..35.
template <typename T>
using LevelTable = std::vector<T>;

template <typename T>
LevelTable<T> MakeLevelTable(T value = T{}) {
  return LevelTable<T>(kMaxLevel + 1, value);
}

}  // namespace bardrill
