#include "screens/wait_cover.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "screens/widgets.h"

namespace bardrill::screens {

namespace {
// In the design's pixels.
constexpr int kMarginPx = 16;
constexpr int kGapPx = 8;           // between the caption and the bar
constexpr int kLongestBarPx = 400;  // on a large cover the bar keeps to the middle
}  // namespace

WaitCover::WaitCover(QWidget* parent, const QString& name, const QColor& colour, const Look& look)
    : QFrame(parent) {
  setObjectName(name);
  SetBackground(this, colour);
  caption_ = MakeCaption(this, look.captionName, look.caption, ProportionalFont(look.points, true),
                         Qt::AlignHCenter);
  if (!look.progressName.isEmpty()) {
    progress_ = new QProgressBar(this);
    progress_->setObjectName(look.progressName);
    progress_->setTextVisible(false);
    progress_->hide();  // shown only by a wait that has steps to count
  }
  hide();
  layOut();
}

void WaitCover::showOver(const QRect& area) {
  if (!area.isEmpty()) setGeometry(area);
  raise();
  show();
  repaint();
}

void WaitCover::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  layOut();
}

// The caption and the bar under it, together in the middle. A hidden bar keeps its place, so that the
// caption does not jump when a wait starts counting.
void WaitCover::layOut() {
  const int captionHeight = caption_->sizeHint().height();
  const int barHeight = progress_ ? progress_->sizeHint().height() : 0;
  const int margin = ScaledPx(kMarginPx), gap = ScaledPx(kGapPx);
  const int block = captionHeight + (progress_ ? gap + barHeight : 0);
  const int top = (height() - block) / 2;
  caption_->setGeometry(margin, top, std::max(width() - 2 * margin, 0), captionHeight);
  if (!progress_) return;
  const int barWidth = std::clamp(width() - 2 * margin, 0, ScaledPx(kLongestBarPx));
  progress_->setGeometry((width() - barWidth) / 2, top + captionHeight + gap, barWidth, barHeight);
}

}  // namespace bardrill::screens
