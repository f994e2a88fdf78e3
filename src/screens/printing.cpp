#include "screens/printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/calendar.h"
#include "screens/screens.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
constexpr double kHeaderPoints = 10;
constexpr const char* kPrintTitle = "印刷";
constexpr const char* kNoPrinter =
    "この PC にはプリンターがありません。Windows "
    "の「設定」でプリンターを追加してから、もう一度「印刷」を押してください。";
}  // namespace

bool PrinterInstalled() {
#ifdef Q_OS_WIN
  // Windows' own print dialog offers installed printers only, and with none it closes at once without
  // a word: the teacher would press 印刷 and see nothing happen.
  return !QPrinterInfo::availablePrinterNames().isEmpty();
#else
  // Qt's own dialog can always print to a PDF file.
  return true;
#endif
}

bool ChoosePrinterWithDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("印刷"));
  return dialog.exec() == QDialog::Accepted;
}

bool PrintPages(Screens& screens, QWidget* parent, const QString& title, int pageCount,
                const PagePainter& paintPage, const PageSetup& setup) {
  if (pageCount <= 0) return false;
  if (!screens.printerInstalled()) {
    screens.services.prompts.Message(kPrintTitle, kNoPrinter);
    return false;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(setup.orientation);
  printer.setDocName(title);
  const bool chosen = screens.choosePrinter(printer, parent);
  if (!chosen) return false;

  QPainter painter;
  if (!painter.begin(&printer)) {
    const QString where =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    screens.services.prompts.Message(
        kPrintTitle, "印刷できませんでした。「" + where.toStdString() + "」に書き込めません。");
    return false;
  }
  const QFont font = ExactProportionalFont(kHeaderPoints);
  const QFontMetricsF metrics(font, &printer);
  const QString school = Q(screens.state.SchoolName);
  const QString date = Q(calendar::FormatDate(screens.services.clock.Today()));
  for (int index = 0; index < pageCount; ++index) {
    if (index > 0) printer.newPage();
    const QRectF page =
        printer.pageLayout()
            .paintRectPixels(printer.resolution())
            .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    if (!setup.headed) {
      paintPage(painter, page, index);
      continue;
    }
    const double line = metrics.height();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(page.left(), page.top(), page.width(), line), Qt::AlignLeft,
                     school + "  " + title);
    painter.drawText(QRectF(page.left(), page.top(), page.width(), line), Qt::AlignRight, date);
    painter.drawText(QRectF(page.left(), page.bottom() - line, page.width(), line), Qt::AlignHCenter,
                     QStringLiteral("%1 / %2").arg(index + 1).arg(pageCount));
    const QRectF area(page.left(), page.top() + 1.5 * line, page.width(), page.height() - 3 * line);
    paintPage(painter, area, index);
  }
  return painter.end();
}

}  // namespace bardrill::screens
