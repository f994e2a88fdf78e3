#pragma once
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;
class QWidget;

namespace bardrill::screens {

class Screens;

// Draws page `index` (from 0) into `area`, the page less its header and footer.
using PagePainter = std::function<void(QPainter& painter, const QRectF& area, int index)>;

// How the pages lie: landscape lists and charts headed by the school, or pages that carry their own
// heading (the monthly report, portrait) and get the whole page less its margins.
struct PageSetup {
  QPageLayout::Orientation orientation = QPageLayout::Landscape;
  bool headed = true;
};

// Prints `pageCount` pages on the printer the user chooses (Screens::choosePrinter: the system's print
// dialog, or a PDF file in a test), each headed by the school's name, `title` and today's date and
// footed by its page number unless `setup` says they head themselves. False when the user cancelled or
// nothing could be printed.
bool PrintPages(Screens& screens, QWidget* parent, const QString& title, int pageCount,
                const PagePainter& paintPage, const PageSetup& setup = {});

// Whether the system's print dialog has anywhere to print to: false on a Windows PC without a printer.
bool PrinterInstalled();

// The system's print dialog over `parent`, with a PDF file as one of its choices.
bool ChoosePrinterWithDialog(QPrinter& printer, QWidget* parent);

}  // namespace bardrill::screens
