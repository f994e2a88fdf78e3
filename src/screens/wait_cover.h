#pragma once
#include <QFrame>
#include <QRect>
#include <QString>

class QColor;
class QLabel;
class QProgressBar;

namespace bardrill::screens {

// A panel laid over a screen, or a part of it, while the program reads or waits: its caption in the
// middle and, where the wait has steps, a progress bar under it. The panel, the caption and the bar
// carry the names that their screen gives them, so that tests and the lock wait find them.
class WaitCover : public QFrame {
  Q_OBJECT
 public:
  struct Look {
    QString caption;
    double points = 24;    // bold
    QString captionName;   // an unnamed caption when empty
    QString progressName;  // no progress bar when empty
  };
  WaitCover(QWidget* parent, const QString& name, const QColor& colour, const Look& look);

  QLabel* caption() const { return caption_; }
  QProgressBar* progress() const { return progress_; }

  // Lays the cover over `area` of its screen (where it was placed, when empty), above everything, and
  // paints it at once: what follows may keep the program from its event loop for a while.
  void showOver(const QRect& area = {});

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void layOut();

  QLabel* caption_;
  QProgressBar* progress_ = nullptr;
};

}  // namespace bardrill::screens
