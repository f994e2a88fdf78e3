#include "screens/screens.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <thread>

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
      window_(std::make_unique<ProgramWindow>()),
      fileWork_(std::make_unique<FileWork>()) {
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

void Screens::HoldInput() {
  if (holds_++ == 0) inputHold_ = std::make_unique<InputHold>();
}

void Screens::ReleaseInput() {
  if (--holds_ > 0) return;
  inputHold_.reset();
  // Queued rather than run here: the caller is still in the middle of its work.
  for (const QPointer<Form>& form : activateAfterPause_)
    QTimer::singleShot(0, form, [form] {
      if (form) form->activate();
    });
  activateAfterPause_.clear();
}

void Screens::After(int milliseconds, QObject* context, std::function<void()> then) {
  ++pauses_;
  HoldInput();
  // Counted by the clock's ticks rather than left to a timer of that length, so that a test's clock sets
  // the pace; the poll's timer belongs to the window, which outlives every screen.
  auto* poll = new QTimer(window_.get());
  poll->setInterval(kPauseStepMs);
  QObject::connect(poll, &QTimer::timeout, poll,
                   [this, poll, milliseconds, context = QPointer<QObject>(context), then = std::move(then),
                    mark = services.clock.TickMilliseconds(), steps = int64_t{0}]() mutable {
                     // Unsigned difference: the tick counter may wrap around during the pause.
                     const uint32_t now = services.clock.TickMilliseconds();
                     while (now - mark > static_cast<uint32_t>(kPauseStepMs)) {
                       ++steps;
                       mark += kPauseStepMs;
                     }
                     if (steps * kPauseStepMs < milliseconds && !ended_) return;
                     poll->stop();
                     poll->deleteLater();
                     --pauses_;
                     ReleaseInput();
                     if (context && !ended_) then();
                   });
  poll->start();
}

void Screens::ActivateAfterPause(Form* form) {
  if (std::find(activateAfterPause_.begin(), activateAfterPause_.end(), form) == activateAfterPause_.end())
    activateAfterPause_.emplace_back(form);
}

struct Screens::PatientRun {
  QPointer<QObject> context;
  FileWork::Job job;
  FileWork::Done done;
  ResultsPatience patience;
  bool patient = true;
};

void Screens::RunFileWork(QObject* context, FileWork::Job job, FileWork::Done done) {
  if (ended_) return;
  HoldInput();
  TryPatiently(std::make_shared<PatientRun>(PatientRun{context, std::move(job), std::move(done), {}}));
}

void Screens::RunFileWorkOnce(QObject* context, FileWork::Job job, FileWork::Done done) {
  if (ended_) return;
  HoldInput();
  TryPatiently(std::make_shared<PatientRun>(PatientRun{context, std::move(job), std::move(done), {}, false}));
}

void Screens::TryPatiently(const std::shared_ptr<PatientRun>& run) {
  if (fileWorkAnsweredAtOnce) {
    std::exception_ptr failure;
    try {
      run->job();
    } catch (...) {
      failure = std::current_exception();
    }
    Answer(run, failure);
    return;
  }
  fileWork_->Run(run->job, [this, run](std::exception_ptr failure) { Answer(run, failure); });
}

void Screens::Answer(const std::shared_ptr<PatientRun>& run, std::exception_ptr failure) {
  if (failure && run->patient && !ended_ && run->context) {
    try {
      std::rethrow_exception(failure);
    } catch (const FileReadError& away) {
      try {
        // The try after the wait is a run of its own; this one lets the input go with its answer.
        After(run->patience.WaitAfter(away), run->context, [this, run] {
          HoldInput();
          TryPatiently(run);
        });
        ReleaseInput();
        return;
      } catch (...) {
        failure = std::current_exception();
      }
    } catch (...) {
      // Not a failure that waiting may mend: it goes to the caller as it is.
    }
  }
  ReleaseInput();
  if (run->context && !ended_) run->done(failure);
}

void Screens::ReadResults(QObject* context, FileWork::Job read, std::function<void()> then) {
  RunFileWork(context, std::move(read), [this, then = std::move(then)](std::exception_ptr failure) {
    if (!failure) {
      then();
      return;
    }
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& why) {
      Fail(why.what());
    }
  });
}

void Screens::RefreshCounts(QObject* context, std::function<void()> then, FileWork::Job alongside) {
  auto read = std::make_shared<ResultsRead>();
  read->kept = std::move(state.CountsScratch.kept);
  ReadResults(
      context,
      [read, file = ResultsFileOf(state), alongside = std::move(alongside)] {
        *read = ReadResultsForCounts(file, std::move(read->kept));
        if (alongside) alongside();
      },
      [this, read, then = std::move(then)] {
        ApplyCounts(state, *read, services.clock.Today());
        then();
      });
}

bool Screens::ApplyRoster(const RosterRead& read) {
  if (!read.fault.empty()) {
    Fail(read.fault);
    return false;
  }
  ApplyRosterLines(state, services.clock.Today(), read.file, read.lines);
  return true;
}

LockWaitStep LockWaitShowing(Screens& screens, std::initializer_list<QWidget*> shown, QProgressBar* progress,
                             std::string why) {
  std::vector<QPointer<QWidget>> widgets(shown.begin(), shown.end());
  return [tell = screens.teller(), ended = screens.endFlag(), widgets = std::move(widgets),
          progress = QPointer<QProgressBar>(progress),
          why = std::move(why)](std::chrono::milliseconds waited, std::chrono::milliseconds limit) {
    tell([widgets, progress, waited, limit] {
      if (!progress) return;
      if (!progress->isVisible()) {
        for (const QPointer<QWidget>& widget : widgets) {
          if (!widget) continue;
          widget->show();
          widget->raise();
        }
        progress->show();
      }
      progress->setRange(0, static_cast<int>(limit.count()));
      progress->setValue(static_cast<int>(waited.count()));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(kLockWaitStepMs));
    if (*ended) throw ProgramEnd(why);
  };
}

void Screens::EndProgram(int exitCode) {
  if (ended_) return;
  ended_ = true;
  *endFlag_ = true;
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
