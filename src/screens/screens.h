#pragma once
#include <QPointer>
#include <QPrinter>
#include <QString>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/services.h"
#include "core/setup/roster.h"
#include "platform/shared_file.h"
#include "screens/file_work.h"
#include "screens/form.h"

class QProgressBar;

namespace bardrill::screens {

class ProgramWindow;

// Owns the forms: loads (creates), shows, unloads (deletes) and tells whether one is loaded, so that
// "close the hub" or "show the selection screen" is one call. Forms are unloaded last-loaded first.
class Screens {
 public:
  Screens(AppState& state, Services& services);
  ~Screens();
  Screens(const Screens&) = delete;
  Screens& operator=(const Screens&) = delete;

  AppState& state;
  Services& services;

  template <typename F>
  F* Load() {
    if (F* f = Find<F>()) return f;
    auto* f = new F(*this);
    loaded_.push_back(f);
    f->Form_Load();
    return f;
  }
  template <typename F>
  F* Find() const {
    for (Form* f : loaded_)
      if (f->objectName() == QLatin1String(F::kName)) return static_cast<F*>(f);
    return nullptr;
  }
  template <typename F>
  bool IsLoaded() const {
    return Find<F>() != nullptr;
  }
  // Loads the form if needed and makes it the page shown (a dialog form: shows it over the window).
  // The form runs its entry procedure once the events of the switch have run, as a window that is
  // shown becomes active; showing the page that is shown already is no new entry.
  template <typename F>
  F* Show() {
    F* f = Load<F>();
    Present(f);
    return f;
  }
  template <typename F>
  void Unload() {
    if (F* f = Find<F>()) Unload(f);
  }
  void Unload(Form* form);
  std::vector<Form*> LoadedForms() const { return loaded_; }
  // The program's one top-level window, whose pages the forms are.
  ProgramWindow* window() const { return window_.get(); }
  // The window covers the whole screen without a frame (the program); otherwise it is a framed window
  // of the largest page's size (tests, a teacher's development PC).
  void setFullScreen(bool fullScreen) { fullScreen_ = fullScreen; }

  // Lets pending window events run (paint a cover, handle queued keys and timers).
  void DoEvents();
  // Runs `then` once `milliseconds` have passed by the clock's tick counter, with windows painted and
  // timers running but the keyboard and mouse held off meanwhile, so that a child cannot act on a screen
  // that is not ready. Not when `context` was deleted or the program ended meanwhile.
  void After(int milliseconds, QObject* context, std::function<void()> then);
  // A timed wait (After, or a wait for the share between tries) is running.
  bool pausing() const { return pauses_ > 0; }
  // File work or a timed wait is running: the keyboard and mouse are held off, and a form that becomes
  // the shown page runs its entry procedure once they are over.
  bool busy() const { return holds_ > 0; }
  void ActivateAfterPause(Form* form);

  // Runs `job` on the file worker (it must not touch the state or any screen), with the keyboard and
  // mouse held off until it is answered. A share that is away, or a file another program holds, is
  // waited for and tried again as ResultsPatience says; then `done` runs here with what the job ended with
  // (ResultsUnavailable when the share stayed away), unless `context` was deleted or the program ended.
  void RunFileWork(QObject* context, FileWork::Job job, FileWork::Done done);
  // The same for a file other than the results file, which has its own messages: tried once, whatever
  // it fails with goes to `done`.
  void RunFileWorkOnce(QObject* context, FileWork::Job job, FileWork::Done done);
  // Rebuilds every count from the results file (today by the clock) and then runs `then`. The file is
  // read on the file worker, with the patience of RunFileWork; when the share stays away the teacher is
  // told why and the program ends. A rebuild asked for while another is on its way runs after it.
  // `alongside`, when given, is more file work done in the same job after the read.
  void RefreshCounts(QObject* context, std::function<void()> then, FileWork::Job alongside = {});
  // Runs `read` (a reader of the results file that changes nothing until it has read what it needs) on
  // the file worker as RefreshCounts does, then `then`. Other failures of `read` end the program with
  // their message.
  void ReadResults(QObject* context, FileWork::Job read, std::function<void()> then);
  // Applies a roster read on the file worker to the state (today by the clock); when it could not be
  // read, says why, ends the program and returns false.
  bool ApplyRoster(const RosterRead& read);
  // Something the worker's jobs may tell the screens' thread while they run.
  FileWork::Tell teller() const { return fileWork_->teller(); }
  // Set once the program ends, for jobs to give up their waits.
  std::shared_ptr<const std::atomic<bool>> endFlag() const { return endFlag_; }
  // File jobs given and not answered yet, timed waits included (tests wait for them).
  bool working() const { return holds_ > 0 || fileWork_->pending() > 0; }
  // Tests that read a screen right after the call that started its file work set this: the job then
  // runs on this thread and its continuation before the call returns. The program never does: a share
  // that hangs would stop the window.
  bool fileWorkAnsweredAtOnce = false;

  // Closes every screen and ends the program with `exitCode`.
  void EndProgram(int exitCode);
  // Shows why the program cannot go on (the message names the file and what was wrong) and ends it.
  void Fail(const std::string& message);
  bool ended() const { return ended_; }
  // What ending means: the real program leaves its event loop; tests record the code.
  std::function<void(int)> onEnd;
  // Where "印刷" prints: the system's print dialog; tests print to a PDF file instead.
  std::function<bool(QPrinter&, QWidget*)> choosePrinter;
  // Whether there is a printer to choose; without one, 印刷 says so instead of opening the dialog.
  std::function<bool()> printerInstalled;

 private:
  void Present(Form* form);
  void DeleteWhenFree(Form* form);
  std::unique_ptr<ProgramWindow> window_;
  bool fullScreen_ = false;
  void HoldInput();
  void ReleaseInput();
  struct PatientRun;
  void TryPatiently(const std::shared_ptr<PatientRun>& run);
  void Answer(const std::shared_ptr<PatientRun>& run, std::exception_ptr failure);

  std::vector<Form*> loaded_;
  int pauses_ = 0;
  int holds_ = 0;
  std::unique_ptr<QObject> inputHold_;
  std::vector<QPointer<Form>> activateAfterPause_;
  bool ended_ = false;
  std::shared_ptr<std::atomic<bool>> endFlag_ = std::make_shared<std::atomic<bool>>(false);
  // Last: it goes first, before the window its answers would reach.
  std::unique_ptr<FileWork> fileWork_;
};

// What a file job does while another PC holds the lock of a file it writes: it has `shown` (a screen's
// cover) shown with `progress` telling how far the wait has got, and waits a little on the worker.
// Throws ProgramEnd with `why` when the program ends meanwhile.
LockWaitStep LockWaitShowing(Screens& screens, std::initializer_list<QWidget*> shown, QProgressBar* progress,
                             std::string why);

}  // namespace bardrill::screens
