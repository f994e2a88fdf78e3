#pragma once
#include <QSize>
#include <QWidget>

class QApplication;
class QCloseEvent;

namespace bardrill::screens {

class Form;

// The program's one top-level window. Every screen is a page of it and only one page is shown at a
// time, centred at its design size; the rest of the window takes the page's background colour. A close
// request from the window manager or the task bar never closes the window: the page shown decides
// what it means.
class ProgramWindow : public QWidget {
  Q_OBJECT

 public:
  ProgramWindow();

  // Hides the page shown before and shows `page` in its place.
  void showPage(Form* page);
  // The page leaves the window (it is being unloaded).
  void removePage(Form* page);
  Form* page() const { return page_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void centrePage();
  Form* page_ = nullptr;  // cleared by removePage before the form goes
};

// The largest design among the pages, in logical pixels: the drill is the widest, the records
// screen the tallest.
inline constexpr QSize kLargestPagePx{1026, 768};

// Scales everything the program draws so that the largest page fills as much of the primary screen as
// it can without being cut, text and lines drawn at that size. One scale for every page, so that a
// button keeps its size and place from one screen to the next. Call before the first window is made.
void ScaleToFitScreen(QApplication& app);

}  // namespace bardrill::screens
