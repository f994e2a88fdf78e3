#include "core/config.h"

#include "core/app_state.h"
#include "core/identity.h"
#include "core/sound_cues.h"
#include "core/standards.h"
#include "platform/calendar.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace bardrill {

namespace {
constexpr int kConfigItems = 10;

// Reads the ten items of a configuration file, or stops with a message naming the file.
std::vector<Item> ReadTenItems(const std::string& path) {
  ItemReader reader = ItemReader::FromFile(paths::Native(path));
  std::vector<Item> items;
  for (int i = 0; i < kConfigItems; ++i) items.push_back(reader.Next());
  return items;
}

std::string WithSeparator(std::string folder) {
  // A folder written without its final separator would glue file names onto it; add the separator.
  if (!paths::EndsWithSeparator(folder)) folder += paths::kSeparator;
  return folder;
}

void ReadPathData(AppState& state) {
  std::string path = state.ExeFolder + "..\\パスデータ.txt";
  std::vector<Item> items = ReadTenItems(path);
  if (items[0].text.empty())
    throw DataFileError(paths::Native(path), items[0].line, "the common data folder is empty");
  state.CommonDataFolder = WithSeparator(items[0].text);
}

void ReadCommonData(AppState& state) {
  std::string path = state.CommonDataFolder + "共通データ.txt";
  std::vector<Item> items = ReadTenItems(path);
  double month = items[0].Number();
  if (!items[0].IsNumber() || month < 1 || month > 12 || month != static_cast<int>(month)) {
    throw DataFileError(paths::Native(path), items[0].line,
                        "the first item must be the month (1 to 12) in which the school year starts, not \"" +
                            items[0].text + "\"");
  }
  state.SchoolYearStartMonth = static_cast<int32_t>(month);
  SchoolIdentity school = SplitSchoolName(items[1].text);
  state.SchoolCode = school.code;
  state.SchoolName = school.name;
  state.ListOnLeaveStudents = static_cast<int32_t>(items[2].Number());
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

void LoadDataConfiguration(AppState& state, const std::string& exeFolder) {
  state.ExeFolder = WithSeparator(exeFolder);
  ReadPathData(state);
  ReadCommonData(state);
  state.ProgramFolderName = paths::LastComponent(state.ExeFolder);
  state.ProgramDataFolder = state.CommonDataFolder + state.ProgramFolderName + paths::kSeparator;
  state.SoundFolder = state.CommonDataFolder + "音フォルダ" + paths::kSeparator;
  SetIdentity(state);
  LoadStandards(state);
}

void LoadConfiguration(AppState& state, const std::string& exeFolder) {
  LoadDataConfiguration(state, exeFolder);
  LoadSoundMap(state);
}

}  // namespace bardrill
