#pragma once
#include <QFrame>
#include <string>
#include <vector>

#include "core/hub/hub.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace bardrill::screens {

class ClickableLabel;
class LineList;

// One level's column of the hub: its number, name, start button, targets, counts and list. The
// controls keep the names of the hub's control arrays ("Command4(2)", "List5(2)").
class LevelColumn : public QFrame {
  Q_OBJECT
 public:
  // `widthTwips` by the hub's column width; narrow columns get smaller fonts.
  LevelColumn(QWidget* parent, int level, int widthTwips, int heightTwips);

  // Puts the column's texts on its labels; a practice level hides everything but its number, name
  // and start button.
  void showView(const LevelColumnView& view);
  // The list's lines, with the logged-in student's line (or -1) scrolled into view, none selected.
  void showLines(std::vector<std::string> lines, int ownLine);
  void clearLines();
  // Heads the counts "今日" and "今まで", as the rankings and the personal display do.
  void showCountCaptions();
  // The list is hidden while the hub refills it; shown again only where the level is not for practice.
  void hideList();
  void showList();
  void setBanned(bool banned);
  void setStartEnabled(bool enabled);
  bool startEnabled() const;
  void focusStart();
  bool practice() const { return practice_; }
  int ownLine() const { return ownLine_; }

 Q_SIGNALS:
  void startRequested(int level);
  void nameClicked(int level);
  void rankRequested(int level);

 private:
  QLabel* Label1;          // level number
  ClickableLabel* Label3;  // level name; a click starts the level
  QPushButton* Command4;   // start button
  QLineEdit* Text1;        // "やりすぎ禁止" while the level is banned
  QLabel* Label7;          // targets
  QLabel* Label8;          // drills and points inside the judgement window
  QLabel* Label9;          // "今日"
  QLabel* Label14;         // today's drills and points
  QLabel* Label10;         // "今まで"
  QLabel* Label15;         // all drills and points
  LineList* List5;         // the level's list
  QPushButton* Command3;   // "成績表示": this level's ranking
  int level_;
  bool practice_ = false;
  int ownLine_ = -1;
};

}  // namespace bardrill::screens
