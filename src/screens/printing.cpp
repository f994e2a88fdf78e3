#include "screens/printing.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "painters/page_frame.h"
#include "platform/calendar.h"
#include "screens/screens.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
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
  const PageHeading heading{Q(screens.state.SchoolName), title,
                            Q(calendar::FormatDate(screens.services.clock.Today()))};
  for (int index = 0; index < pageCount; ++index) {
    if (index > 0) printer.newPage();
    const QRectF page =
        printer.pageLayout()
            .paintRectPixels(printer.resolution())
            .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    paintPage(painter, setup.headed ? PaintPageFrame(painter, page, heading, index, pageCount) : page, index);
  }
  return painter.end();
}

}  // namespace bardrill::screens
