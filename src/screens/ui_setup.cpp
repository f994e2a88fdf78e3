#include "screens/ui_setup.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>

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

void LoadBundledFonts(const QString& folder) {
  const QDir dir(folder);
  for (const QString& file : dir.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.otf")}, QDir::Files))
    QFontDatabase::addApplicationFont(dir.filePath(file));
}

void ApplyJapaneseFonts(QApplication& app) {
  // A Windows PC without Japanese fonts of its own gets the IPA fonts the installer put beside the
  // program; one that has ＭＳ ゴシック and ＭＳ Ｐゴシック keeps them, as the substitutions below only
  // stand in for a family the system lacks.
  LoadBundledFonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
  SubstituteJapaneseFonts();
  // Message boxes and the print dialog take this font: their text grows and shrinks with the pages.
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPointSizeF(kDialogPoints * PageScale());
  app.setFont(font);
}

}  // namespace bardrill::screens
