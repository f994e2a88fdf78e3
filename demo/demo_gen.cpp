// bardrill-demo-gen ROOT [--today YYYY-MM-DD]
//
// Lays out a demo installation under ROOT as `bardrill-school init` lays out a school (school/layout.h),
// with about forty invented children on its roster and eight weeks of their drills in its results file.
// Every data file is rewritten on each run; the
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
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/streams.h"
#include "school/layout.h"
#include "school/roster_csv.h"

namespace fs = std::filesystem;
using namespace bardrill;

namespace {

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

int SchoolYearOf(int64_t today) {
  calendar::CivilDate d = calendar::FromDayCount(today);
  return d.month < kSchoolYearStartMonth ? d.year - 1 : d.year;
}

// The demo's children replace the roster that a new school starts with.
void WriteRoster(const fs::path& common, int schoolYear) {
  std::vector<RosterLine> lines;
  for (const Student& s : kStudents) {
    RosterLine line;
    line.entry.number = s.number;
    line.entry.birthYear = schoolYear - 6 - s.grade;
    line.entry.name = s.name;
    line.status = s.status;
    lines.push_back(line);
  }
  school::WriteTextFile(paths::FromFs(common / paths::ToFs("新名簿.txt")), school::RosterFileLines(lines));
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
// of the children come today, before `nowSecond`, the time of day it is. A fixed seed makes reruns
// identical for the same today and time.
// Today's afternoon has not happened yet early in the day: today's drills keep their order and move
// into the part of the day that has passed, so that no list shows a drill later than the clock.
void FitTodayBefore(std::vector<Drill>& drills, int64_t today, int nowSecond) {
  constexpr int kMarginSeconds = 60;
  int latest = 0;
  for (const Drill& d : drills)
    if (d.date == today) latest = std::max(latest, d.secondOfDay);
  const int room = nowSecond - kMarginSeconds;
  if (latest <= room) return;
  for (Drill& d : drills) {
    if (d.date == today)
      d.secondOfDay = static_cast<int>(int64_t{d.secondOfDay} * std::max(room, 0) / latest);
  }
}

std::vector<Drill> History(const LevelTable<LevelStandard>& standards, int64_t today, int nowSecond) {
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
        int seconds = std::max(15, static_cast<int>(std::lround(standards[level].targetTime * pace)));
        drills.push_back({day, secondOfDay, s.number, level, seconds});
        secondOfDay += seconds + 30 + static_cast<int>(random.Next() * 90);
      }
    }
  }
  FitTodayBefore(drills, today, nowSecond);
  // The file grows in the order drills end, across all children.
  std::stable_sort(drills.begin(), drills.end(), [](const Drill& a, const Drill& b) {
    return a.date != b.date ? a.date < b.date : a.secondOfDay < b.secondOfDay;
  });
  return drills;
}

size_t WriteResults(const fs::path& dataFolder, const LevelTable<LevelStandard>& standards, int64_t today,
                    int nowSecond) {
  std::vector<Drill> drills = History(standards, today, nowSecond);
  std::string bytes;
  bytes.reserve(drills.size() * kRecordSize);
  for (const Drill& d : drills) {
    double time = std::min(d.secondOfDay, 86399) / 86400.0;
    RecordBytes record =
        MakeNewRecord(static_cast<double>(d.date), time, d.student, d.level, d.seconds, kSchoolCode).Encode();
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  school::WriteWholeFile(paths::FromFs(dataFolder / paths::ToFs("成績累積データ.dat")), bytes);
  return drills.size();
}

// ---- command line ------------------------------------------------------------------------------------

constexpr int kSecondsPerDay = 86400;

// "HH:MM" as seconds since midnight.
std::optional<int> SecondOfDay(const std::string& text) {
  int hours = 0, minutes = 0;
  char colon = 0;
  std::istringstream in(text);
  if (!(in >> hours >> colon >> minutes) || colon != ':' || !in.eof() || hours < 0 || hours > 23 ||
      minutes < 0 || minutes > 59)
    return std::nullopt;
  return hours * 3600 + minutes * 60;
}

int Usage(const std::string& why) {
  std::cerr << "bardrill-demo-gen: " << why << "\n"
            << "usage: bardrill-demo-gen ROOT [--today YYYY-MM-DD] [--time HH:MM]\n"
            << "Lays out a demo installation of the program under ROOT (whose parent folder must exist).\n";
  return 2;
}

// A school laid out as `bardrill-school init` lays one out, with the demo's children and their history.
// The program folder is left to the build, which puts the program there.
void Generate(const fs::path& root, int64_t today, int nowSecond) {
  std::error_code ec;
  fs::create_directory(root, ec);
  if (!fs::is_directory(root)) throw std::runtime_error(paths::FromFs(root) + ": cannot be made a folder");
  const school::SchoolSettings settings{kSchoolYearStartMonth, kSchoolCode, "さくら学習塾", "1234"};
  school::WriteSchool(paths::FromFs(root), settings, {school::InstalledSources().sounds, std::nullopt},
                      today);
  const fs::path common = root / paths::ToFs(school::kCommonFolder);
  WriteRoster(common, SchoolYearOf(today));
  AppState state;
  LoadDataConfiguration(state, paths::FromFs(root / paths::ToFs(school::kProgramFolder)));
  size_t records =
      WriteResults(common / paths::ToFs(school::kProgramFolder), state.Standards, today, nowSecond);
  std::cout << "Demo installation in " << paths::FromFs(root) << ": " << kStudents.size() << " roster lines, "
            << records << " results up to " << calendar::FormatDate(today) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  bardrill::PrepareStandardStreams();
  std::vector<std::string> args(argv + 1, argv + argc);
  std::optional<std::string> root;
  std::optional<int64_t> today;
  std::optional<int> nowSecond;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--today") {
      if (i + 1 >= args.size()) return Usage("--today needs a date");
      today = calendar::ParseIsoDate(args[++i]);
      if (!today) return Usage("not a date of the form YYYY-MM-DD: " + args[i]);
    } else if (args[i] == "--time") {
      if (i + 1 >= args.size()) return Usage("--time needs a time of day");
      nowSecond = SecondOfDay(args[++i]);
      if (!nowSecond) return Usage("not a time of day of the form HH:MM: " + args[i]);
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
    SystemClock clock;
    const int64_t realToday = clock.Today();
    if (!today) today = realToday;
    // A day other than today is over, or has not begun: it keeps its whole afternoon.
    if (!nowSecond)
      nowSecond = *today == realToday ? static_cast<int>(clock.SecondsSinceMidnight()) : kSecondsPerDay;
    Generate(absolute, *today, *nowSecond);
  } catch (const std::exception& e) {
    std::cerr << "bardrill-demo-gen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
