#include "screens/widgets.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace bardrill::screens {

namespace {
double pageScale = 1.0;
}  // namespace

void SetPageScale(double scale) { pageScale = scale > 0 ? scale : 1.0; }

double PageScale() { return pageScale; }

int PixelsFromTwips(int twips) { return static_cast<int>(std::lround(twips * pageScale / kTwipsPerPixel)); }

int TwipsFromPixels(int pixels) { return static_cast<int>(std::lround(pixels * kTwipsPerPixel / pageScale)); }

int ScaledPx(double designPx) { return std::max(1, static_cast<int>(std::lround(designPx * pageScale))); }

void ScalePainter(QPainter& painter) { painter.scale(pageScale, pageScale); }

void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  const int x = PixelsFromTwips(left), y = PixelsFromTwips(top);
  w->setGeometry(x, y, PixelsFromTwips(left + width) - x, PixelsFromTwips(top + height) - y);
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

QFont ProportionalFont(double points, bool bold) { return ExactProportionalFont(points * pageScale, bold); }

QFont FixedFont(double points, bool bold) { return ExactFixedFont(points * pageScale, bold); }

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font) {
  QLabel* l = MakeLabel(parent, name, text);
  l->setFont(font);
  return l;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, const QFont& font) {
  QPushButton* b = MakeButton(parent, name, caption);
  b->setFont(font);
  return b;
}

void SetFittedText(QLabel* label, const QString& text, double points, bool bold, double smallestPoints,
                   int marginPx) {
  QFont font = ProportionalFont(points, bold);
  const int roomPx = label->contentsRect().width() - marginPx;
  while (points > smallestPoints && QFontMetrics(font).horizontalAdvance(text) > roomPx) {
    points -= 1;
    font = ProportionalFont(points, bold);
  }
  label->setFont(font);
  label->setText(text);
}

QLabel* MakeCaption(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                    Qt::Alignment alignment) {
  QLabel* caption = MakeLabel(parent, name, text, font);
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
