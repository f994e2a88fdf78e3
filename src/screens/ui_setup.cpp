#include "screens/ui_setup.h"

#include <QApplication>
#include <QFont>

namespace bardrill::screens {

void SubstituteJapaneseFonts() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
}

void ApplyJapaneseFonts(QApplication& app) {
  SubstituteJapaneseFonts();
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(11);
  app.setFont(font);
}

}  // namespace bardrill::screens
