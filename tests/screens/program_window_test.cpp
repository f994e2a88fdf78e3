// The program's one window around the screens: what focus changes and close requests do to them.
#include "screens/program_window.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/identity.h"
#include "screens/frmsyuuryou.h"
#include "screens/frmtimedata.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"

namespace bardrill::testing {
namespace {

using namespace screens;

class ProgramWindowTest : public ScreenTest {
 protected:
  void LogIn(int student) {
    LogInAs(student);
    ComputeCounts(state, fakes.clock.today);
  }
  Mainfrm* StartLevel(int level) {
    LogIn(1);
    state.SelectedLevel = level;
    StartDrill(screens);
    DoEvents();
    return screens.Find<Mainfrm>();
  }
  // What Alt+F4, the window manager's close or the task bar's close deliver.
  void RequestClose() {
    EXPECT_FALSE(screens.window()->close()) << "the window never closes";
    DoEvents();
  }
  // Another program takes the focus, then the child clicks back into ours.
  void FocusAwayAndBack() {
    QWidget other;
    other.show();
    other.activateWindow();
    DoEvents();
    screens.window()->activateWindow();
    DoEvents();
  }
  void Answer(Mainfrm* drill) {
    QWidget* focus = drill->focusWidget() ? drill->focusWidget() : drill;
    Type(focus, QString::number(drill->ExpectedAnswer()));
    Press(focus, Qt::Key_Return);
  }
  size_t RecordCount() {
    size_t count = 0;
    ResultsFile(ResultsPath(state)).ReadFrom(1, [&](int64_t, const RecordBytes&) { ++count; });
    return count;
  }
  QString Text(QWidget* form, const char* name) {
    return Control<QLabel>(form, QString::fromLatin1(name))->text();
  }
};

TEST_F(ProgramWindowTest, ADrillKeepsItsCountAndTimeThroughFocusChangesAndCloseRequestsAndIsRecordedOnce) {
  Mainfrm* drill = StartLevel(1);
  ASSERT_NE(drill, nullptr);
  EXPECT_EQ(screens.window()->page(), drill);
  for (int i = 0; i < 4; ++i) Answer(drill);
  fakes.clock.Advance(20);
  Tick(Control<QTimer>(drill, "Timer1"));
  const int entries = drill->activationCount();

  FocusAwayAndBack();
  RequestClose();
  screens.window()->showMinimized();
  DoEvents();
  screens.window()->showNormal();
  DoEvents();
  ASSERT_EQ(screens.Find<Mainfrm>(), drill) << "the drill is still the page shown";
  EXPECT_EQ(drill->activationCount(), entries);
  EXPECT_EQ(Text(drill, "Label8"), QStringLiteral("6"));
  fakes.clock.Advance(5);
  Tick(Control<QTimer>(drill, "Timer1"));
  EXPECT_EQ(Text(drill, "Label7"), QStringLiteral("25"));

  for (int i = 0; i < 6; ++i) Answer(drill);
  DoEvents();
  FrmSyuuryou* done = screens.Find<FrmSyuuryou>();
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(RecordCount(), 1u);
  // Until its buttons show, the completion screen stays whatever is asked.
  RequestClose();
  EXPECT_EQ(screens.Find<FrmSyuuryou>(), done);
  done->Timer1_Timer();
  RequestClose();
  EXPECT_FALSE(screens.IsLoaded<FrmSyuuryou>());
  ASSERT_NE(screens.Find<seisekitime1>(), nullptr) << "as メニューへ does";
  EXPECT_EQ(RecordCount(), 1u);
  EXPECT_EQ(endCode, -1);
}

TEST_F(ProgramWindowTest, ACloseElsewhereGoesTheScreensOwnWayBack) {
  // The hub goes back to the selection screen, as "戻る" does.
  LogIn(1);
  screens.Show<seisekitime1>();
  DoEvents();
  RequestClose();
  EXPECT_FALSE(screens.IsLoaded<seisekitime1>());
  namesel* selection = screens.Find<namesel>();
  ASSERT_NE(selection, nullptr);
  EXPECT_EQ(screens.window()->page(), selection);

  // The selection screen leaves to the menu program and ends the program, as "0" does.
  RequestClose();
  ASSERT_EQ(fakes.launcher.started.size(), 1u);
  EXPECT_EQ(fakes.launcher.started[0].second, "001");
  EXPECT_EQ(endCode, 0);
}

TEST_F(ProgramWindowTest, ClosingTheStandardsEditorAsksAboutUnsavedEditsFirst) {
  LogIn(2);
  FrmTimeData* editor = screens.Show<FrmTimeData>();
  DoEvents();
  editor->findChild<QWidget*>(QStringLiteral("Gridinputtext"))->setFocus();
  Type(editor->findChild<QWidget*>(QStringLiteral("Gridinputtext")), QStringLiteral("5"));
  ASSERT_TRUE(editor->changed());
  fakes.prompts.answers = {false};  // leave without saving
  RequestClose();
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_FALSE(screens.IsLoaded<FrmTimeData>());
  EXPECT_NE(screens.Find<seisekitime1>(), nullptr);
}

}  // namespace
}  // namespace bardrill::testing
