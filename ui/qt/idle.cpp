#include "ui/qt/idle.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace tarvo::ui {
namespace {

class CaretBlinkGovernor : public QObject {
 public:
  CaretBlinkGovernor(QApplication& app, int idleMilliseconds)
      : QObject(&app), flashTime_(QApplication::cursorFlashTime()) {
    idle_.setSingleShot(true);
    idle_.setInterval(idleMilliseconds);
    connect(&idle_, &QTimer::timeout, this, [] { QApplication::setCursorFlashTime(0); });
    app.installEventFilter(this);
    idle_.start();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::MouseButtonPress:
      case QEvent::Wheel:
      case QEvent::FocusIn:
        if (QApplication::cursorFlashTime() != flashTime_) QApplication::setCursorFlashTime(flashTime_);
        idle_.start();
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const int flashTime_;
  QTimer idle_;
};

}  // namespace

void StopCaretBlinkWhenIdle(QApplication& app, int idleMilliseconds) {
  new CaretBlinkGovernor(app, idleMilliseconds);  // owned by the application
}

}  // namespace tarvo::ui
