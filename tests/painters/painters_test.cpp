// The painters on QtGui alone: a QGuiApplication, no widgets, painting into images.

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <utility>

#include "painters/fonts.h"
#include "painters/page_frame.h"
#include "painters/record_list_paint.h"

namespace bardrill {
namespace {

using screens::RecordListPages;
constexpr int kLines = RecordListPages::kRecordLinesPerPage;

QImage Paper(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// Whether anything but white was painted between rows `top` and `bottom` (exclusive).
bool Inked(const QImage& image, int top, int bottom) {
  for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
  return false;
}

// `count` lines of `width` characters each.
RecordListPages Lines(int count, int width = 20) {
  return RecordListPages(count, [width](int i) { return QString(width, QChar(u'0' + i % 10)); });
}

TEST(RecordListPages, FortyLinesToAPageAndNoPageForNoLines) {
  const std::pair<int, int> cases[] = {{0, 0}, {-3, 0}, {1, 1}, {kLines, 1}, {kLines + 1, 2}, {81, 3}};
  for (const auto& [lines, pages] : cases) EXPECT_EQ(Lines(lines).pageCount(), pages) << lines << " lines";
}

TEST(RecordListPages, APagePaintsItsOwnLinesEachInItsPlace) {
  const QRectF area(0, 0, 800, 800);
  const double step = area.height() / kLines;
  RecordListPages pages = Lines(kLines + 1);
  QImage first = Paper(800, 800);
  QImage second = Paper(800, 800);
  {
    QPainter painter(&first);
    pages.paint(painter, area, 0);
  }
  {
    QPainter painter(&second);
    pages.paint(painter, area, 1);
  }
  for (int line = 0; line < kLines; ++line) {
    const int top = static_cast<int>(line * step) + 1, bottom = static_cast<int>((line + 1) * step) - 1;
    EXPECT_TRUE(Inked(first, top, bottom)) << "first page, line " << line;
    // The second page holds the one line left over, at its top.
    EXPECT_EQ(Inked(second, top, bottom), line == 0) << "second page, line " << line;
  }
}

TEST(RecordListPages, TheFontShrinksOnlyToFitThePaperAndStaysForEveryPage) {
  QImage image = Paper(1000, 1000);
  QPainter painter(&image);
  RecordListPages roomy = Lines(3);
  roomy.paint(painter, QRectF(0, 0, 1000, 1000), 0);
  ASSERT_TRUE(roomy.font().has_value());
  EXPECT_DOUBLE_EQ(roomy.font()->pointSizeF(), RecordListPages::kRecordListPoints);

  // A line too wide for the paper, and too little height for forty lines.
  for (const QRectF& area : {QRectF(0, 0, 600, 1000), QRectF(0, 0, 1000, 400)}) {
    RecordListPages cramped = Lines(kLines + 5, 120);
    cramped.paint(painter, area, 0);
    ASSERT_TRUE(cramped.font().has_value());
    const QFontMetricsF metrics(*cramped.font(), &image);
    EXPECT_LT(cramped.font()->pointSizeF(), RecordListPages::kRecordListPoints);
    EXPECT_LE(metrics.horizontalAdvance(QString(120, u'0')), area.width());
    EXPECT_LE(kLines * metrics.lineSpacing(), area.height());
    // The next page, on whatever area, keeps the first page's font: the pages print alike.
    const QFont fitted = *cramped.font();
    cramped.paint(painter, QRectF(0, 0, 1000, 1000), 1);
    EXPECT_EQ(*cramped.font(), fitted);
  }
}

TEST(PageFrame, HeadsAndFootsThePageAndLeavesTheRestBlank) {
  QImage image = Paper(1000, 1400);
  const QRectF page(50, 40, 900, 1300);
  QRectF area;
  {
    QPainter painter(&image);
    area = screens::PaintPageFrame(
        painter, page,
        {QStringLiteral("テスト塾"), QStringLiteral("個人ﾀｲﾑ"), QStringLiteral("令和6年4月1日")}, 2, 5);
  }
  EXPECT_GT(area.top(), page.top());
  EXPECT_LT(area.bottom(), page.bottom());
  EXPECT_EQ(area.left(), page.left());
  EXPECT_EQ(area.width(), page.width());
  EXPECT_TRUE(Inked(image, static_cast<int>(page.top()), static_cast<int>(area.top())));
  EXPECT_TRUE(Inked(image, static_cast<int>(area.bottom()), static_cast<int>(page.bottom()) + 1));
  EXPECT_FALSE(Inked(image, static_cast<int>(area.top()) + 1, static_cast<int>(area.bottom())));
  // Nothing above the page, but for a glyph's antialiased edge on the row next to it.
  EXPECT_FALSE(Inked(image, 0, static_cast<int>(page.top()) - 1));
}

}  // namespace
}  // namespace bardrill

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  // A test host without Japanese fonts of its own (Wine) names a folder of them.
  if (qEnvironmentVariableIsSet("BARDRILL_TEST_FONTS"))
    bardrill::screens::LoadBundledFonts(qEnvironmentVariable("BARDRILL_TEST_FONTS"));
  bardrill::screens::UseJapaneseFonts();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
