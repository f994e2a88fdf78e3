#pragma once
#include <QApplication>

namespace bardrill::screens {

class Screens;

// The application object: gives every form its key preview, and is the one place where a failure
// thrown by the core (a missing or malformed file, a failing share, the sound system giving up) is
// shown and ends the program with a non-zero status.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv);
  void setScreens(Screens* screens) { screens_ = screens; }
  bool notify(QObject* receiver, QEvent* e) override;

 private:
  Screens* screens_ = nullptr;
};

}  // namespace bardrill::screens
