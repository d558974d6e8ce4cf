// The calculator's QApplication. An exception that escapes an event handler
// (memory running out outside an entry's calculation, say) reaches
// `onUncaught` instead of aborting the program, so that the session can be
// saved on the way out; SIGINT, SIGTERM and SIGHUP reach `onStopSignal` on
// the event loop, where the window may save and close as usual; so does
// every other signal that would end the process (SessionEndingSignals).
// Where the event loop does not take a stop signal within a second (it is
// blocked: a toolkit wait that never ends), the program says so on standard
// error and ends by that signal all the same, unsaved, since nothing can be
// saved safely from outside the loop; once taken, the stop has five seconds
// to save. The toolkit's messages go to standard error without ever
// waiting for a reader: what it does not take at once is dropped.
#pragma once

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/stop_signals.h"

namespace tarvo::ui {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);
  ~Application() override;

  bool notify(QObject* receiver, QEvent* event) override;
  // (Re)takes the signals that would end the process, from whatever handled
  // them before.
  static void CatchStopSignals();
  // The stop a signal asked for is over (saved, or found unsavable): the
  // watchdog rests, and the next stop signal starts it again.
  static void StopFinished();
  // Until Started(), the event loop must turn at least every 20 seconds
  // (in a question's loop too): where the toolkit is stuck before the window
  // is up (a thread it waits for that could not start), the program says so
  // and ends with status 1.
  void WatchStart();
  void Started();

  std::function<void(const QString& reason)> onUncaught;
  std::function<void(int signal)> onStopSignal;

 private:
  QSocketNotifier* signals_ = nullptr;
  std::unique_ptr<StopTimer> watchdog_;
  QTimer heartbeat_;
};

// The toolkit's messages from now on, the application object's own start
// included, go to standard error without waiting (see Application).
void WriteMessagesWithoutWaiting();

// A line on standard error ("tarvo: ..." as given), written as the toolkit's
// own messages are: dropped where the stream does not take it at once.
void TellStandardError(const QString& line);

// Threads the toolkit starts (its window-system reader, its D-Bus
// connection, its worker pool) get a small stack, so that a tight memory
// limit leaves room for them; before the application object.
void UseSmallThreadStacks();

// The toolkit's image work waits for threads of its own pool, which a tight
// memory limit may keep from starting: the wait would never end. One thread
// is started now and kept, and takes all that work; false (with `why`)
// where not even that one can start.
bool KeepOneWorkerThread(QString& why);

class MainWindow;

// A stop signal: the window's session stops (SessionLifecycle::StopSignal);
// with no window shown (a question at start) the program quits.
void CloseOnStopSignal(MainWindow* window);

// An exception no handler caught: standard error hears why the program
// stops, and the window closes as its Exit does, which saves
// (SessionLifecycle::Failed); without a window the event loop ends at once.
// Returns what it told.
QString StopAfterFailure(MainWindow* window, const QString& reason);

// tarvo::UserStateFolder, asking in the toolkit's text.
std::optional<std::string> UserStateFolder(const std::function<bool(const QString& problem)>& ask);

}  // namespace tarvo::ui
