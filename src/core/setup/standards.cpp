#include "core/setup/standards.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>

#include "core/app_state.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/paths.h"
#include "platform/shared_file.h"
#include "platform/text.h"

namespace bardrill {

namespace {

using StandardsTable = LevelTable<LevelStandard>;

// What a message calls the value of a column: its title, or "the value" for the untitled ones.
std::string ValueName(int column) {
  const char* title = kStandardTitles[column - 1];
  return *title != '\0' ? std::string(title) : std::string("the value");
}

[[noreturn]] void Refuse(const std::string& file, const Item& item, int column, const std::string& why) {
  throw DataFileError(file, item.line, column, ValueName(column) + " is " + Quoted(item.text) + ", " + why);
}

// A standard as typed in the editor: empty reads as 0, anything else must be a number that is not
// negative. A cell the teacher mistyped ("６０", "60秒") is refused rather than read as 0, which would
// judge every drill against a zero standard.
double StandardNumber(const std::string& file, const Item& item, int column) {
  if (text::Trim(item.text).empty()) return 0;
  if (!text::IsNumber(item.text)) {
    Refuse(file, item, column,
           "which is not a number; write it in half-width digits, or leave it empty for 0");
  }
  const double value = text::LeadingNumber(item.text);
  if (value < 0) Refuse(file, item, column, "but a standard cannot be negative");
  return value;
}

// Whole-number columns: a fraction rounds to the nearest, half to even, as these files were always read.
int32_t WholeNumber(const std::string& file, const Item& item, int column) {
  double value = std::nearbyint(StandardNumber(file, item, column));
  if (!(value <= std::numeric_limits<int32_t>::max())) Refuse(file, item, column, "which is out of range");
  return static_cast<int32_t>(value);
}

float SingleNumber(const std::string& file, const Item& item, int column) {
  double value = StandardNumber(file, item, column);
  if (!(value <= FLT_MAX)) Refuse(file, item, column, "which is out of range");
  return static_cast<float>(value);
}

double FiniteNumber(const std::string& file, const Item& item, int column) {
  double value = StandardNumber(file, item, column);
  if (!std::isfinite(value)) Refuse(file, item, column, "which is out of range");
  return value;
}

LevelStandard ParseLevel(const std::string& file, const std::vector<Item>& items) {
  LevelStandard s;
  s.targetTime = WholeNumber(file, items[0], 1);
  s.minimumTime = WholeNumber(file, items[1], 2);
  s.clearPoints = WholeNumber(file, items[2], 3);
  s.clearCount = WholeNumber(file, items[3], 4);
  s.pointRate = SingleNumber(file, items[4], 5);
  s.limitCount = FiniteNumber(file, items[5], 6);
  s.limitPoints = FiniteNumber(file, items[6], 7);
  s.judgeDays = FiniteNumber(file, items[7], 8);
  s.limitDays = FiniteNumber(file, items[8], 9);
  s.spare10 = items[9].text;
  s.spare11 = items[10].text;
  s.spare12 = items[11].text;
  return s;
}

// Reads the header and level lines over a copy of the current table, so that a malformed file leaves
// the standards in use untouched. Each line is taken whole: a short or long line is rejected rather than
// letting items slide into a neighbouring level's columns.
StandardsTable ParseStandards(ItemReader& reader, const StandardsTable& current) {
  StandardsTable table = current;
  if (reader.AtEnd()) throw DataFileError(reader.name(), 0, "the file is empty; it holds no standards");
  const int headerLine = reader.NextLine().front().line;
  if (reader.AtEnd()) {
    throw DataFileError(reader.name(), headerLine,
                        "the file has a title line but no level lines; the line after the titles holds the "
                        "standards of level 1");
  }
  table[0] = LevelStandard{};
  int level = 0;
  while (!reader.AtEnd()) {
    std::vector<Item> items = reader.NextLine();
    ++level;
    const int line = items.front().line;
    if (level > kMaxLevel) {
      throw DataFileError(reader.name(), line,
                          "there are more than " + std::to_string(kMaxLevel) +
                              " level lines; the table holds " + std::to_string(kMaxLevel) + " levels");
    }
    RequireStandardColumns(reader.name(), line, level, items.size());
    table[level] = ParseLevel(reader.name(), items);
  }
  return table;
}

// A cell is written as it was typed, so texts that would split the line differently when read back, or
// that CP932 cannot hold, are refused before anything is written.
void CheckCell(const std::string& file, int line, int column, const std::string& cell) {
  for (char c : cell) {
    if (c == ',' || c == '"' || (static_cast<unsigned char>(c) < 0x20 && c != '\t')) {
      throw DataFileError(
          file, line, column,
          ValueName(column) + " is " + Quoted(cell) +
              ": commas, double quotes and control characters cannot be stored in the standards");
    }
  }
  try {
    codec::Utf8ToCp932(cell);
  } catch (const std::invalid_argument&) {
    throw DataFileError(file, line, column,
                        ValueName(column) + " is " + Quoted(cell) +
                            ", which holds a character Shift-JIS (CP932) cannot store");
  }
}

std::string StandardsText(const std::string& file, const std::vector<std::vector<std::string>>& rows) {
  if (rows.empty() || rows.size() > static_cast<size_t>(kMaxLevel) + 1) {
    throw DataFileError(file, 0,
                        "the standards to save have " + std::to_string(rows.size()) +
                            " rows; a title row and at most " + std::to_string(kMaxLevel) + " levels fit");
  }
  std::string text;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int line = static_cast<int>(r) + 1;
    const auto& cells = rows[r];
    if (cells.size() > static_cast<size_t>(kStandardColumns)) {
      throw DataFileError(file, line,
                          "the row to save has " + std::to_string(cells.size()) + " cells instead of " +
                              std::to_string(kStandardColumns));
    }
    for (int c = 0; c < kStandardColumns; ++c) {
      if (c > 0) text += ',';
      if (static_cast<size_t>(c) >= cells.size()) continue;
      CheckCell(file, line, c + 1, cells[c]);
      text += cells[c];
    }
    text += "\r\n";
  }
  return text;
}

std::string WholeContents(const SharedFile& file) {
  std::string contents(static_cast<size_t>(file.Size()), '\0');
  contents.resize(
      file.ReadAt(0, std::span(reinterpret_cast<unsigned char*>(contents.data()), contents.size())));
  return contents;
}

}  // namespace

std::string StandardsPath(const AppState& state) {
  return state.ProgramDataFolder + "タイム回数データ" + state.ContentNumber + ".txt";
}

void RequireStandardColumns(const std::string& file, int line, int level, size_t items) {
  if (items == static_cast<size_t>(kStandardColumns)) return;
  throw DataFileError(file, line,
                      "the standards of level " + std::to_string(level) + " have " + std::to_string(items) +
                          " items instead of " + std::to_string(kStandardColumns));
}

void LoadStandards(AppState& state) {
  ItemReader reader = ItemReader::FromFile(paths::Native(StandardsPath(state)));
  state.Standards = ParseStandards(reader, state.Standards);
}

StandardsSave PrepareStandardsSave(const AppState& state, const std::vector<std::vector<std::string>>& rows,
                                   const std::string* fileBytes) {
  StandardsSave save;
  save.path = paths::Native(StandardsPath(state));
  const std::string text = StandardsText(save.path, rows);
  // Standards the program could not load again are refused before the old file is touched.
  ItemReader check(save.path, text);
  save.standards = ParseStandards(check, state.Standards);
  save.bytes = codec::Utf8ToCp932(text);
  if (fileBytes) save.asRead = *fileBytes;
  return save;
}

SaveOutcome StandardsSave::Write() const {
  // Held until the new file is in place: another PC's save waits, then finds the file changed.
  const std::string lost = "the standards were not saved";
  std::optional<SharedFile> file = LockCurrentFile(path, false, lost);
  if (asRead && (!file || WholeContents(*file) != *asRead)) return SaveOutcome::ChangedElsewhere;
  // A school without standards yet gets its first file, locked like any other.
  if (!file) file = LockCurrentFile(path, true, lost);
  ReplaceFileContents(*file, path + ".tmp", bytes);
  return SaveOutcome::Saved;
}

void StandardsSave::Apply(AppState& state, std::string* fileBytes) const {
  if (fileBytes) *fileBytes = bytes;
  state.Standards = standards;
}

SaveOutcome SaveStandards(AppState& state, const std::vector<std::vector<std::string>>& rows,
                          std::string* fileBytes) {
  const StandardsSave save = PrepareStandardsSave(state, rows, fileBytes);
  const SaveOutcome outcome = save.Write();
  if (outcome == SaveOutcome::Saved) save.Apply(state, fileBytes);
  return outcome;
}

}  // namespace bardrill
