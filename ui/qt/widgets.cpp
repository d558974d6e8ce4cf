#include "ui/qt/widgets.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWindow>

#include "core/entry_encoding.h"
#include "ui/qt/look_colours.h"

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

void PictureButton::SetOn(bool on) {
  if (on_ == on) return;
  const bool told = on_.has_value();
  on_ = on;
  if (!told) return;
  QAccessible::State changed;
  changed.checked = true;
  QAccessibleStateChangeEvent event(this, changed);
  QAccessible::updateAccessibility(&event);
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

KeyImage::KeyImage(tarvo::Key key, const QPixmap& normal, const QPixmap& lit, QWidget* parent)
    : PictureButton(parent), key_(key), normal_(normal), lit_picture_(lit) {
  SetPicture(normal_);
}

void KeyImage::SetLit(bool lit) {
  if (lit == lit_) return;
  lit_ = lit;
  SetPicture(lit ? lit_picture_ : normal_);
  if (toggles_ == kNoToggle) return;
  QAccessible::State changed;
  changed.checked = true;
  QAccessibleStateChangeEvent event(this, changed);
  QAccessible::updateAccessibility(&event);
}

void KeyImage::SetPictures(const QPixmap& normal, const QPixmap& lit) {
  normal_ = normal;
  lit_picture_ = lit;
  SetPicture(lit_ ? lit_picture_ : normal_);
}

// The text is set once the object is a TitleButton: the accessible
// interface a screen reader gets is made at the first change it hears of.
TitleButton::TitleButton(const QString& text, QWidget* parent) : QLabel(parent) {
  setText(text);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  SetColor(Qt::white);
}

void TitleButton::SetRestingColor(const QColor& c) {
  resting_ = c;
  SetColor(c);
}

void TitleButton::SetColor(const QColor& c) {
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, c);
  setPalette(pal);
}

void TitleButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  SetColor(pressed_);
  move(pos() + QPoint(1, 1));
}

void TitleButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  SetColor(resting_);
  move(pos() - QPoint(1, 1));
  if (rect().contains(e->position().toPoint()) && onClick) onClick();
}

QString WholeLines(const QString& text) {
  return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

void ShowWarningBox(QWidget* parent, const QString& title, const QString& text, Look look) {
  QMessageBox box(QMessageBox::Warning, title, WholeLines(text), QMessageBox::Ok, parent);
  StyleBox(&box, look);
  box.setTextFormat(Qt::RichText);
  RunModal(box);
}

int RunModal(QDialog& box) {
  const QPointer<QWidget> over = box.parentWidget() != nullptr ? box.parentWidget()->window() : nullptr;
  const int result = box.exec();
  TakeKeyboardBack(over);
  return result;
}

void TakeKeyboardBack(QWidget* window) {
  // A Wayland compositor gives the keyboard back itself and lets no client
  // take it (Qt would only warn).
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
  if (window != nullptr && window->isVisible() && !window->isMinimized())
    window->activateWindow();
}

QFont SansFont(int pixels, bool bold) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

void StyleListRows(QAbstractScrollArea* list, Look look) {
  list->setFrameShape(QFrame::NoFrame);
  const LookColours& c = ColoursOf(look);
  SetColours(list, {{QPalette::Base, c.listBase},
                    {QPalette::Text, c.listText},
                    {QPalette::Highlight, c.selection},
                    {QPalette::HighlightedText, c.selectedText}});
  list->viewport()->update();
}

void PaintListWindow(QWidget* window, const QRect& list, Look look) {
  constexpr int kBezelMargin = 6;
  const LookColours& c = ColoursOf(look);
  QPainter p(window);
  p.fillRect(window->rect(), c.window);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient bezel(0, list.top() - kBezelMargin, 0, window->height() - 8);
  bezel.setColorAt(0, c.bezelTop);
  bezel.setColorAt(1, c.bezelBottom);
  p.setPen(QPen(c.bezelEdge, 1));
  p.setBrush(bezel);
  p.drawRoundedRect(
      QRectF(list.adjusted(-kBezelMargin, -kBezelMargin, kBezelMargin, kBezelMargin)).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(look == Look::kDefault ? QColor(120, 124, 134) : c.selectorFrame, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(window->rect().adjusted(0, 0, -1, -1));
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
