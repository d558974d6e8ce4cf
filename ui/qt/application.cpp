#include "ui/qt/application.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <new>

#include "core/state_files.h"
#include "core/stop_signals.h"
#include "ui/qt/main_window.h"

namespace tarvo::ui {
namespace {

// The handler's only way into the event loop: the signal's number, written
// to a pipe that the loop watches. Only async-signal-safe calls.
int signalPipe[2] = {-1, -1};

void OnStopSignal(int sig) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(sig);
  (void)!write(signalPipe[1], &number, 1);
  errno = saved;
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  signals_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
  QObject::connect(signals_, &QSocketNotifier::activated, this, [this] {
    unsigned char number = 0;
    while (read(signalPipe[0], &number, 1) == 1)
      if (onStopSignal) onStopSignal(number);
  });
  CatchStopSignals();
}

void Application::CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : SessionEndingSignals()) sigaction(sig, &action, nullptr);
  IgnoreOutputSignals();
}

Application::~Application() {
  for (int sig : SessionEndingSignals()) std::signal(sig, SIG_DFL);
}

bool Application::notify(QObject* receiver, QEvent* event) {
  QString reason;
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    reason = QStringLiteral("out of memory");
  } catch (const std::exception& e) {
    reason = QString::fromLocal8Bit(e.what());
  } catch (...) {
    reason = QStringLiteral("an unknown failure");
  }
  if (onUncaught) onUncaught(reason);
  return false;
}

void CloseOnStopSignal(MainWindow* window) {
  if (window != nullptr && window->isVisible()) {
    window->CloseForStopSignal();
    return;
  }
  if (QWidget* question = QApplication::activeModalWidget()) question->close();
  QApplication::quit();
}

QString StopAfterFailure(MainWindow* window, const QString& reason) {
  const QString text = QStringLiteral("Tarvo stops: %1").arg(reason);
  std::fprintf(stderr, "tarvo: %s\n", text.toLocal8Bit().constData());
  // A second failure on the way out ends it there.
  static bool stopping = false;
  if (window != nullptr && window->isVisible() && !stopping) {
    stopping = true;
    window->close();
  } else {
    QApplication::exit(1);
  }
  return text;
}

std::optional<std::string> UserStateFolder(const std::function<bool(const QString& problem)>& ask) {
  std::string error;
  const std::string dir = UserStateDirectory(&error);
  if (!dir.empty()) return dir;
  if (ask(QStringLiteral("The folder for the saved variables cannot be used: %1").arg(QString::fromStdString(error))))
    return std::string();
  return std::nullopt;
}

}  // namespace tarvo::ui
