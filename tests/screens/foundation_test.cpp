#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include "platform/errors.h"
#include "screens/application.h"
#include "screens/basefrm.h"
#include "screens/firstfrm.h"
#include "screens/namesel.h"
#include "screens/program_window.h"
#include "screens/qt_services.h"
#include "screens/screen_fixture.h"
#include "support/process.h"
#include "support/wav.h"

namespace bardrill::testing {
namespace {

// A form that records its entry procedures and keys, and swallows "x".
class Probe : public screens::Form {
 public:
  static constexpr const char* kName = "Probe";
  explicit Probe(screens::Screens& s) : Form(s, QString::fromLatin1(kName)) {
    resize(200, 100);
    edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("Text1"));
  }
  QLineEdit* edit;
  QString keys;
  std::function<void()> onKey;

 protected:
  void Form_KeyPress(char32_t& KeyAscii) override {
    keys += QString::fromUcs4(&KeyAscii, 1);
    if (onKey) onKey();
    if (KeyAscii == U'x') KeyAscii = 0;
  }
};

using Foundation = ScreenTest;

TEST_F(Foundation, KeysReachTheFormFirstAndASwallowedKeyNeverReachesTheControl) {
  Probe* probe = screens.Show<Probe>();
  DoEvents();
  probe->edit->setFocus();
  Type(probe->edit, QStringLiteral("axb"));
  Press(probe->edit, Qt::Key_Return);
  EXPECT_EQ(probe->keys, QStringLiteral("axb\r"));
  EXPECT_EQ(probe->edit->text(), QStringLiteral("ab"));
}

TEST_F(Foundation, OnlyBecomingTheShownPageRunsTheEntryProcedure) {
  screens::QtPrompts prompts;
  prompts.attach(&screens);
  Probe* probe = screens.Show<Probe>();
  DoEvents();
  EXPECT_EQ(probe->activationCount(), 1);
  EXPECT_EQ(probe->window(), screens.window()) << "a page of the one window";

  // One of our own message boxes closing, another program taking the focus and giving it back, the
  // window minimised and restored: none of them is a new entry.
  QTimer::singleShot(50, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  prompts.Message("題", "本文");
  DoEvents();
  QWidget other;
  other.show();
  other.activateWindow();
  DoEvents();
  screens.window()->activateWindow();
  screens.window()->showMinimized();
  DoEvents();
  screens.window()->showNormal();
  DoEvents();
  EXPECT_EQ(probe->activationCount(), 1);
  screens.Show<Probe>();
  DoEvents();
  EXPECT_EQ(probe->activationCount(), 1) << "showing the page already shown";

  // Another page shown in its place, then this one again: that is an entry.
  screens.Show<screens::BASEFRM>();
  DoEvents();
  EXPECT_FALSE(probe->isVisible());
  screens.Show<Probe>();
  DoEvents();
  EXPECT_EQ(probe->activationCount(), 2);
  EXPECT_FALSE(screens.Find<screens::BASEFRM>()->isVisible()) << "one page at a time";
}

TEST_F(Foundation, TheApplicationEndsTheProgramOnACoreFailure) {
  auto* app = static_cast<screens::Application*>(QApplication::instance());
  app->setScreens(&screens);
  Probe* probe = screens.Show<Probe>();
  DoEvents();
  probe->onKey = [] { throw std::runtime_error("共通データ.txt: line 1: broken"); };
  Type(probe->edit, QStringLiteral("a"));
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].title, "エラー");
  EXPECT_NE(fakes.prompts.messages[0].text.find("共通データ.txt: line 1: broken"), std::string::npos);
  EXPECT_EQ(endCode, 2);
  EXPECT_TRUE(screens.LoadedForms().empty());
  app->setScreens(nullptr);
}

TEST_F(Foundation, ProgramEndClosesEveryScreenWithItsCode) {
  auto* app = static_cast<screens::Application*>(QApplication::instance());
  app->setScreens(&screens);
  Probe* probe = screens.Show<Probe>();
  DoEvents();
  probe->onKey = [] { throw ProgramEnd("sound", 3); };
  Type(probe->edit, QStringLiteral("a"));
  EXPECT_EQ(endCode, 3);
  EXPECT_TRUE(fakes.prompts.messages.empty());
  app->setScreens(nullptr);
}

TEST_F(Foundation, TheSplashLoadsTheConfigurationAndHandsOverToTheSelectionScreen) {
  WritePlayableSounds(inst.soundFolder());
  state = AppState();
  state.ExeFolder = inst.programFolder();
  screens::Firstfrm* splash = screens.Load<screens::Firstfrm>();
  EXPECT_TRUE(splash->timer()->isActive());
  EXPECT_EQ(splash->timer()->interval(), 100);
  // Wine has no icu.dll and its GetDateFormatEx ignores DATE_USE_ALT_CALENDAR: it knows no Japanese era.
  if (!UnderWine()) {
    EXPECT_EQ(Control<QLabel>(splash, "Label5")->text(), QStringLiteral("平成16年 5月 07日（金）"));
  }
  EXPECT_EQ(state.SeasonColour, 0xC0FFC0u);
  Tick(splash->timer());
  EXPECT_FALSE(splash->timer()->isActive());  // before the unloaded splash is deleted
  DoEvents();
  EXPECT_EQ(state.SchoolName, "テスト塾");
  EXPECT_TRUE(screens.IsLoaded<screens::namesel>());
  EXPECT_FALSE(screens.IsLoaded<screens::Firstfrm>());
  EXPECT_EQ(endCode, -1);
}

TEST_F(Foundation, ASoundMapThatCannotPlayAWatchedCueEndsTheStartBeforeAnyChildDrills) {
  auto* app = static_cast<screens::Application*>(QApplication::instance());
  app->setScreens(&screens);
  WritePlayableSounds(inst.soundFolder());
  files::remove(inst.soundFolder() + "ng.wav");
  state = AppState();
  state.ExeFolder = inst.programFolder();
  screens::Firstfrm* splash = screens.Load<screens::Firstfrm>();
  Tick(splash->timer());
  DoEvents();
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  const std::string& text = fakes.prompts.messages[0].text;
  EXPECT_EQ(fakes.prompts.messages[0].title, "エラー");
  EXPECT_NE(text.find(inst.soundFolder() + "新音ファイル.txt: line 5"), std::string::npos) << text;
  EXPECT_NE(text.find("間違い音1"), std::string::npos) << text;
  EXPECT_NE(text.find(inst.soundFolder() + "ng.wav"), std::string::npos) << text;
  EXPECT_EQ(endCode, 2);
  EXPECT_FALSE(screens.IsLoaded<screens::namesel>());
  EXPECT_TRUE(screens.LoadedForms().empty());
  app->setScreens(nullptr);
}

TEST_F(Foundation, ASplashWithoutItsConfigurationNamesTheMissingFile) {
  state = AppState();
  state.ExeFolder = inst.programFolder();
  files::remove(inst.root() + "パスデータ.txt");
  screens::Firstfrm* splash = screens.Load<screens::Firstfrm>();
  try {
    splash->Timer1_Timer();
    FAIL() << "start-up must stop";
  } catch (const DataFileError& e) {
    EXPECT_NE(std::string(e.what()).find("パスデータ.txt"), std::string::npos);
  }
  EXPECT_FALSE(screens.IsLoaded<screens::namesel>());
}

}  // namespace
}  // namespace bardrill::testing
