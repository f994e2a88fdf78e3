#include "school/layout.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "core/setup/roster.h"
#include "core/setup/standards.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "school/program_sounds.h"
#include "school/roster_csv.h"

namespace fs = std::filesystem;

namespace bardrill::school {

namespace {

constexpr const char* kSoundMap = "新音ファイル.txt";

// The standards a new school starts with, one line per level as the standards editor writes them:
// レベル１, レベル２ and 混合.
const char* const kDefaultStandards[] = {
    "60,120,100,10,1,10,200,7,1,,,",
    "90,180,100,10,1,10,200,7,1,,,",
    "120,240,150,15,1.5,10,300,14,1,,,",
};

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string Slashed(const fs::path& folder) {
  std::string text = paths::FromFs(folder);
  if (!paths::EndsWithSeparator(text)) text += paths::kSeparator;
  return text;
}

void MakeFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directory(folder, ec);
  if (ec || !fs::is_directory(folder)) {
    throw std::runtime_error(paths::FromFs(folder) + ": cannot be made a folder" +
                             (ec ? " (" + ec.message() + ")" : ""));
  }
}

void MakeRunnable(const fs::path& file) {
  std::error_code ec;
  fs::permissions(file,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec,
                  ec);
  if (ec) throw std::runtime_error(paths::FromFs(file) + ": cannot be made runnable (" + ec.message() + ")");
}

void WritePathFile(const fs::path& root) {
  std::vector<std::string> lines = {Quote(std::string("..\\") + kCommonFolder + "\\")};
  for (int item = 2; item <= 10; ++item) lines.push_back(item % 2 == 0 ? "\"\"" : "0");
  WriteTextFile(paths::FromFs(root / paths::ToFs(kPathFile)), lines);
}

void WriteSchoolFile(const fs::path& common, const SchoolSettings& settings) {
  WriteTextFile(paths::FromFs(common / paths::ToFs("共通データ.txt")),
                {
                    std::to_string(settings.startMonth),
                    Quote(settings.code + settings.name),
                    "0",  // on-leave students are not listed
                    "0",
                    "0",
                    Quote(settings.password),
                    "0",
                    "0",
                    "\"\"",
                    "\"\"",
                });
}

void WriteTeacherRoster(const fs::path& common, const SchoolSettings& settings, int64_t today) {
  RosterLine teacher;
  teacher.entry.number = kTeacherNumber;
  teacher.entry.birthYear = SchoolYearOf(today, settings.startMonth) - 6 - 40;
  teacher.entry.name = kTeacherName;
  WriteTextFile(paths::FromFs(common / paths::ToFs("新名簿.txt")), RosterFileLines({teacher}));
}

void WriteStandardsFile(const fs::path& dataFolder) {
  std::string header;
  for (int c = 0; c < kStandardColumns; ++c) header += (c ? "," : "") + std::string(kStandardTitles[c]);
  std::vector<std::string> lines = {header};
  for (const char* level : kDefaultStandards) lines.push_back(level);
  WriteTextFile(paths::FromFs(dataFolder / paths::ToFs("タイム回数データ.txt")), lines);
}

void CopySounds(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(from, ec)) {
    if (!entry.is_regular_file() || paths::FromFs(entry.path().filename()).rfind('.', 0) == 0) continue;
    const fs::path target = to / entry.path().filename();
    fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing, ec);
    if (ec) throw std::runtime_error(paths::FromFs(target) + ": cannot be written (" + ec.message() + ")");
  }
  if (ec)
    throw std::runtime_error(paths::FromFs(from) + ": the sounds cannot be read (" + ec.message() + ")");
}

#ifdef _WIN32
// The launcher program that the program folder and the menu folder get a copy of.
std::string LauncherImageBytes() {
  const fs::path file = paths::ToFs(LauncherProgram());
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof())
    throw std::runtime_error(paths::FromFs(file) + ": cannot be read (" + SystemErrorText(errno) + ")");
  return bytes;
}
#endif

// The school's menu program lives in a sibling folder and is started with "001" when a child leaves.
// A new school has no other drill programs, so its stand-in simply starts this one again. On Windows it
// is the launcher program, which knows itself by the menu program's name.
void WriteMenuStandIn(const fs::path& root) {
  const fs::path folder = root / paths::ToFs(kMenuFolder);
  MakeFolder(folder);
  const fs::path menu = folder / paths::ToFs(kMenuProgram);
#ifdef _WIN32
  WriteWholeFile(paths::FromFs(menu), LauncherImageBytes());
#else
  WriteWholeFile(paths::FromFs(menu),
                 std::string("#!/bin/sh\n"
                             "# Stand-in for the school's menu program (started with the "
                             "argument 001).\n"
                             "cd \"$(dirname \"$(readlink -f \"$0\")\")/../") +
                     kProgramFolder + "\" && exec ./" + kProgramFile + "\n");
#endif
  MakeRunnable(menu);
}

// The program folder's launcher of the installed `program`.
void WriteLauncher(const fs::path& programFolder, const std::string& program) {
  const fs::path launcher = programFolder / paths::ToFs(kProgramFile);
#ifdef _WIN32
  WriteWholeFile(paths::FromFs(launcher), LauncherImage(LauncherImageBytes(), program));
#else
  WriteWholeFile(paths::FromFs(launcher), LauncherText(program));
#endif
  MakeRunnable(launcher);
}

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace

std::vector<std::string> SettingsProblems(const SchoolSettings& settings) {
  std::vector<std::string> problems;
  if (settings.startMonth < 1 || settings.startMonth > 12)
    problems.push_back("--start-month: the school year must start in a month from 1 to 12");
  const bool digits =
      settings.code.size() == 5 && settings.code.find_first_not_of("0123456789") == std::string::npos;
  if (!settings.code.empty() && (!digits || settings.code == "00000"))
    problems.push_back("--school-code: " + Quoted(settings.code) +
                       " is not a school code: it must be five digits, not all zero (for example 01234)");
  auto checkText = [&](const std::string& option, const std::string& value, const std::string& what) {
    if (text::Trim(value).empty()) {
      problems.push_back(option + ": the " + what + " must not be empty");
      return;
    }
    for (unsigned char c : value) {
      if (c < 0x20 || c == 0x7F || c == '"') {
        problems.push_back(option + ": the " + what + " " + Quoted(value) +
                           " holds a double quote or a control character, which the file cannot hold");
        return;
      }
    }
    try {
      codec::Utf8ToCp932(value);
    } catch (const std::invalid_argument& e) {
      problems.push_back(option + ": the " + what + " " + Quoted(value) + " cannot be stored in Shift-JIS (" +
                         e.what() + ")");
    }
  };
  checkText("--school-name", settings.name, "school name");
  checkText("--password", settings.password, "password");
  // Without a code, five leading characters that read as a number would be taken for one.
  if (settings.code.empty() && text::LeadingNumber(text::Left(settings.name, 5)) != 0)
    problems.push_back("--school-name: " + Quoted(settings.name) +
                       " starts with a number, which the program would take for a school code; give the code "
                       "with --school-code, or start the name otherwise");
  return problems;
}

Sources InstalledSources() {
  const fs::path here = paths::ToFs(paths::ExecutableFolder());
  Sources sources;
  const fs::path shared = (here / ".." / "share" / "bardrill" / "sounds").lexically_normal();
#ifdef BARDRILL_BUILT_SOUNDS
  const fs::path built = paths::ToFs(BARDRILL_BUILT_SOUNDS);
  sources.sounds = Slashed(
      IsFile(shared / paths::ToFs(kSoundMap)) || !IsFile(built / paths::ToFs(kSoundMap)) ? shared : built);
#else
  sources.sounds = Slashed(shared);
#endif
#ifdef _WIN32
  // The Windows installer brings no sounds (Windows Installer takes file names in one code page only,
  // and Wine's in none that holds 合格.wav): this tool writes them itself, the same sounds the build
  // makes for the other systems.
  if (!sources.sounds.empty() && !IsFile(paths::ToFs(sources.sounds) / paths::ToFs(kSoundMap)))
    sources.sounds.clear();
#endif
  fs::path program = here / paths::ToFs(kProgramFile);
#ifdef BARDRILL_BUILT_PROGRAM
  if (!IsFile(program) && IsFile(paths::ToFs(BARDRILL_BUILT_PROGRAM)))
    program = paths::ToFs(BARDRILL_BUILT_PROGRAM);
#endif
  sources.program = paths::FromFs(program.lexically_normal());
  return sources;
}

std::string LauncherProgram() {
  const fs::path installed = paths::ToFs(paths::ExecutableFolder()) / paths::ToFs(kLauncherProgram);
#ifdef BARDRILL_BUILT_LAUNCHER
  if (!IsFile(installed) && IsFile(paths::ToFs(BARDRILL_BUILT_LAUNCHER))) return BARDRILL_BUILT_LAUNCHER;
#endif
  return paths::FromFs(installed);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(paths::ToFs(temp), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      const int err = errno;
      std::error_code ignored;
      fs::remove(paths::ToFs(temp), ignored);
      throw std::runtime_error(temp + ": cannot be written (" + SystemErrorText(err) + ")");
    }
  }
  std::error_code ec;
  fs::rename(paths::ToFs(temp), paths::ToFs(path), ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(paths::ToFs(temp), ignored);
    throw std::runtime_error(path + ": cannot be replaced (" + ec.message() + ")");
  }
}

void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string utf8;
  for (const std::string& line : lines) utf8 += line + "\r\n";
  WriteWholeFile(path, codec::Utf8ToCp932(utf8));
}

void WriteSchool(const std::string& rootText, const SchoolSettings& settings, const Sources& sources,
                 int64_t today) {
  const fs::path root = paths::ToFs(rootText);
  const fs::path program = root / paths::ToFs(kProgramFolder);
  const fs::path common = root / paths::ToFs(kCommonFolder);
  const fs::path sounds = common / paths::ToFs(kSoundFolder);
  const fs::path data = common / paths::ToFs(kProgramFolder);
  for (const fs::path& folder : {program, common, sounds, data}) MakeFolder(folder);

  WritePathFile(root);
  WriteSchoolFile(common, settings);
  WriteTeacherRoster(common, settings, today);
  if (sources.sounds.empty())
    WriteProgramSounds(paths::FromFs(sounds));
  else
    CopySounds(paths::ToFs(sources.sounds), sounds);
  WriteStandardsFile(data);
  WriteMenuStandIn(root);
  if (sources.program) WriteLauncher(program, *sources.program);
}

std::string InitSchool(const std::string& dir, const SchoolSettings& settings, const Sources& sources,
                       int64_t today) {
  fs::path folder = fs::absolute(paths::ToFs(dir)).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  std::error_code ec;
  const bool existed = fs::exists(folder, ec);
  if (existed && !fs::is_directory(folder, ec))
    throw Refusal(paths::FromFs(folder) + ": is a file; init lays out a school in a new or empty folder");
  if (existed) {
    std::vector<std::string> held;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
      if (held.size() == 3) {
        held.push_back("…");
        break;
      }
      held.push_back(paths::FromFs(entry.path().filename()));
    }
    if (!held.empty()) {
      std::string list;
      for (const std::string& name : held) list += (list.empty() ? "" : ", ") + name;
      throw Refusal(paths::FromFs(folder) + ": the folder is not empty (it holds " + list +
                    "); init lays out a school only in a new or empty folder, so that no other school's "
                    "files are mixed in or overwritten");
    }
  }
  std::vector<std::string> problems = SettingsProblems(settings);
  if (!sources.sounds.empty() && !IsFile(paths::ToFs(sources.sounds) / paths::ToFs(kSoundMap)))
    problems.push_back(sources.sounds + kSoundMap + ": the sounds that come with bardrill are not there; " +
                       "reinstall the package");
  if (sources.program && !IsFile(paths::ToFs(*sources.program)))
    problems.push_back(*sources.program + ": the program is not there; reinstall the package");
#ifdef _WIN32
  if (!IsFile(paths::ToFs(LauncherProgram())))
    problems.push_back(LauncherProgram() +
                       ": the launcher that a school starts the program with is not "
                       "there; reinstall bardrill");
#endif
  if (!problems.empty()) throw Refusal(problems);

  fs::create_directories(folder, ec);
  if (ec)
    throw std::runtime_error(paths::FromFs(folder) + ": cannot be made a folder (" + ec.message() + ")");
  try {
    WriteSchool(paths::FromFs(folder), settings, sources, today);
  } catch (...) {
    // The folder was empty: nothing in it is anyone else's.
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored))
      fs::remove_all(entry.path(), ignored);
    if (!existed) fs::remove(folder, ignored);
    throw;
  }
  return Slashed(folder);
}

std::string ProgramFolderOf(const std::string& dir) {
  fs::path folder = fs::absolute(paths::ToFs(dir)).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  if (IsFile(folder / paths::ToFs(kPathFile))) return Slashed(folder / paths::ToFs(kProgramFolder));
  if (IsFile(folder.parent_path() / paths::ToFs(kPathFile))) return Slashed(folder);
  throw Refusal(paths::FromFs(folder / paths::ToFs(kPathFile)) + ": not found: " + paths::FromFs(folder) +
                " is not a school's folder (one that bardrill-school init laid out, holding " + kPathFile +
                " and the program folder " + kProgramFolder + ")");
}

}  // namespace bardrill::school
