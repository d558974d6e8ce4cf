// tarvo-cli: the calculator's processing cycle at a console prompt.
#include <fcntl.h>
#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "ui/logic/console.h"
#include "ui/logic/persist.h"

#if defined(TARVO_HAVE_EDITLINE)
#include <editline/readline.h>
#endif

namespace {

constexpr const char* kUsage =
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
    "\n"
    "Lines starting with ':' are directives: :deg :rad :gra :norm :fix N :sci N\n"
    ":frac :dms :bin :hex :date :vars :clear\n"
    "\n"
    "Exit status: 0 when the last entry succeeded, 1 when it ended with an error\n"
    "or a notice, or when the variable files or the results could not be read or\n"
    "written, 2 for bad options or an unknown directive.\n";

// The signal that asked the session to end (SIGINT, SIGHUP, SIGTERM), or 0.
volatile std::sig_atomic_t stopSignal = 0;

// Ends the session at its next step: standard input becomes empty, so a
// read waiting at the prompt or on a pipe returns at once with its end,
// and the main loop saves before it exits. Only async-signal-safe calls.
void OnStopSignal(int sig) {
  const int saved = errno;
  stopSignal = sig;
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
  action.sa_flags = 0;  // no restart: a blocked read returns
  for (int sig : {SIGINT, SIGHUP, SIGTERM}) sigaction(sig, &action, nullptr);
  // A reader that went away is a failed write, seen where it happens.
  std::signal(SIGPIPE, SIG_IGN);
}

// A standard stream the caller closed would otherwise be the number the next
// open file gets, and results would land in it. Reopened on /dev/null for
// reading, a closed output still fails every write, as it should.
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

// A line longer than any entry is still read to its end, but only its first
// kMaxLineBytes are kept: enough (UTF-8 takes at most four bytes for a
// character) for the cycle to see that it is over the entry-length limit
// and refuse it, without holding the whole line.
constexpr size_t kMaxLineBytes = 4 * (static_cast<size_t>(tarvo::kMaxEntryLength) + 1);

bool ReadBoundedLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  int c = buffer->sbumpc();
  if (c == std::char_traits<char>::eof()) {
    in.setstate(std::ios::eofbit | std::ios::failbit);
    return false;
  }
  for (; c != std::char_traits<char>::eof() && c != '\n'; c = buffer->sbumpc())
    if (line.size() < kMaxLineBytes) line += static_cast<char>(c);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool ReadLine(bool interactive, std::string& line) {
#if defined(TARVO_HAVE_EDITLINE)
  if (interactive) {
    char* raw = readline("tarvo> ");
    if (raw == nullptr) return false;
    line = raw;
    if (!line.empty()) add_history(raw);
    free(raw);
    return true;
  }
#else
  if (interactive) {
    std::cout << "tarvo> " << std::flush;
  }
#endif
  return ReadBoundedLine(std::cin, line);
}

}  // namespace

// The line editor reads characters by the locale's character type: without
// a UTF-8 one it drops every sign (², √, π) typed at the prompt. Only the
// character type is set; numbers never depend on the locale here.
void UseUtf8Characters() {
  const char* set = std::setlocale(LC_CTYPE, "");
  if (set == nullptr || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

int main(int argc, char** argv) {
  KeepStandardStreamsTaken();
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

  // Results are buffered, and flushed per line only when someone watches:
  // a flush per entry would cost a write(2) each when piping thousands.
  // Diagnostics flush the results first, so the two streams keep their order.
  std::ios::sync_with_stdio(false);
  std::cin.tie(nullptr);  // reading a line would flush the results otherwise
  const bool flushEachLine = isatty(STDOUT_FILENO) != 0 || isatty(STDIN_FILENO) != 0;
  // The first failed write of the results (a reader that left, a full
  // disk) ends the session; its reason is kept for the report.
  int outputError = 0;
  auto checkOutput = [&outputError] {
    if (outputError == 0 && !std::cout) outputError = errno != 0 ? errno : EIO;
  };
  tarvo::ConsoleSession session(
      [flushEachLine, &checkOutput](const std::string& s) {
        std::cout << s << '\n';
        if (flushEachLine) std::cout.flush();
        checkOutput();
      },
      [&checkOutput](const std::string& s) {
        std::cout.flush();
        checkOutput();
        std::cerr << s << '\n';
      });
  tarvo::Console& console = session.console;
  if (!useState) stateDir.clear();
  const bool interactive = entries.empty() && isatty(STDIN_FILENO) != 0;
  // The terminal as it was: a signal at the prompt may leave the line editor
  // no chance to put it back.
  termios terminal{};
  const int terminalFd = interactive ? fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0) : -1;
  const bool haveTerminal = terminalFd >= 0 && tcgetattr(terminalFd, &terminal) == 0;
  CatchStopSignals();

  // Entries from the command line make a short run: its load and its save
  // are one step under the folder's lock, so that parallel runs such as
  // `tarvo-cli 'n=n+1'` all count. Lines from standard input can take any
  // time; those sessions lock only to load and to save.
  std::optional<tarvo::StateFolderLock> wholeRun;
  if (!entries.empty() && !stateDir.empty()) wholeRun.emplace(stateDir);

  int status = console.Start(stateDir) ? 0 : 1;
  const bool loadFailed = status != 0;
  auto run = [&](const std::string& line) {
    switch (console.Run(line)) {
      case tarvo::Console::Outcome::kNothing: break;
      case tarvo::Console::Outcome::kSuccess: status = 0; break;
      case tarvo::Console::Outcome::kNotice: status = 1; break;
      case tarvo::Console::Outcome::kUnknownCommand: status = 2; break;
    }
  };
  auto goOn = [&] { return stopSignal == 0 && outputError == 0; };
  if (!entries.empty()) {
    for (size_t i = 0; i < entries.size() && goOn(); ++i) run(entries[i]);
  } else {
    if (interactive) UseUtf8Characters();
    std::string line;
    while (goOn() && ReadLine(interactive, line) && stopSignal == 0) run(line);
    if (interactive && goOn()) std::cout << '\n';
  }
  if (haveTerminal) tcsetattr(terminalFd, TCSANOW, &terminal);
  if (loadFailed && status == 0) status = 1;

  std::cout.flush();
  checkOutput();
  if (!console.Finish(stateDir) && status == 0) status = 1;
  if (outputError != 0) {
    std::cerr << "tarvo-cli: cannot write the results: " << std::strerror(outputError) << '\n';
    if (status == 0 || status == 2) status = 1;
  }
  if (stopSignal != 0) {
    // Saved: now end the way the signal asked, so the caller sees it.
    std::cerr.flush();
    std::signal(stopSignal, SIG_DFL);
    std::raise(stopSignal);
  }
  return status;
}
