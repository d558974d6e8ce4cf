// The variable files as the real tarvo-cli leaves them: parallel runs,
// signals, failed output, folders and files a non-root user may not touch.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <utmp.h>

#include <functional>

#include "tests/ui/state_folder.h"

namespace tarvo {
namespace {

using test::kNobody;
namespace fs = std::filesystem;

void Redirect(const std::string& path, int fd, int flags) {
  const int f = open(path.c_str(), flags, 0644);
  if (f < 0 || dup2(f, fd) < 0) _exit(126);
  close(f);
}

int Wait(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// As root the child drops to nobody, so that permissions apply; a non-root
// run is subject to them already.
void BecomeUnprivileged() {
  if (getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(125);
}

class CliStateFiles : public test::StateFolder {
 protected:
  void SetUp() override {
    StateFolder::SetUp();
    // The build folder may sit where nobody cannot reach (a private home or
    // scratch folder): the unprivileged runs start a copy from here.
    cli = root + "/tarvo-cli";
    fs::copy_file(TARVO_CLI, cli);
    chmod(cli.c_str(), 0755);
  }
  // Starts tarvo-cli on the folder with `args`; `setup` runs in the child
  // before the exec (redirections, a session of its own, another user).
  pid_t Start(std::vector<std::string> args, const std::function<void()>& setup) {
    args.insert(args.begin(), {cli, "--state-dir", dir});
    const pid_t child = fork();
    if (child != 0) return child;
    setup();
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(cli.c_str(), argv.data());
    _exit(127);
  }
  struct Result {
    int status = 0;  // as waitpid gives it
    std::string out, err;
  };
  // One run with `input` on standard input; `setup` may change the rest.
  Result Run(const std::vector<std::string>& args, const std::string& input = "", const std::function<void()>& setup = [] {}) {
    const std::string in = root + "/in", out = root + "/out", err = root + "/err";
    std::ofstream(in) << input;
    const pid_t child = Start(args, [&] {
      Redirect(in, 0, O_RDONLY);
      Redirect(out, 1, O_WRONLY | O_CREAT | O_TRUNC);
      Redirect(err, 2, O_WRONLY | O_CREAT | O_TRUNC);
      setup();
    });
    const int status = Wait(child);
    return {status, test::ReadText(out), test::ReadText(err)};
  }
  std::string cli;
};

TEST_F(CliStateFiles, AHundredParallelRunsAllSucceedAndLoseNothing) {
  ASSERT_EQ(Run({"z=77"}).status, 0);
  // 88 runs from the command line add to twelve counters; twelve sessions
  // reading standard input store one variable each.
  const std::string counters = "abcdfghijklm", singles = "nopqrstuvwxy";
  std::vector<pid_t> children;
  for (size_t i = 0; i < 100; ++i) {
    const bool fromInput = i >= 88;
    const char v = fromInput ? singles[i - 88] : counters[i % 12];
    const std::string entry = std::string(1, v) + "=" + (fromInput ? "" : std::string(1, v) + "+") + std::to_string(i);
    const std::string input = root + "/in" + std::to_string(i);
    std::ofstream(input) << (fromInput ? entry + "\n" : "");
    children.push_back(Start(fromInput ? std::vector<std::string>{} : std::vector{entry}, [&] {
      Redirect(input, 0, O_RDONLY);
      Redirect("/dev/null", 1, O_WRONLY);
    }));
  }
  int succeeded = 0;
  for (pid_t c : children) succeeded += Wait(c) == 0;
  EXPECT_EQ(succeeded, 100);
  for (size_t k = 0; k < 12; ++k) {
    double sum = 0;
    for (size_t i = k; i < 88; i += 12) sum += static_cast<double>(i);
    EXPECT_EQ(Stored(counters[k]), sum) << counters[k];
    EXPECT_EQ(Stored(singles[k]), 88.0 + static_cast<double>(k)) << singles[k];
  }
  EXPECT_EQ(Stored('z'), 77);
  EXPECT_EQ(fs::file_size(At(kValueFile)), kValueBytes);
  EXPECT_EQ(fs::file_size(At(kFlagFile)), kFlagBytes);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// What one run leaves, the next one starts from: the angle unit (restored
// from its saved factor) and the variables.
TEST_F(CliStateFiles, TheAngleUnitAndTheVariablesCarryOverBetweenRuns) {
  const struct { const char *first, *second, *printed; } rows[] = {
      {":rad", "sin(pi/2)", "1\n"}, {":deg", "sin(90)", "1\n"}, {":gra", "sin(100)", "1\n"},
      {"w=2.5", "w*2", "5\n"}, {":deg", "cos(180)", "-1\n"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first);
    ASSERT_EQ(Run({row.first}).status, 0);
    const Result r = Run({row.second});
    EXPECT_EQ(r.out, row.printed);
    EXPECT_EQ(r.status, 0);
  }
}

// A reader that leaves, a full device, a closed output: the session ends,
// saves what it had, says why on standard error and exits with 1.
TEST_F(CliStateFiles, OutputThatCannotBeWrittenEndsTheSessionAfterSaving) {
  int unread[2];
  ASSERT_EQ(pipe(unread), 0);
  close(unread[0]);
  const struct { std::vector<std::string> args; std::function<void()> output; const char* reason; } rows[] = {
      {{}, [&] { signal(SIGPIPE, SIG_DFL), dup2(unread[1], 1); }, "Broken pipe"},
      {{"x=7"}, [] { Redirect("/dev/full", 1, O_WRONLY); }, "No space left on device"},
      {{}, [] { Redirect("/dev/full", 1, O_WRONLY); }, "No space left on device"},
      {{"x=7"}, [] { close(1); }, "Bad file descriptor"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reason);
    fs::remove(At(kValueFile));
    const Result r = Run(row.args, "x=7\n1\n2\n", row.output);
    ASSERT_TRUE(WIFEXITED(r.status));
    EXPECT_EQ(WEXITSTATUS(r.status), 1);
    EXPECT_EQ(r.err, std::string("tarvo-cli: cannot write the results: ") + row.reason + "\n");
    EXPECT_EQ(Stored('x'), 7);
  }
  close(unread[1]);
}

// A signal while a session waits for its next line saves what it had, then
// ends the process by that signal; at the terminal's prompt too.
TEST_F(CliStateFiles, SignalsSaveBeforeTheSessionEnds) {
  for (const bool prompt : {false, true}) {  // standard input a terminal (the line editor's prompt), else a pipe
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
      SCOPED_TRACE(std::string(strsignal(signal)) + (prompt ? " at the prompt" : " on a pipe"));
      fs::remove(At(kValueFile));
      // Results reach a terminal line by line, so the test sees when the
      // entry was taken.
      int master = -1, slave = -1, input[2];
      ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
      ASSERT_EQ(pipe(input), 0);
      const pid_t child = Start({}, [&] {
        close(master);
        if (prompt && login_tty(slave) != 0) _exit(124);  // its own session, the terminal its controlling one
        if (!prompt) dup2(input[0], 0), dup2(slave, 1);
        close(input[1]);
      });
      close(slave);
      close(input[0]);
      ASSERT_EQ(write(prompt ? master : input[1], "x=5\n", 4), 4);
      const std::string awaited = prompt ? "\n5\r\n" : "5\r\n";  // not the echo "x=5\r\n"
      std::string seen;
      char buf[256];
      for (int waited = 0; seen.find(awaited) == std::string::npos && waited < 200; ++waited) {
        pollfd p{master, POLLIN, 0};
        const ssize_t n = poll(&p, 1, 100) > 0 ? read(master, buf, sizeof buf) : 0;
        if (n < 0) break;
        seen.append(buf, static_cast<size_t>(n));
      }
      EXPECT_NE(seen.find(awaited), std::string::npos) << seen;
      kill(child, signal);
      const int status = Wait(child);
      close(master);
      close(input[1]);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
      EXPECT_EQ(Stored('x'), 5);
    }
  }
}

// What a non-root user meets: files and folders without permissions. Each
// row prepares the folder (as root where the test runs as root), runs
// `x=5 k=1` as an unprivileged user over x = 0, a = 11 and checks the
// outcome: k tells the new flags from the old.
TEST_F(CliStateFiles, FilesAndFoldersWithoutPermissions) {
  const std::string values = At(kValueFile).string();
  const struct {
    const char* removed;  // "lock", "pair" or ""
    mode_t valuesMode, dirMode;
    bool othersStickyFolder;  // the value file root's, the folder root's and sticky (as root only)
    int status;
    std::string error;  // part of standard error
    double x;           // x as stored afterwards; NaN: undefined
  } rows[] = {
      {"", 0, 0755, false, 1, "cannot read " + values + ": Permission denied", 0},
      {"lock", 0640, 0555, false, 0, "", 5},  // read-only folder, writable files: saved in place
      {"pair", 0640, 0555, false, 1, "cannot save " + values + ": Permission denied", std::nan("")},
      {"", 0666, 01777, true, 1, "cannot save " + values + ": Operation not permitted", 0},
      {"", 0640, 0, false, 1, "cannot read " + values + ": Permission denied", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    if (getuid() != 0 && row.othersStickyFolder) continue;
    chmod(dir.c_str(), 0755);
    fs::remove_all(dir);
    fs::create_directory(dir);
    ASSERT_TRUE(getuid() != 0 || chown(dir.c_str(), kNobody, kNobody) == 0);
    ASSERT_EQ(Run({"x=0", "a=11"}, "", BecomeUnprivileged).status, 0);
    chmod(At(kFlagFile).c_str(), 0600);
    const std::string before = Read(kValueFile);
    if (row.removed == std::string("lock")) fs::remove(At(kLockFile));  // the folder itself is locked then
    if (row.removed == std::string("pair")) fs::remove(At(kValueFile)), fs::remove(At(kFlagFile));
    ASSERT_TRUE(!row.othersStickyFolder || (chown(values.c_str(), 0, 0) == 0 && chown(dir.c_str(), 0, 0) == 0));
    chmod(values.c_str(), row.valuesMode);
    chmod(dir.c_str(), row.dirMode);
    const Result r = Run({"x=5", "k=1"}, "", BecomeUnprivileged);
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(r.status, row.status << 8) << r.err;
    EXPECT_NE(r.err.find(row.error.empty() ? "" : "Error: " + row.error), std::string::npos) << r.err;
    EXPECT_EQ(r.err.empty(), row.error.empty()) << r.err;
    if (row.status == 0) {
      EXPECT_EQ(fs::status(values).permissions(), fs::perms(0640));
      EXPECT_EQ(fs::status(At(kFlagFile)).permissions(), fs::perms(0600));
    }
    if (fs::exists(values) && row.x == 0) {  // refused: not a byte changed
      chmod(values.c_str(), 0640);
      EXPECT_EQ(Read(kValueFile), before);
    }
    const double x = Stored('x');
    EXPECT_TRUE(std::isnan(row.x) ? std::isnan(x) : x == row.x && Stored('a') == 11) << x;
    EXPECT_EQ(std::isnan(Stored('k')), row.status != 0) << "values and flags of different saves";
  }
}

}  // namespace
}  // namespace tarvo
