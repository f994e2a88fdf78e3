#pragma once
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <string>

class QWidget;
class QPushButton;
class QFrame;

namespace bardrill::screens {

// A colour written as 0x00BBGGRR.
QColor FromBgr(uint32_t bgr);
QString Q(const std::string& utf8);
std::string S(const QString& text);

// The screens are laid out in twips, 15 to a logical pixel; Qt scales logical pixels for high-DPI
// screens.
inline constexpr int kTwipsPerPixel = 15;
constexpr int PixelsFromTwips(int twips) { return twips / kTwipsPerPixel; }
constexpr int TwipsFromPixels(int pixels) { return pixels * kTwipsPerPixel; }

// Places a widget by its geometry in twips.
void PlaceTwips(QWidget* w, int left, int top, int width, int height);
// Resizes a widget (or fixes its size) to a width and height in twips.
void SizeTwips(QWidget* w, int width, int height);
void FixedSizeTwips(QWidget* w, int width, int height);
void SetBackground(QWidget* w, const QColor& colour);

// The Windows fonts the screens were designed with (substituted by IPA fonts).
QFont ProportionalFont(double points, bool bold = false);  // "ＭＳ Ｐゴシック"
QFont FixedFont(double points, bool bold = false);         // "ＭＳ ゴシック": list lines line up

// Child controls named as the forms name them (objectName = name).
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text = {});
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption);
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
