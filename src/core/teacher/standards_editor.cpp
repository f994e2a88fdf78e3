#include "core/teacher/standards_editor.h"

#include <algorithm>
#include <string_view>

#include "core/app_state.h"
#include "core/setup/standards.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace bardrill {

namespace {

const char* const kLevelTitle = "レベル";

// One text per grid column; the spare columns and the level column have none.
const char* const kExplanations[kGridColumns] = {
    "",
    "合格基準タイム\r\n　大部分の人ががんばったら出せそうなタイムにしてください",
    "合格最低ラインタイム\r\n  この５倍が時間切れになります",
    "目標ポイント\r\n　　 目標ポイント",
    "目標回数\r\n　　 目標回数",
    ("ポイント倍率\r\n  ポイントを何倍にして加算するか\r\n  "
     "むずかしいレベルや生徒のいやがるレベルは高くしてください"),
    "やりすぎ禁止回数\r\n  何回やったらやりすぎ禁止にするか\r\n  ",
    "やりすぎ禁止ポイント\r\n  何ポイントとったらやりすぎ禁止にするか\r\n ",
    "合格判定をする日数\r\n　何日前からのポイントを有効にするか",
    "やりすぎ判定をする日数\r\n　何日前からのポイントを有効にするか",
    "",
    "",
    "",
};

// The words that end the standards' titles; what stands before one is a word of its own.
constexpr const char* kTitleLastWords[] = {"Time", "ﾎﾟｲﾝﾄ", "回数", "倍率", "期間"};

std::vector<std::string> TitleRow() {
  std::vector<std::string> row{kLevelTitle};
  for (const char* title : kStandardTitles) row.emplace_back(title);
  return row;
}

}  // namespace

StandardsGrid ReadStandardsGrid(const AppState& state, std::string* fileBytes) {
  return ReadStandardsGridAt(paths::Native(StandardsPath(state)), fileBytes);
}

StandardsGrid ReadStandardsGridAt(const std::string& path, std::string* fileBytes) {
  ItemReader reader = ItemReader::FromFile(path, fileBytes);
  StandardsGrid grid{TitleRow()};
  if (reader.AtEnd()) return grid;
  reader.NextLine();  // the file's own header is replaced by the titles
  while (!reader.AtEnd()) {
    std::vector<Item> items = reader.NextLine();
    const int level = static_cast<int>(grid.size());
    const int line = items.front().line;
    if (level > kMaxLevel) {
      throw DataFileError(reader.name(), line,
                          "there are more than " + std::to_string(kMaxLevel) + " level lines");
    }
    RequireStandardColumns(reader.name(), line, level, items.size());
    std::vector<std::string> row{std::to_string(level)};
    for (const Item& item : items) row.push_back(item.text);
    grid.push_back(std::move(row));
  }
  return grid;
}

namespace {

const std::string* CellOf(const StandardsGrid& grid, size_t row, size_t column) {
  if (row >= grid.size() || column >= grid[row].size()) return nullptr;
  return &grid[row][column];
}

std::string CellName(const StandardsGrid& grid, size_t row, size_t column) {
  const std::string* title = CellOf(grid, 0, column);
  return "レベル" + std::to_string(row) + "の" +
         (title && !title->empty() ? *title : "列" + std::to_string(column));
}

}  // namespace

RedoneEdits RedoEdits(const StandardsGrid& loaded, const StandardsGrid& edited, const StandardsGrid& file) {
  RedoneEdits redo{file, {}, {}};
  std::string clashes;
  std::string lost;
  for (size_t r = 1; r < edited.size(); ++r) {
    for (size_t c = 1; c < edited[r].size(); ++c) {
      const std::string* before = CellOf(loaded, r, c);
      if (before && *before == edited[r][c]) continue;
      const std::string* now = CellOf(file, r, c);
      if (!now) {
        lost += "\n" + CellName(edited, r, c) + "：「" + edited[r][c] + "」";
        continue;
      }
      if (before && *now != *before)
        clashes += "\n" + CellName(file, r, c) + "：ほかのパソコンの値「" + *now + "」、こちらの値「" +
                   edited[r][c] + "」";
      redo.grid[r][c] = edited[r][c];
      redo.edits.push_back({static_cast<int>(r), static_cast<int>(c)});
    }
  }
  redo.message =
      "ほかのパソコンが基準データを記録していたため、こちらの変更は記録しませんでした。"
      "ファイルはほかのパソコンが記録した内容です。\n"
      "表をファイルの値に読み直し、こちらの変更を黄色のセルに残しました。確かめてから、もう一度「更新記録」を"
      "押してください。";
  if (!clashes.empty()) redo.message += "\n\n両方で変更されたセル：" + clashes;
  if (!lost.empty()) redo.message += "\n\nファイルにない行のため残せなかった変更：" + lost;
  return redo;
}

std::string FileAfterFailedSave(const StandardsGrid& loaded, const StandardsGrid& saving,
                                const std::optional<StandardsGrid>& file) {
  if (!file) return "基準データのファイルを読み直せないため、ファイルがどうなったかは分かりません。";
  if (*file == saving) return "ファイルには新しい基準データが記録されています。";
  if (*file == loaded) return "ファイルは元のままです。";
  return "ファイルはほかのパソコンが記録した内容になっています。";
}

std::vector<std::vector<std::string>> StandardsRowsOf(const StandardsGrid& grid) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(grid.size());
  for (const auto& cells : grid) {
    rows.emplace_back(cells.begin() + std::min<size_t>(1, cells.size()), cells.end());
  }
  return rows;
}

std::string TitleInLines(const std::string& title) {
  for (std::string_view word : kTitleLastWords) {
    if (title.size() > word.size() && title.ends_with(word))
      return title.substr(0, title.size() - word.size()) + "\n" + std::string(word);
  }
  return title;
}

std::string ColumnExplanation(int column) {
  if (column < 0 || column >= kGridColumns) return {};
  return kExplanations[column];
}

CellCheck CheckStandardsGrid(const StandardsGrid& grid) {
  CellCheck check;
  for (size_t r = 1; r < grid.size(); ++r) {
    const auto& cells = grid[r];
    for (int c = 1; c <= kNumericColumns && static_cast<size_t>(c) < cells.size(); ++c) {
      const std::string& cell = cells[static_cast<size_t>(c)];
      if (text::Trim(cell).empty() || text::IsNumber(cell)) continue;
      check.rejected.push_back({static_cast<int>(r), c});
      check.message +=
          "\nレベル" + std::to_string(r) + "の「" + kStandardTitles[c - 1] + "」：「" + cell + "」";
    }
  }
  if (!check.ok()) {
    check.message = "数でないデータがあるため記録できません。半角の数字に直してください。" + check.message;
  }
  return check;
}

}  // namespace bardrill
