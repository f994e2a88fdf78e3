// The program's start on a school whose results file went missing or lost records since the day's copy,
// and the records screen's deletes, which must never look like such a loss.
#include <QPushButton>
#include <QTest>
#include <string>

#include "core/results/daily_copies.h"
#include "core/results/results_file.h"
#include "screens/application.h"
#include "screens/firstfrm.h"
#include "screens/frmdata.h"
#include "screens/line_list.h"
#include "screens/namesel.h"
#include "screens/screen_fixture.h"
#include "support/wav.h"

namespace bardrill::testing {
namespace {

class LostResults : public ScreenTest {
 protected:
  LostResults() {
    app->setScreens(&screens);
    WritePlayableSounds(inst.soundFolder());
    for (int i = 0; i < 6; ++i) AddRecord(1, 1, 30 + i, kToday - 1);
  }
  ~LostResults() override { app->setScreens(nullptr); }

  // The program started as at a PC: the splash, then the selection screen unless the start ends.
  void Start() {
    screens.Unload<screens::namesel>();
    DoEvents();
    state = AppState();
    state.ExeFolder = inst.programFolder();
    screens::Firstfrm* splash = screens.Load<screens::Firstfrm>();
    Tick(splash->timer());
    DoEvents();
  }
  std::string Results() const { return paths::Native(ResultsPath(state)); }
  int64_t RecordsOnDisk() const { return static_cast<int64_t>(files::file_size(Results()) / kRecordSize); }
  void ExpectChildToldAndNoNewFile(const std::string& childLine) {
    ASSERT_EQ(fakes.prompts.messages.size(), 1u);
    EXPECT_EQ(fakes.prompts.messages[0].title, "成績のファイル");
    EXPECT_EQ(fakes.prompts.messages[0].text, childLine + "\n" + Results());
    EXPECT_EQ(endCode, 2);
    EXPECT_FALSE(screens.IsLoaded<screens::namesel>());
  }

  screens::Application* app = static_cast<screens::Application*>(QApplication::instance());
};

TEST_F(LostResults, AFileDeletedBetweenTwoStartsIsNotStartedAnewAndTheChildIsToldToCallTheTeacher) {
  Start();
  ASSERT_TRUE(screens.IsLoaded<screens::namesel>());
  ASSERT_EQ(DayCopies(Results()).size(), 1u) << "the day's first start makes its copy";
  files::remove(Results());
  fakes.clock.today = kToday + 1;
  Start();
  ExpectChildToldAndNoNewFile("成績のファイルが なくなっています。先生を よんでください。");
  EXPECT_FALSE(files::exists(Results()));
}

TEST_F(LostResults, AFileCutToHalfBetweenTwoStartsIsRefusedAndKeptAsItIs) {
  Start();
  ASSERT_TRUE(screens.IsLoaded<screens::namesel>());
  const std::string whole = ReadBytes(Results());
  WriteBytes(Results(), whole.substr(0, whole.size() / 2));
  Start();
  ExpectChildToldAndNoNewFile("成績のファイルの きろくが へっています。先生を よんでください。");
  EXPECT_EQ(RecordsOnDisk(), 3);
}

TEST_F(LostResults, TheTeachersDeletesOnTheRecordsScreenAreNoLossButAChildsCutAfterThemIs) {
  Start();
  ASSERT_TRUE(screens.IsLoaded<screens::namesel>());
  auto* form = screens.Show<screens::FrmData>();
  DoEvents();
  auto* list = Control<screens::LineList>(form, "List1");
  for (int row : {5, 0}) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    fakes.prompts.answers = {true};
    Control<QPushButton>(form, "Command3")->click();
    DoEvents();
  }
  ASSERT_EQ(RecordsOnDisk(), 4);
  screens.Unload(form);
  fakes.prompts.messages.clear();

  Start();
  EXPECT_TRUE(fakes.prompts.messages.empty());
  EXPECT_TRUE(screens.IsLoaded<screens::namesel>());
  EXPECT_EQ(endCode, -1);

  const std::string left = ReadBytes(Results());
  WriteBytes(Results(), left.substr(0, 3 * kRecordSize));
  Start();
  ExpectChildToldAndNoNewFile("成績のファイルの きろくが へっています。先生を よんでください。");
}

}  // namespace
}  // namespace bardrill::testing
