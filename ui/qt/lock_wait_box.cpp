#include "ui/qt/lock_wait_box.h"

#include <QApplication>
#include <QPushButton>

#include "ui/qt/widgets.h"

namespace tarvo::ui {

LockWaitBox::LockWaitBox(QWidget* over) : QObject(over), over_(over) {
  timer_.setInterval(100);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Turn(); });
}

void LockWaitBox::Begin(Text text, QStringList choices, Attempt attempt, std::function<void(int)> chosen) {
  Stop();
  text_ = std::move(text);
  choices_ = std::move(choices);
  attempt_ = std::move(attempt);
  chosen_ = std::move(chosen);
  waited_.start();
  timer_.start();
}

void LockWaitBox::Stop() {
  timer_.stop();
  if (box_ != nullptr) {
    const bool hadKeyboard = box_->isActiveWindow() || QApplication::activeWindow() == nullptr;
    box_->hide();
    box_->deleteLater();  // it may be inside its own button's click
    // Back to the window once the choice's work has enabled it again.
    if (hadKeyboard) QTimer::singleShot(0, over_, [over = over_] { TakeKeyboardBack(over); });
  }
  box_ = nullptr;
}

void LockWaitBox::Turn() {
  pid_t holder = 0;
  if (attempt_(holder)) {
    Stop();
    return;
  }
  if (box_ != nullptr) {
    box_->setText(text_(holder));
    return;
  }
  if (waited_.elapsed() < 500) return;
  // A window of its own: the window behind it is disabled while it waits,
  // and a child box would be disabled with it.
  box_ = new QMessageBox(QMessageBox::Information, QStringLiteral("Tarvo"), text_(holder), QMessageBox::NoButton);
  box_->setWindowModality(Qt::NonModal);
  if (onBoxMade) onBoxMade(box_);
  for (int i = 0; i < choices_.size(); ++i) {
    QPushButton* button = box_->addButton(choices_[i], QMessageBox::ActionRole);
    QObject::connect(button, &QPushButton::clicked, this, [this, i] {
      Stop();
      if (chosen_) chosen_(i);
    });
  }
  // The window behind is disabled while the box waits: the keyboard goes to
  // the box, where a window manager would not give it (on an X server
  // without one, nobody does).
  const bool ours = over_->isActiveWindow() || QApplication::activeWindow() == nullptr;
  box_->show();
  if (over_->isVisible()) box_->move(over_->geometry().center() - box_->rect().center());
  if (ours) TakeKeyboardBack(box_);
}

}  // namespace tarvo::ui
