// The variable files as the real tarvo-cli leaves them: parallel runs,
// signals, failed output, folders and files a non-root user may not touch.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/state.h"
#include "tests/base/test_support.h"
#include "ui/logic/persist.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Starts tarvo-cli in a child. `setup` runs in the child before the exec
// (redirections, a session of its own, dropping to another user).
pid_t StartCli(const std::string& cli, const std::vector<std::string>& args, const std::function<void()>& setup) {
  const pid_t child = fork();
  if (child != 0) return child;
  setup();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(cli.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(cli.c_str(), argv.data());
  _exit(127);
}

int Wait(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

void Redirect(const std::string& path, int fd, int flags) {
  const int f = open(path.c_str(), flags, 0644);
  if (f < 0) _exit(126);
  dup2(f, fd);
  close(f);
}

// As root the child drops to nobody, so that permissions apply; a non-root
// test run is already subject to them.
void BecomeUnprivileged() {
  if (getuid() != 0) return;
  if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(125);
}

class CliStateFiles : public test::FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    char templ[] = "/tmp/tarvo-cli-state-XXXXXX";
    root = mkdtemp(templ);
    dir = root + "/state";
    fs::create_directory(dir);
    chmod(root.c_str(), 0755);
    if (getuid() == 0) {
      ASSERT_EQ(chown(dir.c_str(), kNobody, kNobody), 0);
    }
    // The build folder may sit where nobody cannot reach (a private home or
    // scratch folder): the unprivileged runs start a copy from here.
    cli = root + "/tarvo-cli";
    fs::copy_file(TARVO_CLI, cli);
    chmod(cli.c_str(), 0755);
  }
  void TearDown() override {
    chmod(dir.c_str(), 0700);
    fs::remove_all(root);
    FreshEngine::TearDown();
  }

  struct Result {
    int status = 0;  // as waitpid gives it
    std::string out, err;
  };
  // One run with `input` on standard input and both outputs kept.
  Result Run(const std::vector<std::string>& args, const std::string& input = "", bool unprivileged = false) {
    const std::string in = root + "/in", out = root + "/out", err = root + "/err";
    { std::ofstream(in) << input; }
    const pid_t child = StartCli(cli, args, [&] {
      Redirect(in, 0, O_RDONLY);
      Redirect(out, 1, O_WRONLY | O_CREAT | O_TRUNC);
      Redirect(err, 2, O_WRONLY | O_CREAT | O_TRUNC);
      if (unprivileged) BecomeUnprivileged();
    });
    Result r;
    r.status = Wait(child);
    r.out = ReadText(out);
    r.err = ReadText(err);
    return r;
  }
  std::vector<std::string> InDir(std::initializer_list<std::string> entries) const {
    std::vector<std::string> args = {"--state-dir", dir};
    args.insert(args.end(), entries);
    return args;
  }
  // The value of variable `name` as the next session loads it; NaN when undefined.
  double Stored(char name) {
    engine.Reset();
    EXPECT_TRUE(LoadVariableFiles(engine, dir).ok);
    const size_t i = static_cast<size_t>(name - 'a');
    return engine.DefinedFlag[i] != 0 ? engine.VariableStore[i] : std::nan("");
  }
  // Waits until `text` appears on `fd`; false on end of file or after 20 s.
  static bool AwaitOutput(int fd, const std::string& text) {
    std::string seen;
    char buf[256];
    for (int waited = 0; seen.find(text) == std::string::npos; ) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 100) == 0) {
        if (++waited > 200) return false;
        continue;
      }
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) return false;
      seen.append(buf, static_cast<size_t>(n));
    }
    return true;
  }
  std::string root, dir, cli;
};

TEST_F(CliStateFiles, AHundredParallelRunsAllSucceedAndLoseNothing) {
  ASSERT_EQ(WEXITSTATUS(Run(InDir({"z=77"})).status), 0);
  // 88 runs from the command line add to twelve counters; twelve sessions
  // reading standard input store one variable each.
  const std::string counters = "abcdfghijklm", singles = "nopqrstuvwxy";
  std::vector<pid_t> children;
  for (int i = 0; i < 100; ++i) {
    const bool fromInput = i >= 88;
    const char v = fromInput ? singles[static_cast<size_t>(i - 88)] : counters[static_cast<size_t>(i) % 12];
    const std::string entry = fromInput ? std::string(1, v) + "=" + std::to_string(i)
                                        : std::string(1, v) + "=" + v + "+" + std::to_string(i);
    const std::string input = root + "/in" + std::to_string(i);
    { std::ofstream(input) << (fromInput ? entry + "\n" : ""); }
    const auto args = fromInput ? InDir({}) : InDir({entry});
    children.push_back(StartCli(cli, args, [&] {
      Redirect(input, 0, O_RDONLY);
      Redirect("/dev/null", 1, O_WRONLY);
    }));
  }
  int succeeded = 0;
  for (pid_t c : children) {
    const int status = Wait(c);
    succeeded += WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  EXPECT_EQ(succeeded, 100);
  for (size_t k = 0; k < counters.size(); ++k) {
    double sum = 0;
    for (size_t i = k; i < 88; i += 12) sum += static_cast<double>(i);
    EXPECT_EQ(Stored(counters[k]), sum) << counters[k];
  }
  for (size_t k = 0; k < singles.size(); ++k) EXPECT_EQ(Stored(singles[k]), 88.0 + static_cast<double>(k)) << singles[k];
  EXPECT_EQ(Stored('z'), 77);
  EXPECT_EQ(fs::file_size(fs::path(dir) / kValueFile), kValueBytes);
  EXPECT_EQ(fs::file_size(fs::path(dir) / kFlagFile), kFlagBytes);
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string n = e.path().filename().string();
    EXPECT_TRUE(n == kValueFile || n == kFlagFile || n == kLockFile) << "left behind: " << n;
  }
}

// What one run leaves, the next one starts from: the angle unit (restored
// from its saved factor) and the variables.
TEST_F(CliStateFiles, TheAngleUnitAndTheVariablesCarryOverBetweenRuns) {
  const struct {
    const char* first;
    const char* second;
    const char* printed;
  } rows[] = {{":rad", "sin(pi/2)", "1\n"}, {":deg", "sin(90)", "1\n"}, {":gra", "sin(100)", "1\n"},
              {"w=2.5", "w*2", "5\n"},      {":deg", "cos(180)", "-1\n"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first);
    ASSERT_EQ(Run(InDir({row.first})).status, 0);
    const Result r = Run(InDir({row.second}));
    EXPECT_EQ(r.out, row.printed);
    EXPECT_EQ(r.status, 0);
  }
}

// A reader that leaves, a full device, a closed output: the session ends,
// saves what it had, says why on standard error and exits non-zero.
TEST_F(CliStateFiles, OutputThatCannotBeWrittenEndsTheSessionAfterSaving) {
  const struct {
    const char* shell;  // $CLI and $DIR are set
    const char* reason;
  } rows[] = {
      {"(echo x=7; seq 100000) | \"$CLI\" --state-dir \"$DIR\" | head -1 >/dev/null; exit ${PIPESTATUS[1]}",
       "Broken pipe"},
      {"\"$CLI\" --state-dir \"$DIR\" x=7 >/dev/full", "No space left on device"},
      {"echo x=7 | \"$CLI\" --state-dir \"$DIR\" >/dev/full", "No space left on device"},
      {"\"$CLI\" --state-dir \"$DIR\" x=7 >&-", "Bad file descriptor"},
  };
  setenv("CLI", TARVO_CLI, 1);
  setenv("DIR", dir.c_str(), 1);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shell);
    fs::remove(fs::path(dir) / kValueFile);
    const std::string command = std::string("bash -c '") + [&] {
      std::string s;
      for (const char* c = row.shell; *c != '\0'; ++c) s += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
      return s;
    }() + "' 2>" + root + "/err";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadText(root + "/err"), std::string("tarvo-cli: cannot write the results: ") + row.reason + "\n");
    EXPECT_EQ(Stored('x'), 7);
  }
}

// A signal while a session waits for its next line saves what it had, then
// ends the process by that signal; at the terminal's prompt too.
TEST_F(CliStateFiles, SignalsSaveBeforeTheSessionEnds) {
  const struct {
    int signal;
    bool prompt;  // standard input a terminal (the line editor's prompt), else a pipe
  } rows[] = {{SIGTERM, false}, {SIGHUP, false}, {SIGINT, false}, {SIGINT, true}, {SIGTERM, true}, {SIGHUP, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(strsignal(row.signal)) + (row.prompt ? " at the prompt" : " on a pipe"));
    fs::remove(fs::path(dir) / kValueFile);
    // Results reach a terminal line by line, so the test sees when the
    // entry was taken.
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const pid_t child = StartCli(cli, InDir({}), [&] {
      close(master);
      if (row.prompt) {
        if (login_tty(slave) != 0) _exit(124);  // its own session, the terminal its controlling one
      } else {
        dup2(input[0], 0);
        dup2(slave, 1);
      }
      close(input[1]);
    });
    close(slave);
    close(input[0]);
    const std::string entry = "x=5\n";
    ASSERT_EQ(write(row.prompt ? master : input[1], entry.data(), entry.size()), static_cast<ssize_t>(entry.size()));
    EXPECT_TRUE(AwaitOutput(master, row.prompt ? "\n5\r\n" : "5\r\n"));
    kill(child, row.signal);
    const int status = Wait(child);
    close(master);
    close(input[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << status;
    EXPECT_EQ(Stored('x'), 5);
  }
}

// What a non-root user meets: files and folders without permissions. Each
// row prepares the folder (as root where the test runs as root), runs
// `x=5 k=1` as an unprivileged user and checks the outcome: k tells the new
// flags from the old.
TEST_F(CliStateFiles, FilesAndFoldersWithoutPermissions) {
  const fs::path values = fs::path(dir) / kValueFile, flags = fs::path(dir) / kFlagFile;
  const struct {
    const char* name;
    std::function<void()> prepare;
    int status;
    std::string error;  // part of standard error
    double x;           // x as stored afterwards (after the folder is opened again)
  } rows[] = {
      {"an unreadable value file is reported and kept",
       [&] { chmod(values.c_str(), 0); }, 1, "cannot read " + values.string() + ": Permission denied", 0},
      {"a read-only folder with writable files is saved in place",
       [&] {
         fs::remove(fs::path(dir) / kLockFile);  // nothing can be made here: the folder itself is locked
         chmod(dir.c_str(), 0555);
       },
       0, "", 5},
      {"a read-only folder without the files cannot be saved",
       [&] {
         fs::remove(values);
         fs::remove(flags);
         chmod(dir.c_str(), 0555);
       },
       1, "cannot save " + values.string() + ": Permission denied", std::nan("")},
      {"a value file that may not be replaced (another's, in a sticky folder) keeps the old pair",
       [&] {
         if (getuid() == 0) {
           ASSERT_EQ(chown(values.c_str(), 0, 0), 0);
           ASSERT_EQ(chown(dir.c_str(), 0, 0), 0);
           chmod(values.c_str(), 0666);
           chmod(dir.c_str(), 01777);
         }
       },
       1, "cannot save " + values.string() + ": Operation not permitted", 0},
      {"a folder without permissions cannot be read",
       [&] { chmod(dir.c_str(), 0); }, 1, "cannot read " + values.string() + ": Permission denied", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    chmod(dir.c_str(), 0755);
    if (getuid() == 0) {
      ASSERT_EQ(chown(dir.c_str(), kNobody, kNobody), 0);
    }
    for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
    // The old state, as the user left it: x = 0 defined, a private mode.
    ASSERT_EQ(WEXITSTATUS(Run(InDir({"x=0", "a=11"}), "", true).status), 0);
    chmod(values.c_str(), 0640);
    chmod(flags.c_str(), 0600);
    const std::string before = ReadText(values);
    row.prepare();
    if (getuid() != 0 && std::string(row.name).find("sticky") != std::string::npos) continue;
    const Result r = Run(InDir({"x=5", "k=1"}), "", true);
    chmod(dir.c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(r.status));
    EXPECT_EQ(WEXITSTATUS(r.status), row.status) << r.err;
    if (!row.error.empty()) {
      EXPECT_NE(r.err.find(std::string("Error: ") + row.error), std::string::npos) << r.err;
    } else {
      EXPECT_EQ(r.err, "");
    }
    if (row.status == 0) {
      EXPECT_EQ(fs::status(values).permissions(), fs::perms(0640));
      EXPECT_EQ(fs::status(flags).permissions(), fs::perms(0600));
    }
    if (fs::exists(values) && row.x == 0) {  // refused: not a byte changed
      chmod(values.c_str(), 0640);
      EXPECT_EQ(ReadText(values), before);
    }
    const double x = Stored('x');
    if (std::isnan(row.x)) {
      EXPECT_TRUE(std::isnan(x));
    } else {
      EXPECT_EQ(x, row.x);
      EXPECT_EQ(Stored('a'), 11);
    }
    EXPECT_EQ(std::isnan(Stored('k')), row.status != 0) << "values and flags of different saves";
  }
}

}  // namespace
}  // namespace tarvo
