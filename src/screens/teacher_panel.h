#pragma once
#include <QFrame>
#include <QVector>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace bardrill::screens {

// The hub's teacher panel (`Picture7`): the password box and the ways into the maintenance screens. It
// only asks; the hub decides what a button leads to.
class TeacherPanel : public QFrame {
  Q_OBJECT
 public:
  explicit TeacherPanel(QWidget* parent);

  // Shown in front with an empty password box, which takes the keys.
  void open();
  // Whether the password box holds `password`. An empty box never does: an installation without a
  // password must not open the maintenance screens to an empty box.
  bool accepts(const std::string& password) const;
  void focusPassword();

 Q_SIGNALS:
  void enterRequested(int index);  // Command10(index): 0 the roster and records, 1 the standards
  void closeRequested();           // Command12

 private:
  QLabel* Label28;                  // "データ変更パスワード"
  QLineEdit* Text3;                 // the password, not shown as typed
  QVector<QPushButton*> Command10;  // 0 "データ変更", 1 "合格タイムデータ変更"
  QPushButton* Command12;           // "戻る"
};

}  // namespace bardrill::screens
