// The signals after which a session must save before it ends, and the
// standard streams, as both front ends set them up before anything else.
// Both catch the signals (tarvo-cli through its handler, the window through
// its event loop).
#pragma once

#include <signal.h>
#include <time.h>

#include <chrono>
#include <csignal>
#include <string_view>
#include <vector>

namespace tarvo {

// Every signal whose default action ends the process, but the program's own
// faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS, SIGTRAP), after
// which nothing it holds can be trusted, and the two that report failed
// output (SIGPIPE, SIGXFSZ), which IgnoreOutputSignals turns into failed
// writes. A signal the process started with ignored (a background job's
// SIGINT, nohup's SIGHUP) is left out: it stays ignored.
std::vector<int> SessionEndingSignals();

// A reader that went away (SIGPIPE) and a file that reached its size limit
// (SIGXFSZ) become failed writes, seen and reported where they happen.
void IgnoreOutputSignals();

// A standard stream the caller closed would otherwise be the number the next
// open file gets (a lock, a temporary, the window system's connection), and
// what is written to the stream would land in it. Each closed one is
// reopened on /dev/null for reading, so that a write to it still fails, as
// it should.
void KeepStandardStreamsTaken();

// Writes all of `bytes` to `fd` (a standard stream), however slow its reader
// is, without ever waiting past a stop signal for long: the bytes go in
// pieces a pipe takes whole, each once poll(2) says there is room, which it
// is asked again every tenth of a second. Once `stop` is not 0 (a stop
// signal's handler sets it) nothing more is waited for: what the stream
// does not take at once is dropped. False, with errno set, when not all was
// written (EINTR: dropped for a stop).
bool WriteUnlessStopped(int fd, std::string_view bytes, const volatile std::sig_atomic_t& stop);

// A timer that sends kSignal to the thread that made it, at `first` and
// then every `every`, once a stop signal's handler has armed it
// (timer_settime is safe there). Its signal is caught by `handler`, without
// SA_RESTART, so that it ends any system call that thread waits in: one
// that began an instant after the stop was looked for, or one inside a
// library that does not look. Nothing happens where the system gives no
// timer.
class StopTimer {
 public:
  using Handler = void (*)(int, siginfo_t*, void*);
  explicit StopTimer(Handler handler);
  ~StopTimer();
  StopTimer(const StopTimer&) = delete;
  StopTimer& operator=(const StopTimer&) = delete;
  // Async-signal-safe. Arm(0, 0) stops the timer.
  void Arm(std::chrono::milliseconds first, std::chrono::milliseconds every) const noexcept;
  // Its signal: ignored unless caught, and nobody else means anything by
  // it here. Each the timer sends carries kMark (si_value.sival_int, with
  // si_code SI_TIMER): a signal sent by anyone else does not.
  static constexpr int kSignal = SIGURG;
  static constexpr int kMark = 0x7A27;

 private:
  timer_t timer_{};
  bool made_ = false;
};

}  // namespace tarvo
