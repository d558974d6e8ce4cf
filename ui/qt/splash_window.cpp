#include "ui/qt/splash_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include "ui/logic/links.h"
#include "ui/qt/accessibles.h"
#include "ui/qt/widgets.h"

namespace tarvo::ui {
namespace {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;

// Labels get fixed places rather than sizes measured from their text: a
// measure loads the font, and loading four fonts before the splash is first
// shown would delay it as much as building the rest of the window.
QLabel* MakeLabel(QWidget* parent, const QRect& place, int pixels, bool bold, const QColor& color) {
  auto* label = new QLabel(parent);
  label->setGeometry(place);
  label->setFont(SansFont(pixels, bold));
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, color);
  label->setPalette(pal);
  // Clicks on the labels reach the window, which closes.
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

// The text is set once the object is a LinkLabel, so that a screen reader
// meets a link and not a label (see TitleButton).
LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(parent) {
  setText(text);
  setCursor(Qt::PointingHandCursor);
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(12);
  f.setUnderline(true);
  setFont(f);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor(180, 218, 255));
  setPalette(pal);
}

// A click on an address opens it and leaves the window where it is.
void LinkLabel::mousePressEvent(QMouseEvent* e) { e->accept(); }

void LinkLabel::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick) onClick();
}

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      messageBox([this](const QString& title, const QString& text) { ShowWarningBox(this, title, text); }) {
  InstallAccessibles();  // the splash comes before the main window
  setAccessibleName(QStringLiteral("Tarvo"));
  setFixedSize(380, 190);
  const QColor subtitle(200, 212, 236);
  MakeLabel(this, QRect(28, 28, 220, 46), 34, true, Qt::white)->setText(QStringLiteral("Tarvo"));
  MakeLabel(this, QRect(30, 76, 220, 24), 17, false, subtitle)->setText(QStringLiteral("Scientific Calculator"));
  MakeLabel(this, QRect(30, 106, 220, 18), 12, false, subtitle)
      ->setText(QStringLiteral("Version: %1.%2").arg(kVersionMajor).arg(kVersionMinor));
  notice_ = MakeLabel(this, QRect(30, 164, 345, 18), 11, false, QColor(222, 230, 244));
  notice_->setText(QStringLiteral("Free software under the MIT licence. Click or press a key."));
  mail_ = new LinkLabel(Text(kMailAddress), this);
  mail_->setGeometry(30, 127, 190, 17);
  mail_->onClick = [this] { Open(QUrl(Text(kMailUrl)), Text(kMailFailureText)); };
  web_ = new LinkLabel(Text(kHomePageUrl), this);
  web_->setGeometry(30, 144, 190, 17);
  web_->onClick = [this] { Open(QUrl(Text(kHomePageUrl)), QString::fromStdString(ConnectFailureText())); };

  timer_.setSingleShot(true);
  timer_.setInterval(kShowMilliseconds);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { close(); });
}

void SplashWindow::Open(const QUrl& url, const QString& failure) {
  if (!openUrl(url)) messageBox(QStringLiteral("Tarvo"), failure);
}

void SplashWindow::SetTimerEnabled(bool enabled) {
  timerEnabled_ = enabled;
  if (!enabled) timer_.stop();
}

void SplashWindow::RunAbout(const std::function<void(QWidget*)>& shown) {
  SetTimerEnabled(false);
  // A screen reader reads the window's name and its longer lines: the
  // version goes in the name.
  setAccessibleName(QStringLiteral("About Tarvo, version %1.%2").arg(kVersionMajor).arg(kVersionMinor));
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  const auto done = QObject::connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  const std::function<void()> previous = onUnload;
  onUnload = [&loop, previous] {
    if (previous) previous();
    loop.quit();
  };
  unloaded_ = false;
  show();
  activateWindow();
  if (shown) QTimer::singleShot(0, this, [this, shown] { shown(this); });
  if (isVisible()) loop.exec();
  QObject::disconnect(done);
  onUnload = previous;
}

void SplashWindow::showEvent(QShowEvent* e) {
  if (timerEnabled_) timer_.start();
  QWidget::showEvent(e);
}

void SplashWindow::closeEvent(QCloseEvent* e) {
  timer_.stop();
  e->accept();
  if (unloaded_) return;
  unloaded_ = true;
  if (onUnload) onUnload();
}

void SplashWindow::paintEvent(QPaintEvent*) {
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
