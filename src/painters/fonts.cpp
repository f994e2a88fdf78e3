#include "painters/fonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>

namespace bardrill::screens {

QFont ExactProportionalFont(double points, bool bold) {
  QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

QFont ExactFixedFont(double points, bool bold) {
  QFont f(QStringLiteral("ＭＳ ゴシック"));
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

void SubstituteJapaneseFonts() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
}

void LoadBundledFonts(const QString& folder) {
  const QDir dir(folder);
  for (const QString& file : dir.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.otf")}, QDir::Files))
    QFontDatabase::addApplicationFont(dir.filePath(file));
}

void UseJapaneseFonts() {
  // A PC that has ＭＳ ゴシック and ＭＳ Ｐゴシック keeps them: a substitution only stands in for a
  // family the system lacks.
  LoadBundledFonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
  SubstituteJapaneseFonts();
}

}  // namespace bardrill::screens
