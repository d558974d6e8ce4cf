// A load or a save that waits for another session's lock on the state
// folder without ever blocking the event loop: it is tried again every
// 100 ms, and after half a second a box says who is saving where and offers
// the ways out (both as the session's lifecycle words them). The box is not
// modal: the window behind it stays drawn.
#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <sys/types.h>

namespace tarvo::ui {

class LockWaitBox : public QObject {
 public:
  // One try: true when it got through; otherwise `holder` names the
  // process that holds the lock (0 where unknown).
  using Attempt = std::function<bool(pid_t& holder)>;
  // The box's text for the holder's process (0 where unknown).
  using Text = std::function<QString(pid_t holder)>;

  explicit LockWaitBox(QWidget* over);
  ~LockWaitBox() override { Stop(); }

  // Tries `attempt` until it gets through or the user presses one of
  // `choices`; `chosen` then receives its index.
  void Begin(Text text, QStringList choices, Attempt attempt, std::function<void(int)> chosen);
  void Stop();
  bool Waiting() const { return timer_.isActive(); }
  // The box, once it shows (for the tests).
  QMessageBox* Box() const { return box_; }

 private:
  void Turn();

  QWidget* over_;
  QTimer timer_;
  QElapsedTimer waited_;
  Text text_;
  QStringList choices_;
  Attempt attempt_;
  std::function<void(int)> chosen_;
  QPointer<QMessageBox> box_;
};

}  // namespace tarvo::ui
