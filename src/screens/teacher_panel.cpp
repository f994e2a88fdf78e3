#include "screens/teacher_panel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "screens/widgets.h"

namespace bardrill::screens {

TeacherPanel::TeacherPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Picture7"));
  SetBackground(this, QColor(224, 255, 224));
  setFrameShape(QFrame::Box);
  PlaceTwips(this, 4680, 3000, 6000, 4020);
  Label28 = MakeLabel(this, QStringLiteral("Label28"), QStringLiteral("データ変更パスワード"),
                      ProportionalFont(14, true));
  PlaceTwips(Label28, 240, 180, 5520, 450);
  Text3 = new QLineEdit(this);
  Text3->setObjectName(QStringLiteral("Text3"));
  Text3->setEchoMode(QLineEdit::Password);
  Text3->setFont(ProportionalFont(14));
  PlaceTwips(Text3, 240, 720, 5520, 540);
  const char* const captions[2] = {"データ変更", "合格タイムデータ変更"};
  for (int k = 0; k < 2; ++k) {
    auto* button =
        MakeButton(this, ElementName("Command10", k), QString::fromUtf8(captions[k]), ProportionalFont(13));
    PlaceTwips(button, 240, 1440 + 720 * k, 5520, 600);
    connect(button, &QPushButton::clicked, this, [this, k] { Q_EMIT enterRequested(k); });
    Command10.push_back(button);
  }
  Command12 = MakeButton(this, QStringLiteral("Command12"), QStringLiteral("戻る"), ProportionalFont(13));
  PlaceTwips(Command12, 240, 3060, 5520, 600);
  connect(Command12, &QPushButton::clicked, this, [this] { Q_EMIT closeRequested(); });
  hide();
}

void TeacherPanel::open() {
  Text3->clear();
  raise();
  show();
  Text3->setFocus();
}

bool TeacherPanel::accepts(const std::string& password) const {
  return !Text3->text().isEmpty() && S(Text3->text()) == password;
}

void TeacherPanel::focusPassword() { Text3->setFocus(); }

}  // namespace bardrill::screens
