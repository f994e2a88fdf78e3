#pragma once
#include <QString>

#include "core/services.h"

class QFontMetrics;

namespace bardrill::screens {

class Screens;

// Breaks `text` into lines no wider than `widthPx`, only where a line may end without cutting a word:
// after a blank, Japanese punctuation (、。！？」）) or a path's separator, and at the line ends the
// text has. A piece without such a place that is wider still stands on a line of its own, whole.
QString WrapBetweenWords(const QString& text, const QFontMetrics& metrics, int widthPx);

// Message boxes in Japanese over the program's window, in the dialogs' font (which follows the page
// scale), their lines broken only between words.
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
