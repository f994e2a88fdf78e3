#pragma once

class QApplication;
class QString;

namespace bardrill::screens {

// The Windows fonts the forms were designed with where the system has them, and IPA fonts standing in
// for them where it has not, so that
// Japanese, ①..⑥ and Ⅰ..Ⅲ never come from a Latin font.
void ApplyJapaneseFonts(QApplication& app);
// Makes every font file in `folder` available to this process (nothing when there is no such folder).
void LoadBundledFonts(const QString& folder);
// The substitutions alone, for painting without widgets (the report tool's PDF).
void SubstituteJapaneseFonts();

}  // namespace bardrill::screens
