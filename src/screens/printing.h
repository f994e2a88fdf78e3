#pragma once
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

// Prints `pageCount` pages on the printer the user chooses (Screens::choosePrinter: the system's print
// dialog, or a PDF file in a test), each headed by the school's name, `title` and today's date and
// footed by its page number. False when the user cancelled or nothing could be printed.
bool PrintPages(Screens& screens, QWidget* parent, const QString& title, int pageCount,
                const PagePainter& paintPage);

// The system's print dialog over `parent`, with a PDF file as one of its choices.
bool ChoosePrinterWithDialog(QPrinter& printer, QWidget* parent);

}  // namespace bardrill::screens
