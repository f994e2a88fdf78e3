#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/level_standard.h"
#include "core/tables.h"

namespace bardrill {

struct AppState;

inline constexpr int kStandardColumns = 12;
inline const char* const kStandardTitles[kStandardColumns] = {"目標Time",  "最低Time", "ｸﾘｱﾎﾟｲﾝﾄ", "ｸﾘｱ回数",
                                                              "ﾎﾟｲﾝﾄ倍率", "禁回",     "禁点",     "判期間",
                                                              "禁期間",    "",         "",         ""};

std::string StandardsPath(const AppState& state);

// Reads the standards file into state.Standards (index 0 = the header line, 1.. = levels). Levels the
// file has no line for keep their values. An empty item reads as 0. Throws DataFileError naming the file,
// line and column when the file is missing, has no level line, holds more than 35 level lines, a level
// line has other than twelve items, or one of the first nine items is not a number, is negative or does
// not fit its column; the standards in memory are then unchanged.
void LoadStandards(AppState& state);

// Throws the DataFileError of a level line of `file` whose item count is not kStandardColumns.
void RequireStandardColumns(const std::string& file, int line, int level, size_t items);

enum class SaveOutcome {
  Saved,
  ChangedElsewhere,  // the file no longer holds what the editor read: another PC saved; nothing written
};

// Writes the rows of cell texts (row 0 = the titles, then one row per level, each of up to twelve cells;
// missing cells are written empty) as the standards file, replacing it whole and atomically, then
// reloads it. With `fileBytes`, the file must still hold exactly those bytes (what the editor read), and
// they become the bytes written: the check and the replacement hold the file's lock, so of two PCs
// saving at once the second finds the first one's standards and writes nothing. Rows that would not load
// again (a cell with a comma, a double quote, a control character or a character CP932 lacks, a number out of
// range, more than 35 levels or twelve cells) throw DataFileError naming the line and column; a failing disk
// or a lock held too long throws FileWriteError. In all these cases the file is left as it was.
SaveOutcome SaveStandards(AppState& state, const std::vector<std::vector<std::string>>& rows,
                          std::string* fileBytes = nullptr);

// SaveStandards in its three steps, so that the file is written on a worker thread while the state is
// left to the screens: Prepare checks and encodes the rows (throwing as SaveStandards does) and touches
// no file; Write writes them under the lock and touches no state; Apply makes what was written the
// loaded standards.
struct StandardsSave {
  std::string path;
  std::string bytes;
  std::vector<LevelStandard> standards;  // what loading the written file gives
  std::optional<std::string> asRead;     // the bytes the file must still hold; none: any file
  SaveOutcome Write() const;
  void Apply(AppState& state, std::string* fileBytes) const;
};
StandardsSave PrepareStandardsSave(const AppState& state, const std::vector<std::vector<std::string>>& rows,
                                   const std::string* fileBytes);

}  // namespace bardrill
