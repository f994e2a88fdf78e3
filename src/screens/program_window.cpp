#include "screens/program_window.h"

#include <QtGui/private/qhighdpiscaling_p.h>

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "screens/form.h"

namespace bardrill::screens {

ProgramWindow::ProgramWindow() : QWidget(nullptr) {
  setObjectName(QStringLiteral("ProgramWindow"));
  resize(kLargestPagePx);
}

void ProgramWindow::showPage(Form* page) {
  if (page_ == page) return;
  Form* before = page_;
  page_ = page;
  setWindowTitle(page->windowTitle());
  if (before) before->removeEventFilter(this);
  page->installEventFilter(this);
  centrePage();
  page->show();
  if (before) before->hide();
  update();
}

bool ProgramWindow::eventFilter(QObject* watched, QEvent* e) {
  // A page that takes the season's colour once it has read the configuration takes the margins along.
  if (watched == page_ && e->type() == QEvent::PaletteChange) update();
  return QWidget::eventFilter(watched, e);
}

void ProgramWindow::paintEvent(QPaintEvent*) {
  if (!page_) return;
  QPainter painter(this);
  painter.fillRect(rect(), page_->palette().color(page_->backgroundRole()));
}

void ProgramWindow::removePage(Form* page) {
  page->removeEventFilter(this);
  if (page_ == page) page_ = nullptr;
}

void ProgramWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  centrePage();
}

void ProgramWindow::centrePage() {
  if (!page_) return;
  const QSize size = page_->size();
  page_->move((width() - size.width()) / 2, (height() - size.height()) / 2);
}

void ProgramWindow::closeEvent(QCloseEvent* e) {
  e->ignore();
  // A close while one of our dialogs is open would act on a screen that is waiting for an answer.
  if (QApplication::activeModalWidget() || !page_) return;
  page_->Form_QueryUnload();
}

void ScaleToFitScreen(QApplication& app) {
  const QScreen* screen = app.primaryScreen();
  if (!screen) return;
  const QSize available = screen->geometry().size();
  const double factor = std::min(double(available.width()) / kLargestPagePx.width(),
                                 double(available.height()) / kLargestPagePx.height());
  if (factor > 0) QHighDpiScaling::setGlobalFactor(factor);
}

}  // namespace bardrill::screens
