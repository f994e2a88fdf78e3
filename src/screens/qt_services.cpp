#include "screens/qt_services.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

#include "screens/program_window.h"
#include "screens/screens.h"

namespace bardrill::screens {

namespace {
// Over the dialog form shown (the version screen), else over the program's window, also while another
// program has the focus: a box without a parent could open behind the full-screen window.
QWidget* Owner(Screens* screens) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return screens ? screens->window() : nullptr;
}
}  // namespace

void QtPrompts::Message(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, Owner(screens_));
  box.exec();
}

bool QtPrompts::AskYesNo(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, Owner(screens_));
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

bool QtLauncher::Start(const std::string& program, const std::string& argument, std::string& error) {
  QProcess process;
  QString path = QString::fromStdString(program);
  process.setProgram(path);
  process.setArguments({QString::fromStdString(argument)});
  process.setWorkingDirectory(QFileInfo(path).absolutePath());
  if (process.startDetached()) return true;
  error = program + ": " + process.errorString().toStdString();
  return false;
}

}  // namespace bardrill::screens
