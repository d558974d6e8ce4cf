#include "ui/qt/variable_list_window.h"
#include "ui/qt/accessibles.h"
#include "ui/qt/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QWindow>

#include "core/entry_encoding.h"

namespace tarvo::ui {
namespace {

constexpr int kListLeft = 14, kListTop = 40;

}  // namespace

// The text is set once the object is a TextButton: the accessible
// interface a screen reader gets is made at the first change it hears of,
// and a label's is a label's.
TextButton::TextButton(const QString& text, QWidget* parent) : QLabel(parent) {
  setText(text);
  // A click leaves the focus where it was, as a label's does.
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::PointingHandCursor);
}

void TextButton::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  if ((key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space) ||
      (e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    QLabel::keyPressEvent(e);
    return;
  }
  if (onPress) onPress();
  if (onRelease) onRelease();
  if (onClick) onClick();
}

void TextButton::paintEvent(QPaintEvent* e) {
  QLabel::paintEvent(e);
  if (!hasFocus()) return;
  QPainter p(this);
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.rect = rect();
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &p, this);
}

void TextButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && onPress) onPress();
}

void TextButton::SetLook(Rgb color, QPoint at) {
  // The colour of an enabled button; a disabled one keeps the greyed text
  // that tells it has nothing to act on.
  QPalette pal = palette();
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
    pal.setColor(g, QPalette::WindowText, QColor(color.r, color.g, color.b));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 162, 170));
  setPalette(pal);
  move(at);
}

void TextButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // The press moved the label; where the pointer was released is judged
  // against where the label rests now.
  const bool inside = rect().contains(e->position().toPoint());
  if (onRelease) onRelease();
  if (inside && onClick) onClick();
}

VariableListWindow::VariableListWindow(tarvo::Calculator& calculator, int listMode,
                                       std::optional<tarvo::VariableListShow> shown, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), logic_(*this, calculator, listMode, std::move(shown)) {
  setFixedSize(kWidth, kHeight);
  setWindowTitle(QStringLiteral("List of variables"));
  setModal(true);

  title_ = new QLabel(QStringLiteral("List of variables"), this);
  title_->setFont(SansFont(13, true));
  title_->adjustSize();
  title_->move(14, 9);
  (new WindowDrag(this))->Watch(title_);

  copyButton_ = MakeButton(VarListButton::kCopy, QStringLiteral("Copy"));
  clearButton_ = MakeButton(VarListButton::kClear, QStringLiteral("Clear"));
  exitButton_ = MakeButton(VarListButton::kExit, QStringLiteral("Exit"));

  listRows_ = new QListWidget(this);
  listRows_->setGeometry(kListLeft, kListTop, kWidth - 2 * kListLeft, kHeight - kListTop - 14);
  listRows_->setFont(ListFont());
  listRows_->setSelectionMode(QAbstractItemView::SingleSelection);
  listRows_->setAccessibleName(QStringLiteral("Variables"));
  TellCurrentRowOnFocus(listRows_);
  setAccessibleName(windowTitle());
  setTabOrder(listRows_, copyButton_);
  setTabOrder(copyButton_, clearButton_);
  setTabOrder(clearButton_, exitButton_);
  logic_.StartSession();
  ShowLook(look_);
}

void VariableListWindow::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  // The list takes the keyboard with its first row current, so that a
  // screen reader reads that row as the window opens.
  if (listRows_->count() > 0 && listRows_->currentRow() < 0)
    listRows_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
  listRows_->setFocus(Qt::OtherFocusReason);
}

VariableListWindow::~VariableListWindow() {
  // A window destroyed without being closed still leaves no complex pair.
  if (!unloaded_) logic_.EndSession();
}

TextButton* VariableListWindow::MakeButton(VarListButton b, const QString& text) {
  auto* button = new TextButton(text, this);
  button->setFont(SansFont(13, false));
  button->adjustSize();
  // SetButtonLook finds the button through its member.
  switch (b) {
    case VarListButton::kCopy: copyButton_ = button; break;
    case VarListButton::kClear: clearButton_ = button; break;
    case VarListButton::kExit: exitButton_ = button; break;
  }
  SetButtonLook(b, kVarListButtonColor, VarListButtonLeft(b), kVarListButtonTop);
  button->onPress = [this, b] { logic_.PressButton(b); };
  button->onRelease = [this, b] { logic_.ReleaseButton(b); };
  button->onClick = [this, b] {
    switch (b) {
      case VarListButton::kCopy: logic_.ClickCopy(); break;
      case VarListButton::kClear: logic_.ClickClear(); break;
      case VarListButton::kExit: logic_.ClickExit(); break;
    }
  };
  return button;
}

TextButton* VariableListWindow::Button(VarListButton b) const {
  switch (b) {
    case VarListButton::kCopy: return copyButton_;
    case VarListButton::kClear: return clearButton_;
    case VarListButton::kExit: return exitButton_;
  }
  return nullptr;
}

QStringList VariableListWindow::ShownRows() const {
  QStringList rows;
  for (int i = 0; i < listRows_->count(); ++i) rows << listRows_->item(i)->text();
  return rows;
}

QFont VariableListWindow::ListFont() {
  QFont f = QFontDatabase::hasFamily(QStringLiteral("Courier New")) ? QFont(QStringLiteral("Courier New"))
                                                                    : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  f.setPixelSize(14);
  return f;
}

// ---- VarListControls -------------------------------------------------------

// An empty list says so to a screen reader, which would only say "list".
void VariableListWindow::ClearList() {
  listRows_->clear();
  listRows_->setAccessibleDescription(QStringLiteral("No variable is defined"));
}

void VariableListWindow::AddRow(const std::string& row) {
  listRows_->addItem(Unicode(row));
  listRows_->setAccessibleDescription(QString());
}

void VariableListWindow::SetButtonEnabled(VarListButton b, bool enabled) {
  if (TextButton* button = Button(b)) button->setEnabled(enabled);
}

void VariableListWindow::SetButtonLook(VarListButton b, Rgb color, int left, int top) {
  if (TextButton* button = Button(b)) button->SetLook(InkRgb(look_, color), QPoint(left, top));
}

void VariableListWindow::ShowLook(Look look) {
  look_ = look;
  StyleListWindow(this, look);
  StyleListRows(listRows_, look);
  for (const VarListButton b : {VarListButton::kCopy, VarListButton::kClear, VarListButton::kExit})
    SetButtonLook(b, kVarListButtonColor, VarListButtonLeft(b), kVarListButtonTop);
  if (focusRing_ == nullptr) focusRing_ = new FocusRing(this);
  focusRing_->SetLook(look);
  update();
}

void VariableListWindow::SetClipboardText(const std::string& text) {
  if (QClipboard* clip = QGuiApplication::clipboard()) clip->setText(Unicode(text));
}

void VariableListWindow::SetDefaultPointer() {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

// ---- Events ----------------------------------------------------------------

void VariableListWindow::done(int r) {
  if (!unloaded_) {
    unloaded_ = true;
    logic_.EndSession();
  }
  QDialog::done(r);
}

void VariableListWindow::keyPressEvent(QKeyEvent* e) {
  // Escape goes through the logic, not QDialog's own reject.
  if (e->key() == Qt::Key_Escape) {
    logic_.WindowKeyDown(KeyCode::kEscape);
    return;
  }
  QDialog::keyPressEvent(e);
}

void VariableListWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) logic_.WindowActivated();
  QDialog::changeEvent(e);
}

void VariableListWindow::paintEvent(QPaintEvent*) { PaintListWindow(this, listRows_->geometry(), look_); }

}  // namespace tarvo::ui
