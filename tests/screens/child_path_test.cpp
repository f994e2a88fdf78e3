// The whole cycle a child goes through, driven by keys alone: name, hub, drill, completion, hub, leave.
#include <QLabel>
#include <QPushButton>

#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "screens/frmsyuuryou.h"
#include "screens/line_list.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"

namespace bardrill::testing {
namespace {

using namespace screens;

class ChildPath : public ScreenTest {
 protected:
  QWidget* Focus(QWidget* form) { return form->focusWidget() ? form->focusWidget() : form; }
  std::vector<ResultRecord> Records() {
    std::vector<ResultRecord> out;
    ResultsFile(ResultsPath(state)).ReadFrom(1, [&](int64_t, const RecordBytes& b) {
      out.push_back(ResultRecord::Decode(b));
    });
    return out;
  }
};

TEST_F(ChildPath, NameHubDrillCompletionHubAndOutToTheMenu) {
  namesel* selection = screens.Show<namesel>();
  DoEvents();
  auto* list = Control<screens::LineList>(selection, "List1");
  ASSERT_EQ(list->text(1).left(8), QStringLiteral("小3 山田 太郎"));
  Press(list, Qt::Key_Down);
  Type(list, QStringLiteral("1"));
  DoEvents();

  seisekitime1* hub = screens.Find<seisekitime1>();
  ASSERT_NE(hub, nullptr);
  EXPECT_FALSE(screens.IsLoaded<namesel>());
  EXPECT_EQ(Control<QLabel>(hub, "Label15(1)")->text(), QStringLiteral("------"));

  Type(Focus(hub), QStringLiteral("1"));
  DoEvents();
  Mainfrm* drill = screens.Find<Mainfrm>();
  ASSERT_NE(drill, nullptr);
  EXPECT_FALSE(screens.IsLoaded<seisekitime1>());
  fakes.clock.Advance(42);
  Tick(Control<QTimer>(drill, "Timer1"));
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(screens.Find<Mainfrm>(), drill) << "answer " << i;
    Type(Focus(drill), QString::number(drill->ExpectedAnswer()));
    Press(Focus(drill), Qt::Key_Return);
  }
  DoEvents();

  FrmSyuuryou* done = screens.Find<FrmSyuuryou>();
  ASSERT_NE(done, nullptr);
  EXPECT_FALSE(screens.IsLoaded<Mainfrm>());
  EXPECT_EQ(Control<QLabel>(done, "Label18")->text(), QStringLiteral("今の成績：42秒"));
  std::vector<ResultRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Bangou, 1);
  EXPECT_EQ(records[0].level, 1);
  EXPECT_EQ(records[0].seconds, 42);
  EXPECT_EQ(records[0].date, fakes.clock.today);

  done->Timer1_Timer();
  auto* menu = Control<QPushButton>(done, "Command4");
  EXPECT_TRUE(menu->hasFocus());
  Press(menu, Qt::Key_Return);
  DoEvents();
  hub = screens.Find<seisekitime1>();
  ASSERT_NE(hub, nullptr);
  EXPECT_FALSE(screens.IsLoaded<FrmSyuuryou>());
  EXPECT_EQ(Control<QLabel>(hub, "Label15(1)")->text(), QStringLiteral("1回/6点"));

  Type(Focus(hub), QStringLiteral("0"));
  DoEvents();
  selection = screens.Find<namesel>();
  ASSERT_NE(selection, nullptr);
  EXPECT_FALSE(screens.IsLoaded<seisekitime1>());
  Type(Focus(selection), QStringLiteral("0"));
  ASSERT_EQ(fakes.launcher.started.size(), 1u);
  EXPECT_EQ(fakes.launcher.started[0].second, "001");
  EXPECT_EQ(endCode, 0);
  EXPECT_EQ(Records().size(), 1u);
}

}  // namespace
}  // namespace bardrill::testing
