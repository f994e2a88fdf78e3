#include "screens/ui_setup.h"

#include <QApplication>
#include <QFont>

#include "painters/fonts.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
constexpr double kDialogPoints = 11;
}  // namespace

void ApplyJapaneseFonts(QApplication& app) {
  UseJapaneseFonts();
  // Message boxes and the print dialog take this font: their text grows and shrinks with the pages.
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPointSizeF(kDialogPoints * PageScale());
  app.setFont(font);
}

}  // namespace bardrill::screens
