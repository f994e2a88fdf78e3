#pragma once
#include <QPointer>
#include <QPrinter>
#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/services.h"
#include "platform/shared_file.h"
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
  // Waits `milliseconds` by the clock's tick counter, in 10 ms steps, with windows painted and timers
  // running but the keyboard and mouse held off, so that a child cannot act on a screen that is not
  // ready. False when the program ended meanwhile.
  bool Pause(int milliseconds);
  bool pausing() const { return pauseDepth_ > 0; }
  // A form that became active during a pause runs its entry procedure once the pause is over.
  void ActivateAfterPause(Form* form);
  // Rebuilds every count from the results file (today by the clock). While the file is out of reach
  // it waits under the caller's cover and tries again; when it gives up it tells the teacher why and
  // ends the program. False when the counts were not rebuilt: the program ended, or another screen's
  // rebuild is already waiting and will fill its screen itself.
  bool RefreshCounts();
  // Runs `read`, a reader of the results file that changes nothing until it has read what it needs,
  // with the same patience as RefreshCounts. Other failures of `read` pass through.
  bool ReadResults(const std::function<void()>& read);

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
  std::vector<Form*> loaded_;
  int pauseDepth_ = 0;
  std::vector<QPointer<Form>> activateAfterPause_;
  bool refreshing_ = false;
  bool ended_ = false;
};

// What a screen does while another PC holds the lock of a file it writes: shows `shown` (its cover) and
// `progress` with how far the wait has got, and keeps the window painted with the keyboard held off.
// Throws ProgramEnd with `why` when the program ends meanwhile.
LockWaitStep LockWaitShowing(Screens& screens, std::initializer_list<QWidget*> shown, QProgressBar* progress,
                             std::string why);

// Runs `write`, a change of the results file that writes nothing when it fails, waiting under the
// caller's cover while the share is away as a reader does. False when the program ended meanwhile; when
// the share stays away, throws ResultsUnavailable for the caller to tell the teacher.
bool WritePatiently(Screens& screens, const std::function<void()>& write);

}  // namespace bardrill::screens
