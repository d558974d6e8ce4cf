#include "core/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

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

}  // namespace tarvo
