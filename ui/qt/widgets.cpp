#include "ui/qt/widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "ui/logic/symbols.h"

namespace tarvo::ui {

PictureButton::PictureButton(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
}

void PictureButton::SetPicture(const QPixmap& pm) {
  picture_ = pm;
  setFixedSize(pm.deviceIndependentSize().toSize());
  update();
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, picture_);
}

void PictureButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (onPress) onPress(e->position().toPoint());
}

void PictureButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const bool inside = rect().contains(e->position().toPoint());
  if (onRelease) onRelease();
  if (inside && onClick) onClick();
}

KeyImage::KeyImage(int key, const QPixmap& normal, const QPixmap& lit, QWidget* parent)
    : PictureButton(parent), key_(key), normal_(normal), lit_picture_(lit) {
  SetPicture(normal_);
}

void KeyImage::SetLit(bool lit) {
  if (lit == lit_) return;
  lit_ = lit;
  SetPicture(lit ? lit_picture_ : normal_);
}

TitleButton::TitleButton(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  SetColor(Qt::white);
}

void TitleButton::SetColor(const QColor& c) {
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, c);
  setPalette(pal);
}

void TitleButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  SetColor(QColor(255, 92, 92));
  move(pos() + QPoint(1, 1));
}

void TitleButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  SetColor(Qt::white);
  move(pos() - QPoint(1, 1));
  if (rect().contains(e->position().toPoint()) && onClick) onClick();
}

EntryLine::EntryLine(QWidget* parent) : QLineEdit(parent) { setMouseTracking(true); }

namespace {

// Only the keys the window's handlers name become key codes: a printable
// character's Qt code ("(" is 0x28) must never pass for an arrow key.
int KeyCode(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Left: return EntryLine::kCodeLeft;
    case Qt::Key_Up: return EntryLine::kCodeUp;
    case Qt::Key_Right: return EntryLine::kCodeRight;
    case Qt::Key_Down: return EntryLine::kCodeDown;
    case Qt::Key_F1: return EntryLine::kCodeF1;
    default: return 0;
  }
}

// Shift, Ctrl and Alt as the bits 1, 2 and 4.
int ShiftState(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

bool IsModifierKey(int k) {
  return k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt || k == Qt::Key_Meta ||
         k == Qt::Key_AltGr || k == Qt::Key_CapsLock;
}

// The modifiers a shortcut is told apart by: a digit of the number block
// and the layout group do not make a different shortcut.
Qt::KeyboardModifiers ShortcutModifiers(Qt::KeyboardModifiers m) {
  return m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

}  // namespace

void EntryLine::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  if (IsModifierKey(key)) {
    if (!e->isAutoRepeat())
      ctrlAlone_ = key == Qt::Key_Control && (ShortcutModifiers(e->modifiers()) & ~Qt::ControlModifier) == 0;
    QLineEdit::keyPressEvent(e);
    return;
  }
  ctrlAlone_ = false;
  const Qt::KeyboardModifiers mods = ShortcutModifiers(e->modifiers());
  if (onShortcut && onShortcut(QKeyCombination(mods, static_cast<Qt::Key>(key)))) {
    e->accept();
    return;
  }
  if (onKeyDown) onKeyDown(KeyCode(key), ShiftState(e->modifiers()));
  if (key == Qt::Key_Up || key == Qt::Key_Down) return;

  int control = -1;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) control = 13;
  else if (key == Qt::Key_Escape) control = 27;
  if (control > 0) {
    if (onKeyPress) onKeyPress(control);
    return;
  }
  const QString text = e->text();
  if (text.isEmpty() || !text.at(0).isPrint() || (mods & (Qt::ControlModifier | Qt::MetaModifier))) {
    // Editing and clipboard keys: the line does them; the logic still hears
    // of the character (it ends a shown result).
    if (!text.isEmpty() && onKeyPress) onKeyPress(text.at(0).unicode());
    QLineEdit::keyPressEvent(e);
    return;
  }
  if (mods & Qt::AltModifier) {
    // An Alt combination that is no shortcut types nothing.
    e->ignore();
    return;
  }
  for (const char32_t cp : text.toUcs4()) {
    const int byte = CodePointToByte(cp);
    if (byte <= 0) continue;  // no sign of the entry line
    const int passed = onKeyPress ? onKeyPress(byte) : byte;
    if (passed <= 0) continue;
    insert(Unicode(std::string(1, static_cast<char>(passed))));
  }
}

// The page changes when Ctrl is let go without another key in between, so
// that Ctrl+C, Ctrl+V and the other shortcuts of the line leave it alone.
void EntryLine::keyReleaseEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Control && !e->isAutoRepeat() && ctrlAlone_) {
    ctrlAlone_ = false;
    if (onKeyDown) onKeyDown(kCodeControl, kShiftCtrl);
  }
  QLineEdit::keyReleaseEvent(e);
}

void EntryLine::focusOutEvent(QFocusEvent* e) {
  ctrlAlone_ = false;
  QLineEdit::focusOutEvent(e);
}

void EntryLine::mousePressEvent(QMouseEvent* e) {
  ctrlAlone_ = false;
  if (onMouse) onMouse();
  QLineEdit::mousePressEvent(e);
}

void EntryLine::mouseMoveEvent(QMouseEvent* e) {
  if (onMouse) onMouse();
  QLineEdit::mouseMoveEvent(e);
}

QFont SansFont(int pixels, bool bold) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

QString Unicode(const std::string& bytes) { return QString::fromStdString(BytesToUtf8(bytes)); }

WindowDrag::WindowDrag(QWidget* window) : QObject(window), window_(window) {
  window->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* e) {
  const QEvent::Type type = e->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
    return QObject::eventFilter(watched, e);
  const auto* me = static_cast<QMouseEvent*>(e);
  const QPoint global = me->globalPosition().toPoint();
  switch (type) {
    case QEvent::MouseButtonPress:
      if (me->button() != Qt::LeftButton) return false;
      if (QWindow* handle = window_->windowHandle(); handle == nullptr || !handle->startSystemMove()) {
        dragging_ = true;
        offset_ = global - window_->pos();
      }
      return true;
    case QEvent::MouseMove:
      if (dragging_) window_->move(global - offset_);
      return dragging_;
    default:
      dragging_ = false;
      return false;
  }
}

}  // namespace tarvo::ui
