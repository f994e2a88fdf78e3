#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <memory>
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
}  // namespace

int main(int argc, char** argv) {
  using namespace bardrill;
  const bool windowed = WantsWindow(argc, argv);
  screens::Application app(argc, argv);
  if (!windowed) screens::ScaleToFitScreen(app);
  screens::ApplyJapaneseFonts(app);
  // Standard buttons read はい / いいえ / キャンセル.
  QTranslator qtJapanese;
  if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(&qtJapanese);
  }

  SystemClock clock;
  SystemRandom random;
  std::unique_ptr<SoundPlayer> sound = MakeSystemSoundPlayer();
  screens::QtLauncher launcher;
  screens::QtPrompts prompts;
  Services services{clock, random, *sound, launcher, prompts};

  AppState state;
  state.ExeFolder = paths::ExecutableFolder();
  screens::Screens screens(state, services);
  screens.setFullScreen(!windowed);
  prompts.attach(&screens);
  app.setScreens(&screens);

  try {
    screens.Load<screens::Firstfrm>();
  } catch (const std::exception& e) {
    screens.Fail(e.what());
    return 2;
  }
  return app.exec();
}
