// tarvo-cli: the calculator's processing cycle at a console prompt.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
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
#include <string_view>
#include <utility>
#include <vector>

#include "input.h"
#include "cli/console.h"
#include "core/state_files.h"
#include "core/stop_signals.h"

namespace {

constexpr const char* kUsageOptions =
    "Usage: tarvo-cli [options] [ENTRY ...]\n"
    "       tarvo-cli [options] -f FILE\n"
    "Evaluates each ENTRY in order, or the lines of FILE or of standard input\n"
    "when none is given, and prints one result line per entry. Lines starting\n"
    "with '#' are comments.\n"
    "\n"
    "Options:\n"
    "  -f, --file FILE      read the entries from FILE ('-': standard input)\n"
    "  -n, --no-state       neither read nor write the variable files\n"
    "      --state-dir DIR  keep the variable files in DIR (default: the\n"
    "                       current directory)\n"
    "      --user-state     keep them in the user's state folder, as the\n"
    "                       window started from the desktop menu does\n"
    "                       ($XDG_STATE_HOME/tarvo, ~/.local/state/tarvo)\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n";
constexpr const char* kUsageExitStatus =
    "\n"
    "Exit status: 0 when the last entry succeeded, 1 when it ended with an error\n"
    "or a notice, or when the variable files or the results could not be read or\n"
    "written, 2 for bad options, a FILE or a closed standard input that cannot\n"
    "be read, or an unknown directive. A reader that stops early (| head) ends\n"
    "it by SIGPIPE, quietly, once it has saved.\n";

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A line of a file or of standard input that is a comment, not an entry.
bool IsComment(const std::string& line) {
  const size_t first = line.find_first_not_of(' ');
  return first != std::string::npos && line[first] == '#';
}

// The usage text: the options, the directives (as the console names its
// output formats), the exit status.
std::string UsageText() {
  return kUsageOptions + tarvo::Console::DirectivesHelp(79) + kUsageExitStatus;
}

// The signal that asked the session to end (see SessionEndingSignals), or 0,
// and how many such signals came: a wait for the lock gives up at the first
// one that comes while it waits.
volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t stopSignals = 0;

// After a stop signal the session's own waits give up (each looks at
// stopSignal at least every tenth of a second); this timer's signal ends a
// system call that began an instant before the stop was looked for.
const tarvo::StopTimer* stopTimer = nullptr;

// Ends the session at its next step: standard input becomes empty, so a
// read waiting at the prompt or on a pipe returns at once with its end,
// and the main loop saves before it exits. Only async-signal-safe calls.
void OnStopSignal(int sig) {
  const int saved = errno;
  if (stopSignal == 0) stopSignal = sig;
  stopSignals = stopSignals + 1;
  const int empty = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (empty >= 0) {
    dup2(empty, STDIN_FILENO);
    close(empty);
  }
  if (stopTimer != nullptr) stopTimer->Arm(std::chrono::milliseconds(100), std::chrono::milliseconds(100));
  errno = saved;
}

// The timer's signal only interrupts.
void OnTimer(int, siginfo_t*, void*) {}

void CatchStopSignals() {
  static const tarvo::StopTimer timer(OnTimer);
  stopTimer = &timer;
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
// Written so that a stop signal ends a write a stalled reader holds up, on
// either stream (the rest of the output is then dropped, and the session
// saves); what is said after a stop goes out only where there is room.
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
    if (!buffer_.empty() && error_ == 0 && !tarvo::WriteUnlessStopped(STDOUT_FILENO, buffer_, stopSignal))
      error_ = errno;
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
    (void)tarvo::WriteUnlessStopped(STDERR_FILENO, line + "\n", stopSignal);
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
    // The save after a stop signal waits a second at most, then says it
    // could not save.
    if (stopSignal != 0 && turn.waited >= std::chrono::seconds(1)) return false;
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

// `inputName` names standard input in a message: the file it was opened
// from, or "the entries".
int Run(const std::vector<std::string>& entries, const std::string& stateDir, const std::string& inputName) {
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
    console.SetHeldLock(&*wholeRun);
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
          interactive ? tarvo::cli::PromptLines([&output] { output.Flush(); }, &stopSignal)
                      : tarvo::cli::PlainLines([&output] { output.Flush(); }, &stopSignal);
      bool firstLine = true;
      while (goOn()) {
        tarvo::cli::InputLine line = lines->Next();
        if (line.kind == tarvo::cli::InputLine::Kind::kError) inputError = line.error;
        if (line.kind != tarvo::cli::InputLine::Kind::kLine || stopSignal != 0) break;
        // The byte order mark some editors write at the start of a UTF-8
        // file is no part of its first line, which may be a comment.
        if (firstLine && line.text.rfind(kByteOrderMark, 0) == 0) line.text.erase(0, kByteOrderMark.size());
        firstLine = false;
        // A tab is a blank, as it is to a comment: an indented entry or
        // directive is what it is without its indent.
        std::replace(line.text.begin(), line.text.end(), '\t', ' ');
        if (IsComment(line.text)) continue;
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
  console.SetHeldLock(nullptr);
  wholeRun.reset();
  output.WriteHeld();
  output.Flush();
  if (!stopReason.empty()) {
    output.Tell("tarvo-cli: the session stops: " + stopReason);
    status = 1;
  }
  if (inputError != 0) {
    output.Tell("tarvo-cli: cannot read " + inputName + ": " + std::strerror(inputError));
    status = 1;
  }
  // A reader that stopped early (`| head -1`) is no failure to report: the
  // session has saved, and ends as a filter does when its reader leaves.
  const bool readerLeft = output.Error() == EPIPE;
  if (output.Error() != 0 && !readerLeft) {
    output.Tell(std::string("tarvo-cli: cannot write the results: ") + std::strerror(output.Error()));
    if (status == 0 || status == 2) status = 1;
  }
  // Saved (or the wait for the save given up): now end the way the signal
  // asked.
  if (stopSignal != 0) EndBySignal(stopSignal);
  if (readerLeft) EndBySignal(SIGPIPE);
  return status;
}

// The options and the entries of the command line, then the session.
// Makes FILE the session's standard input ("-" keeps it). False, with the
// reason in errno, when it cannot be opened for reading or is a folder.
bool ReadEntriesFrom(const std::string& file) {
  if (file == "-") return true;
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const int err = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (err == 0 && dup2(fd, STDIN_FILENO) >= 0) return close(fd), true;
  const int failed = err != 0 ? err : errno;
  close(fd);
  errno = failed;
  return false;
}

// Prints the help or the version: 0, or 1 with the reason when it could
// not be written (a full disk, a closed output).
int PrintAndExit(std::string_view text, const char* what) {
  while (!text.empty()) {
    const ssize_t n = write(STDOUT_FILENO, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::cerr << "tarvo-cli: cannot write " << what << ": " << std::strerror(n < 0 ? errno : EIO) << "\n";
      return 1;
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

// `inputClosed`: standard input was closed when the program started.
int Main(int argc, char** argv, bool inputClosed) {
  bool useState = true;
  bool userState = false;
  std::string stateDir;
  std::optional<std::string> file;
  std::vector<std::string> entries;
  // The value of an option that takes one ("--opt VALUE", "--opt=VALUE"),
  // or nullopt after reporting it missing.
  auto value = [&](int& i, const std::string& arg, const std::string& name,
                   const char* what) -> std::optional<std::string> {
    std::optional<std::string> v;
    if (arg.size() > name.size()) v = arg.substr(name.size() + 1);
    else if (i + 1 < argc) v = argv[++i];
    if (!v || v->empty()) {
      std::cerr << "tarvo-cli: " << name << " needs " << what << "\n" << UsageText();
      return std::nullopt;
    }
    return v;
  };
  auto named = [](const std::string& arg, const std::string& name) {
    return arg == name || arg.rfind(name + "=", 0) == 0;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-n" || arg == "--no-state") {
      useState = false;
    } else if (named(arg, "--state-dir")) {
      const std::optional<std::string> dir = value(i, arg, "--state-dir", "a folder");
      if (!dir) return 2;
      stateDir = *dir;
    } else if (arg == "--user-state") {
      userState = true;
    } else if (arg == "-f" || named(arg, "--file")) {
      const std::optional<std::string> f = value(i, arg, arg == "-f" ? "-f" : "--file", "a file");
      if (!f) return 2;
      if (file) {
        std::cerr << "tarvo-cli: only one file of entries may be given\n" << UsageText();
        return 2;
      }
      file = *f;
    } else if (arg == "-h" || arg == "--help") {
      return PrintAndExit(UsageText(), "the help");
    } else if (arg == "--version") {
      return PrintAndExit(std::string("tarvo-cli ") + TARVO_VERSION + "\n", "the version");
    } else if (arg == "--") {
      for (++i; i < argc; ++i) entries.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      std::cerr << "tarvo-cli: unknown option " << arg << "\n" << UsageText();
      return 2;
    } else {
      entries.push_back(arg);  // "-5" and "-x^2" are entries, not options
    }
  }

  if (file && !entries.empty()) {
    std::cerr << "tarvo-cli: entries come either from the command line or from -f FILE\n" << UsageText();
    return 2;
  }
  // Before the state is touched: a run that cannot read its entries does
  // nothing else.
  if (inputClosed && entries.empty() && (!file || *file == "-")) {
    std::cerr << "tarvo-cli: cannot read the entries: " << std::strerror(EBADF) << "\n";
    return 2;
  }
  if (file && !ReadEntriesFrom(*file)) {
    std::cerr << "tarvo-cli: cannot read " << *file << ": " << std::strerror(errno) << "\n";
    return 2;
  }
  // --state-dir names the folder outright; --user-state finds the desktop's.
  if (useState && stateDir.empty() && userState) {
    std::string why;
    stateDir = tarvo::UserStateDirectory(&why);
    if (stateDir.empty()) {
      std::cerr << "tarvo-cli: the folder for the saved variables cannot be used: " << why
                << " (-n runs without it)\n";
      return 1;
    }
  }
  if (stateDir.empty()) stateDir = ".";
  if (!useState) stateDir.clear();
  return Run(entries, stateDir, file && *file != "-" ? *file : "the entries");
}

}  // namespace

int main(int argc, char** argv) {
  // Noticed before the stream is filled with an empty one: entries to read
  // from a closed standard input are a failure, not an empty session.
  const bool inputClosed = fcntl(STDIN_FILENO, F_GETFD) == -1 && errno == EBADF;
  tarvo::KeepStandardStreamsTaken();
  // What escapes Main came before the first entry (the session catches what
  // comes after it): there is nothing to save.
  try {
    return Main(argc, argv, inputClosed);
  } catch (const std::bad_alloc&) {
    std::fputs("tarvo-cli: the session stops: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarvo-cli: the session stops: %s\n", e.what());
  }
  return 1;
}
