#include "screens/qt_services.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>

#include "screens/screens.h"

namespace bardrill::screens {

namespace {
int Ask(Screens* screens, QMessageBox& box) {
  QPointer<QWidget> before = QApplication::activeWindow();
  if (screens) screens->setOwnDialogOpen(true);
  int answer = box.exec();
  if (screens) screens->setOwnDialogOpen(false);
  // Hand the focus back to the screen the box stood over, also where no window manager would.
  if (before) before->activateWindow();
  return answer;
}
}  // namespace

void QtPrompts::Message(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  Ask(screens_, box);
}

bool QtPrompts::AskYesNo(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::Yes);
  return Ask(screens_, box) == QMessageBox::Yes;
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
