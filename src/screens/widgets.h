#pragma once
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <string>

#include "painters/fonts.h"
#include "painters/palette.h"
#include "painters/text.h"

class QPainter;
class QWidget;
class QPushButton;
class QFrame;

namespace bardrill::screens {

// The screens are designed in twips, 15 to a pixel at the design size. Every page is shown at one page
// scale, the largest at which the largest page fits the screen, so a button keeps its size and place
// from one screen to the next. Geometry, fonts and painters all go through this scale (never Qt's own
// global factor, whose fractional values leave borders undrawn and old edges on the screen).
inline constexpr int kTwipsPerPixel = 15;
// Set once at start-up, before the first page is built; 1 until then (tests, a windowed program).
void SetPageScale(double scale);
double PageScale();
// Whole pixels at the page scale. Positions are rounded, and a size is the distance between its two
// rounded edges, so that controls that touch in the design touch on the screen at any scale.
int PixelsFromTwips(int twips);
int TwipsFromPixels(int pixels);
// A length drawn in pixels at the design size (a pen, a rounded corner), at the page scale.
int ScaledPx(double designPx);
// Scales a painter whose drawing is given in the design's pixels to the page scale: vector drawing at
// the size shown, not a stretched bitmap.
void ScalePainter(QPainter& painter);

// Places a widget by its geometry in twips.
void PlaceTwips(QWidget* w, int left, int top, int width, int height);
// Resizes a widget (or fixes its size) to a width and height in twips.
void SizeTwips(QWidget* w, int width, int height);
void FixedSizeTwips(QWidget* w, int width, int height);
void SetBackground(QWidget* w, const QColor& colour);

// The Windows fonts the screens were designed with (substituted by IPA fonts), at the design's point
// size times the page scale.
QFont ProportionalFont(double points, bool bold = false);  // "ＭＳ Ｐゴシック"
QFont FixedFont(double points, bool bold = false);         // "ＭＳ ゴシック": list lines line up

// Child controls named as the forms name them (objectName = name), in their parent's font or in `font`.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text = {});
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font);
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption);
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, const QFont& font);
// Puts `text` on `label` in the largest proportional font from `points` down to `smallestPoints` in
// which it fits on one line, `marginPx` inside the label's contents: a long name gets a smaller font
// rather than being cut off.
void SetFittedText(QLabel* label, const QString& text, double points, bool bold, double smallestPoints = 8,
                   int marginPx = 0);
// A fixed caption in `font`, aligned across its box and centred in its height.
QLabel* MakeCaption(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                    Qt::Alignment alignment = Qt::AlignLeft);
QFrame* MakePanel(QWidget* parent, const QString& name, const QColor& colour);
// A label that reports clicks (a level name, a title that opens the version screen).
class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 Q_SIGNALS:
  void clicked();
  void doubleClicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
};
ClickableLabel* MakeClickableLabel(QWidget* parent, const QString& name, const QString& text = {});

// Name of an element of a control array: "Command4(1)".
QString ElementName(const char* array, int index);

}  // namespace bardrill::screens
