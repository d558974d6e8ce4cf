#include "ui/qt/lock_wait_box.h"

#include <QPushButton>

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
    box_->hide();
    box_->deleteLater();  // it may be inside its own button's click
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
  for (int i = 0; i < choices_.size(); ++i) {
    QPushButton* button = box_->addButton(choices_[i], QMessageBox::ActionRole);
    QObject::connect(button, &QPushButton::clicked, this, [this, i] {
      Stop();
      if (chosen_) chosen_(i);
    });
  }
  box_->show();
  if (over_->isVisible()) box_->move(over_->geometry().center() - box_->rect().center());
}

}  // namespace tarvo::ui
