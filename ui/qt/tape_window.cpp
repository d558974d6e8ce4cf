#include "ui/qt/tape_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>

#include "ui/logic/calculator_logic.h"
#include "ui/qt/accessibles.h"
#include "ui/qt/widgets.h"

namespace tarvo::ui {
namespace {

constexpr int kMargin = 14, kListTop = 40, kButtonSpacing = 14;

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QKeySequence Sequence(std::string_view keys) { return QKeySequence::fromString(Text(keys), QKeySequence::PortableText); }

bool Is(const QKeyEvent* e, std::string_view keys) {
  return QKeySequence(e->keyCombination()) == Sequence(keys);
}

// The list's own keys: moving, selecting, and the modifier keys that go
// with them.
bool ListKey(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_Space: case Qt::Key_Tab: case Qt::Key_Backtab:
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_Meta: case Qt::Key_AltGr:
      return true;
    default:
      return e->matches(QKeySequence::SelectAll);
  }
}

// Where a row's entry ends in its text (its name for a screen reader and
// what Copy takes): the rest is " = " and the result.
constexpr int kEntryLength = Qt::UserRole;
// The colour the window logic gives a row of an error or a notice, which
// each look shows in its own.
constexpr int kRowColour = Qt::UserRole + 1;

// A row as on a paper tape: the entry at the left, "= result" at the right.
// A row too long for the list keeps the start and the end of its entry and
// as much of its result as fits in two thirds of the width.
class TapeRowLook : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    const QString text = o.text;
    o.text.clear();
    const QWidget* view = o.widget;
    (view != nullptr ? view->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &o, painter, view);
    const int split = index.data(kEntryLength).toInt();
    const QRect area = o.rect.adjusted(4, 0, -4, 0);
    const QFontMetrics& metrics = o.fontMetrics;
    const QString result = metrics.elidedText(text.mid(split).trimmed(), Qt::ElideMiddle, area.width() * 2 / 3);
    const QString entry =
        metrics.elidedText(text.left(split), Qt::ElideMiddle, area.width() - metrics.horizontalAdvance(result) - 12);
    painter->save();
    const bool selected = o.state.testFlag(QStyle::State_Selected);
    painter->setPen(selected ? o.palette.color(QPalette::HighlightedText) : o.palette.color(QPalette::Text));
    if (!selected && index.data(Qt::ForegroundRole).isValid())
      painter->setPen(index.data(Qt::ForegroundRole).value<QBrush>().color());
    painter->setFont(o.font);
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter, entry);
    painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter, result);
    painter->restore();
  }

  // A little air between the rows, as between a tape's printed lines.
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 4);
  }
};

}  // namespace

TapeWindow::TapeWindow(tarvo::CalculatorLogic& calculator, QWidget* calculatorWindow)
    : QWidget(calculatorWindow, Qt::Tool | Qt::FramelessWindowHint), logic_(*this, calculator) {
  // A window of the calculator's (Qt makes the calculator its transient
  // parent): a compositor that places windows itself (Wayland) keeps it
  // above the calculator, and places it where it will.
  setWindowTitle(QStringLiteral("Tape"));
  resize(kTapeWidth, calculatorWindow->height());

  auto* title = new QLabel(QStringLiteral("Tape"), this);
  title->setFont(SansFont(13, true));
  title->adjustSize();
  title->move(kMargin, 9);

  copy_ = MakeButton(QStringLiteral("Copy"), QStringLiteral("Copies the selected rows (Ctrl+C)"),
                     [this] { logic_.CopyRows(SelectedRows()); });
  clear_ = MakeButton(QStringLiteral("Clear"), QStringLiteral("Empties the tape (%1)").arg(Text(kTapeClearBinding)),
                      [this] { logic_.Clear(); });
  close_ = MakeButton(QStringLiteral("Close"), QStringLiteral("Closes the tape (%1, Esc)").arg(Text(kTapeBinding)),
                      [this] { logic_.Close(); });

  list_ = new QListWidget(this);
  list_->setFont(SansFont(13));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setUniformItemSizes(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setItemDelegate(new TapeRowLook(list_));
  list_->setAccessibleName(QStringLiteral("Tape"));
  list_->setAccessibleDescription(
      QStringLiteral("Each entry calculated and its result, newest last. Enter puts the entry back into the entry "
                     "line; Ctrl+C copies the selected rows; %1 empties the tape; %2 or Esc closes it")
          .arg(Text(kTapeClearBinding), Text(kTapeBinding)));
  list_->installEventFilter(this);
  QObject::connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { UseRow(list_->row(item)); });
  setFocusProxy(list_);
  TellCurrentRowOnFocus(list_);
  setAccessibleName(windowTitle());
  setTabOrder(list_, copy_);
  setTabOrder(copy_, clear_);
  setTabOrder(clear_, close_);
  for (TextButton* button : {copy_, clear_, close_}) button->installEventFilter(this);
  ShowLook(look_);
}

TextButton* TapeWindow::MakeButton(const QString& text, const QString& help, const std::function<void()>& action) {
  auto* button = new TextButton(text, this);
  button->setFont(SansFont(13, false));
  button->adjustSize();
  button->setToolTip(help);
  button->setAccessibleDescription(help);
  button->onPress = [this, button] { button->SetLook(InkRgb(look_, kVarListButtonPressedColor), button->pos() + QPoint(1, 1)); };
  button->onRelease = [this, button] { button->SetLook(InkRgb(look_, kVarListButtonColor), button->pos() - QPoint(1, 1)); };
  button->onClick = action;
  return button;
}

void TapeWindow::resizeEvent(QResizeEvent*) {
  int right = width() - kMargin;
  for (TextButton* button : {close_, clear_, copy_}) {
    button->SetLook(InkRgb(look_, kVarListButtonColor), QPoint(right - button->width(), kVarListButtonTop));
    right -= button->width() + kButtonSpacing;
  }
  list_->setGeometry(kMargin, kListTop, width() - 2 * kMargin, height() - kListTop - kMargin);
}

QStringList TapeWindow::ShownRows() const {
  QStringList rows;
  for (int i = 0; i < list_->count(); ++i) rows << list_->item(i)->text();
  return rows;
}

void TapeWindow::Open() {
  logic_.Fill();
  FollowCalculator();
  show();
  raise();
  activateWindow();
  list_->setFocus(Qt::OtherFocusReason);
}

void TapeWindow::FollowCalculator() {
  const QWidget* calculator = parentWidget();
  const QRect at = calculator->frameGeometry();
  const QScreen* screen = calculator->screen();
  const QRect free = screen != nullptr ? screen->availableGeometry() : at;
  const Box place = PlaceTapeWindow({at.x(), at.y(), at.width(), at.height()},
                                    {free.x(), free.y(), free.width(), free.height()});
  setGeometry(place.left, place.top, place.width, place.height);
}

std::vector<int> TapeWindow::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedIndexes()) rows.push_back(index.row());
  return rows;
}

void TapeWindow::UseRow(int row) {
  logic_.UseRow(row);
  if (onLeave) onLeave();
}

// ---- TapeControls ----------------------------------------------------------

void TapeWindow::AddRow(const TapeRow& row) {
  auto* item = new QListWidgetItem(Unicode(TapeLine(row)), list_);
  item->setData(kEntryLength, static_cast<int>(Unicode(row.entry).size()));
  if (item->text().size() > 36) item->setToolTip(item->text());  // too long for the list, perhaps
  if (row.kind != TapeRow::Kind::kAnswer) {
    const Rgb c = row.kind == TapeRow::Kind::kError ? kErrorRed : kNoticeGreen;
    item->setData(kRowColour, QColor(c.r, c.g, c.b));
    item->setForeground(Ink(look_, c));
  }
}

void TapeWindow::ShowNewestRow() {
  list_->setCurrentRow(list_->count() - 1, QItemSelectionModel::ClearAndSelect);
  list_->scrollToBottom();
}

void TapeWindow::SetClipboardText(const std::string& text) {
  if (QClipboard* clip = QGuiApplication::clipboard()) clip->setText(Unicode(text));
}

// ---- Events ----------------------------------------------------------------

// The list's keys, and the tape's own on its buttons too; a button takes
// Enter and Space itself.
bool TapeWindow::eventFilter(QObject* watched, QEvent* e) {
  const bool button = watched == copy_ || watched == clear_ || watched == close_;
  if ((watched != list_ && !button) || e->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, e);
  auto* key = static_cast<QKeyEvent*>(e);
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  if (button && (enter || key->key() == Qt::Key_Space || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab))
    return false;
  if (enter) UseRow(list_->currentRow());
  else if (key->matches(QKeySequence::Copy)) logic_.CopyRows(SelectedRows());
  else if (Is(key, kTapeClearBinding)) logic_.Clear();
  else if (key->key() == Qt::Key_Escape || Is(key, kTapeBinding)) logic_.Close();
  else if (ListKey(key)) return false;
  else if (onOtherKey) onOtherKey(key);
  return true;
}

void TapeWindow::paintEvent(QPaintEvent*) { PaintListWindow(this, list_->geometry(), look_); }

void TapeWindow::ShowLook(Look look) {
  look_ = look;
  StyleListWindow(this, look);
  StyleListRows(list_, look);
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    if (const QColor c = item->data(kRowColour).value<QColor>(); c.isValid())
      item->setForeground(Ink(look, {c.red(), c.green(), c.blue()}));
  }
  for (TextButton* button : {copy_, clear_, close_}) button->SetLook(InkRgb(look, kVarListButtonColor), button->pos());
  if (focusRing_ == nullptr) focusRing_ = new FocusRing(this);
  focusRing_->SetLook(look);
  update();
}

void TapeWindow::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  if (onLeave) onLeave();
}

}  // namespace tarvo::ui
