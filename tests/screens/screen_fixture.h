#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

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
  void DoEvents();
  // One timeout of a running timer, delivered as the event loop delivers it, without waiting for it.
  void Tick(QTimer* timer);

  Installation inst;
  AppState state;
  FakeServices fakes;
  screens::Screens screens{state, fakes.services};
  int endCode = -1;
};

}  // namespace bardrill::testing
