// bardrill-demo-gen ROOT [--today YYYY-MM-DD]
//
// Lays out a demo installation under ROOT as a school installs the program: the path file beside the
// program folder, the common data folder (school configuration, roster, sounds) and the program's data
// folder (standards and a seeded results history). Every data file is rewritten on each run; the
// program folder ROOT/ソネタ/ is created when missing and otherwise left alone, because the build puts
// the program there. Nothing outside ROOT is touched.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "core/result_record.h"
#include "core/standards.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/streams.h"
#include "wav_synth.h"

namespace fs = std::filesystem;
using namespace bardrill;

namespace {

constexpr const char* kProgramFolder = "ソネタ";
constexpr const char* kCommonFolder = "共通";
constexpr const char* kSoundFolder = "音フォルダ";
constexpr const char* kSchoolCode = "01234";
constexpr int kSchoolYearStartMonth = 4;
constexpr int kHistoryDays = 56;
constexpr uint64_t kSeed = 20040507;
constexpr int kNewcomer = 45;  // enrolled this week: on the roster, no drills yet

struct Student {
  int number;
  const char* name;
  int grade;  // grade index in the school year of today: 0 = 幼３, 1 = 小１ … 9 = 中３; adults far above
  int status;  // 0 active, 1 hidden, 2 on leave
  bool teacher;
};

// About forty children from 幼３ to 中３ (numbers with the gaps a real roster has), two of them on leave,
// one hidden, and the two teacher accounts that the hub recognises by "先生" and "★".
const std::vector<Student> kStudents = {
    {1, "山田 太郎", 9, 0, false},    {2, "佐藤 花子", 8, 0, false},  {3, "鈴木 一郎", 7, 0, false},
    {4, "高橋 美咲", 6, 0, false},    {5, "田中 健太", 5, 0, false},  {6, "伊藤 さくら", 4, 0, false},
    {8, "渡辺 翔", 3, 0, false},      {9, "中村 優奈", 2, 0, false},  {10, "小林 大輔", 1, 0, false},
    {11, "加藤 陽菜", 0, 0, false},   {12, "吉田 蓮", 9, 2, false},   {14, "山本 結衣", 8, 0, false},
    {15, "松本 悠斗", 7, 0, false},   {16, "井上 葵", 6, 0, false},   {17, "木村 拓海", 5, 0, false},
    {18, "林 美月", 4, 0, false},     {19, "斎藤 颯太", 3, 0, false}, {20, "清水 凛", 2, 0, false},
    {21, "山口 陸", 1, 0, false},     {23, "森 芽依", 0, 0, false},   {24, "池田 大翔", 9, 0, false},
    {25, "橋本 莉子", 8, 0, false},   {26, "阿部 湊", 7, 0, false},   {27, "石川 心春", 6, 2, false},
    {28, "山下 奏太", 5, 0, false},   {29, "中島 彩花", 4, 0, false}, {30, "石井 蒼", 3, 0, false},
    {32, "小川 ひまり", 2, 0, false}, {33, "前田 樹", 1, 0, false},   {34, "岡田 杏", 0, 0, false},
    {35, "長谷川 隼", 8, 1, false},   {36, "藤田 琴音", 7, 0, false}, {37, "後藤 晴", 6, 0, false},
    {38, "近藤 紬", 5, 0, false},     {39, "村上 朝陽", 4, 0, false}, {41, "遠藤 真央", 3, 0, false},
    {42, "青木 律", 2, 0, false},     {43, "坂本 咲良", 1, 0, false}, {44, "斉藤 歩", 0, 0, false},
    {45, "福田 千尋", 9, 0, false},   {900, "先生", 40, 0, true},     {901, "★管理", 32, 0, true},
};

struct LevelStandards {
  int targetTime;
  const char* line;  // the twelve values as the standards editor writes them
};
const LevelStandards kLevels[] = {
    {60, "60,120,100,10,1,10,200,7,1,,,"},
    {90, "90,180,100,10,1,10,200,7,1,,,"},
    {120, "120,240,150,15,1.5,10,300,14,1,,,"},
};

// ---- files -------------------------------------------------------------------------------------------

// Written beside the target and renamed over it, so a reader never sees half a file.
void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::path temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out)
      throw std::runtime_error(paths::FromFs(temp) + ": cannot be written (" + SystemErrorText(errno) + ")");
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) throw std::runtime_error(paths::FromFs(path) + ": cannot be replaced (" + ec.message() + ")");
}

// A text file of the school's kind: CP932, every line ended by CR LF.
void WriteTextFile(const fs::path& path, const std::vector<std::string>& lines) {
  std::string utf8;
  for (const std::string& line : lines) utf8 += line + "\r\n";
  WriteFile(path, codec::Utf8ToCp932(utf8));
}

void MakeFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directory(folder, ec);
  if (ec || !fs::is_directory(folder)) {
    throw std::runtime_error(paths::FromFs(folder) + ": cannot be made a folder" +
                             (ec ? " (" + ec.message() + ")" : ""));
  }
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// ---- configuration and roster -----------------------------------------------------------------------

void WritePathFile(const fs::path& root, const std::string& commonFolder) {
  if (commonFolder.find('"') != std::string::npos) {
    throw std::runtime_error(commonFolder +
                             ": a folder whose path holds a double quote cannot be configured");
  }
  std::vector<std::string> lines = {Quoted(commonFolder)};
  for (int item = 2; item <= 10; ++item) lines.push_back(item % 2 == 0 ? "\"\"" : "0");
  WriteTextFile(root / paths::ToFs("パスデータ.txt"), lines);
}

void WriteSchoolFile(const fs::path& common) {
  WriteTextFile(common / paths::ToFs("共通データ.txt"), {
                                                            std::to_string(kSchoolYearStartMonth),
                                                            Quoted(std::string(kSchoolCode) + "さくら学習塾"),
                                                            "0",  // on-leave students are not listed
                                                            "0",
                                                            "0",
                                                            Quoted("1234"),  // the teacher password
                                                            "0",
                                                            "0",
                                                            "\"\"",
                                                            "\"\"",
                                                        });
}

int SchoolYearOf(int64_t today) {
  calendar::CivilDate d = calendar::FromDayCount(today);
  return d.month < kSchoolYearStartMonth ? d.year - 1 : d.year;
}

void WriteRoster(const fs::path& common, int schoolYear) {
  std::vector<std::string> lines;
  for (const Student& s : kStudents) {
    int birthYear = schoolYear - 6 - s.grade;
    lines.push_back(std::to_string(s.number) + "," + std::to_string(birthYear) + ",0,0," + Quoted(s.name) +
                    "," + std::to_string(s.status) + ",\"\",\"\"");
  }
  WriteTextFile(common / paths::ToFs("新名簿.txt"), lines);
}

void WriteStandards(const fs::path& dataFolder) {
  std::string header;
  for (int c = 0; c < kStandardColumns; ++c) header += (c ? "," : "") + std::string(kStandardTitles[c]);
  std::vector<std::string> lines = {header};
  for (const LevelStandards& level : kLevels) lines.push_back(level.line);
  WriteTextFile(dataFolder / paths::ToFs("タイム回数データ.txt"), lines);
}

// ---- sounds ------------------------------------------------------------------------------------------

struct Sound {
  std::string file;  // without ".wav"
  std::vector<demo::Tone> tones;
};

demo::Tone Chime(double start, int note, double length = 0.45, double loudness = 1) {
  return {start, length, demo::NoteHz(note), demo::NoteHz(note), loudness, demo::Timbre::Bell};
}
demo::Tone Horn(double start, int note, double length, double loudness = 1) {
  return {start, length, demo::NoteHz(note), demo::NoteHz(note), loudness, demo::Timbre::Brass};
}
demo::Tone Buzzer(double start, double fromHz, double toHz, double length, double loudness = 1) {
  return {start, length, fromHz, toHz, loudness, demo::Timbre::Buzz};
}

// A bright two-note chime, the second note higher: the right-answer sound.
Sound RisingChime(const std::string& file, int low, int high) {
  return {file, {Chime(0, low, 0.18), Chime(0.12, high, 0.42)}};
}

// A short fanfare from (start, note, length) triples, each note doubled an octave down for body.
Sound Fanfare(const std::string& file, const std::vector<std::array<double, 3>>& notes) {
  Sound sound{file, {}};
  for (const auto& [start, note, length] : notes) {
    sound.tones.push_back(Horn(start, static_cast<int>(note), length));
    sound.tones.push_back(Horn(start, static_cast<int>(note) - 12, length, 0.4));
  }
  return sound;
}

struct Cue {
  const char* name;
  std::vector<Sound> sounds;
};

// Every cue of the sound map with its variants; the right and wrong answers have several, so that
// the drill's feedback does not become monotonous.
std::vector<Cue> Cues() {
  return {
      {"正解音1", {RisingChime("ピンポン", 76, 84)}},
      {"正解音2", {RisingChime("正解A", 76, 81), RisingChime("正解B", 79, 84), RisingChime("正解C", 81, 88)}},
      {"間違い音1",
       {{"ブー", {Buzzer(0, 140, 140, 0.45)}},
        {"ブブー", {Buzzer(0, 150, 150, 0.14), Buzzer(0.19, 150, 150, 0.34)}},
        {"ヒュー", {Buzzer(0, 392, 196, 0.5, 0.7)}}}},
      {"間違い音2", {{"ブッブー", {Buzzer(0, 110, 110, 0.12), Buzzer(0.17, 110, 100, 0.3)}}}},
      {"最高音1", {Fanfare("最高A", {{{0, 67, 0.12}, {0.13, 72, 0.12}, {0.26, 76, 0.12}, {0.39, 79, 0.5}}})}},
      {"最高音2", {Fanfare("最高B", {{{0, 72, 0.15}, {0.16, 72, 0.15}, {0.32, 79, 0.55}}})}},
      {"自己最高音1", {Fanfare("自己最高A", {{{0, 72, 0.12}, {0.13, 76, 0.12}, {0.26, 79, 0.4}}})}},
      {"自己最高音2",
       {Fanfare("自己最高B", {{{0, 74, 0.1}, {0.11, 78, 0.1}, {0.22, 81, 0.1}, {0.33, 86, 0.45}}})}},
      {"自己最高音3", {Fanfare("自己最高C", {{{0, 77, 0.14}, {0.15, 81, 0.14}, {0.3, 84, 0.45}}})}},
      {"不合格音1", {{"残念", {Horn(0, 67, 0.28, 0.8), Horn(0.3, 63, 0.28, 0.8), Horn(0.6, 60, 0.55, 0.8)}}}},
  };
}

// The two fixed sounds of the completion screen, played by name rather than through the map.
std::vector<Sound> FixedSounds() {
  return {
      Fanfare("最高1", {{{0, 67, 0.1},
                         {0.11, 67, 0.1},
                         {0.22, 67, 0.1},
                         {0.34, 72, 0.3},
                         {0.66, 76, 0.16},
                         {0.83, 79, 0.37}}}),
      Fanfare("合格", {{{0, 72, 0.13}, {0.14, 76, 0.13}, {0.28, 79, 0.13}, {0.42, 84, 0.45}}}),
  };
}

void WriteSounds(const fs::path& soundFolder) {
  std::vector<std::string> map;
  std::vector<Sound> sounds = FixedSounds();
  for (Cue& cue : Cues()) {
    map.push_back(cue.name);
    for (Sound& sound : cue.sounds) {
      map.push_back(sound.file);
      sounds.push_back(std::move(sound));
    }
    map.push_back("*");
  }
  WriteTextFile(soundFolder / paths::ToFs("新音ファイル.txt"), map);
  for (const Sound& sound : sounds) {
    WriteFile(soundFolder / paths::ToFs(sound.file + ".wav"), demo::WavFile(demo::Render(sound.tones)));
  }
}

// ---- results history ---------------------------------------------------------------------------------

struct Drill {
  int64_t date;
  int secondOfDay;
  int student;
  int level;
  int seconds;
};

// How much slower than the level's target time a child of this grade typically is at first.
double GradeFactor(int grade) { return std::max(0.6, 1.7 - 0.12 * grade); }

int HighestLevelFor(int grade) { return grade >= 5 ? 3 : grade >= 3 ? 2 : 1; }

// Roughly eight weeks of drills: each child comes on some afternoons (not on Sundays), does one to
// three drills, mostly at the highest level their grade allows, and gets slowly faster. About a third
// of the children come today. A fixed seed makes reruns identical for the same today.
std::vector<Drill> History(int64_t today) {
  SystemRandom random;
  random.Seed(kSeed);
  std::vector<Drill> drills;
  const int64_t first = today - (kHistoryDays - 1);
  for (size_t i = 0; i < kStudents.size(); ++i) {
    const Student& s = kStudents[i];
    double skill = 0.85 + 0.4 * random.Next();
    double attendance = 0.25 + 0.25 * random.Next();
    if (s.teacher || s.number == kNewcomer) continue;
    for (int64_t day = first; day <= today; ++day) {
      bool comesToday = day == today && i % 3 == 0;
      double chance = random.Next();
      bool onLeave = s.status == 2 && day > today - 21;
      if (onLeave || (calendar::Weekday(day) == 0 && !comesToday)) continue;
      if (!comesToday && chance >= attendance) continue;
      double progress = static_cast<double>(day - first) / (kHistoryDays - 1);
      int secondOfDay = static_cast<int>((15.5 + 4.0 * random.Next()) * 3600);
      int count = 1 + static_cast<int>(random.Next() * 3);
      for (int d = 0; d < count; ++d) {
        int highest = HighestLevelFor(s.grade);
        int level = random.Next() < 0.6 ? highest : 1 + static_cast<int>(random.Next() * highest);
        double pace = GradeFactor(s.grade) * skill * (1.1 - 0.3 * progress) * (0.9 + 0.2 * random.Next());
        if (random.Next() < 0.02) pace *= 2.5;  // an off day: distracted, or stuck on one problem
        int seconds = std::max(15, static_cast<int>(std::lround(kLevels[level - 1].targetTime * pace)));
        drills.push_back({day, secondOfDay, s.number, level, seconds});
        secondOfDay += seconds + 30 + static_cast<int>(random.Next() * 90);
      }
    }
  }
  // The file grows in the order drills end, across all children.
  std::stable_sort(drills.begin(), drills.end(), [](const Drill& a, const Drill& b) {
    return a.date != b.date ? a.date < b.date : a.secondOfDay < b.secondOfDay;
  });
  return drills;
}

size_t WriteResults(const fs::path& dataFolder, int64_t today) {
  std::vector<Drill> drills = History(today);
  std::string bytes;
  bytes.reserve(drills.size() * kRecordSize);
  for (const Drill& d : drills) {
    double time = std::min(d.secondOfDay, 86399) / 86400.0;
    RecordBytes record =
        MakeNewRecord(static_cast<double>(d.date), time, d.student, d.level, d.seconds, kSchoolCode).Encode();
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  WriteFile(dataFolder / paths::ToFs("成績累積データ.dat"), bytes);
  return drills.size();
}

// ---- command line ------------------------------------------------------------------------------------

int Usage(const std::string& why) {
  std::cerr << "bardrill-demo-gen: " << why << "\n"
            << "usage: bardrill-demo-gen ROOT [--today YYYY-MM-DD]\n"
            << "Lays out a demo installation of the program under ROOT (whose parent folder must exist).\n";
  return 2;
}

// The school's menu program lives in a sibling folder and is started with "001" when a child leaves.
// The demo has no other drill programs, so its stand-in simply starts this one again.
void WriteMenuStandIn(const fs::path& root) {
  const fs::path folder = root / paths::ToFs("起動");
  MakeFolder(folder);
  const fs::path menu = folder / paths::ToFs("プログラムメニューc.exe");
  WriteFile(menu, std::string("#!/bin/sh\n"
                              "# Stand-in for the school's menu program (started with the argument 001).\n"
                              "cd \"$(dirname \"$0\")/../") +
                      kProgramFolder + "\" && exec ./bardrill\n");
  fs::permissions(menu, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
}

void Generate(const fs::path& root, int64_t today) {
  const fs::path common = root / paths::ToFs(kCommonFolder);
  const fs::path sounds = common / paths::ToFs(kSoundFolder);
  const fs::path data = common / paths::ToFs(kProgramFolder);
  for (const fs::path& folder : {root, root / paths::ToFs(kProgramFolder), common, sounds, data})
    MakeFolder(folder);

  const std::string commonFolder = paths::WithSeparator(paths::FromFs(common));
  WritePathFile(root, commonFolder);
  WriteSchoolFile(common);
  WriteRoster(common, SchoolYearOf(today));
  WriteSounds(sounds);
  WriteStandards(data);
  WriteMenuStandIn(root);
  size_t records = WriteResults(data, today);
  std::cout << "Demo installation in " << paths::FromFs(root) << ": " << kStudents.size() << " roster lines, "
            << records << " results up to " << calendar::FormatDate(today) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  bardrill::PrepareStandardStreams();
  std::vector<std::string> args(argv + 1, argv + argc);
  std::optional<std::string> root;
  std::optional<int64_t> today;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--today") {
      if (i + 1 >= args.size()) return Usage("--today needs a date");
      today = calendar::ParseIsoDate(args[++i]);
      if (!today) return Usage("not a date of the form YYYY-MM-DD: " + args[i]);
    } else if (!args[i].empty() && args[i][0] == '-') {
      return Usage("unknown option " + args[i]);
    } else if (root) {
      return Usage("only one ROOT folder may be given");
    } else {
      root = args[i];
    }
  }
  if (!root || root->empty()) return Usage("the ROOT folder is missing");
  try {
    fs::path absolute = fs::absolute(paths::ToFs(*root)).lexically_normal();
    if (!absolute.has_filename()) absolute = absolute.parent_path();
    if (!fs::is_directory(absolute.parent_path())) {
      throw std::runtime_error(paths::FromFs(absolute.parent_path()) +
                               ": the folder that should hold ROOT does not exist");
    }
    Generate(absolute, today ? *today : SystemClock().Today());
  } catch (const std::exception& e) {
    std::cerr << "bardrill-demo-gen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
