#include "screens/frmdata.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <functional>

#include "core/app_state.h"
#include "core/results/results_retry.h"
#include "core/setup/roster.h"
#include "core/teacher/record_list.h"
#include "painters/record_list_paint.h"
#include "platform/errors.h"
#include "screens/line_list.h"
#include "screens/printing.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "screens/wait_cover.h"
#include "screens/widgets.h"

namespace bardrill::screens {

namespace {

constexpr int kFormWidthTwips = 15360;
constexpr int kFormHeightTwips = 11520;
const QColor kBackground(224, 236, 255);
const QColor kPanel(255, 255, 224);

constexpr char kNoticeTitle[] = "注意";
constexpr char kInputTitle[] = "入力の誤り";
constexpr char kDeleteQuestion[] = "本当に消去しますか";
constexpr char kWriteFailed[] = "ファイルに書き込めませんでした。何も変更していません。\n\n";
constexpr char kWriteUnconfirmed[] =
    "ファイルは書き換えましたが、ディスクに残ったかどうか確かめられませんでした。"
    "共有フォルダーが戻ってから、一覧を読み直して確かめてください。\n\n";

// List1's lines, made from the records when shown or printed.
class RecordLines : public LineSource {
 public:
  RecordLines(const AppState& state, std::shared_ptr<const RecordList> list)
      : state_(state), list_(std::move(list)) {}
  int count() const override { return static_cast<int>(list_->records.size()); }
  std::string line(int row) const override {
    return RecordLine(state_, list_->records[static_cast<size_t>(row)]);
  }
  int key(int row) const override {
    return static_cast<int>(list_->records[static_cast<size_t>(row)].number);
  }

 private:
  const AppState& state_;
  std::shared_ptr<const RecordList> list_;
};

}  // namespace

FrmData::FrmData(Screens& screens) : Form(screens, QString::fromLatin1(kName)) {
  setWindowTitle(Q(screens.state.ProgramTitle) + QStringLiteral(" 成績データ"));
  resize(PixelsFromTwips(kFormWidthTwips), PixelsFromTwips(kFormHeightTwips));
  SetBackground(this, kBackground);

  buildList();
  buildEditPanel();
  buildButtons();
  // The keyboard walks the list, then the panel from top to bottom, then the buttons.
  setTabOrder(List1, Combo1);
  setTabOrder(Combo1, Text1[1]);
  setTabOrder(Text1[1], VScroll1);
  setTabOrder(VScroll1, Command2);
  setTabOrder(Command2, Command3);
  setTabOrder(Command3, Command17);
  setTabOrder(Command17, Command4);

  buildCovers();
  closePanel();
}

void FrmData::buildList() {
  Label5 = MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("ダブルクリックすると変更、消去できます"),
                     ProportionalFont(12, true));
  PlaceTwips(Label5, 240, 120, 9000, 420);
  Label3 = MakeLabel(this, QStringLiteral("Label3"), {}, ProportionalFont(12));
  PlaceTwips(Label3, 10680, 120, 4440, 420);

  List1 = MakeLineList(this, QStringLiteral("List1"));
  List1->setFont(FixedFont(10.5));
  // Several lines can be chosen for printing; the edit panel works on the line double-clicked.
  List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  PlaceTwips(List1, 240, 600, 10200, 10560);
  connect(List1, &LineList::clicked, this, [this] { List1_Click(); });
  connect(List1, &LineList::rowActivated, this, [this] { List1_DblClick(); });
  // Moving to another line by the keyboard leaves the record the panel showed, as a click does.
  connect(List1, &LineList::currentRowChanged, this, [this](int row) {
    if (SelectedRecord != 0 && List1->lines().key(row) != SelectedRecord) closePanel();
  });
}

// The panel on the right that shows the double-clicked record for changing or deleting.
void FrmData::buildEditPanel() {
  Picture3 = MakePanel(this, QStringLiteral("Picture3"), kPanel);
  PlaceTwips(Picture3, 10680, 600, 4440, 6600);
  PlaceTwips(MakeCaption(Picture3, {}, QStringLiteral("レコード"), ProportionalFont(10)), 120, 120, 1500,
             420);
  Label1 = MakeLabel(Picture3, QStringLiteral("Label1"), {}, ProportionalFont(14, true));
  PlaceTwips(Label1, 1680, 60, 2520, 480);
  Label2 = QVector<QLabel*>(5, nullptr);
  for (int i : {1, 2, 4}) {
    Label2[i] = MakeLabel(Picture3, ElementName("Label2", i), {}, ProportionalFont(12));
  }
  PlaceTwips(Label2[1], 120, 660, 1800, 420);
  PlaceTwips(Label2[2], 1980, 660, 2340, 420);

  PlaceTwips(MakeCaption(Picture3, {}, QStringLiteral("生徒"), ProportionalFont(10)), 120, 1260, 1500, 360);
  Combo1 = new QComboBox(Picture3);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->setEditable(true);
  Combo1->setInsertPolicy(QComboBox::NoInsert);
  Combo1->setMaxVisibleItems(20);
  Combo1->setFont(ProportionalFont(12));
  PlaceTwips(Combo1, 120, 1620, 4200, 480);
  connect(Combo1, &QComboBox::currentTextChanged, this, [this] { Combo1_Click(); });
  PlaceTwips(MakeCaption(Picture3, {}, QStringLiteral("学年"), ProportionalFont(10)), 120, 2220, 900, 420);
  PlaceTwips(Label2[4], 1080, 2220, 1800, 420);

  PlaceTwips(MakeCaption(Picture3, {}, QStringLiteral("タイム（秒）"), ProportionalFont(10)), 120, 2820, 2400,
             360);
  Text1 = QVector<QLineEdit*>(2, nullptr);
  Text1[1] = new QLineEdit(Picture3);
  Text1[1]->setObjectName(ElementName("Text1", 1));
  Text1[1]->setFont(ProportionalFont(14));
  PlaceTwips(Text1[1], 120, 3240, 2400, 540);
  connect(Text1[1], &QLineEdit::textEdited, this, [this] { Text1_Change(); });
  VScroll1 = new QScrollBar(Qt::Vertical, Picture3);
  VScroll1->setObjectName(QStringLiteral("VScroll1"));
  VScroll1->setRange(0, kMaxEditSeconds);
  VScroll1->setPageStep(10);
  // The upper arrow and the up key add a second, as a time counts up.
  VScroll1->setInvertedAppearance(true);
  VScroll1->setInvertedControls(false);
  VScroll1->setFocusPolicy(Qt::StrongFocus);
  PlaceTwips(VScroll1, 2640, 3060, 360, 900);
  connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });

  Command2 = MakeButton(Picture3, QStringLiteral("Command2"), QStringLiteral("変更して記録"));
  PlaceTwips(Command2, 120, 4320, 4200, 600);
  connect(Command2, &QPushButton::clicked, this, &FrmData::Command2_Click);
  Command3 = MakeButton(Picture3, QStringLiteral("Command3"), QStringLiteral("消去"));
  PlaceTwips(Command3, 120, 5400, 4200, 600);
  connect(Command3, &QPushButton::clicked, this, &FrmData::Command3_Click);
  for (QPushButton* button : {Command2, Command3}) button->setFont(ProportionalFont(12, true));
}

void FrmData::buildButtons() {
  Command17 = MakeButton(this, QStringLiteral("Command17"), QStringLiteral("印刷"));
  PlaceTwips(Command17, 10680, 10320, 2100, 720);
  connect(Command17, &QPushButton::clicked, this, &FrmData::Command17_Click);
  Command4 = MakeButton(this, QStringLiteral("Command4"), QStringLiteral("戻る"));
  PlaceTwips(Command4, 12960, 10320, 2160, 720);
  connect(Command4, &QPushButton::clicked, this, &FrmData::Command4_Click);
  for (QPushButton* button : {Command17, Command4}) button->setFont(ProportionalFont(14, true));
}

void FrmData::buildCovers() {
  Picture1 = MakePanel(this, QStringLiteral("Picture1"), kBackground);
  Picture6 = new WaitCover(this, QStringLiteral("Picture6"), kBackground,
                           {QStringLiteral("Just a moment,please."), 24, QStringLiteral("Label8"),
                            QStringLiteral("ProgressBar1")});
  Label8 = Picture6->caption();
  ProgressBar1 = Picture6->progress();
}

void FrmData::Form_Load() {
  PlaceTwips(Picture1, 0, 0, kFormWidthTwips, kFormHeightTwips);
  Picture1->hide();
  screens_.Show<FrmData>();
  Command1_Click([this] {
    choose(0);
    List1->setFocus();
  });
}

void FrmData::Command1_Click(std::function<void()> then) {
  Picture6->showOver(rect());
  AppState& state = screens_.state;
  // The records read last are let go first: a list of millions is not held twice.
  List1->setSource(nullptr);
  records_ = std::make_shared<RecordList>();
  // The roster too, for the names: a child added since the screen opened can be given a record.
  struct Read {
    RosterRead roster;
    RecordList list;
  };
  auto read = std::make_shared<Read>();
  read->roster = RosterReadOf(state);
  // Waits for a share that is away, and ends the program with a message when it stays away.
  screens_.ReadResults(
      this,
      [read, file = ResultsFileOf(state), school = state.SchoolCode] {
        ReadRosterInto(read->roster);
        if (read->roster.fault.empty()) read->list = ReadRecordList(file, school);
      },
      [this, read, then = std::move(then)] {
        if (!screens_.ApplyRoster(read->roster)) return;
        AppState& state = screens_.state;
        auto list = std::make_shared<RecordList>(std::move(read->list));
        fillChoices(RosterChoices(state));
        Label3->setText(Q(RecordCountText(list->recordCount)));
        records_ = list;
        List1->setSource(std::make_shared<RecordLines>(state, list));
        Picture6->hide();
        if (then) then();
      });
}

void FrmData::fillChoices(std::vector<std::string> choices) {
  if (choices == choices_) return;
  choices_ = std::move(choices);
  QStringList items;
  items.reserve(static_cast<qsizetype>(choices_.size()));
  for (const std::string& choice : choices_) items << Q(choice);
  const QSignalBlocker quiet(Combo1);
  const QString typed = Combo1->currentText();
  Combo1->clear();
  Combo1->addItems(items);
  Combo1->setEditText(typed);
}

void FrmData::choose(int row) {
  if (List1->count() == 0) return;
  row = std::clamp(row, 0, List1->count() - 1);
  List1->setCurrentRow(row);
  List1->showRow(row);
}

void FrmData::List1_Click() { closePanel(); }

void FrmData::List1_DblClick() {
  const int row = List1->currentRow();
  if (row < 0) return;
  openRecord(List1->lines().key(row));
}

void FrmData::openRecord(int number) {
  // Waits for a share that is away, and ends the program with a message when it stays away.
  auto bytes = std::make_shared<std::optional<RecordBytes>>();
  screens_.ReadResults(
      this, [bytes, number, file = ResultsFileOf(screens_.state)] { *bytes = file.ReadOne(number); },
      [this, bytes, number] { showRecord(number, *bytes); });
}

void FrmData::showRecord(int number, const std::optional<RecordBytes>& bytes) {
  AppState& state = screens_.state;
  if (!bytes) {
    refused(EditRefusedText(EditOutcome::Missing, number), number);
    return;
  }
  const ResultRecord record = ResultRecord::Decode(*bytes);
  SelectedRecord = number;
  asRead_ = bytes;
  Label1->setText(QString::number(number));
  Label2[1]->setText(Q(LevelText(record.level)));
  Label2[2]->setText(Q(RecordDateText(record.date)));
  const QString choice = Q(StudentChoice(state, record.Bangou));
  {
    const QSignalBlocker quiet(Combo1);
    Combo1->setCurrentIndex(Combo1->findText(choice));
    Combo1->setEditText(choice);
  }
  Label2[4]->setText(Q(GradeText(state, record.Bangou)));
  Text1[1]->setText(QString::number(record.seconds));
  {
    const QSignalBlocker quiet(VScroll1);
    VScroll1->setValue(record.seconds);
  }
  Command2->setEnabled(true);
  Command3->setEnabled(true);
  Picture3->show();
}

void FrmData::closePanel() {
  SelectedRecord = 0;
  asRead_.reset();
  Command2->setEnabled(false);
  Command3->setEnabled(false);
  Picture3->hide();
}

void FrmData::Combo1_Click() {
  const std::optional<int> student = ChoiceNumber(S(Combo1->currentText()));
  Label2[4]->setText(student ? Q(GradeText(screens_.state, *student)) : QString());
}

void FrmData::VScroll1_Change() { Text1[1]->setText(QString::number(VScroll1->value())); }

void FrmData::Text1_Change() {
  // Only a time that could be stored moves the bar; while typing, the text is left as typed.
  if (const std::optional<int> seconds = TypedSeconds(S(Text1[1]->text()))) {
    const QSignalBlocker quiet(VScroll1);
    VScroll1->setValue(*seconds);
  }
}

void FrmData::refused(const std::string& why, int number) {
  closePanel();
  screens_.services.prompts.Message(kNoticeTitle, why);
  Command1_Click([this, number] {
    choose(records_->LineAfterDelete(number));
    List1->setFocus();
  });
}

void FrmData::Command2_Click() {
  if (!asRead_) return;
  const RecordEdit edit = CheckRecordEdit(screens_.state, ResultRecord::Decode(*asRead_), S(Text1[1]->text()),
                                          S(Combo1->currentText()));
  if (!edit.ok()) {
    screens_.services.prompts.Message(kInputTitle, edit.error);
    QWidget* wrong = TypedSeconds(S(Text1[1]->text())) ? static_cast<QWidget*>(Combo1) : Text1[1];
    wrong->setFocus();
    return;
  }
  const int number = SelectedRecord;
  changeRecord(
      number,
      [number, asRead = *asRead_, replacement = edit.record](ResultsFile& file, const LockWaitStep& step) {
        return file.RewriteOne(number, asRead, replacement, step);
      },
      [this, number] {
        choose(records_->LineOf(number));
        // The panel shows the record as it now is in the file, ready for another correction.
        openRecord(number);
        List1->setFocus();
      });
}

void FrmData::changeRecord(int number, std::function<EditOutcome(ResultsFile&, const LockWaitStep&)> change,
                           std::function<void()> then) {
  // The cover goes up at once, so that the question just answered leaves no picture behind while the
  // change waits for another PC's lock or for the share.
  Picture6->showOver(rect());
  const LockWaitStep whileLocked = LockWaitShowing(
      screens_, {Picture6}, ProgressBar1, "the program was closed while a record waited to be changed");
  auto outcome = std::make_shared<EditOutcome>(EditOutcome::Done);
  screens_.RunFileWork(
      this,
      [outcome, file = ResultsFileOf(screens_.state), change = std::move(change), whileLocked]() mutable {
        *outcome = change(file, whileLocked);
      },
      [this, number, outcome, then = std::move(then)](std::exception_ptr failure) {
        ProgressBar1->hide();
        if (failure) {
          Picture6->hide();
          try {
            std::rethrow_exception(failure);
          } catch (const UnconfirmedWriteError& why) {
            screens_.services.prompts.Message(kNoticeTitle, std::string(kWriteUnconfirmed) + why.what());
          } catch (const std::exception& why) {
            screens_.services.prompts.Message(kNoticeTitle, std::string(kWriteFailed) + why.what());
          }
          return;
        }
        if (*outcome != EditOutcome::Done) {
          refused(EditRefusedText(*outcome, number), number);
          return;
        }
        closePanel();
        Command1_Click(then);
      });
}

void FrmData::Command3_Click() {
  if (!asRead_) return;
  if (!screens_.services.prompts.AskYesNo(kNoticeTitle, kDeleteQuestion)) return;
  const int number = SelectedRecord;
  changeRecord(
      number,
      [number, asRead = *asRead_](ResultsFile& file, const LockWaitStep& step) {
        return file.DeleteOne(number, asRead, step);
      },
      [this, number] {
        choose(records_->LineAfterDelete(number));
        List1->setFocus();
      });
}

void FrmData::Command4_Click() {
  Picture1->raise();
  Picture1->show();
  screens_.Show<seisekitime1>();
  screens_.Unload(this);
}

// Closing the window leaves as "戻る" does, unless the screen is busy with the file.
void FrmData::Form_QueryUnload() {
  if (Picture1->isHidden() && Command4->isEnabled()) Command4_Click();
}

void FrmData::Command17_Click() {
  // The chosen lines, or all of them; each line is made as its page is printed.
  const std::vector<int> chosen = List1->selectedRows();
  const bool all = chosen.size() < 2;
  const int count = all ? List1->count() : static_cast<int>(chosen.size());
  const auto line = [&](int i) { return List1->text(all ? i : chosen[static_cast<size_t>(i)]); };
  RecordListPages pages(count, line);
  PrintPages(screens_, this, QStringLiteral("成績データ一覧"), pages.pageCount(),
             [&pages](QPainter& painter, const QRectF& area, int page) { pages.paint(painter, area, page); });
}

void FrmData::Form_KeyPress(char32_t& KeyAscii) {
  constexpr char32_t kEnter = 13;
  constexpr char32_t kEscape = 27;
  if (KeyAscii == kEnter && List1->hasFocus() && List1->currentRow() >= 0) {
    KeyAscii = 0;
    List1_DblClick();
    if (!Picture3->isHidden()) Text1[1]->setFocus();
    return;
  }
  if (KeyAscii == kEscape && !Picture3->isHidden()) {
    KeyAscii = 0;
    closePanel();
    List1->setFocus();
  }
}

}  // namespace bardrill::screens
