#include "screens/screens.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>
#include <algorithm>

namespace bardrill::screens {

Screens::Screens(AppState& s, Services& sv) : state(s), services(sv) {
  onEnd = [](int code) {
    if (QThread::currentThread()->loopLevel() > 0) {
      QCoreApplication::exit(code);
    } else {
      std::exit(code);
    }
  };
}

Screens::~Screens() {
  for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it) delete *it;
}

void Screens::Present(Form* form) {
  form->show();
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) form->raise();
  form->activateWindow();
}

void Screens::Unload(Form* form) {
  auto it = std::find(loaded_.begin(), loaded_.end(), form);
  if (it == loaded_.end()) return;
  loaded_.erase(it);
  form->hide();
  // A form often unloads itself from one of its own handlers: delete it once that handler has returned.
  form->deleteLater();
}

void Screens::setOwnDialogOpen(bool open) {
  ownDialogDepth_ += open ? 1 : -1;
  if (ownDialogDepth_ == 0)
    for (Form* f : loaded_) f->ownDialogClosed();
}

void Screens::DoEvents() { QCoreApplication::processEvents(); }

void Screens::EndProgram(int exitCode) {
  if (ended_) return;
  ended_ = true;
  while (!loaded_.empty()) Unload(loaded_.back());
  onEnd(exitCode);
}

void Screens::Fail(const std::string& message) {
  if (ended_) return;
  // The details name the file and line in the words of whoever mends the file; the first line tells
  // the teacher at the PC what happens.
  services.prompts.Message("エラー", "次の理由でプログラムを終了します。\n\n" + message);
  EndProgram(2);
}

}  // namespace bardrill::screens
