// How a tarvo-cli session ends, and that it never ends without its save:
// input that fails (a directory, a socket reset by its peer), memory that
// runs out, signals at the prompt and on a pipe, output that cannot be
// written, lines of any length at a terminal; and how it waits for another
// session's lock: visibly, for as long as that session saves, never for
// a reader of its results, and not at all once a signal says stop.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <utmp.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "tests/base/lock_holder.h"
#include "tests/core/state_folder.h"

namespace tarvo {
namespace {

using namespace test;
using SessionEnd = StateFolder;
using namespace std::chrono_literals;

// Polls `path` until it holds `text` (five seconds at most).
bool Appears(const std::string& path, const std::string& text) {
  for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(10ms))
    if (ReadText(path).find(text) != std::string::npos) return true;
  return false;
}

// In a child: `fd` appends to a file of 4,096 bytes that the file-size
// limit allows no more of.
void AppendToFull(const std::string& path, int fd) {
  std::ofstream(path) << std::string(4096, 'x');
  const int f = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  const rlimit limit{4096, 4096};
  if (f < 0 || dup2(f, fd) < 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
}

// Standard input that fails ends the input as its end would: the session
// saves, names the error and exits with 1. A directory fails its first read;
// a socket reset by its peer fails after the peer's 5,000 lines were taken,
// and all 5,000 count.
TEST_F(SessionEnd, InputThatFailsEndsTheSessionAfterSaving) {
  const Result directory = Run({}, "", [] { Redirect("/", 0); });
  EXPECT_EQ(std::pair(directory.status, directory.err),
            std::pair(1 << 8, std::string("tarvo-cli: cannot read the entries: Is a directory\n")));

  // A TCP connection on the loopback, the session's end of it its
  // standard input and output.
  int pair[2], listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_TRUE(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(listener, 1) == 0 &&
              getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0);
  pair[0] = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(connect(pair[0], reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  pair[1] = accept(listener, nullptr, nullptr);
  close(listener);
  const std::string err = root + "/err";
  const pid_t child = Start({}, [&] { close(pair[0]), dup2(pair[1], 0), dup2(pair[1], 1), Redirect(err, 2); });
  close(pair[1]);
  constexpr int kLines = 5000;
  std::thread writer([fd = pair[0]] {
    for (int i = 0; i < kLines; ++i) (void)!write(fd, "n=n+1\n", 6);
  });
  std::string results;
  char buf[4096];
  while (std::count(results.begin(), results.end(), '\n') < kLines) {
    const ssize_t n = read(pair[0], buf, sizeof buf);
    if (n <= 0) break;
    results.append(buf, static_cast<size_t>(n));
  }
  writer.join();
  // A reset, not an orderly end: TCP's RST, from a close with a zero
  // linger time.
  const linger reset{1, 0};
  setsockopt(pair[0], SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(pair[0]);
  EXPECT_EQ(WEXITSTATUS(Wait(child)), 1);
  EXPECT_EQ(ReadText(err), "tarvo-cli: cannot read the entries: Connection reset by peer\n");
  EXPECT_EQ(Stored('n'), kLines);
}

// Standard input that is not ready is waited for, even where the caller
// left it in non-blocking mode: the lines that come later are the session's.
TEST_F(SessionEnd, InputNotReadyYetIsWaitedFor) {
  int input[2];
  ASSERT_EQ(pipe(input), 0);
  const pid_t child = Start({"--"}, [&] {
    close(input[1]), dup2(input[0], 0), Redirect(root + "/out", 1);
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
  });
  close(input[0]);
  std::this_thread::sleep_for(300ms);
  ASSERT_EQ(write(input[1], "x=5\n", 4), 4);
  close(input[1]);
  EXPECT_EQ(Wait(child), 0);
  EXPECT_EQ(std::pair(ReadText(root + "/out"), Stored('x')), std::pair(std::string("5\n"), 5.0));
}

// Memory that runs out where no entry's cycle catches it never aborts the
// session: under every address-space limit from the least that tarvo-cli
// starts in to 8 MB more, a session of `n=n+1` and a line of 300,000 digits
// ends with 0 or 1, and when the first entry ran, its n is saved; so does
// a run of `n=n+1` and 20,000 more entries on the command line.
TEST_F(SessionEnd, MemoryRunningOutNeverEndsASessionUnsaved) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
  const std::string input = "n=n+1\n" + std::string(300000, '1') + "\n";
  auto limited = [](rlim_t bytes) {
    return [bytes] {
      const rlimit limit{bytes, bytes};
      setrlimit(RLIMIT_AS, &limit);
    };
  };
  // The least limit under which a bare session starts and ends, to 1 MB.
  rlim_t low = 1 << 20, high = rlim_t{1} << 32;
  while (high - low > (1 << 20)) {
    const rlim_t mid = low + (high - low) / 2;
    fs::remove(At(kValueFile));
    (Run({"1"}, "", limited(mid)).status == 0 ? high : low) = mid;
  }
  std::vector<std::string> many = {"n=n+1"};
  for (int i = 0; i < 20000; ++i) many.push_back(std::to_string(i));
  int saved = 0;
  for (const bool arguments : {false, true}) {
    for (rlim_t limit = high; limit <= high + (8 << 20); limit += 512 << 10) {
      fs::remove(At(kValueFile)), fs::remove(At(kFlagFile));
      const Result r = arguments ? Run(many, "", limited(limit)) : Run({}, input, limited(limit));
      ASSERT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) <= 1)
          << limit << (arguments ? " with arguments: " : ": ") << r.status << " " << r.err;
      if (r.out.rfind("1\n", 0) == 0) {
        EXPECT_EQ(Stored('n'), 1) << limit << ": " << r.err;
        ++saved;
      }
    }
  }
  EXPECT_GT(saved, 0) << "no limit let the first entry run";
}

// A signal while a session waits for its next line saves what it had, then
// ends the process by that signal; on a pipe and at the terminal's prompt.
TEST_F(SessionEnd, SignalsSaveBeforeTheSessionEnds) {
  for (const bool prompt : {false, true}) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
      fs::remove(At(kValueFile));
      // Results reach a terminal line by line, so the test sees when the
      // entry was taken.
      int master = -1, slave = -1, input[2];
      ASSERT_TRUE(openpty(&master, &slave, nullptr, nullptr, nullptr) == 0 && pipe(input) == 0);
      const pid_t child = Start({}, [&] {
        close(master), close(input[1]);
        if (prompt && login_tty(slave) != 0) _exit(124);  // its own session, the terminal its controlling one
        if (!prompt) dup2(input[0], 0), dup2(slave, 1);
      });
      close(slave), close(input[0]);
      // At the prompt the line is typed once the prompt shows, as a person
      // would; typed before, the terminal would echo it ahead of the prompt.
      std::string seen;
      char buf[256];
      auto await = [&](const std::string& text) {
        for (ssize_t n = 0, waited = 0; seen.find(text) == std::string::npos && n >= 0 && waited < 200; ++waited) {
          pollfd p{master, POLLIN, 0};
          if ((n = poll(&p, 1, 100) > 0 ? read(master, buf, sizeof buf) : 0) > 0) seen.append(buf, size_t(n));
        }
        return seen.find(text) != std::string::npos;
      };
      EXPECT_TRUE(!prompt || await("tarvo> ")) << seen;
      ASSERT_EQ(write(prompt ? master : input[1], "x=5\n", 4), 4);
      EXPECT_TRUE(await(prompt ? "\n5\r\n" : "5\r\n")) << seen;  // the result, not the echo "x=5\r\n"
      kill(child, signal);
      const int status = Wait(child);
      close(master), close(input[1]);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal && Stored('x') == 5)
          << strsignal(signal) << (prompt ? " at the prompt" : " on a pipe");
    }
  }
}

// Any signal that would end the process saves the session first, and so
// does a stop signal while the results wait for a reader that stalls (a
// pipe that is full): the session then ends by that signal. On a pipe.
// (SIGPIPE and SIGXFSZ are ignored: a failed write says what went wrong.)
TEST_F(SessionEnd, EverySignalThatEndsASessionSavesItFirst) {
  // A signal ignored by whoever started the session (nohup) stays ignored:
  // the session goes on to the end of its input.
  const struct { int signal; bool stalledReader; bool ignoredAtStart = false; } rows[] = {
      {SIGTERM, true}, {SIGINT, true}, {SIGHUP, true}, {SIGQUIT, false}, {SIGUSR1, false},
      {SIGALRM, false}, {SIGXCPU, false}, {SIGPWR, false}, {SIGRTMIN + 1, false}, {SIGHUP, false, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(strsignal(row.signal)) + (row.stalledReader ? ", the reader stalled" : "") +
                 (row.ignoredAtStart ? ", ignored at start" : ""));
    Fresh();
    const std::string out = root + "/out";
    fs::remove(out);  // what Appears waits for is this row's own output
    int input[2], output[2];
    ASSERT_TRUE(pipe(input) == 0 && pipe(output) == 0);
    const pid_t child = Start({}, [&] {
      const rlimit noCore{0, 0};
      setrlimit(RLIMIT_CORE, &noCore);
      if (row.ignoredAtStart) signal(row.signal, SIG_IGN);
      close(input[1]), close(output[0]), dup2(input[0], 0);
      row.stalledReader ? (void)dup2(output[1], 1) : Redirect(out, 1);
    });
    close(input[0]), close(output[1]);
    ASSERT_EQ(write(input[1], "x=5\n", 4), 4);
    if (row.stalledReader) {
      // Results enough to fill the pipe, which nobody reads.
      const std::string ones = Repeat("1\n", 40000);
      ASSERT_EQ(write(input[1], ones.data(), ones.size()), static_cast<ssize_t>(ones.size()));
      // Full: what it holds no longer grows.
      int queued = 0, before = -1;
      for (int i = 0, still = 0; i < 500 && still < 20; ++i, std::this_thread::sleep_for(10ms))
        before = queued, ioctl(output[0], FIONREAD, &queued), still = queued == before && queued > 0 ? still + 1 : 0;
      EXPECT_GT(queued, fcntl(output[0], F_GETPIPE_SZ) / 2) << "the pipe is full";
    } else {
      EXPECT_TRUE(Appears(out, "5\n"));  // x = 5 is taken
    }
    kill(child, row.signal);
    if (row.ignoredAtStart) {
      ASSERT_EQ(write(input[1], "x=x+1\n", 6), 6);
      EXPECT_TRUE(Appears(out, "6\n")) << "goes on after the signal";
      close(input[1]), input[1] = -1;
    }
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 500 && (ended = waitpid(child, &status, WNOHANG)) == 0; ++i) std::this_thread::sleep_for(10ms);
    if (ended == 0) kill(child, SIGKILL), Wait(child);
    if (input[1] >= 0) close(input[1]);
    close(output[0]);
    EXPECT_EQ(ended, child) << "still running five seconds after the signal";
    if (row.ignoredAtStart) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      EXPECT_EQ(Stored('x'), 6);
      continue;
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << status;
    EXPECT_EQ(Stored('x'), 5);
  }
}

// A reader that leaves, a full device, a closed output: the session ends and
// saves what it had. A reader that left ends it quietly by SIGPIPE, as it
// ends any filter; any other failure is said on standard error, with status 1.
TEST_F(SessionEnd, OutputThatCannotBeWrittenEndsTheSessionAfterSaving) {
  const auto readerLeft = [] { if (int p[2]; pipe(p) == 0) signal(SIGPIPE, SIG_DFL), close(p[0]), dup2(p[1], 1); };
  const struct { std::vector<std::string> args; std::function<void()> output; std::string reason; } rows[] = {
      {{}, readerLeft, ""},
      {{"x=7"}, readerLeft, ""},
      {{"x=7"}, [] { Redirect("/dev/full", 1); }, "No space left on device"},
      {{}, [] { Redirect("/dev/full", 1); }, "No space left on device"},
      {{"x=7"}, [] { close(1); }, "Bad file descriptor"},
      // Output that reaches the file-size limit: the state files, new and
      // small, stay below it.
      {{}, [this] { AppendToFull(root + "/limited", 1); }, "File too large"},
      {{"x=7"}, [this] { AppendToFull(root + "/limited", 1); }, "File too large"}};
  for (const auto& row : rows) {
    fs::remove(At(kValueFile));
    const Result r = Run(row.args, "x=7\n1\n2\n", row.output);
    if (row.reason.empty()) {
      EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGPIPE) << r.status;
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_EQ(std::pair(r.status, r.err), std::pair(1 << 8, "tarvo-cli: cannot write the results: " + row.reason + "\n"));
    }
    EXPECT_EQ(Stored('x'), 7) << row.reason;
  }
}

// A stop signal for tarvo-cli at its prompt ends tarvo-cli, not the other
// processes of its group: the script that started it goes on after it.
TEST_F(SessionEnd, AStopSignalAtThePromptEndsTarvoCliAlone) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    int master = -1;
    const std::string script = cli + " -n; echo the script goes on";
    const pid_t shell = forkpty(&master, nullptr, nullptr, nullptr);
    if (shell == 0) execl("/bin/sh", "sh", "-c", script.c_str(), nullptr), _exit(127);
    std::string seen;
    char buf[4096];
    auto await = [&](const std::string& text) {
      for (int waited = 0; seen.find(text) == std::string::npos && waited < 50; ++waited) {
        pollfd p{master, POLLIN, 0};
        const ssize_t n = poll(&p, 1, 100) > 0 ? read(master, buf, sizeof buf) : 0;
        if (n < 0) break;
        seen.append(buf, static_cast<size_t>(n));
      }
      return seen.find(text) != std::string::npos;
    };
    EXPECT_TRUE(await("tarvo> ")) << seen;
    pid_t prompt = 0;
    std::ifstream(("/proc/" + std::to_string(shell) + "/task/" + std::to_string(shell) + "/children").c_str()) >> prompt;
    ASSERT_GT(prompt, 0);
    kill(prompt, signal);
    EXPECT_TRUE(await("the script goes on")) << strsignal(signal) << ": " << seen;
    kill(shell, SIGKILL), Wait(shell), close(master);
  }
}

// A line at the terminal's prompt is refused past the entry-length limit
// however long it is typed or pasted, as on a pipe, and the next line works.
TEST_F(SessionEnd, TheLineCapHoldsAtThePrompt) {
  const std::string longest = Repeat("1+", 16383) + "1";  // 32,767 characters
  const struct { std::string line; std::string result; } rows[] = {
      {longest, "16384"}, {longest + "0", "Error: Entry too long"}, {std::string(2000000, '1'), "Error: Entry too long"},
      // Esc and a number would repeat the next key that many times (9 keys
      // for a line of 9,999,999 characters): the digits are typed instead.
      {"\x1b" "9999999a", "0"},
      {"3\u00B2", "9"}};  // a sign reaches the editor one byte at a time
  for (const auto& row : rows) {
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    // A terminal in the C locale: the editor still takes the signs.
    if (child == 0) setenv("LC_ALL", "C", 1), execl(cli.c_str(), cli.c_str(), "-n", nullptr), _exit(127);
    std::string seen, typed = row.line + "\r2+3\r";
    char buf[65536];
    // Typed only once the prompt shows and the editor has the terminal in
    // its own mode (before that, the terminal's line discipline would cut
    // the line at 4,095 characters); the echo is read as it comes, so that
    // the terminal never fills up.
    for (int idle = 0; seen.find("\r\n5\r\n") == std::string::npos && idle < 50;) {
      termios mode{};
      const bool prompted = seen.find("tarvo> ") != std::string::npos && tcgetattr(master, &mode) == 0 &&
                            (mode.c_lflag & ICANON) == 0;
      pollfd p{master, static_cast<short>(POLLIN | (prompted && !typed.empty() ? POLLOUT : 0)), 0};
      if (poll(&p, 1, 100) <= 0) {
        ++idle;
        continue;
      }
      if (p.revents & POLLIN) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, static_cast<size_t>(n));
        if (seen.size() > 100000) seen.erase(0, seen.size() - 1000);  // only the end matters
      }
      if ((p.revents & POLLOUT) && !typed.empty()) {
        const ssize_t n = write(master, typed.data(), std::min<size_t>(typed.size(), 4096));
        if (n > 0) typed.erase(0, static_cast<size_t>(n));
      }
    }
    // The session's peak memory: a line is held to a few times the limit.
    std::string peak;
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    for (std::string field; status >> field && field != "VmHWM:";) {}
    status >> peak;
    kill(child, SIGKILL), Wait(child), close(master);
    EXPECT_LT(std::stol(peak.empty() ? "0" : peak), 32 * 1024) << "kB at the peak; line of " << row.line.size();
    EXPECT_NE(seen.find("\r\n" + row.result + "\r\n"), std::string::npos) << row.line.size();
    EXPECT_NE(seen.find("\r\n5\r\n"), std::string::npos) << row.line.size();
  }
}

// While another session holds the lock, a run waits, says after half a
// second which process is saving in which folder, and gives up at once,
// writing nothing, on SIGINT, SIGTERM or SIGHUP; a run from the command
// line and a session on standard input alike. Let go, the lock lets the
// waiting run go on.
TEST_F(SessionEnd, AWaitForTheLockIsVisibleAndEndsAtASignal) {
  const std::string out = root + "/out", err = root + "/err";
  const struct { std::vector<std::string> args; int signal; } rows[] = {
      {{"n=n+1"}, SIGINT}, {{"n=n+1"}, SIGTERM}, {{"n=n+1"}, SIGHUP}, {{}, SIGINT}, {{}, SIGTERM}, {{"n=n+1"}, 0}, {{}, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE((row.args.empty() ? "standard input, signal " : "command line, signal ") + std::to_string(row.signal));
    Fresh();
    LockHolder holder(dir);
    ASSERT_TRUE(holder.Holding());
    std::ofstream(root + "/in") << "n=n+1\n";
    const pid_t child = Start(row.args, [&] { Redirect(root + "/in", 0), Redirect(out, 1), Redirect(err, 2); });
    const std::string told = "tarvo-cli: another Tarvo session (process " + std::to_string(holder.Pid()) +
                             ") is saving in " + dir + "; waiting for it to finish\n";
    EXPECT_TRUE(Appears(err, told)) << ReadText(err);
    EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "still waiting";
    const auto asked = std::chrono::steady_clock::now();
    row.signal != 0 ? kill(child, row.signal) : (holder.Release(), 0);
    const int status = Wait(child);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    if (row.signal != 0) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << status;
      EXPECT_EQ(ReadText(out), "");
      EXPECT_FALSE(fs::exists(At(kValueFile))) << "nothing written";
    } else {
      EXPECT_EQ(std::tuple(status, ReadText(out), ReadText(err)), std::tuple(0, std::string("1\n"), told));
      EXPECT_EQ(Stored('n'), 1);
    }
  }
}

// A run from the command line computes under the lock, saves and lets the
// lock go before it writes its results: a reader that stalls it leaves the
// folder free for every other run.
TEST_F(SessionEnd, AStalledReaderHoldsNoLock) {
  std::vector<std::string> many;
  for (int i = 0; i < 30000; ++i) many.push_back("n=" + std::to_string(i));
  int stalled[2];
  ASSERT_EQ(pipe(stalled), 0);
  const pid_t writer = Start(many, [&] { close(stalled[0]), dup2(stalled[1], 1); });
  close(stalled[1]);
  // Its results fill the pipe long before its 30,000 lines are out.
  for (int i = 0; i < 500 && Stored('n') != 29999; ++i) std::this_thread::sleep_for(10ms);
  const auto started = std::chrono::steady_clock::now();
  const Result other = Run({"n=n+1"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
  EXPECT_EQ(std::tuple(other.status, other.out, other.err), std::tuple(0, std::string("30000\n"), std::string()));
  EXPECT_EQ(waitpid(writer, nullptr, WNOHANG), 0) << "the first run still waits for its reader";
  std::string results;
  char buf[65536];
  for (ssize_t n; (n = read(stalled[0], buf, sizeof buf)) > 0;) results.append(buf, static_cast<size_t>(n));
  close(stalled[0]);
  EXPECT_EQ(Wait(writer), 0);
  EXPECT_EQ(std::count(results.begin(), results.end(), '\n'), 30000);
}

// A save writes what the session wrote, not only what it changed: a
// session that read n = 0 in degrees and sets n = 0 and degrees again after
// another run saved n = 5 in radians leaves n = 0 in degrees; what it never
// touched (m) keeps the other run's value.
TEST_F(SessionEnd, TheMergeKeepsWhatTheSessionWroteEvenUnchanged) {
  ASSERT_EQ(Run({"n=0", "m=1", ":deg"}).status, 0);
  int input[2];
  ASSERT_EQ(pipe(input), 0);
  const std::string out = root + "/out";
  const pid_t session = Start({}, [&] { close(input[1]), dup2(input[0], 0), Redirect(out, 1); });
  close(input[0]);
  ASSERT_EQ(write(input[1], "2\n", 2), 2);
  ASSERT_TRUE(Appears(out, "2\n"));  // loaded
  ASSERT_EQ(Run({"n=5", "m=7", ":rad"}).status, 0);
  ASSERT_EQ(write(input[1], "n=0\n:deg\n", 9), 9);
  close(input[1]);
  EXPECT_EQ(Wait(session), 0);
  EXPECT_EQ(std::pair(Stored('n'), Stored('m')), std::pair(0.0, 7.0));
  EXPECT_EQ(Run({"sin(90)"}).out, "1\n") << "degrees";
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

using namespace test;
using StopOnEveryStream = StateFolder;
using namespace std::chrono_literals;

enum class Stream { kInput, kOutput, kError };
enum class Stall { kFifo, kSocket };

// Stalled where nobody reads or writes: a FIFO (or a socket) whose other end
// is held open and never served, and that is full where the session writes
// to it; `fd` is the session's end.
struct StalledStream {
  int fd = -1, other = -1;
  StalledStream(Stall stall, Stream stream, const std::string& fifo) {
    if (stall == Stall::kSocket) {
      int pair[2];
      if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
      fd = pair[0], other = pair[1];
    } else {
      // The reading end first: a FIFO's writer cannot open without one.
      mkfifo(fifo.c_str(), 0600);
      const bool input = stream == Stream::kInput;
      (input ? fd : other) = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      (input ? other : fd) = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (stream == Stream::kInput) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      return;
    }
    // Full: what the session writes waits for a reader that never comes.
    const int filler = stall == Stall::kSocket ? other : open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const std::string block(4096, 'x');
    if (stall == Stall::kSocket) fcntl(fd, F_SETFL, O_NONBLOCK);
    for (int full = stall == Stall::kSocket ? fd : filler; write(full, block.data(), block.size()) > 0;) {}
    if (stall == Stall::kSocket) fcntl(fd, F_SETFL, 0);
    else close(filler);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  ~StalledStream() { close(fd), close(other); }
};

// A stop signal ends every wait of tarvo-cli within a second, whatever
// stream it waits on (its input nobody writes, its results or its error
// text nobody reads, FIFOs and sockets), and what it calculated is saved:
// the session ends by the signal, with x = 7.
TEST_F(StopOnEveryStream, AStopSignalEndsAnyWaitSaved) {
  const struct { Stream stream; Stall stall; int signal; } rows[] = {
      {Stream::kError, Stall::kFifo, SIGTERM},  {Stream::kError, Stall::kFifo, SIGHUP},
      {Stream::kError, Stall::kSocket, SIGTERM}, {Stream::kOutput, Stall::kFifo, SIGTERM},
      {Stream::kOutput, Stall::kSocket, SIGINT}, {Stream::kInput, Stall::kFifo, SIGTERM},
      {Stream::kInput, Stall::kSocket, SIGHUP}};
  for (const auto& row : rows) {
    const char* names[] = {"standard input", "standard output", "standard error"};
    SCOPED_TRACE(names[static_cast<int>(row.stream)] + std::string(row.stall == Stall::kFifo ? " a FIFO, " : " a socket, ") +
                 strsignal(row.signal));
    Fresh();
    const std::string fifo = root + "/fifo";
    fs::remove(fifo);
    StalledStream stalled(row.stall, row.stream, fifo);
    ASSERT_GE(stalled.fd, 0);
    // The entry, then an unknown directive whose message goes to standard
    // error, then a result for standard output; standard input then stays
    // open without a line.
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const std::string lines = "x=7\n:nonsense\n2+2\n";
    const pid_t child = Start({}, [&] {
      close(input[1]);
      dup2(row.stream == Stream::kInput ? stalled.fd : input[0], 0);
      if (row.stream != Stream::kInput) dup2(stalled.fd, row.stream == Stream::kOutput ? 1 : 2);
      if (row.stream != Stream::kOutput) Redirect("/dev/null", 1);
      if (row.stream != Stream::kError) Redirect("/dev/null", 2);
    });
    if (row.stream == Stream::kInput) {
      ASSERT_EQ(write(stalled.other, lines.data(), 4), 4);  // x=7, and nothing more
    } else {
      ASSERT_EQ(write(input[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    }
    // x = 7 is taken before the signal: the session has read all its input
    // (however slowly it started), and a moment later it waits.
    const int taken = row.stream == Stream::kInput ? stalled.fd : input[0];
    for (int i = 0, queued = 1; i < 1000 && queued > 0; ++i)
      ioctl(taken, FIONREAD, &queued), std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(300ms);
    close(input[0]);
    ASSERT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "it waits";
    const auto asked = std::chrono::steady_clock::now();
    kill(child, row.signal);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 300 && (ended = waitpid(child, &status, WNOHANG)) == 0; ++i) std::this_thread::sleep_for(10ms);
    const auto took = std::chrono::steady_clock::now() - asked;
    if (ended == 0) kill(child, SIGKILL), Wait(child);
    close(input[1]);
    EXPECT_EQ(ended, child) << "still running three seconds after the signal";
    EXPECT_LT(took, 1s);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << status;
    EXPECT_EQ(Stored('x'), 7);
  }
}

}  // namespace
}  // namespace tarvo
