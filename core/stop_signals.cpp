#include "core/stop_signals.h"

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

}  // namespace tarvo
