#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/setup/standards.h"

namespace bardrill {

struct AppState;

// The standards editor's grid: row 0 holds "レベル" and the twelve column titles, row i (1..) the level
// number i and the twelve items of level line i, as text. Column 0 is the level column.
using StandardsGrid = std::vector<std::vector<std::string>>;
inline constexpr int kGridColumns = kStandardColumns + 1;
inline constexpr int kNumericColumns = 9;  // columns 1..9 are read as numbers; 10..12 are kept as text

// Reads the standards file into the grid, items as the file holds them (blanks around them dropped).
// Throws DataFileError naming the file and line when it is missing, has more than 35 level lines or a
// level line of other than twelve items, as the program could not load such a file either. The file's
// bytes as read are left in `fileBytes` when it is given: SaveStandards refuses to save over others.
StandardsGrid ReadStandardsGrid(const AppState& state, std::string* fileBytes = nullptr);
// The same from the standards file at `path` (a native path), for a read on another thread.
StandardsGrid ReadStandardsGridAt(const std::string& path, std::string* fileBytes = nullptr);

// The rows SaveStandards writes: the titles and every level row, without the level column.
std::vector<std::vector<std::string>> StandardsRowsOf(const StandardsGrid& grid);

// A column title as the grid's title row shows it: broken onto two lines between its words ("ｸﾘｱ" over
// "ﾎﾟｲﾝﾄ"), never inside one; a title of one word stays whole.
std::string TitleInLines(const std::string& title);

// The explanation of a grid column shown under the grid, lines separated by CR LF; empty for the level
// column and the three spare ones.
std::string ColumnExplanation(int column);

// A cell of a numeric column whose text is not a number, which would silently read back as 0.
struct RejectedCell {
  int row = 0;
  int column = 0;
};

struct CellCheck {
  std::vector<RejectedCell> rejected;
  std::string message;  // names each rejected cell by its level and column title; empty when all is well
  bool ok() const { return rejected.empty(); }
};

// Checks the level rows before saving: an empty cell is fine (it reads back as 0), any other text in
// columns 1..9 must be one half-width decimal number.
CellCheck CheckStandardsGrid(const StandardsGrid& grid);

// What the editor shows when another PC saved standards after the editor had read them: the file's
// values, with the teacher's edits (the cells where `edited` differs from `loaded`) laid over them again
// to be checked and saved once more.
struct RedoneEdits {
  StandardsGrid grid;               // the file's grid with the teacher's edits in their cells
  std::vector<RejectedCell> edits;  // the cells holding an edit, to be marked as edited
  std::string message;              // what happened to the file, and each cell both PCs changed
};
RedoneEdits RedoEdits(const StandardsGrid& loaded, const StandardsGrid& edited, const StandardsGrid& file);

// What the standards file holds after a save that failed, for the teacher's message: the standards the
// editor had read, those it tried to save, or someone else's. `file` is the grid read again, or nothing
// when it cannot be read.
std::string FileAfterFailedSave(const StandardsGrid& loaded, const StandardsGrid& saving,
                                const std::optional<StandardsGrid>& file);

}  // namespace bardrill
