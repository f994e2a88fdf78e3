#pragma once
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/services.h"
#include "screens/form.h"

namespace bardrill::screens {

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
  // Loads the form if needed, shows it non-modally and makes it the active window.
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

  // Lets pending window events run (paint a cover, handle queued keys and timers).
  void DoEvents();

  // Closes every screen and ends the program with `exitCode`.
  void EndProgram(int exitCode);
  // Shows why the program cannot go on (the message names the file and what was wrong) and ends it.
  void Fail(const std::string& message);
  bool ended() const { return ended_; }
  // What ending means: the real program leaves its event loop; tests record the code.
  std::function<void(int)> onEnd;

  // True while one of the program's own message boxes is open.
  bool ownDialogOpen() const { return ownDialogDepth_ > 0; }
  void setOwnDialogOpen(bool open);

 private:
  void Present(Form* form);
  std::vector<Form*> loaded_;
  int ownDialogDepth_ = 0;
  bool ended_ = false;
};

}  // namespace bardrill::screens
