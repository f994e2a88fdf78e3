#include "screens/form.h"

#include <QKeyEvent>

#include "screens/screens.h"

namespace bardrill::screens {

namespace {
// The activation handed back when one of our message boxes closes arrives within moments; a stale
// mark must never swallow the child's own return to the screen much later.
constexpr double kDialogGraceSeconds = 1.5;
}  // namespace

Form::Form(Screens& screens, const QString& name) : QWidget(nullptr), screens_(screens) {
  setObjectName(name);
}

Form::~Form() = default;

void Form::activate() {
  // Inside a wait for data no screen starts over, as it would work on tables being rebuilt: it does
  // so once the wait is over.
  if (screens_.pausing()) {
    screens_.ActivateAfterPause(this);
    return;
  }
  ++activations_;
  Form_Activate();
}

bool Form::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::WindowDeactivate:
      // Losing the focus to one of our own message boxes: its closing must not restart this screen.
      if (screens_.ownDialogOpen()) skipNextActivation_ = true;
      break;
    case QEvent::WindowActivate:
      if (skipNextActivation_ &&
          screens_.services.clock.MonotonicSeconds() - dialogClosedAt_ < kDialogGraceSeconds) {
        skipNextActivation_ = false;
      } else if (isVisible()) {
        skipNextActivation_ = false;
        bool handled = QWidget::event(e);
        activate();
        return handled;
      }
      break;
    default:
      break;
  }
  return QWidget::event(e);
}

void Form::ownDialogClosed() { dialogClosedAt_ = screens_.services.clock.MonotonicSeconds(); }

bool Form::previewKey(QKeyEvent* key) {
  // A screen waiting for its data takes no keys: they would act on what it does not show yet.
  if (screens_.pausing()) return true;
  QString typed = key->text();
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) typed = QStringLiteral("\r");
  if (key->key() == Qt::Key_Backspace) typed = QStringLiteral("\b");
  if (typed.isEmpty()) return false;
  char32_t code = typed.toUcs4().value(0);
  Form_KeyPress(code);
  return code == 0;
}

}  // namespace bardrill::screens
