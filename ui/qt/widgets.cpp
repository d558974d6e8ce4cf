#include "ui/qt/widgets.h"

#include <QAccessible>
#include <QLinearGradient>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "core/entry_encoding.h"

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

// The text is set once the object is a TitleButton: the accessible
// interface a screen reader gets is made at the first change it hears of.
TitleButton::TitleButton(const QString& text, QWidget* parent) : QLabel(parent) {
  setText(text);
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

QString WholeLines(const QString& text) {
  return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

void ShowWarningBox(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, WholeLines(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::RichText);
  box.exec();
}

QFont SansFont(int pixels, bool bold) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

void StyleListRows(QAbstractScrollArea* list) {
  list->setFrameShape(QFrame::NoFrame);
  QPalette pal = list->palette();
  pal.setColor(QPalette::Base, QColor(236, 242, 232));
  pal.setColor(QPalette::Text, Qt::black);
  list->setPalette(pal);
}

void PaintListWindow(QWidget* window, const QRect& list) {
  constexpr int kBezelMargin = 6;
  QPainter p(window);
  p.fillRect(window->rect(), QColor(236, 236, 236));
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient bezel(0, list.top() - kBezelMargin, 0, window->height() - 8);
  bezel.setColorAt(0, QColor(70, 74, 84));
  bezel.setColorAt(1, QColor(34, 36, 42));
  p.setPen(QPen(QColor(20, 20, 24), 1));
  p.setBrush(bezel);
  p.drawRoundedRect(
      QRectF(list.adjusted(-kBezelMargin, -kBezelMargin, kBezelMargin, kBezelMargin)).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(QColor(120, 124, 134), 1));
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
