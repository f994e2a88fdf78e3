#pragma once
#include <QWidget>

class QKeyEvent;

namespace bardrill::screens {

class Screens;

// One screen of the program: a top-level window whose objectName is the form's name. It runs
// Form_Activate each time it becomes the active window through the program's own screen changes or
// when the user comes back to it from another window, but not when one of the program's own message
// boxes closes over it. Keys typed anywhere on the form reach Form_KeyPress first (key preview).
class Form : public QWidget {
  Q_OBJECT

 public:
  Form(Screens& screens, const QString& name);
  ~Form() override;

  // Runs the entry procedure as an activation would (tests, and forms shown without a window system).
  void activate();
  // Runs once when the navigator creates the form.
  virtual void Form_Load() {}
  // Key preview: called by the application for every key typed into this form, before the control
  // that has the focus. Returns true when the form swallowed the key.
  bool previewKey(QKeyEvent* key);
  // One of our own message boxes has just closed: the activation it hands back is not a new entry.
  void ownDialogClosed();
  int activationCount() const { return activations_; }

 protected:
  virtual void Form_Activate() {}
  // `KeyAscii` is the typed character (Enter 13, Backspace 8, blank 32); set it to 0 to swallow the key.
  virtual void Form_KeyPress(char32_t& KeyAscii) { (void)KeyAscii; }

  bool event(QEvent* e) override;

  Screens& screens_;

 private:
  bool skipNextActivation_ = false;
  double dialogClosedAt_ = 0;  // the clock's monotonic seconds
  int activations_ = 0;
};

}  // namespace bardrill::screens
