#pragma once
#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace bardrill {

inline constexpr int kMaxLevel = 35;      // per-level tables hold levels 0..35
inline constexpr int kMaxStudent = 5000;  // per-student tables hold student numbers 0..5000
inline constexpr int kMaxRosterRows = 5000;
inline constexpr int kMaxLoadedRecords = 20000;  // the newest records loaded by the counts

// Tables made one after another start at different places within a page: the counts update the same
// cell of eight tables at once, and cells that lie alike in their pages compete for one cache set.
inline constexpr size_t kTableStaggers = 8;
inline constexpr size_t kTableStaggerBytes = 4096 / kTableStaggers + 64;
inline size_t NextTableStagger() {
  static std::atomic<size_t> next{0};
  return next.fetch_add(1, std::memory_order_relaxed) % kTableStaggers;
}

// A per-level, per-student table indexed [level 0..35][student 0..5000], stored flat so that one level's
// students are contiguous. The counts rebuild their tables every time a screen opens, for a school
// that uses a few levels and a few hundred students: Reset sets back only the cells that were written,
// not the 180,036 of the table.
template <typename T>
class LevelStudentTable {
 public:
  static constexpr int kLevels = kMaxLevel + 1;
  static constexpr int kStudents = kMaxStudent + 1;

  LevelStudentTable()
      : cells_(kCells + kStaggerCells * kTableStaggers), first_(NextTableStagger() * kStaggerCells) {
    Unmark();
  }
  static bool InRange(int level, int student) {
    return level >= 0 && level < kLevels && student >= 0 && student < kStudents;
  }
  // The place of a cell in Data().
  static int32_t Cell(int level, int student) { return level * kStudents + student; }

  // A cell to read or write; the table notes that it may have been written, for Reset.
  T& operator()(int level, int student) {
    Mark(level, student);
    return Data()[Cell(level, student)];
  }
  const T& operator()(int level, int student) const {
    return cells_[first_ + static_cast<size_t>(Cell(level, student))];
  }

  // Every cell to `value`.
  void Fill(T value) {
    std::fill(Data(), Data() + kCells, value);
    filled_ = value;
    Unmark();
  }
  // Every cell to `value`, as Fill does, writing only the cells that can hold anything else: those reached
  // through operator() since the last Fill or Reset, and `written`, which must name every cell changed
  // through Data() since then. A table last filled with another value is filled whole.
  void Reset(T value, std::span<const int32_t> written) {
    if (!(value == filled_)) {
      Fill(value);
      return;
    }
    T* cells = Data();
    for (int32_t cell : written) cells[cell] = value;
    for (int level = 0; level < kLevels; ++level) {
      if (from_[level] > to_[level]) continue;
      T* row = cells + static_cast<ptrdiff_t>(level) * kStudents;
      std::fill(row + from_[level], row + to_[level] + 1, value);
    }
    Unmark();
  }
  // The cells by Cell(), for a writer of thousands of them that names those it changes to the next Reset.
  T* Data() { return cells_.data() + first_; }
  // No cell reached through operator() (for writing, or reading through a table that may be written)
  // since the last Fill or Reset.
  bool Unreached() const {
    for (int level = 0; level < kLevels; ++level)
      if (from_[static_cast<size_t>(level)] <= to_[static_cast<size_t>(level)]) return false;
    return true;
  }

 private:
  static constexpr size_t kCells = static_cast<size_t>(kLevels) * kStudents;
  static constexpr size_t kStaggerCells = kTableStaggerBytes / sizeof(T);

  void Mark(int level, int student) {
    from_[static_cast<size_t>(level)] =
        std::min(from_[static_cast<size_t>(level)], static_cast<int16_t>(student));
    to_[static_cast<size_t>(level)] =
        std::max(to_[static_cast<size_t>(level)], static_cast<int16_t>(student));
  }
  void Unmark() {
    from_.fill(kStudents);
    to_.fill(-1);
  }

  std::vector<T> cells_;
  size_t first_;  // where cell 0 lies in cells_
  T filled_{};    // what every cell holds but those marked and those changed through Data()
  // Per level, the students reached through operator() since the last Fill or Reset; none when from > to.
  std::array<int16_t, kLevels> from_;
  std::array<int16_t, kLevels> to_;
};

// A table indexed by level 0..35.
template <typename T>
using LevelTable = std::vector<T>;

template <typename T>
LevelTable<T> MakeLevelTable(T value = T{}) {
  return LevelTable<T>(kMaxLevel + 1, value);
}

// One column of the loaded records' table, used 1..n (entry 0 unused), that lets its oldest entries go
// without moving the others each time: the counts drop the oldest record for each one appended, and a
// move of 20,000 entries would cost more than the rest of the count.
template <typename T>
class LoadedColumn {
 public:
  LoadedColumn() = default;
  explicit LoadedColumn(size_t size) : cells_(size) {}
  LoadedColumn(std::initializer_list<T> cells) : cells_(cells) {}
  LoadedColumn& operator=(std::initializer_list<T> cells) {
    cells_.assign(cells);
    front_ = 0;
    return *this;
  }

  T& operator[](size_t at) { return cells_[front_ + at]; }
  const T& operator[](size_t at) const { return cells_[front_ + at]; }
  T* data() { return cells_.data() + front_; }
  const T* data() const { return cells_.data() + front_; }
  size_t size() const { return cells_.size() - front_; }
  void resize(size_t size) { cells_.resize(front_ + size); }
  void push_back(const T& value) { cells_.push_back(value); }
  // Entries 1..count go; entry count + 1 becomes entry 1.
  void DropFirst(size_t count) {
    front_ += std::min(count, size() > 0 ? size() - 1 : 0);
    // Moved down only once the unused front is as long as the rest: each entry moves at most once.
    if (front_ > cells_.size() / 2) {
      cells_.erase(cells_.begin(), cells_.begin() + static_cast<std::ptrdiff_t>(front_));
      front_ = 0;
    }
  }

 private:
  std::vector<T> cells_;
  size_t front_ = 0;  // the place of entry 0 in cells_
};

}  // namespace bardrill
