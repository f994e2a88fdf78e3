#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "core/app_state.h"
#include "core/services.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/sound_player.h"
#include "screens/application.h"
#include "screens/firstfrm.h"
#include "screens/program_window.h"
#include "screens/qt_services.h"
#include "screens/screens.h"
#include "screens/ui_setup.h"

namespace {
// What the program's command line asks for.
struct ProgramOptions {
  // "--window": a framed window of the largest page's size, for a teacher's development PC. A school
  // gets the full screen without asking for it.
  bool window = false;
  // "--program-folder DIR": the school's program folder, for the installed program that a school's
  // folder starts through its launcher (bardrill-school init). Without it the program's own folder is
  // the program folder, as when the program itself lies in the school's folder (the demo, a copied
  // installation).
  std::optional<std::string> programFolder;
};

std::string AbsoluteFolder(const QString& folder) {
  std::string absolute = bardrill::paths::FromFs(
      std::filesystem::absolute(bardrill::paths::ToFs(folder.toStdString())).lexically_normal());
  if (!bardrill::paths::EndsWithSeparator(absolute)) absolute += bardrill::paths::kSeparator;
  return absolute;
}

// A command line the program cannot take: on standard error, and on Windows, where the program has no
// console, in a message box as well.
void Refuse(const QString& why) {
  const std::string text = "bardrill: " + why.toStdString() + "\n(bardrill --help lists the options)\n";
  std::cerr << text << std::flush;
#ifdef _WIN32
  bardrill::screens::QtPrompts().Message("エラー", text);
#endif
}

// Reads the options from the application's arguments (on Windows the UTF-16 command line, so that a
// Japanese folder name survives). Answers --help and --version itself and ends the program (status 0);
// returns nothing after a refusal.
std::optional<ProgramOptions> ReadOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Timed bar-diagram drills for a cram school's children."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption window(QStringLiteral("window"),
                                  QStringLiteral("A framed window instead of the full screen, for a "
                                                 "development PC."));
  const QCommandLineOption folder(QStringLiteral("program-folder"),
                                  QStringLiteral("The school's program folder (ソネタ), when the program is "
                                                 "installed elsewhere; a school's launcher gives it."),
                                  QStringLiteral("DIR"));
  parser.addOptions({window, folder});
  if (!parser.parse(arguments)) {
    // Qt names an unknown option without its dashes; a teacher compares it with what was typed.
    const QStringList unknown = parser.unknownOptionNames();
    const QString dashes = !unknown.isEmpty() && unknown.front().size() == 1 ? "-" : "--";
    Refuse(unknown.isEmpty() ? parser.errorText() : "unknown option " + dashes + unknown.front());
    return std::nullopt;
  }
  if (parser.isSet(help)) parser.showHelp(0);
  if (parser.isSet(version)) parser.showVersion();
  if (!parser.positionalArguments().isEmpty()) {
    Refuse(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().front()));
    return std::nullopt;
  }
  if (parser.values(folder).size() > 1) {
    Refuse(QStringLiteral("--program-folder is given twice"));
    return std::nullopt;
  }
  ProgramOptions options;
  options.window = parser.isSet(window);
  if (parser.isSet(folder)) options.programFolder = AbsoluteFolder(parser.value(folder));
  return options;
}

// Started from the desktop's menu (or /usr/bin) rather than from a school's folder: say how to get one,
// in Japanese only, as the rest of what a teacher reads at the PC.
#ifdef _WIN32
constexpr const char* kNoSchoolHere =
    "このプログラムは学校のフォルダーから起動します（学校のフォルダー\\ソネタ\\bardrill.exe）。\n"
    "学校のフォルダーがまだなければ、コマンド プロンプトで「bardrill-school init "
    "フォルダー」を実行して作ってください。\n\n";
#else
constexpr const char* kNoSchoolHere =
    "このプログラムは学校のフォルダーから起動します（学校のフォルダー/ソネタ/bardrill）。\n"
    "学校のフォルダーがまだなければ、端末で「bardrill-school init フォルダー」を実行して作ってください。\n\n";
#endif
// BARDRILL_FIXED_RANDOM=F (a fraction in [0, 1)): every draw is F, so that every problem of a drill is
// the same one. For tests of the real program that type answers without reading the screen.
class FixedRandom : public bardrill::RandomSource {
 public:
  explicit FixedRandom(double value) : value_(value) {}
  double Next() override { return value_; }
  void Seed(uint64_t) override {}

 private:
  double value_;
};

std::unique_ptr<bardrill::RandomSource> MakeRandom() {
  if (const char* fixed = std::getenv("BARDRILL_FIXED_RANDOM")) {
    char* end = nullptr;
    const double value = std::strtod(fixed, &end);
    if (end != fixed && *end == '\0' && value >= 0 && value < 1) return std::make_unique<FixedRandom>(value);
  }
  return std::make_unique<bardrill::SystemRandom>();
}
}  // namespace

int main(int argc, char** argv) {
  using namespace bardrill;
  // Integral device pixels only: the program scales its pages itself, and a fractional factor on top
  // of ours would blur borders again.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
  screens::Application app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("bardrill"));
  QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                              .arg(BARDRILL_VERSION_MAJOR)
                                              .arg(BARDRILL_VERSION_MINOR)
                                              .arg(BARDRILL_VERSION_PATCH));
  const std::optional<ProgramOptions> options = ReadOptions(QCoreApplication::arguments());
  if (!options) return 2;
  const bool windowed = options->window;
  if (!windowed) screens::ScaleToFitScreen();
  screens::ApplyJapaneseFonts(app);
  // Standard buttons read はい / いいえ / キャンセル.
  QTranslator qtJapanese;
  if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(&qtJapanese);
  }

  SystemClock clock;
  const std::unique_ptr<RandomSource> random = MakeRandom();
  std::unique_ptr<SoundPlayer> sound = MakeSystemSoundPlayer();
  screens::QtLauncher launcher;
  screens::QtPrompts prompts;
  Services services{clock, *random, *sound, launcher, prompts};

  AppState state;
  const std::optional<std::string>& programFolder = options->programFolder;
  state.ExeFolder = programFolder ? *programFolder : paths::ExecutableFolder();
  screens::Screens screens(state, services);
  screens.setFullScreen(!windowed);
  prompts.attach(&screens);
  app.setScreens(&screens);

  const std::string pathFile = paths::Native(state.ExeFolder + "..\\パスデータ.txt");
  if (!programFolder && !paths::Exists(pathFile)) {
    screens.Fail(std::string(kNoSchoolHere) + "見つからないファイル：" + pathFile);
    return 2;
  }
  try {
    screens.Load<screens::Firstfrm>();
  } catch (const std::exception& e) {
    screens.Fail(e.what());
    return 2;
  }
  return app.exec();
}
