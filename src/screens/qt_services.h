#pragma once
#include "core/services.h"

namespace bardrill::screens {

class Screens;

// Message boxes in Japanese over the program's window.
class QtPrompts : public Prompts {
 public:
  void attach(Screens* screens) { screens_ = screens; }
  void Message(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

 private:
  Screens* screens_ = nullptr;
};

// Starts a program without waiting for it, by path (blanks and Japanese included).
class QtLauncher : public ProgramLauncher {
 public:
  bool Start(const std::string& program, const std::string& argument, std::string& error) override;
};

}  // namespace bardrill::screens
