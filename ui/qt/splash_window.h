// SplashWindow: shown at start for 400 ms, or until the first click or key,
// then it hands over to the main window. With its timer off it is the About
// box.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>

namespace tarvo::ui {

// How the desktop is asked to open an address, and how a warning reaches
// the user. The tests put recorders here: a real browser or a modal box
// would outlive them.
using OpenUrlFn = std::function<bool(const QUrl& url)>;
using MessageBoxFn = std::function<void(const QString& title, const QString& text)>;

// A clickable line of the splash window (its e-mail and web addresses).
class LinkLabel : public QLabel {
 public:
  LinkLabel(const QString& text, QWidget* parent);
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
};

class SplashWindow : public QWidget {
 public:
  inline static constexpr int kShowMilliseconds = 400;

  explicit SplashWindow(QWidget* parent = nullptr);

  // Runs once, when the splash window goes (timer, click, key or close).
  std::function<void()> onUnload;
  OpenUrlFn openUrl;
  MessageBoxFn messageBox;

  // When off, showing the window does not start the hand-over timer.
  void SetTimerEnabled(bool enabled);
  // The About box: timer off, modal; returns once a click or key closed it.
  // `shown` runs once the window is up and waiting (the tests close it from
  // there).
  void RunAbout(const std::function<void(QWidget*)>& shown = {});

  LinkLabel* MailLink() const { return mail_; }
  LinkLabel* WebLink() const { return web_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override { close(); }
  void keyPressEvent(QKeyEvent*) override { close(); }
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void Open(const QUrl& url, const QString& failure);

  QLabel* notice_;
  LinkLabel* mail_;
  LinkLabel* web_;
  QTimer timer_;
  bool timerEnabled_ = true;
  bool unloaded_ = false;
};

}  // namespace tarvo::ui
