#include "screens/screens.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "core/results/counts.h"
#include "core/results/results_retry.h"
#include "platform/errors.h"
#include "screens/printing.h"
#include "screens/program_window.h"

namespace bardrill::screens {

namespace {

constexpr int kPauseStepMs = 10;
constexpr int kLockWaitStepMs = 50;

// Swallows the keyboard and the mouse for as long as it lives; painting and timers go on.
class InputHold : public QObject {
 public:
  InputHold() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

Screens::Screens(AppState& s, Services& sv)
    : state(s),
      services(sv),
      choosePrinter(ChoosePrinterWithDialog),
      printerInstalled(PrinterInstalled),
      window_(std::make_unique<ProgramWindow>()) {
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
  // Unloaded forms still waiting to be deleted go before the window they would tell of it.
  for (Form* f : window_->findChildren<Form*>(Qt::FindDirectChildrenOnly)) delete f;
}

namespace {
void Raise(QWidget* window) {
  // Without a window system there is nothing to be raised above (and Qt says so on every call).
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) window->raise();
}

// Where the keys go on a page just shown: where they went when it was last shown, else its first
// control that takes the focus, as in a window that becomes active.
void FocusPage(Form* page) {
  if (QWidget* last = page->focusWidget(); last && last->isVisibleTo(page)) {
    last->setFocus(Qt::OtherFocusReason);
    return;
  }
  for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
    if (page->isAncestorOf(w) && w->isVisibleTo(page) && w->isEnabled() &&
        (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  page->setFocus(Qt::OtherFocusReason);
}
}  // namespace

void Screens::Present(Form* form) {
  if (form->isDialog()) {
    // Like a page: showing the dialog that is shown already is no new entry.
    if (form->isVisible()) return;
    form->show();
    Raise(form);
    form->activateWindow();
  } else {
    if (window_->page() == form) return;
    window_->showPage(form);
    if (!window_->isVisible()) {
      if (fullScreen_) {
        window_->showOnWholeScreen();
      } else {
        window_->show();
      }
    }
    Raise(window_.get());
    window_->activateWindow();
    FocusPage(form);
  }
  QTimer::singleShot(0, form, [this, form] {
    if (ended_ || !form->isVisible()) return;
    if (form->isDialog() || window_->page() == form) form->activate();
  });
}

void Screens::Unload(Form* form) {
  auto it = std::find(loaded_.begin(), loaded_.end(), form);
  if (it == loaded_.end()) return;
  loaded_.erase(it);
  window_->removePage(form);
  form->hide();
  DeleteWhenFree(form);
}

namespace {
constexpr int kDialogWaitMs = 50;

// True while a dialog of `form`'s own (a print dialog, a message box over it) is open.
bool DialogOpenOver(const Form* form) {
  for (QWidget* w = QApplication::activeModalWidget(); w; w = w->parentWidget())
    if (w == form) return true;
  return false;
}
}  // namespace

void Screens::DeleteWhenFree(Form* form) {
  // A form often unloads itself from one of its own handlers, and such a handler may still be waiting
  // in a dialog over the form: delete it once the handler has returned and no dialog of its own is open.
  if (!DialogOpenOver(form)) {
    form->deleteLater();
    return;
  }
  QTimer::singleShot(kDialogWaitMs, window_.get(), [this, page = QPointer<Form>(form)] {
    if (page) DeleteWhenFree(page);
  });
}

void Screens::DoEvents() { QCoreApplication::processEvents(); }

bool Screens::Pause(int milliseconds) {
  ++pauseDepth_;
  InputHold hold;
  Clock& clock = services.clock;
  uint32_t mark = clock.TickMilliseconds();
  int64_t steps = 0;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(kPauseStepMs);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    // Unsigned difference: the tick counter may wrap around during the pause.
    const uint32_t now = clock.TickMilliseconds();
    while (now - mark > static_cast<uint32_t>(kPauseStepMs)) {
      ++steps;
      mark += kPauseStepMs;
    }
    if (steps * kPauseStepMs >= milliseconds || ended_) loop.quit();
  });
  poll.start();
  loop.exec();
  if (--pauseDepth_ == 0) {
    // Queued rather than run here: the caller of the pause is still in the middle of its work.
    for (const QPointer<Form>& form : activateAfterPause_)
      QTimer::singleShot(0, form, [form] {
        if (form) form->activate();
      });
    activateAfterPause_.clear();
  }
  return !ended_;
}

void Screens::ActivateAfterPause(Form* form) {
  if (std::find(activateAfterPause_.begin(), activateAfterPause_.end(), form) == activateAfterPause_.end())
    activateAfterPause_.emplace_back(form);
}

bool Screens::RefreshCounts() {
  return ReadResults([this] { ComputeCounts(state, services.clock.Today()); });
}

bool Screens::ReadResults(const std::function<void()>& read) {
  if (refreshing_ || ended_) return false;
  // Cleared however the read ends: a failure that passes through must not block the next read.
  struct Reading {
    bool& flag;
    explicit Reading(bool& f) : flag(f) { flag = true; }
    ~Reading() { flag = false; }
  } reading(refreshing_);
  try {
    return ReadResultsPatiently(read, [this](int ms) { return Pause(ms); });
  } catch (const ResultsUnavailable& failure) {
    Fail(failure.what());
    return false;
  }
}

LockWaitStep LockWaitShowing(Screens& screens, std::initializer_list<QWidget*> shown, QProgressBar* progress,
                             std::string why) {
  return [&screens, widgets = std::vector<QWidget*>(shown), progress, why = std::move(why)](
             std::chrono::milliseconds waited, std::chrono::milliseconds limit) {
    if (!progress->isVisible()) {
      for (QWidget* widget : widgets) {
        widget->show();
        widget->raise();
      }
      progress->show();
    }
    progress->setRange(0, static_cast<int>(limit.count()));
    progress->setValue(static_cast<int>(waited.count()));
    if (!screens.Pause(kLockWaitStepMs)) throw ProgramEnd(why);
  };
}

bool WritePatiently(Screens& screens, const std::function<void()>& write) {
  return ReadResultsPatiently(write, [&screens](int ms) { return screens.Pause(ms); });
}

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
