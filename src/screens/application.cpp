#include "screens/application.h"

#include <QKeyEvent>

#include "platform/errors.h"
#include "screens/form.h"
#include "screens/screens.h"

namespace bardrill::screens {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* e) {
  try {
    if (e->type() == QEvent::KeyPress && receiver->isWidgetType()) {
      if (Form* form = FormOf(static_cast<QWidget*>(receiver))) {
        if (form->previewKey(static_cast<QKeyEvent*>(e))) return true;
      }
    }
    return QApplication::notify(receiver, e);
  } catch (const ProgramEnd& end) {
    if (screens_) screens_->EndProgram(end.exitCode());
  } catch (const std::exception& failure) {
    if (screens_) screens_->Fail(failure.what());
  }
  return true;
}

}  // namespace bardrill::screens
