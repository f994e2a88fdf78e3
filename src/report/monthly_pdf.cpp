// The monthly report as a PDF through QtGui, painted as the hub prints it but without a widget stack:
// compiled in only where QtGui is (see exports.h).
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "painters/fonts.h"
#include "painters/monthly_paint.h"
#include "painters/text.h"
#include "report/exports.h"

namespace bardrill::report {

namespace {

constexpr int kResolution = 300;  // dots per inch of the page's coordinates
constexpr double kMarginMillimetres = 12;

// The painter needs a QGuiApplication for its fonts; on a machine without a display (a server that
// makes the reports, a test) the offscreen platform serves, unless another is asked for.
std::unique_ptr<QGuiApplication> GuiApplication() {
  if (QGuiApplication::instance()) return nullptr;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || *platform == '\0') qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "bardrill-report";
  static char* argv[] = {name, nullptr};
  // Qt's note that it made itself a runtime folder is no news to the teacher.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith(QLatin1String("QStandardPaths:")))
      return;
    std::fprintf(stderr, "bardrill-report: %s\n", message.toLocal8Bit().constData());
  });
  auto app = std::make_unique<QGuiApplication>(argc, argv);
  screens::UseJapaneseFonts();
  return app;
}

}  // namespace

bool MonthlyPdfAvailable() { return true; }

std::string WriteMonthlyPdf(const std::string& path, const MonthlyReport& report, const std::string& madeOn) {
  const std::unique_ptr<QGuiApplication> app = GuiApplication();
  QPdfWriter writer(QString::fromStdString(path));
  writer.setResolution(kResolution);
  writer.setTitle(QString::fromStdString(report.schoolName + " " + report.programTitle + " 月間成績表 " +
                                         report.monthLabel));
  writer.setCreator(QStringLiteral("bardrill-report"));
  writer.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                  QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
                  QPageLayout::Millimeter));
  QPainter painter;
  if (!painter.begin(&writer)) return "the PDF cannot be written";
  const QRectF page(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
  const QString made = screens::Q(madeOn);
  const int count = screens::MonthlyPageCount(report);
  for (int index = 0; index < count; ++index) {
    if (index > 0 && !writer.newPage()) return "the PDF cannot be written";
    screens::PaintMonthlyPage(painter, report, index, page, made, screens::kMonthlyTablePoints);
  }
  if (!painter.end()) return "the PDF cannot be written whole (is the disk full?)";
  if (QFile(QString::fromStdString(path)).size() == 0) return "the PDF cannot be written";
  return "";
}

}  // namespace bardrill::report
