// FormSplash: shown at start for 400 ms, or until the first click or key,
// then it hands over to the main window.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tarvo::ui {

class FormSplash : public QWidget {
 public:
  inline static constexpr int kShowMilliseconds = 400;

  explicit FormSplash(QWidget* parent = nullptr);

  // Runs once, when the splash window goes (timer, click, key or close).
  std::function<void()> onUnload;

  QLabel* LblTIT1() const { return title1_; }
  QLabel* LblTIT2() const { return title2_; }
  QLabel* LblVersion() const { return version_; }
  QTimer* Timer1() { return &timer_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override { close(); }
  void keyPressEvent(QKeyEvent*) override { close(); }
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  QLabel* title1_;
  QLabel* title2_;
  QLabel* version_;
  QLabel* notice_;
  QTimer timer_;
  bool unloaded_ = false;
};

}  // namespace tarvo::ui
