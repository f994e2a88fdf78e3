#include "screens/qt_services.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>

#include "screens/program_window.h"
#include "screens/screens.h"

namespace bardrill::screens {

namespace {
// Over the dialog form shown (the version screen), else over the program's window, also while another
// program has the focus: a box without a parent could open behind the full-screen window.
QWidget* Owner(Screens* screens) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return screens ? screens->window() : nullptr;
}
}  // namespace

namespace {
// The widest a message's line may be, against the program's window (or the screen).
constexpr double kMessageWidthShare = 0.6;

// A place where a line may end: after it, the next line may start without cutting a word.
bool EndsAPiece(QChar c) {
  // Blanks end English words and sentences; a file name's dot or a number's comma ends nothing.
  static const QString kEnders = QStringLiteral(" 　、。，．！？」』）/\\");
  return kEnders.contains(c);
}

// A box with the text in one label that never wraps by itself (Qt's own wrapping breaks Japanese
// anywhere: "くださ|い。"), and the standard buttons in Japanese.
class MessageDialog : public QDialog {
 public:
  MessageDialog(QWidget* owner, const std::string& title, const std::string& text,
                QDialogButtonBox::StandardButtons buttons)
      : QDialog(owner) {
    setWindowTitle(QString::fromStdString(title));
    setObjectName(QStringLiteral("MessageBox"));
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("MessageText"));
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QWidget* area = owner ? owner->window() : nullptr;
    const int limitPx =
        static_cast<int>(kMessageWidthShare * (area ? area->width() : screen()->size().width()));
    label->setText(WrapBetweenWords(QString::fromStdString(text), label->fontMetrics(), limitPx));
    buttons_ = new QDialogButtonBox(buttons, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    const int margin = layout->contentsMargins().left();
    layout->setContentsMargins(2 * margin, 2 * margin, 2 * margin, margin);
    layout->setSpacing(2 * margin);
    layout->addWidget(label);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
  }
  QPushButton* button(QDialogButtonBox::StandardButton which) const { return buttons_->button(which); }

 private:
  QDialogButtonBox* buttons_;
};
}  // namespace

QString WrapBetweenWords(const QString& text, const QFontMetrics& metrics, int widthPx) {
  QStringList lines;
  QString source = text;
  source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  for (const QString& paragraph : source.split(QLatin1Char('\n'))) {
    QString line;
    QString piece;
    auto place = [&] {
      if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > widthPx) {
        lines << line.trimmed();
        line.clear();
      }
      line += piece;
      piece.clear();
    };
    for (QChar c : paragraph) {
      piece += c;
      if (EndsAPiece(c)) place();
    }
    place();
    lines << line.trimmed();
  }
  return lines.join(QLatin1Char('\n'));
}

void QtPrompts::Message(const std::string& title, const std::string& text) {
  MessageDialog box(Owner(screens_), title, text, QDialogButtonBox::Ok);
  box.button(QDialogButtonBox::Ok)->setDefault(true);
  box.exec();
}

bool QtPrompts::AskYesNo(const std::string& title, const std::string& text) {
  MessageDialog box(Owner(screens_), title, text, QDialogButtonBox::Yes | QDialogButtonBox::No);
  box.button(QDialogButtonBox::Yes)->setDefault(true);
  return box.exec() == QDialog::Accepted;
}

bool QtLauncher::Start(const std::string& program, const std::string& argument, std::string& error) {
  QProcess process;
  QString path = QString::fromStdString(program);
  process.setProgram(path);
  process.setArguments({QString::fromStdString(argument)});
  process.setWorkingDirectory(QFileInfo(path).absolutePath());
  if (process.startDetached()) return true;
  error = program + ": " + process.errorString().toStdString();
  return false;
}

}  // namespace bardrill::screens
