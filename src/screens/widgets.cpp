#include "screens/widgets.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace bardrill::screens {

QColor FromBgr(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

std::string S(const QString& text) { return text.toStdString(); }

void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(PixelsFromTwips(left), PixelsFromTwips(top), PixelsFromTwips(width),
                 PixelsFromTwips(height));
}

void SizeTwips(QWidget* w, int width, int height) {
  w->resize(PixelsFromTwips(width), PixelsFromTwips(height));
}

void FixedSizeTwips(QWidget* w, int width, int height) {
  w->setFixedSize(PixelsFromTwips(width), PixelsFromTwips(height));
}

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QFont ProportionalFont(double points, bool bold) {
  QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

QFont FixedFont(double points, bool bold) {
  QFont f(QStringLiteral("ＭＳ ゴシック"));
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QLabel* MakeCaption(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                    Qt::Alignment alignment) {
  QLabel* caption = MakeLabel(parent, name, text);
  caption->setFont(font);
  caption->setAlignment(alignment | Qt::AlignVCenter);
  return caption;
}

QFrame* MakePanel(QWidget* parent, const QString& name, const QColor& colour) {
  auto* f = new QFrame(parent);
  f->setObjectName(name);
  SetBackground(f, colour);
  return f;
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* e) {
  QLabel::mouseReleaseEvent(e);
  Q_EMIT clicked();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* e) {
  QLabel::mouseDoubleClickEvent(e);
  Q_EMIT doubleClicked();
}

ClickableLabel* MakeClickableLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* l = new ClickableLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QString ElementName(const char* array, int index) {
  return QString::fromLatin1(array) + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

}  // namespace bardrill::screens
