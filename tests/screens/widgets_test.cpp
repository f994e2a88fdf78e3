#include "screens/widgets.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

namespace bardrill::screens {
namespace {

int TextWidth(const QLabel& label) { return QFontMetrics(label.font()).horizontalAdvance(label.text()); }

class FittedText : public ::testing::Test {
 protected:
  FittedText() : label(&parent) { label.resize(200, 40); }
  QWidget parent;
  QLabel label;
};

TEST_F(FittedText, AShortTextKeepsItsSizeAndALongOneShrinksUntilItFits) {
  SetFittedText(&label, QStringLiteral("山田"), 18, true);
  EXPECT_EQ(label.text(), QStringLiteral("山田"));
  EXPECT_EQ(label.font().pointSizeF(), ProportionalFont(18, true).pointSizeF());
  EXPECT_TRUE(label.font().bold());

  const QString longName = QStringLiteral("山田山田山田山田山田山田");
  SetFittedText(&label, longName, 18, false);
  EXPECT_EQ(label.text(), longName);
  EXPECT_LT(label.font().pointSizeF(), ProportionalFont(18).pointSizeF());
  EXPECT_LE(TextWidth(label), label.contentsRect().width());
  EXPECT_FALSE(label.font().bold());
  // One point more would not have fitted: the largest size that fits is taken.
  QLabel larger(&parent);
  larger.setFont(ProportionalFont(label.font().pointSizeF() + 1));
  larger.setText(longName);
  EXPECT_GT(TextWidth(larger), label.contentsRect().width());
}

TEST_F(FittedText, NeverShrinksBelowTheSmallestSizeAndKeepsItsMarginClear) {
  const QString tooLong(60, QChar(0x5C71));
  SetFittedText(&label, tooLong, 18, true);
  EXPECT_EQ(label.font().pointSizeF(), ProportionalFont(8, true).pointSizeF()) << "8 points unless told";
  SetFittedText(&label, tooLong, 18, true, 12);
  EXPECT_EQ(label.font().pointSizeF(), ProportionalFont(12, true).pointSizeF());

  // A text that just fits the whole label shrinks once a margin is kept.
  QString text = QStringLiteral("山");
  for (;;) {
    SetFittedText(&label, text + QChar(0x5C71), 14, false);
    if (label.font().pointSizeF() != ProportionalFont(14).pointSizeF()) break;
    text += QChar(0x5C71);
  }
  SetFittedText(&label, text, 14, false);
  ASSERT_EQ(label.font().pointSizeF(), ProportionalFont(14).pointSizeF());
  const int spare = label.contentsRect().width() - TextWidth(label);
  SetFittedText(&label, text, 14, false, 8, spare + 1);
  EXPECT_LT(label.font().pointSizeF(), ProportionalFont(14).pointSizeF());
  EXPECT_LE(TextWidth(label), label.contentsRect().width() - spare - 1);
}

}  // namespace
}  // namespace bardrill::screens
