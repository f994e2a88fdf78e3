#pragma once

class QApplication;

namespace bardrill::screens {

// 15 twips to a logical pixel; Qt scales logical pixels for high-DPI screens.
constexpr int Twips(int twips) { return twips / 15; }

// IPA fonts for everything, standing in for the Windows fonts the forms were designed with, so that
// Japanese, ①..⑥ and Ⅰ..Ⅲ never come from a Latin font.
void ApplyJapaneseFonts(QApplication& app);
// The substitutions alone, for painting without widgets (the report tool's PDF).
void SubstituteJapaneseFonts();

}  // namespace bardrill::screens
