#include "ui/qt/form_splash.h"

#include <QCloseEvent>
#include <QLinearGradient>
#include <QPainter>

namespace tarvo::ui {
namespace {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;

QLabel* MakeLabel(QWidget* parent, int pixels, bool bold, const QColor& color) {
  auto* label = new QLabel(parent);
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  label->setFont(f);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, color);
  label->setPalette(pal);
  // Clicks on the labels reach the window, which closes.
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

FormSplash::FormSplash(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setFixedSize(380, 190);
  title1_ = MakeLabel(this, 34, true, Qt::white);
  title1_->setText(QStringLiteral("Tarvo"));
  title1_->move(28, 30);
  title2_ = MakeLabel(this, 17, false, QColor(200, 212, 236));
  title2_->setText(QStringLiteral("Scientific Calculator"));
  title2_->move(30, 78);
  version_ = MakeLabel(this, 12, false, QColor(200, 212, 236));
  version_->setText(QStringLiteral("Version: %1.%2").arg(kVersionMajor).arg(kVersionMinor));
  version_->move(30, 108);
  notice_ = MakeLabel(this, 11, false, QColor(160, 172, 196));
  notice_->setText(QStringLiteral("Click or press a key to start"));
  notice_->move(30, 156);
  for (QLabel* l : {title1_, title2_, version_, notice_}) l->adjustSize();

  timer_.setSingleShot(true);
  timer_.setInterval(kShowMilliseconds);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { close(); });
}

void FormSplash::showEvent(QShowEvent* e) {
  timer_.start();
  QWidget::showEvent(e);
}

void FormSplash::closeEvent(QCloseEvent* e) {
  timer_.stop();
  e->accept();
  if (unloaded_) return;
  unloaded_ = true;
  if (onUnload) onUnload();
}

void FormSplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, width(), height());
  g.setColorAt(0, QColor(44, 62, 112));
  g.setColorAt(1, QColor(20, 26, 44));
  p.fillRect(rect(), g);
  // A small keypad as the picture.
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) {
      const QRectF key(262 + c * 32, 40 + r * 28, 26, 20);
      QLinearGradient kg(key.topLeft(), key.bottomLeft());
      kg.setColorAt(0, r == 3 && c == 2 ? QColor(250, 140, 90) : QColor(240, 240, 236));
      kg.setColorAt(1, r == 3 && c == 2 ? QColor(206, 70, 36) : QColor(196, 198, 204));
      p.setPen(QPen(QColor(0, 0, 0, 90), 1));
      p.setBrush(kg);
      p.drawRoundedRect(key, 4, 4);
    }
  p.setPen(QPen(QColor(255, 255, 255, 60), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, width() - 1, height() - 1));
}

}  // namespace tarvo::ui
