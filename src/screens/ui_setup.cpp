#include "screens/ui_setup.h"

#include <QApplication>
#include <QFont>

#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
constexpr double kDialogPoints = 11;
}  // namespace

void SubstituteJapaneseFonts() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
}

void ApplyJapaneseFonts(QApplication& app) {
  SubstituteJapaneseFonts();
  // Message boxes and the print dialog take this font: their text grows and shrinks with the pages.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSizeF(kDialogPoints * PageScale());
  app.setFont(font);
}

}  // namespace bardrill::screens
