// tarvo-cli: the calculator's processing cycle at a console prompt.
#include <fcntl.h>
#include <poll.h>
#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "input.h"
#include "cli/console.h"
#include "core/state_files.h"
#include "core/stop_signals.h"

namespace {

constexpr const char* kUsageOptions =
    "Usage: tarvo-cli [options] [ENTRY ...]\n"
    "Evaluates each ENTRY in order, or the lines of standard input when none is\n"
    "given, and prints one result line per entry.\n"
    "\n"
    "Options:\n"
    "  -n, --no-state       neither read nor write the variable files\n"
    "      --state-dir DIR  keep the variable files in DIR (default: the\n"
    "                       current directory)\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n";
constexpr const char* kUsageExitStatus =
    "\n"
    "Exit status: 0 when the last entry succeeded, 1 when it ended with an error\n"
    "or a notice, or when the variable files or the results could not be read or\n"
    "written, 2 for bad options or an unknown directive.\n";

// The usage text: the options, the directives (as the console names its
// output formats), the exit status.
struct Usage {
} constexpr kUsage;
std::ostream& operator<<(std::ostream& out, Usage) {
  return out << kUsageOptions << tarvo::Console::DirectivesHelp(79) << kUsageExitStatus;
}

// The signal that asked the session to end (see SessionEndingSignals), or 0,
// and how many such signals came: a wait for the lock gives up at the first
// one that comes while it waits.
volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t stopSignals = 0;

// Ends the session at its next step: standard input becomes empty, so a
// read waiting at the prompt or on a pipe returns at once with its end,
// and the main loop saves before it exits. Only async-signal-safe calls.
void OnStopSignal(int sig) {
  const int saved = errno;
  stopSignal = sig;
  stopSignals = stopSignals + 1;
  const int empty = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (empty >= 0) {
    dup2(empty, STDIN_FILENO);
    close(empty);
  }
  errno = saved;
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a blocked read or write returns
  for (int sig : tarvo::SessionEndingSignals()) sigaction(sig, &action, nullptr);
  tarvo::IgnoreOutputSignals();
}

// The line editor reads characters by the locale's character type: without
// a UTF-8 one it drops every sign (², √, π) typed at the prompt. Only the
// character type is set; numbers never depend on the locale here.
void UseUtf8Characters() {
  const char* set = std::setlocale(LC_CTYPE, "");
  if (set == nullptr || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

// What a session prints, in order: straight to the streams, or, while a
// command-line run holds the folder's lock, kept until it has saved and let
// the lock go, so that no run holds the lock while a reader keeps it waiting.
// Written with write(2), so that a stop signal ends a write a stalled reader
// holds up (the rest of the output is then dropped, and the session saves).
class Output {
 public:
  explicit Output(bool flushEachLine) : flushEachLine_(flushEachLine) {}
  void Hold(bool hold) { holding_ = hold; }
  void Result(const std::string& line) { holding_ ? held_.push_back({true, line}) : WriteResult(line); }
  void Diagnostic(const std::string& line) { holding_ ? held_.push_back({false, line}) : WriteDiagnostic(line); }
  // Said now, even while results are held: why the session waits or stops.
  void Tell(const std::string& line) { WriteDiagnostic(line); }
  // Writes what was held, stopping at the first failed write of a result.
  void WriteHeld() {
    holding_ = false;
    for (const auto& [result, line] : held_) {
      if (error_ != 0) break;
      result ? WriteResult(line) : WriteDiagnostic(line);
    }
    held_.clear();
  }
  void Flush() {
    if (!buffer_.empty() && error_ == 0 && !WriteAll(STDOUT_FILENO, buffer_, true)) error_ = errno;
    buffer_.clear();
  }
  // The first failed write of the results (a reader that left, a full
  // disk, a stop signal while it waited) ends the session; its errno is
  // kept for the report.
  int Error() const { return error_; }

 private:
  static constexpr size_t kBufferBytes = 65536;

  void WriteResult(const std::string& line) {
    if (error_ != 0) return;
    buffer_ += line;
    buffer_ += '\n';
    if (flushEachLine_ || buffer_.size() >= kBufferBytes) Flush();
  }
  // Diagnostics flush the results first, so the two streams keep their order.
  void WriteDiagnostic(const std::string& line) {
    Flush();
    WriteAll(STDERR_FILENO, line + "\n", false);
  }
  // False with errno set when the bytes could not all be written. The
  // results (`stoppable`) give up once a stop signal has come: they wait
  // for room in pieces a pipe takes whole, so that no write blocks past the
  // signal, whenever it comes.
  static bool WriteAll(int fd, std::string_view bytes, bool stoppable) {
    constexpr size_t kPiece = 4096;  // PIPE_BUF: what a writable pipe takes at once
    while (!bytes.empty()) {
      if (stoppable) {
        if (stopSignal != 0) return errno = EINTR, false;
        pollfd room{fd, POLLOUT, 0};
        const int ready = poll(&room, 1, 100);
        if (ready == 0 || (ready < 0 && errno == EINTR)) continue;  // no room yet, or a signal: ask again
      }
      const ssize_t n = write(fd, bytes.data(), stoppable ? std::min(bytes.size(), kPiece) : bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        return false;
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  const bool flushEachLine_;
  bool holding_ = false;
  std::vector<std::pair<bool, std::string>> held_;
  std::string buffer_;
  int error_ = 0;
};

// A wait for the state folder's lock: after half a second it says who holds
// it, once; a stop signal that comes while it waits gives it up.
tarvo::LockWait WaitForLock(const std::string& stateDir, Output& output) {
  const int signalsBefore = stopSignals;
  return [=, &output, told = false](const tarvo::LockWaitTurn& turn) mutable {
    if (stopSignals != signalsBefore) return false;
    if (!told && turn.waited >= std::chrono::milliseconds(500)) {
      told = true;
      std::error_code ec;
      std::string folder = std::filesystem::absolute(stateDir, ec).lexically_normal().string();
      if (ec) folder = stateDir;
      if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      output.Tell("tarvo-cli: another Tarvo session" +
                  (turn.holder > 0 ? " (process " + std::to_string(turn.holder) + ")" : std::string()) +
                  " is saving in " + folder + "; waiting for it to finish");
    }
    return true;
  };
}

// Ends the process the way the stop signal asked, so the caller sees it.
[[noreturn]] void EndBySignal(int signal) {
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);
}

int Run(const std::vector<std::string>& entries, const std::string& stateDir) {
  // Results are buffered, and flushed per line only when someone watches:
  // a flush per entry would cost a write(2) each when piping thousands.
  Output output(isatty(STDOUT_FILENO) != 0 || isatty(STDIN_FILENO) != 0);
  tarvo::Console console([&output](const std::string& s) { output.Result(s); },
                         [&output](const std::string& s) { output.Diagnostic(s); });
  const bool interactive = entries.empty() && isatty(STDIN_FILENO) != 0;
  // The terminal as it was: a signal at the prompt may leave the line editor
  // no chance to put it back.
  termios terminal{};
  const int terminalFd = interactive ? fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0) : -1;
  const bool haveTerminal = terminalFd >= 0 && tcgetattr(terminalFd, &terminal) == 0;
  CatchStopSignals();

  // Entries from the command line make a short run: its load, its entries
  // and its save are one step under the folder's lock, so that parallel
  // runs such as `tarvo-cli 'n=n+1'` all count; its results wait until the
  // lock is let go. Lines from standard input can take any time; those
  // sessions lock only to load and to save.
  std::optional<tarvo::StateFolderLock> wholeRun;
  if (!entries.empty() && !stateDir.empty()) {
    wholeRun.emplace(stateDir, WaitForLock(stateDir, output));
    if (wholeRun->Result().busy) EndBySignal(stopSignal);
    output.Hold(true);
  }
  console.SetLockWait(WaitForLock(stateDir, output));
  int status = console.Start(stateDir) ? 0 : 1;
  if (console.StartResult().busy) EndBySignal(stopSignal);
  const bool loadFailed = status != 0;

  auto run = [&](const std::string& line, bool cutShort) {
    switch (console.Run(line, cutShort)) {
      case tarvo::Console::Outcome::kNothing: break;
      case tarvo::Console::Outcome::kSuccess: status = 0; break;
      case tarvo::Console::Outcome::kNotice: status = 1; break;
      case tarvo::Console::Outcome::kUnknownCommand: status = 2; break;
    }
  };
  auto goOn = [&] { return stopSignal == 0 && output.Error() == 0; };
  int inputError = 0;
  std::string stopReason;  // why the session stopped before its input ended
  try {
    if (!entries.empty()) {
      for (size_t i = 0; i < entries.size() && goOn(); ++i) run(entries[i], false);
    } else {
      if (interactive) UseUtf8Characters();
      const std::unique_ptr<tarvo::cli::LineSource> lines =
          interactive ? tarvo::cli::PromptLines([&output] { output.Flush(); })
                      : tarvo::cli::PlainLines([&output] { output.Flush(); });
      while (goOn()) {
        const tarvo::cli::InputLine line = lines->Next();
        if (line.kind == tarvo::cli::InputLine::Kind::kError) inputError = line.error;
        if (line.kind != tarvo::cli::InputLine::Kind::kLine || stopSignal != 0) break;
        run(line.text, line.cutShort);
      }
      if (interactive && goOn() && inputError == 0) output.Result("");
    }
  } catch (const std::bad_alloc&) {
    stopReason = "out of memory";
  } catch (const std::exception& e) {
    stopReason = e.what();
  }
  if (haveTerminal) tcsetattr(terminalFd, TCSANOW, &terminal);
  if (loadFailed && status == 0) status = 1;

  output.Flush();
  console.SetLockWait(WaitForLock(stateDir, output));
  bool saved = false;
  try {
    saved = console.Finish(stateDir);
  } catch (const std::exception& e) {
    output.Diagnostic(std::string("Error: cannot save the variables: ") +
                      (dynamic_cast<const std::bad_alloc*>(&e) != nullptr ? "out of memory" : e.what()));
  }
  if (!saved && status == 0) status = 1;
  wholeRun.reset();
  output.WriteHeld();
  output.Flush();
  if (!stopReason.empty()) {
    output.Tell("tarvo-cli: the session stops: " + stopReason);
    status = 1;
  }
  if (inputError != 0) {
    output.Tell(std::string("tarvo-cli: cannot read the entries: ") + std::strerror(inputError));
    status = 1;
  }
  if (output.Error() != 0) {
    output.Tell(std::string("tarvo-cli: cannot write the results: ") + std::strerror(output.Error()));
    if (status == 0 || status == 2) status = 1;
  }
  // Saved (or the wait for the save given up): now end the way the signal
  // asked.
  if (stopSignal != 0) EndBySignal(stopSignal);
  return status;
}

// The options and the entries of the command line, then the session.
int Main(int argc, char** argv) {
  bool useState = true;
  std::string stateDir = ".";
  std::vector<std::string> entries;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-n" || arg == "--no-state") {
      useState = false;
    } else if (arg == "--state-dir" || arg.rfind("--state-dir=", 0) == 0) {
      if (arg.size() > 11) {
        stateDir = arg.substr(12);
      } else if (i + 1 < argc) {
        stateDir = argv[++i];
      } else {
        std::cerr << "tarvo-cli: --state-dir needs a folder\n" << kUsage;
        return 2;
      }
      if (stateDir.empty()) {
        std::cerr << "tarvo-cli: --state-dir needs a folder\n" << kUsage;
        return 2;
      }
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--version") {
      std::cout << "tarvo-cli " << TARVO_VERSION << "\n";
      return 0;
    } else if (arg == "--") {
      for (++i; i < argc; ++i) entries.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      std::cerr << "tarvo-cli: unknown option " << arg << "\n" << kUsage;
      return 2;
    } else {
      entries.push_back(arg);  // "-5" and "-x^2" are entries, not options
    }
  }

  if (!useState) stateDir.clear();
  return Run(entries, stateDir);
}

}  // namespace

int main(int argc, char** argv) {
  tarvo::KeepStandardStreamsTaken();
  // What escapes Main came before the first entry (the session catches what
  // comes after it): there is nothing to save.
  try {
    return Main(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("tarvo-cli: the session stops: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarvo-cli: the session stops: %s\n", e.what());
  }
  return 1;
}
