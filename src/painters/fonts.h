#pragma once
#include <QFont>

class QString;

// The Windows fonts the forms and the printed pages were designed with, on QtGui alone, so that the
// report tool paints its PDF with the screens' fonts without a widget stack.
namespace bardrill::screens {

// "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" (list lines line up) at exactly `points`: for paper, and for
// painters that are given their size. The screens' page-scaled fonts are made from these.
QFont ExactProportionalFont(double points, bool bold = false);
QFont ExactFixedFont(double points, bool bold = false);

// Makes every font file in `folder` available to this process (nothing when there is no such folder).
void LoadBundledFonts(const QString& folder);
// IPA fonts standing in for the Windows fonts where the system lacks them, so that Japanese, ①..⑥ and
// Ⅰ..Ⅲ never come from a Latin font.
void SubstituteJapaneseFonts();
// Both, with the fonts the installer put beside the program (for a Windows PC without Japanese fonts
// of its own). Needs a QGuiApplication.
void UseJapaneseFonts();

}  // namespace bardrill::screens
