#include "screens/program_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "screens/form.h"
#include "screens/widgets.h"

namespace bardrill::screens {

ProgramWindow::ProgramWindow() : QWidget(nullptr) {
  setObjectName(QStringLiteral("ProgramWindow"));
  SizeTwips(this, kLargestPageTwips.width(), kLargestPageTwips.height());
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

void ProgramWindow::showOnWholeScreen() {
  wholeScreen_ = true;
  // No minimise button and no minimise entry in the window manager's menu; a close request still comes
  // to closeEvent, where the page shown decides what it means.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  // Sized by hand as well: without a window manager nobody acts on the full-screen request.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
  showFullScreen();
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
  page_->requestClose();
}

void ProgramWindow::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange || !wholeScreen_ || !(windowState() & Qt::WindowMinimized))
    return;
  // Queued: the window manager is still in the middle of iconifying the window.
  QTimer::singleShot(0, this, &ProgramWindow::comeBack);
}

void ProgramWindow::comeBack() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowFullScreen | Qt::WindowActive);
  showFullScreen();
  raise();
  activateWindow();
}

double PageScaleToFit(QSize available) {
  const double widthPx = double(kLargestPageTwips.width()) / kTwipsPerPixel;
  const double heightPx = double(kLargestPageTwips.height()) / kTwipsPerPixel;
  return std::min(available.width() / widthPx, available.height() / heightPx);
}

void ScaleToFitScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const double scale = PageScaleToFit(screen->geometry().size());
  if (scale > 0) SetPageScale(scale);
}

}  // namespace bardrill::screens
