#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/app_state.h"
#include "screens/screens.h"
#include "support/fakes.h"
#include "support/installation.h"

namespace bardrill::testing {

// A loaded installation, fake services and the navigator, as the program has them after start-up.
class ScreenTest : public ::testing::Test {
 protected:
  ScreenTest();
  ~ScreenTest() override;

  // Loads the configuration (and the roster) of `inst` into `state`.
  void LoadInstallation();
  // The roster's `student` logged in, with the level catalogue built, as the selection screen leaves it.
  void LogInAs(int student);
  // Appends a record to the installation's results file.
  void AddRecord(int student, int level, int seconds, int64_t date);

  // The control named `name` on `form` (fails the test when there is none).
  template <typename W = QWidget>
  W* Control(QWidget* form, const QString& name) {
    W* w = form->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << "no control " << name.toStdString() << " on "
                          << form->objectName().toStdString();
    return w;
  }
  // Types text into the widget key by key (any Unicode), and special keys.
  void Type(QWidget* target, const QString& text);
  void Press(QWidget* target, Qt::Key key);
  // Type, Press and DoEvents then let the file work and pauses that they started run to their end (the
  // file worker answered, every continuation ran), as a child waiting at the screen would.
  void DoEvents();
  void Settle() { Settle(screens); }
  void Settle(screens::Screens& which);
  // One timeout of a running timer, delivered as the event loop delivers it, without waiting for it.
  void Tick(QTimer* timer);

  // Puts an empty folder where the data folder was, as a share that drops leaves its mount point (or a
  // folder renamed away, an empty one made in its place). The school's folder comes back at the
  // program's first pause from then on (its wait for the share); shareBack tells whether it did, and
  // filesLeftInEmptyFolder how many files the program had made in the empty one by then.
  void TakeShareAway();
  // Runs `act` while another process holds the results file's lock for 400 ms, as another PC appending
  // does; true when `seen` held at some moment while `act` ran with events going.
  bool SeenWhileAnotherPCHoldsTheLock(const std::function<bool()>& seen, const std::function<void()>& act);

  Installation inst;
  AppState state;
  FakeServices fakes;
  screens::Screens screens{state, fakes.services};
  int endCode = -1;
  bool shareBack = false;
  long filesLeftInEmptyFolder = -1;
  QTimer shareWatch;
};

// Answers every question with yes after running `mend` (bringing a share back, as a teacher would).
class MendingPrompts : public Prompts {
 public:
  std::function<void()> mend;
  int asked = 0;
  void Message(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override {
    ++asked;
    mend();
    return true;
  }
};

}  // namespace bardrill::testing
