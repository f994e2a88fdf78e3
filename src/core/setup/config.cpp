#include "core/setup/config.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "core/app_state.h"
#include "core/setup/identity.h"
#include "core/setup/sound_cues.h"
#include "core/setup/standards.h"
#include "platform/calendar.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace bardrill {

namespace {
constexpr int kConfigItems = 10;

// Reads the ten items of a configuration file, or stops with a message naming the file.
std::vector<Item> ReadTenItems(const std::string& file) {
  ItemReader reader = ItemReader::FromFile(file);
  std::vector<Item> items;
  while (items.size() < kConfigItems && !reader.AtEnd()) items.push_back(reader.Next());
  if (items.empty()) {
    throw DataFileError(file, 0,
                        "the file is empty; it must hold " + std::to_string(kConfigItems) + " items");
  }
  if (items.size() < kConfigItems) {
    throw DataFileError(file, items.back().line,
                        "the file ends after " + std::to_string(items.size()) + " items; it must hold " +
                            std::to_string(kConfigItems) + " (separated by commas or line ends)");
  }
  return items;
}

std::string WithSeparator(std::string folder) {
  // A folder written without its final separator would glue file names onto it; add the separator.
  if (!paths::EndsWithSeparator(folder)) folder += paths::kSeparator;
  return folder;
}

// A relative folder ("..\共通\") is taken from the program's folder, which is where the program is
// started from; so the report, given that folder, finds the same data wherever it runs.
std::string CommonFolderOf(const std::string& written, const std::string& exeFolder) {
  namespace fs = std::filesystem;
  const fs::path folder = paths::ToFs(paths::Native(WithSeparator(written)));
  if (folder.is_absolute()) return WithSeparator(written);
  return WithSeparator(paths::FromFs((paths::ToFs(paths::Native(exeFolder)) / folder).lexically_normal()));
}

void ReadPathData(AppState& state) {
  const std::string file = paths::Native(state.ExeFolder + "..\\パスデータ.txt");
  std::vector<Item> items = ReadTenItems(file);
  const Item& folder = items[0];
  if (folder.text.empty())
    throw DataFileError(file, folder.line, folder.column, "the common data folder is empty");
  const std::string common = CommonFolderOf(folder.text, state.ExeFolder);
  // Looked up without its final separator, so that a file named there is told apart from a missing folder.
  std::string bare = paths::Native(common);
  while (bare.size() > 1 && paths::EndsWithSeparator(bare)) bare.pop_back();
  std::error_code ec;
  const auto status = std::filesystem::status(paths::ToFs(bare), ec);
  if (!std::filesystem::is_directory(status)) {
    const bool isFile = std::filesystem::exists(status);
    const std::string resolved = common == WithSeparator(folder.text) ? "" : " (" + Quoted(common) + ")";
    throw DataFileError(file, folder.line, folder.column,
                        "the common data folder " + Quoted(folder.text) + resolved +
                            (isFile ? " is a file, not a folder" : " does not exist or cannot be reached"));
  }
  state.CommonDataFolder = common;
}

void ReadCommonData(AppState& state) {
  const std::string file = paths::Native(state.CommonDataFolder + "共通データ.txt");
  std::vector<Item> items = ReadTenItems(file);
  const Item& monthItem = items[0];
  double month = monthItem.Number();
  if (!monthItem.IsNumber() || month < 1 || month > 12 || month != static_cast<int>(month)) {
    throw DataFileError(file, monthItem.line, monthItem.column,
                        "the first item must be the month (1 to 12) in which the school year starts, not " +
                            Quoted(monthItem.text));
  }
  state.SchoolYearStartMonth = static_cast<int32_t>(month);
  const Item& schoolItem = items[1];
  SchoolIdentity school = SplitSchoolName(schoolItem.text);
  try {
    codec::Utf8ToCp932(school.code);  // every record carries the code in Shift-JIS
  } catch (const std::invalid_argument&) {
    throw DataFileError(
        file, schoolItem.line, schoolItem.column,
        "the school code " + Quoted(school.code) + " holds a character Shift-JIS cannot store");
  }
  state.SchoolCode = school.code;
  state.SchoolName = school.name;
  state.ListOnLeaveStudents = items[2].Number() == 1 ? 1 : 0;
  state.TeacherPassword = items[5].text;
}
}  // namespace

SchoolIdentity SplitSchoolName(const std::string& item) {
  std::string head = text::Left(item, 5);
  if (text::LeadingNumber(head) != 0) return {head, text::Mid(item, 5)};
  return {"", item};
}

uint32_t SeasonColourFor(int month) {
  if (month >= 1 && month <= 2) return 0x0080FF;
  if (month >= 3 && month <= 5) return 0xC0FFC0;
  if (month >= 6 && month <= 8) return 0xC0C000;
  if (month >= 9 && month <= 11) return 0x0040C0;
  if (month == 12) return 0xC0FFC0;
  return 0;
}

void PrepareSplash(AppState& state, int64_t today) {
  state.SeasonColour = SeasonColourFor(calendar::FromDayCount(today).month);
  state.DateLabel = calendar::EraDateLabel(today);
}

void LocateDataFolders(AppState& state, const std::string& exeFolder) {
  state.ExeFolder = WithSeparator(exeFolder);
  ReadPathData(state);
  state.ProgramFolderName = paths::LastComponent(state.ExeFolder);
  state.ProgramDataFolder = state.CommonDataFolder + state.ProgramFolderName + paths::kSeparator;
  state.SoundFolder = state.CommonDataFolder + "音フォルダ" + paths::kSeparator;
}

void LoadSchoolConfiguration(AppState& state) {
  ReadCommonData(state);
  SetIdentity(state);
}

void LoadDataConfiguration(AppState& state, const std::string& exeFolder) {
  LocateDataFolders(state, exeFolder);
  LoadSchoolConfiguration(state);
  LoadStandards(state);
}

void LoadConfiguration(AppState& state, const std::string& exeFolder) {
  LoadDataConfiguration(state, exeFolder);
  LoadSoundMap(state);
}

}  // namespace bardrill
