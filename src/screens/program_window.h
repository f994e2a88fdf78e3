#pragma once
#include <QSize>
#include <QWidget>

class QCloseEvent;

namespace bardrill::screens {

class Form;

// The program's one top-level window. Every screen is a page of it and only one page is shown at a
// time, centred at its size at the page scale; the rest of the window takes the page's background
// colour. A close request from the window manager or the task bar never closes the window: the page
// shown decides what it means. A full-screen window offers no minimising, and one minimised anyway
// comes straight back, so that a child never faces a black screen while a drill's time runs on.
class ProgramWindow : public QWidget {
  Q_OBJECT

 public:
  ProgramWindow();

  // Hides the page shown before and shows `page` in its place.
  void showPage(Form* page);
  // The page leaves the window (it is being unloaded).
  void removePage(Form* page);
  Form* page() const { return page_; }
  // Covers the whole screen without a frame or a way to minimise it.
  void showOnWholeScreen();

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void centrePage();
  void comeBack();
  Form* page_ = nullptr;  // cleared by removePage before the form goes
  bool wholeScreen_ = false;
};

// The largest design among the pages, in twips: the drill is the widest, the records screen the
// tallest.
inline constexpr QSize kLargestPageTwips{15390, 11520};

// The page scale at which the largest page fills as much of a screen of `available` pixels as it can
// without being cut: below 1 on a small screen, fractional in between.
double PageScaleToFit(QSize available);

// Sets the page scale for the primary screen. Call before the first page is made.
void ScaleToFitScreen();

}  // namespace bardrill::screens
