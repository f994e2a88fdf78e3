// A school's share that stops answering for 20 seconds (a server restarting, Wi-Fi dropping) while a
// screen reads or writes the results file: the window goes on painting and reading its events, a close
// request changes nothing, and the work is done once, when the share answers again.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>

#include "core/results/counts.h"
#include "core/results/daily_copies.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/identity.h"
#include "platform/paths.h"
#include "screens/firstfrm.h"
#include "screens/frmdata.h"
#include "screens/frmsyuuryou.h"
#include "screens/line_list.h"
#include "screens/mainfrm.h"
#include "screens/namesel.h"
#include "screens/program_window.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"
#include "support/share_mount.h"
#include "support/wav.h"

namespace bardrill::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kHang = std::chrono::seconds(20);
// A screen that waits on the share on the window's own thread stands still for the whole hang. The bound sits
// far below that and far above what a busy machine's scheduler can cost a healthy loop (100 ms was
// overstepped once with the whole suite running on two cores).
constexpr auto kLongestGap = std::chrono::seconds(1);

class ShareHang : public ScreenTest {
 protected:
  void SetUp() override {
    BARDRILL_SKIP_WITHOUT_SHARE();
    share.emplace();
    // The school's common folder lives on the share; the installation reaches it through a link, as a
    // PC reaches a mapped drive.
    const fs::path common = fs::path(inst.commonFolder()).parent_path();
    const fs::path onShare = fs::path(share->path()) / "共通";
    fs::copy(common, onShare, fs::copy_options::recursive);
    fs::remove_all(common);
    fs::create_directory_symlink(onShare, common);
    share->SyncAll();
    screens.fileWorkAnsweredAtOnce = false;
  }

  void AddRecords(int count) {
    for (int i = 0; i < count; ++i) AddRecord(1 + i % 3, 1, 30 + i, fakes.clock.today);
  }
  // Student 1 logged in with level 1 chosen, as the hub leaves them when a drill starts.
  void ReadyForADrill() {
    state.CurrentStudentNumber = 1;
    state.CurrentStudentName = "山田 太郎";
    BuildLevelCatalogue(state);
    ComputeCounts(state, fakes.clock.today);
    state.SelectedLevel = 1;
  }
  int64_t RecordsOnDisk() { return ResultsFile(ResultsPath(state)).RecordCount(); }

  // Starts the hang, runs `act` and then the event loop until the share has answered and the screens
  // have no file work left. Throughout, a 10 ms timer measures the longest the loop went without it;
  // while the share holds a call, a close request is sent to the window now and then, and `during`
  // checks the screen each time.
  void ThroughAHang(const std::function<void()>& act, const std::function<void()>& during) {
    share->Hang(kHang);
    const Clock::time_point start = Clock::now();
    act();
    Clock::duration longest{};
    Clock::time_point last = Clock::now();
    int ticks = 0;
    bool held = false;
    QTimer meter;
    meter.setInterval(10);
    QObject::connect(&meter, &QTimer::timeout, [&] {
      const Clock::time_point now = Clock::now();
      longest = std::max(longest, now - last);
      last = now;
      if (++ticks % 50 != 0) return;
      if (share->HeldCalls() == 0) return;
      held = true;
      QCloseEvent close;
      QCoreApplication::sendEvent(screens.window(), &close);
      during();
    });
    meter.start();
    const Clock::time_point until = start + kHang + std::chrono::seconds(40);
    while ((screens.working() || Clock::now() < start + std::chrono::seconds(1)) && Clock::now() < until)
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    meter.stop();
    EXPECT_FALSE(screens.working()) << "the work never ended after the share came back";
    EXPECT_TRUE(held) << "the share held no call: the hang was not in the way of the work";
    EXPECT_GE(Clock::now() - start, kHang - std::chrono::seconds(1)) << "done before the share answered";
    EXPECT_LT(longest, kLongestGap) << "the event loop stood still for "
                                    << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()
                                    << " ms";
    EXPECT_EQ(endCode, -1) << "the program ended";
    Settle();
  }

  std::optional<ShareMount> share;
};

TEST_F(ShareHang, ADrillsRecordWaitsUnderTheCoverAndIsWrittenOnceWhenTheShareAnswers) {
  AddRecords(2);
  ReadyForADrill();
  screens::StartDrill(screens);
  DoEvents();
  auto* drill = screens.Find<screens::Mainfrm>();
  ASSERT_NE(drill, nullptr);
  auto answer = [&] {
    QTest::keyClicks(drill, QString::number(drill->ExpectedAnswer()));
    QTest::keyClick(drill, Qt::Key_Return);
  };
  for (int i = 0; i < 9; ++i) {
    answer();
    Settle();
  }
  ThroughAHang(answer, [&] {
    ASSERT_NE(screens.Find<screens::Mainfrm>(), nullptr) << "the drill left before its record was written";
    EXPECT_TRUE(drill->findChild<QWidget*>(QStringLiteral("sPicture2"))->isVisible()) << "no cover";
  });
  EXPECT_EQ(RecordsOnDisk(), 3);
  EXPECT_TRUE(screens.IsLoaded<screens::FrmSyuuryou>());
}

TEST_F(ShareHang, TheHubsCountsWaitUnderItsCoverAndComeWhenTheShareAnswers) {
  AddRecords(3);
  state.CurrentStudentNumber = 1;
  state.CurrentStudentName = "山田 太郎";
  BuildLevelCatalogue(state);
  auto* hub = screens.Show<screens::seisekitime1>();
  DoEvents();
  ASSERT_TRUE(hub->hubReady());
  AddRecords(1);
  auto* cover = hub->findChild<QWidget*>(QStringLiteral("Picture2"));
  ThroughAHang([&] { hub->activate(); },
               [&] {
                 EXPECT_TRUE(cover->isVisible()) << "no cover";
                 EXPECT_FALSE(hub->hubReady()) << "keys taken before the counts came";
               });
  EXPECT_TRUE(hub->hubReady());
  EXPECT_EQ(state.ResultsRecordCount, 4);
}

TEST_F(ShareHang, ATeachersDeleteWaitsUnderTheCoverAndIsDoneOnceWhenTheShareAnswers) {
  AddRecords(3);
  auto* records = screens.Show<screens::FrmData>();
  DoEvents();
  auto* list = records->findChild<screens::LineList*>(QStringLiteral("List1"));
  ASSERT_EQ(list->count(), 3);
  const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  Settle();
  ASSERT_TRUE(records->findChild<QWidget*>(QStringLiteral("Picture3"))->isVisible()) << "no record opened";
  fakes.prompts.answers = {true};
  auto* cover = records->findChild<QWidget*>(QStringLiteral("Picture6"));
  ThroughAHang([&] { records->findChild<QPushButton*>(QStringLiteral("Command3"))->click(); },
               [&] { EXPECT_TRUE(cover->isVisible()) << "no cover"; });
  EXPECT_EQ(RecordsOnDisk(), 2);
  EXPECT_EQ(list->count(), 2);
  EXPECT_TRUE(cover->isHidden());
}

// The share goes as a teacher deletes a record: before anything is replaced, the teacher is told that
// nothing changed; after the file was replaced but before its folder was flushed, never that.
TEST_F(ShareHang, ADeleteCutShortByTheShareSaysWhetherTheFileWasReplaced) {
  AddRecords(3);
  for (const bool afterTheReplacement : {false, true}) {
    SCOPED_TRACE(afterTheReplacement ? "at the folder's flush" : "before the temporary file's flush");
    auto* records = screens.Show<screens::FrmData>();
    DoEvents();
    auto* list = records->findChild<screens::LineList*>(QStringLiteral("List1"));
    const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    Settle();
    ASSERT_TRUE(records->findChild<QWidget*>(QStringLiteral("Picture3"))->isVisible()) << "no record opened";
    const int64_t before = RecordsOnDisk();
    fakes.prompts.answers = {true};
    fakes.prompts.messages.clear();
    // The delete's durable steps: the temporary file's flush, then the folder's after the rename.
    share->DropAtStep(afterTheReplacement ? 2 : 1, EIO);
    records->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    Settle();
    share->Normal();
    EXPECT_EQ(RecordsOnDisk(), afterTheReplacement ? before - 1 : before);
    ASSERT_EQ(fakes.prompts.messages.size(), 2u) << "the question, then the failure";
    const std::string& told = fakes.prompts.messages[1].text;
    EXPECT_EQ(told.find("何も変更していません") == std::string::npos, afterTheReplacement) << told;
    EXPECT_EQ(told.rfind("ファイルは書き換えましたが", 0) == 0, afterTheReplacement) << told;
    EXPECT_EQ(endCode, -1) << "the program ended";
    screens.Unload(records);
    Settle();
  }
}

TEST_F(ShareHang, TheSplashKeepsPaintingWhileTheStartReadsTheSchoolsFilesAndHandsOverWhenTheyCome) {
  AddRecords(3);
  WritePlayableSounds(inst.soundFolder());
  state = AppState();
  state.ExeFolder = inst.programFolder();
  auto* splash = screens.Load<screens::Firstfrm>();
  ThroughAHang([&] { Tick(splash->timer()); },
               [&] {
                 EXPECT_TRUE(screens.IsLoaded<screens::Firstfrm>())
                     << "the splash left before the files came";
                 EXPECT_FALSE(screens.IsLoaded<screens::namesel>());
               });
  EXPECT_TRUE(screens.IsLoaded<screens::namesel>());
  EXPECT_EQ(state.SchoolName, "テスト塾");
  EXPECT_EQ(DayCopies(paths::Native(ResultsPath(state))).size(), 1u) << "the day's copy was not made";
}

// The share goes away (its mount point staying) as the last answer is typed: the teacher is asked to save
// again, nothing is written anywhere else, and the record lands once when the share is back.
// The share goes before the record is written, or at its flush, after the server has taken it: either
// way the teacher is asked to save again and the school's file ends with the record once.
TEST_F(ShareHang, ADropDuringADrillsRecordAsksToSaveAgainAndTheRecordLandsOnceWhenTheShareIsBack) {
  AddRecords(2);
  const fs::path common = fs::path(inst.commonFolder()).parent_path();
  const fs::path onServer =
      fs::path(share->backing()) / "共通" / fs::path(ResultsPath(state)).lexically_relative(common);
  auto recordsOnServer = [&] { return static_cast<int64_t>(fs::file_size(onServer) / kRecordSize); };
  for (const bool atTheFlush : {false, true}) {
    for (const int err : {ENOTCONN, EIO}) {
      SCOPED_TRACE(::testing::Message() << (atTheFlush ? "at the flush, " : "before the write, ") << err);
      const int64_t before = RecordsOnDisk();
      int64_t whenAsked = -1;
      MendingPrompts prompts;
      prompts.mend = [&] {
        whenAsked = recordsOnServer();
        share->Normal();
      };
      Services services{fakes.clock, fakes.random, fakes.sound, fakes.launcher, prompts};
      screens::Screens own(state, services);
      int ownEnd = -1;
      own.onEnd = [&](int code) { ownEnd = code; };
      ReadyForADrill();
      screens::StartDrill(own);
      QCoreApplication::processEvents();
      Settle(own);
      auto* drill = own.Find<screens::Mainfrm>();
      ASSERT_NE(drill, nullptr);
      for (int i = 0; i < 10; ++i) {
        if (i == 9) {
          if (atTheFlush) {
            share->DropAtStep(1, err);
          } else {
            share->Drop(err);
          }
        }
        QTest::keyClicks(drill, QString::number(drill->ExpectedAnswer()));
        QTest::keyClick(drill, Qt::Key_Return);
        Settle(own);
      }
      EXPECT_EQ(prompts.asked, 1);
      EXPECT_EQ(ownEnd, -1);
      // A failed flush leaves the record with the server, out of the program's reach: the case where
      // saving again must not write it twice.
      EXPECT_EQ(whenAsked, atTheFlush ? before + 1 : before);
      EXPECT_EQ(RecordsOnDisk(), before + 1);
      EXPECT_TRUE(own.IsLoaded<screens::FrmSyuuryou>());
      // The school's folder is reached through a link that the walk does not follow: only this PC's own
      // files are seen, and no results file was made among them.
      for (const fs::directory_entry& entry : fs::recursive_directory_iterator(inst.root()))
        EXPECT_NE(entry.path().filename(), fs::path(ResultsPath(state)).filename()) << entry.path();
    }
  }
}

}  // namespace
}  // namespace bardrill::testing
