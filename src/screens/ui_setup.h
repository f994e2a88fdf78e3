#pragma once

class QApplication;

namespace bardrill::screens {

// The Windows fonts the forms were designed with where the system has them, and IPA fonts standing in
// for them where it has not (painters/fonts.h), and the dialogs' font at the page scale.
void ApplyJapaneseFonts(QApplication& app);

}  // namespace bardrill::screens
