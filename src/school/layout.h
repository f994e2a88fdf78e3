#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/setup/menu_program.h"
#include "school/launcher_file.h"

// The installation a school runs, laid out by `bardrill-school init` and by the demo generator alike:
//
//   DIR/パスデータ.txt                   names the common data folder as ..\共通\ (relative: DIR may move)
//   DIR/ソネタ/bardrill                  the program folder: the program, or a launcher of the installed one
//                                        (bardrill.exe on Windows)
//   DIR/起動/プログラムメニューc.exe     the menu stand-in, which starts the program again
//   DIR/共通/共通データ.txt              school year start, school code and name, teacher password
//   DIR/共通/新名簿.txt                  the roster
//   DIR/共通/音フォルダ/                 the sound map 新音ファイル.txt and its WAV files
//   DIR/共通/ソネタ/タイム回数データ.txt the standards of the three levels (the results file comes later)
namespace bardrill::school {

inline constexpr const char* kProgramFolder = "ソネタ";
inline constexpr const char* kCommonFolder = "共通";
inline constexpr const char* kSoundFolder = "音フォルダ";
using bardrill::kMenuFolder;
using bardrill::kMenuProgram;
#ifdef _WIN32
inline constexpr const char* kProgramFile = "bardrill.exe";
#else
inline constexpr const char* kProgramFile = "bardrill";
#endif
// On Windows the launcher and the menu stand-in are both this program, installed beside bardrill-school.
inline constexpr const char* kLauncherProgram = "bardrill-launcher.exe";
inline constexpr const char* kPathFile = "パスデータ.txt";
inline constexpr const char* kTeacherName = "先生";
inline constexpr int kTeacherNumber = 5000;  // out of the way of a class list's 1, 2, 3 …

// What init asks for (or takes by default).
struct SchoolSettings {
  int startMonth = 4;  // the month in which the school year starts
  std::string code;    // five digits, not all zero; empty: none (records carry blanks)
  std::string name = "学習塾";
  std::string password;  // the teacher's password
};

// What the program would misread or refuse in the settings, one sentence each (empty when none).
std::vector<std::string> SettingsProblems(const SchoolSettings& settings);

// Where a layout takes the program and the sounds from.
struct Sources {
  std::string sounds;                  // a folder with 新音ファイル.txt and the WAV files it names;
                                       // empty: the sounds are written afresh (WriteProgramSounds)
  std::optional<std::string> program;  // the installed program the program folder starts; nothing: the
                                       // folder is left to whoever puts the program there (the build)
};

// The sounds and the program that come with this bardrill-school: installed beside it
// (../share/bardrill/sounds/, ./bardrill), else those of the build it was made in.
Sources InstalledSources();
// The launcher program that comes with this bardrill-school on Windows: bardrill-launcher.exe beside it,
// else the build's. Init copies it as the program folder's launcher and as the menu stand-in.
std::string LauncherProgram();

// Writes every file of the installation under `root` (an existing folder), replacing those already
// there, for a school year that `today` lies in. Throws std::runtime_error naming the file that failed.
void WriteSchool(const std::string& root, const SchoolSettings& settings, const Sources& sources,
                 int64_t today);

// A file of the installation that the program reads as CP932 text: written so, each line ended by CR LF,
// whole (through a temporary file renamed over it). Throws std::runtime_error naming the file.
void WriteTextFile(const std::string& path, const std::vector<std::string>& lines);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// `bardrill-school init`: refuses a `dir` that holds anything (throws Refusal), creates it when missing,
// writes the school, and on a failure part-way removes what it made. Returns the folder, absolute.
std::string InitSchool(const std::string& dir, const SchoolSettings& settings, const Sources& sources,
                       int64_t today);

// The program folder of the installation named by `dir`: its ソネタ folder when `dir` holds
// パスデータ.txt, `dir` itself when its parent does. Throws Refusal naming the path file otherwise.
std::string ProgramFolderOf(const std::string& dir);

// A refusal of a command: every fault found, each naming its file (and line), nothing written.
class Refusal : public std::exception {
 public:
  explicit Refusal(std::vector<std::string> problems) : problems_(std::move(problems)) {}
  explicit Refusal(std::string problem) : problems_{std::move(problem)} {}
  const std::vector<std::string>& problems() const { return problems_; }
  const char* what() const noexcept override { return problems_.front().c_str(); }

 private:
  std::vector<std::string> problems_;
};

}  // namespace bardrill::school
