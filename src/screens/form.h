#pragma once
#include <QWidget>

class QKeyEvent;

namespace bardrill::screens {

class Screens;

// One screen of the program, whose objectName is the form's name: a page of the program's one window,
// or (for a small dialog such as the version screen) a dialog over it. It runs Form_Activate each time
// the navigator makes it the shown page, and never because the window got the focus back from another
// program or from one of our own message boxes. Keys typed anywhere on the form reach Form_KeyPress
// first (key preview).
class Form : public QWidget {
  Q_OBJECT

 public:
  Form(Screens& screens, const QString& name);
  ~Form() override;

  // Runs the entry procedure (the navigator, when the form becomes the shown page; tests).
  void activate();
  // Runs once when the navigator creates the form.
  virtual void Form_Load() {}
  // Someone asked to close the program's window (Alt+F4, the window manager, the task bar) while this
  // form is shown. The window stays; a form with a way back takes it, with the questions it asks.
  virtual void Form_QueryUnload() {}
  // Such a request: taken as Form_QueryUnload says, except while file work or a pause is under way,
  // when it is ignored, as the screen is not in a state to leave.
  void requestClose();
  // Key preview: called by the application for every key typed into this form, before the control
  // that has the focus. Returns true when the form swallowed the key.
  bool previewKey(QKeyEvent* key);
  int activationCount() const { return activations_; }
  // A dialog form stands over the window instead of being one of its pages.
  bool isDialog() const { return isWindow(); }

 protected:
  virtual void Form_Activate() {}
  // `KeyAscii` is the typed character (Enter 13, Backspace 8, blank 32); set it to 0 to swallow the key.
  virtual void Form_KeyPress(char32_t& KeyAscii) { (void)KeyAscii; }
  // Makes this form a dialog over the program's window (call in the constructor).
  void becomeDialog();

  void closeEvent(QCloseEvent* e) override;

  Screens& screens_;

 private:
  int activations_ = 0;
};

// The form that `widget` belongs to: the page or dialog form it sits on, or the page shown when the key
// went to the program's window itself. Null for a widget that is no part of a screen, such as a
// message box or the print dialog over a page.
Form* FormOf(QWidget* widget);

}  // namespace bardrill::screens
