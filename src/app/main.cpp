#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
// "--window": a framed window of the largest page's size, for a teacher's development PC. A school gets
// the full screen without asking for it.
bool WantsWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--window") return true;
  return false;
}

// "--program-folder DIR": the school's program folder, for the installed program that a school's folder
// starts through its launcher (bardrill-school init). Without it the program's own folder is the program
// folder, as when the program itself lies in the school's folder (the demo, a copied installation).
std::optional<std::string> ProgramFolder(int argc, char** argv) {
  constexpr std::string_view kOption = "--program-folder";
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    std::string folder;
    if (arg == kOption && i + 1 < argc) {
      folder = argv[i + 1];
    } else if (arg.substr(0, kOption.size() + 1) == std::string(kOption) + "=") {
      folder = std::string(arg.substr(kOption.size() + 1));
    } else {
      continue;
    }
    std::string absolute = std::filesystem::absolute(folder).lexically_normal().string();
    if (!bardrill::paths::EndsWithSeparator(absolute)) absolute += bardrill::paths::kSeparator;
    return absolute;
  }
  return std::nullopt;
}

// Started from the desktop's menu (or /usr/bin) rather than from a school's folder: say how to get one,
// in Japanese only, as the rest of what a teacher reads at the PC.
#ifdef _WIN32
constexpr const char* kNoSchoolHere =
    "このプログラムは学校のフォルダーから起動します（学校のフォルダー\\ソネタ\\bardrill.exe）。\n"
    "学校のフォルダーがまだなければ、コマンド プロンプトで「bardrill-school init フォルダー」を実行して作ってください。\n\n";
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
  const bool windowed = WantsWindow(argc, argv);
  // Integral device pixels only: the program scales its pages itself, and a fractional factor on top
  // of ours would blur borders again.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
  screens::Application app(argc, argv);
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
  const std::optional<std::string> programFolder = ProgramFolder(argc, argv);
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
