#include "ui/qt/application.h"

#include <QDialog>
#include <QSemaphore>
#include <QThreadPool>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "core/state_files.h"
#include "core/stop_signals.h"
#include "ui/logic/session_lifecycle.h"
#include "ui/qt/main_window.h"

namespace tarvo::ui {
namespace {

// The handler's only way into the event loop: the signal's number, written
// to a pipe that the loop watches. Only async-signal-safe calls.
int signalPipe[2] = {-1, -1};

// The first stop signal, and whether the event loop has taken it.
volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t stopTaken = 0;
// The window is not up yet and its start is watched: the event loop beats
// while it runs (in a question's loop too), and the watchdog counts the
// seconds it has not.
volatile std::sig_atomic_t starting = 0;
volatile std::sig_atomic_t beat = 0;
volatile std::sig_atomic_t stillSeconds = 0;
constexpr int kStillSecondsAtStart = 20;
// Tenths of a second since the stop signal, counted by the watchdog.
volatile std::sig_atomic_t stopTicks = 0;
const StopTimer* watchdog = nullptr;
constexpr int kTicksToTake = 10, kTicksToSave = 50;

void OnStopSignal(int sig) {
  const int saved = errno;
  if (stopSignal == 0) {
    stopSignal = sig;
    if (watchdog != nullptr) watchdog->Arm(std::chrono::milliseconds(100), std::chrono::milliseconds(100));
  }
  const unsigned char number = static_cast<unsigned char>(sig);
  (void)!write(signalPipe[1], &number, 1);
  errno = saved;
}

// Says `text` on standard error where it takes it at once. Only
// async-signal-safe calls.
void SayNow(const char* text) {
  pollfd room{STDERR_FILENO, POLLOUT, 0};
  if (poll(&room, 1, 0) == 1 && (room.revents & POLLOUT) != 0) (void)!write(STDERR_FILENO, text, std::strlen(text));
}

// Every tenth of a second after a stop signal, on the main thread: its
// signal ends whatever system call the thread waits in, and where the event
// loop has not taken the stop in a second, or its save has not ended in
// five, the program ends by the stop signal from here.
void OnWatchdog(int, siginfo_t* info, void*) {
  if (info->si_code != SI_TIMER || info->si_value.sival_int != StopTimer::kMark) return;
  if (stopSignal == 0) {
    stillSeconds = beat != 0 ? 0 : stillSeconds + 1;
    beat = 0;
    if (starting == 0 || stillSeconds < kStillSecondsAtStart) return;
    SayNow("tarvo: Tarvo cannot start: the toolkit stopped before the window was up (too little memory?)\n");
    _exit(1);
  }
  const int saved = errno;
  stopTicks = stopTicks + 1;
  const bool notTaken = stopTaken == 0 && stopTicks >= kTicksToTake;
  if (notTaken || stopTicks >= kTicksToSave) {
    SayNow(notTaken ? "tarvo: the window did not answer the stop signal within a second: it ends unsaved\n"
                    : "tarvo: the save did not end within five seconds of the stop signal: the window ends\n");
    const int sig = stopSignal;
    signal(sig, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(sig);
    _exit(128 + sig);
  }
  errno = saved;
}

// The window's lines on standard error never wait for a reader: what the
// stream does not take at once is dropped, whether or not a stop came.
constexpr std::sig_atomic_t kNeverWait = 1;

void WriteLine(const QByteArray& line) {
  (void)WriteUnlessStopped(STDERR_FILENO, std::string_view(line.constData(), static_cast<size_t>(line.size())),
                           kNeverWait);
}

void WriteMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  WriteLine(qFormatLogMessage(type, context, message).toLocal8Bit() + '\n');
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

void WriteMessagesWithoutWaiting() { qInstallMessageHandler(WriteMessage); }

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  WriteMessagesWithoutWaiting();
  // The watchdog's signal reaches this, the main thread, whichever thread
  // takes the stop signal.
  watchdog_ = std::make_unique<StopTimer>(OnWatchdog);
  watchdog = watchdog_.get();
  if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  signals_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
  QObject::connect(signals_, &QSocketNotifier::activated, this, [this] {
    unsigned char number = 0;
    while (read(signalPipe[0], &number, 1) == 1) {
      stopTaken = 1;
      if (onStopSignal) onStopSignal(number);
    }
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

constexpr size_t kThreadStack = 1 << 20;

void UseSmallThreadStacks() {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return;
  if (pthread_attr_setstacksize(&attributes, kThreadStack) == 0) pthread_setattr_default_np(&attributes);
  pthread_attr_destroy(&attributes);
}

void Application::WatchStart() {
  starting = 1;
  beat = 1;
  stillSeconds = 0;
  heartbeat_.setInterval(250);
  QObject::connect(&heartbeat_, &QTimer::timeout, [] { beat = 1; });
  heartbeat_.start();
  if (watchdog != nullptr && stopSignal == 0) watchdog->Arm(std::chrono::seconds(1), std::chrono::seconds(1));
}

void Application::Started() {
  if (starting == 0) return;
  starting = 0;
  if (watchdog != nullptr && stopSignal == 0) watchdog->Arm(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
  heartbeat_.stop();
}

void Application::StopFinished() {
  if (watchdog != nullptr) watchdog->Arm(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
  stopSignal = 0;
  stopTaken = 0;
  stopTicks = 0;
}

Application::~Application() {
  for (int sig : SessionEndingSignals()) std::signal(sig, SIG_DFL);
  watchdog = nullptr;
  qInstallMessageHandler(nullptr);
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
  if (window != nullptr && window->Session().StopSignal(window->isVisible())) return;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && (w->isModal() || qobject_cast<QDialog*>(w) != nullptr)) w->close();
  QApplication::quit();  // every event loop, a question's too
}

QString StopAfterFailure(MainWindow* window, const QString& reason) {
  const std::string text = FailureText(reason.toStdString());
  if (window == nullptr) TellStandardError(QStringLiteral("tarvo: ") + QString::fromStdString(text));
  if (window == nullptr || !window->Session().Failed(reason.toStdString(), window->isVisible())) QApplication::exit(1);
  return QString::fromStdString(text);
}

void TellStandardError(const QString& line) { WriteLine(line.toLocal8Bit() + '\n'); }

bool KeepOneWorkerThread(QString& why) {
  constexpr size_t kStackBytes = kThreadStack;
  // Whether a thread can start at all, seen at once (the pool would only
  // warn, and its work would wait for ever).
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kStackBytes);
  pthread_t probe{};
  const int failed = pthread_create(&probe, &attributes, [](void*) -> void* { return nullptr; }, nullptr);
  pthread_attr_destroy(&attributes);
  if (failed != 0) {
    why = QStringLiteral("no thread can be started: %1").arg(QString::fromLocal8Bit(std::strerror(failed)));
    return false;
  }
  pthread_join(probe, nullptr);
  QThreadPool* pool = QThreadPool::globalInstance();
  pool->setStackSize(static_cast<uint>(kStackBytes));
  pool->setExpiryTimeout(-1);  // never let go, so never started again
  pool->setMaxThreadCount(1);
  const auto started = std::make_shared<QSemaphore>();
  pool->start([started] { started->release(); });
  if (started->tryAcquire(1, 10000)) return true;
  why = QStringLiteral("the toolkit's worker thread did not start");
  return false;
}

std::optional<std::string> UserStateFolder(const std::function<bool(const QString& problem)>& ask) {
  return tarvo::UserStateFolder([&ask](const std::string& problem) { return ask(QString::fromStdString(problem)); });
}

}  // namespace tarvo::ui
