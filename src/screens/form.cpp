#include "screens/form.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "screens/program_window.h"
#include "screens/screens.h"

namespace bardrill::screens {

Form::Form(Screens& screens, const QString& name) : QWidget(screens.window()), screens_(screens) {
  setObjectName(name);
  hide();
}

Form::~Form() { screens_.window()->removePage(this); }

void Form::becomeDialog() {
  setWindowFlags(Qt::Dialog);
  setWindowModality(Qt::ApplicationModal);
}

void Form::activate() {
  // While file work or a pause is under way no screen starts over, as it would work on tables being
  // rebuilt: it does so once they are over.
  if (screens_.busy()) {
    screens_.ActivateAfterPause(this);
    return;
  }
  ++activations_;
  Form_Activate();
}

void Form::closeEvent(QCloseEvent* e) {
  // Only a dialog form gets this (a page is no window): it goes the way its own buttons go.
  e->ignore();
  requestClose();
}

void Form::requestClose() {
  if (!screens_.busy()) Form_QueryUnload();
}

bool Form::previewKey(QKeyEvent* key) {
  // A screen waiting for its data takes no keys: they would act on what it does not show yet.
  if (screens_.busy()) return true;
  QString typed = key->text();
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) typed = QStringLiteral("\r");
  if (key->key() == Qt::Key_Backspace) typed = QStringLiteral("\b");
  if (typed.isEmpty()) return false;
  char32_t code = typed.toUcs4().value(0);
  Form_KeyPress(code);
  return code == 0;
}

Form* FormOf(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    if (auto* form = qobject_cast<Form*>(w)) return form;
    if (auto* window = qobject_cast<ProgramWindow*>(w)) return window->page();
    // A dialog over a page (a message box, the print dialog) keeps its keys: a digit typed into a
    // file name must not start a drill on the page beneath it.
    if (w->isWindow()) return nullptr;
  }
  return nullptr;
}

}  // namespace bardrill::screens
