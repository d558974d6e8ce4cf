#include "core/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace tarvo {

std::vector<int> SessionEndingSignals() {
  std::vector<int> signals = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM,   SIGUSR1, SIGUSR2, SIGALRM,
                              SIGVTALRM, SIGPROF, SIGXCPU, SIGSTKFLT, SIGPWR,  SIGIO};
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) signals.push_back(sig);
  std::erase_if(signals, [](int sig) {
    struct sigaction current {};
    return sigaction(sig, nullptr, &current) != 0 || current.sa_handler == SIG_IGN;
  });
  return signals;
}

void IgnoreOutputSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

void KeepStandardStreamsTaken() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int filler = open("/dev/null", O_RDONLY);
    if (filler >= 0 && filler != fd) {
      dup2(filler, fd);
      close(filler);
    }
  }
}

bool WriteUnlessStopped(int fd, std::string_view bytes, const volatile std::sig_atomic_t& stop) {
  constexpr size_t kPiece = 4096;  // PIPE_BUF: what a pipe with room takes whole
  bool socket = true;              // until a send(2) says otherwise
  while (!bytes.empty()) {
    pollfd room{fd, POLLOUT, 0};
    const int ready = poll(&room, 1, stop != 0 ? 0 : 100);
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0 || (room.revents & POLLOUT) == 0) {
      if (ready > 0 && (room.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        // A reader gone or a descriptor that is none: the write says which.
      } else if (stop != 0) {
        return errno = EINTR, false;
      } else {
        continue;  // no room yet, or a signal: ask again
      }
    }
    const size_t piece = std::min(bytes.size(), kPiece);
    // A socket is written without waiting, whatever its mode: its room may
    // be less than a piece.
    ssize_t n = socket ? send(fd, bytes.data(), piece, MSG_DONTWAIT | MSG_NOSIGNAL) : -1;
    if (socket && n < 0 && errno == ENOTSOCK) socket = false;
    if (!socket) n = write(fd, bytes.data(), piece);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

StopTimer::StopTimer(Handler handler) {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_SIGINFO;  // no restart: a blocked call returns
  action.sa_sigaction = handler;
  sigaction(kSignal, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, kSignal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  sigevent event{};
  event.sigev_notify = SIGEV_THREAD_ID;
  event.sigev_signo = kSignal;
  event.sigev_value.sival_int = kMark;
  event._sigev_un._tid = static_cast<pid_t>(syscall(SYS_gettid));
  made_ = timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
}

StopTimer::~StopTimer() {
  if (made_) timer_delete(timer_);
}

void StopTimer::Arm(std::chrono::milliseconds first, std::chrono::milliseconds every) const noexcept {
  if (!made_) return;
  const auto spec = [](std::chrono::milliseconds ms) {
    return timespec{static_cast<time_t>(ms.count() / 1000), static_cast<long>(ms.count() % 1000) * 1'000'000};
  };
  const itimerspec when{spec(every), spec(first)};
  timer_settime(timer_, 0, &when, nullptr);
}

}  // namespace tarvo
