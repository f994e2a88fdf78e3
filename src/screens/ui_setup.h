#pragma once

class QApplication;

namespace bardrill::screens {

// IPA fonts for everything, standing in for the Windows fonts the forms were designed with, so that
// Japanese, ①..⑥ and Ⅰ..Ⅲ never come from a Latin font.
void ApplyJapaneseFonts(QApplication& app);
// The substitutions alone, for painting without widgets (the report tool's PDF).
void SubstituteJapaneseFonts();

}  // namespace bardrill::screens
