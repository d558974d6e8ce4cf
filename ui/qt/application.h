// The calculator's QApplication. An exception that escapes an event handler
// (memory running out outside an entry's calculation, say) reaches
// `onUncaught` instead of aborting the program, so that the session can be
// saved on the way out; SIGINT, SIGTERM and SIGHUP reach `onStopSignal` on
// the event loop, where the window may save and close as usual; so does
// every other signal that would end the process (SessionEndingSignals).
#pragma once

#include <QApplication>
#include <QSocketNotifier>
#include <functional>
#include <optional>
#include <string>

namespace tarvo::ui {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);
  ~Application() override;

  bool notify(QObject* receiver, QEvent* event) override;
  // (Re)takes the signals that would end the process, from whatever handled
  // them before.
  static void CatchStopSignals();

  std::function<void(const QString& reason)> onUncaught;
  std::function<void(int signal)> onStopSignal;

 private:
  QSocketNotifier* signals_ = nullptr;
};

class MainWindow;

// A stop signal: the window closes as its Exit does, which saves (and asks
// where the save fails); a wait for another session's lock ends at once,
// unsaved; with no window shown (a question at start) the program quits.
void CloseOnStopSignal(MainWindow* window);

// An exception no handler caught: standard error hears why the program
// stops, and the window closes as its Exit does, which saves; without a
// window the event loop ends at once. Returns what it told.
QString StopAfterFailure(MainWindow* window, const QString& reason);

// The user's state folder for --user-state. Where it cannot be used (its
// base names a file, or a folder the user may not enter), `ask` hears why,
// naming the path, and says whether to start without saving (empty
// folder) or to quit (none); it is never swapped for another folder.
std::optional<std::string> UserStateFolder(const std::function<bool(const QString& problem)>& ask);

}  // namespace tarvo::ui
