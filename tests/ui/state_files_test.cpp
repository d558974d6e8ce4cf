// The variable files as the calls and the real tarvo-cli leave them: their
// layout, damaged files, merged saves, names planted in the folder, links,
// modes, a full disk, a save killed half-way, the user's state folder, a
// hundred parallel runs, signals, failed output, folders and files a
// non-root user may not touch. Each test has a state folder of its own,
// /tmp/…/state, owned by nobody where the test runs as root, so that an
// unprivileged tarvo-cli may use it.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/base/test_support.h"
#include "ui/logic/persist.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;

std::string ReadText(const fs::path& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

// Gives variable `name` a value and marks it defined (undefined: NaN).
void Define(EngineState& e, char name, double value) {
  e.VariableStore[static_cast<size_t>(name - 'a')] = std::isnan(value) ? 0 : value;
  e.DefinedFlag[static_cast<size_t>(name - 'a')] = std::isnan(value) ? 0 : -1;
}

// In a child before its exec (the file itself closes at the exec): reads
// standard input from `path`, or writes `fd` there.
void Redirect(const std::string& path, int fd) {
  const int flags = fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
  if (const int f = open(path.c_str(), flags | O_CLOEXEC, 0644); f < 0 || dup2(f, fd) < 0) _exit(126);
}

int Wait(pid_t child) {
  int status = 0;
  return waitpid(child, &status, 0), status;
}

// As root the child drops to nobody, so that permissions apply; a non-root
// run is subject to them already.
void BecomeUnprivileged() {
  if (getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(125);
}

// Old files worth keeping: a save that fails must leave exactly these bytes.
const std::string kOldValues(kValueBytes, '\x11'), kOldFlags(kFlagBytes, '\x22');

class StateFiles : public test::FreshEngine {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/tarvo-state-XXXXXX";
    root = mkdtemp(templ), dir = root + "/state", cli = root + "/tarvo-cli";
    chmod(root.c_str(), 0755), Fresh();
    // The build folder may sit where nobody cannot reach (a private home or
    // scratch folder): the unprivileged runs start a copy from here.
    fs::copy_file(TARVO_CLI, cli), chmod(cli.c_str(), 0755);
  }
  void TearDown() override { alarm(0), chmod(dir.c_str(), 0700), fs::remove_all(root); }
  // An empty state folder in place of the old one.
  void Fresh() {
    chmod(dir.c_str(), 0755), fs::remove_all(dir), fs::create_directory(dir);
    ASSERT_TRUE(getuid() != 0 || chown(dir.c_str(), kNobody, kNobody) == 0);
  }
  fs::path At(const std::string& name) const { return fs::path(dir) / name; }
  std::string Read(const std::string& name) const { return ReadText(At(name)); }
  void Write(const std::string& name, const std::string& bytes) const { std::ofstream(At(name)) << bytes; }
  // After a save: the two files and the lock, nothing left besides.
  long Entries(const std::string& in = {}) const {
    return std::distance(fs::directory_iterator(in.empty() ? dir : in), fs::directory_iterator());
  }
  // Variable `name` as the next session loads it; NaN when undefined.
  double Stored(char name) const {
    Engine next;
    EXPECT_TRUE(LoadVariableFiles(next, dir).ok);
    const size_t i = static_cast<size_t>(name - 'a');
    return next.DefinedFlag[i] != 0 ? next.VariableStore[i] : std::nan("");
  }
  // Starts tarvo-cli on the folder with `args`; `setup` runs in the child
  // before the exec (redirections, a session of its own, another user).
  pid_t Start(std::vector<std::string> args, const std::function<void()>& setup) {
    args.insert(args.begin(), {cli, "--state-dir", dir});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) setup(), execv(cli.c_str(), argv.data()), _exit(127);
    return child;
  }
  struct Result { int status; /* as waitpid gives it */ std::string out, err; };
  // One run with `input` on standard input; `setup` may change the rest.
  Result Run(const std::vector<std::string>& args, const std::string& input = "",
             const std::function<void()>& setup = [] {}) {
    const std::string in = root + "/in", out = root + "/out", err = root + "/err";
    std::ofstream(in) << input;
    const int status = Wait(Start(args, [&] { Redirect(in, 0), Redirect(out, 1), Redirect(err, 2), setup(); }));
    return {status, ReadText(out), ReadText(err)};
  }
  std::string root, dir, cli;
};

// The layout, at a mode the umask allows, then each file keeping its mode
// and (where the saver may, as root) its owner; a short file fills its
// leading entries, a NaN and an infinity are ignored, no folder is a first
// run; a session writes back only what it changed, so what another one
// saved in between survives, and what it cut short does not count.
TEST_F(StateFiles, LayoutModesLoadAndMerge) {
  Define(engine, 'a', 1.0);
  engine.LastAnswer = -2.5;
  const mode_t umasked = umask(027);
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  umask(umasked);
  const std::string values = Read(kValueFile), flags = Read(kFlagFile);
  ASSERT_EQ(std::pair(values.size(), flags.size()), (std::pair<size_t, size_t>(224, 52)));
  // a = 1 first, the last answer -2.5 last; a and e (always defined) flagged
  EXPECT_EQ(values.substr(0, 8) + values.substr(216), std::string("\0\0\0\0\0\0\xF0\x3F\0\0\0\0\0\0\x04\xC0", 16));
  EXPECT_EQ(flags.substr(0, 10), std::string("\xFF\xFF\0\0\0\0\0\0\xFF\xFF", 10));
  EXPECT_EQ(Entries(), 3);
  EXPECT_EQ(fs::status(At(kValueFile)).permissions(), fs::perms(0640));
  const std::tuple<const char*, mode_t, uid_t> modes[] = {{kValueFile, 0444, kNobody}, {kFlagFile, 0604, 0}};
  for (const auto& [name, mode, owner] : modes)
    ASSERT_TRUE(chmod(At(name).c_str(), mode) == 0 && (geteuid() != 0 || chown(At(name).c_str(), owner, 0) == 0));
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  for (struct stat st {}; const auto& [name, mode, owner] : modes)
    EXPECT_TRUE(stat(At(name).c_str(), &st) == 0 && (st.st_mode & 07777) == mode &&
                st.st_uid == (geteuid() != 0 ? geteuid() : owner)) << name;
  EXPECT_TRUE(LoadVariableFiles(engine, dir + "/no-such-folder").ok);
  const double loaded[] = {3.0, std::nan(""), HUGE_VAL};
  Write(kValueFile, std::string(reinterpret_cast<const char*>(loaded), sizeof loaded) + std::string(7, '\x12'));
  Write(kFlagFile, std::string("\xFF\xFF\0", 3));
  engine.Reset(), engine.VariableStore[1] = 8;
  EXPECT_TRUE(LoadVariableFiles(engine, dir).ok);
  EXPECT_EQ(std::vector(engine.VariableStore.begin(), engine.VariableStore.begin() + 4), std::vector<double>({3, 8, 0, 0}));
  EXPECT_EQ(std::pair(engine.DefinedFlag[0], engine.DefinedFlag[1]), (std::pair<int16_t, int16_t>(-1, 0)));
  StoredPair mine, theirs;
  Engine other;
  ASSERT_TRUE(LoadVariableFiles(engine, dir, &mine).ok && LoadVariableFiles(other, dir, &theirs).ok);
  Define(other, 'q', 9), Define(engine, 'x', 7);
  ASSERT_TRUE(SaveVariableFiles(other, dir, &theirs).ok && SaveVariableFiles(engine, dir, &mine).ok);
  EXPECT_EQ(std::pair(Stored('q'), Stored('x')), std::pair(9.0, 7.0));
  // Cut short in between, mid-entry: an entry the file no longer holds whole
  // keeps this session's value.
  Define(engine, 'd', 4);
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok && LoadVariableFiles(engine, dir, &mine).ok);
  fs::resize_file(At(kValueFile), 31);
  ASSERT_TRUE(SaveVariableFiles(engine, dir, &mine).ok);
  EXPECT_EQ(Stored('d'), 4);
}

enum class Plant { kForeignLink, kFifo, kFolder, kOwnLinkToInput, kOwnLink };

// Something planted at each name a save touches. The state files refuse to
// be written (and name the reason), except through a link of the user's own
// to a file (written through, its bits kept); the lock, the pending pair and
// the fixed temporary names of older builds are never followed or waited on.
TEST_F(StateFiles, NothingPlantedAtANameIsFollowedOrHangs) {
  using enum Plant;
  const struct { const char* name; Plant plant; const char* reason; /* nullptr: the save goes on */ } rows[] = {
      {kValueFile, kForeignLink, "owned by another user"}, {kFlagFile, kForeignLink, "owned by another user"},
      {kValueFile, kFifo, "not a regular file"},           {kFlagFile, kFifo, "not a regular file"},
      {kValueFile, kFolder, "not a regular file"},         {kValueFile, kOwnLinkToInput, "another link"},
      {kLockFile, kForeignLink, nullptr},                  {kLockFile, kFifo, nullptr},
      {kLockFile, kFolder, nullptr},                       {kPendingFile, kForeignLink, nullptr},
      {kPendingFile, kFifo, nullptr},                      {"Varreal.dat.tmp", kForeignLink, nullptr},
      {"vardimr.dat.tmp", kFifo, nullptr},                 {kValueFile, kOwnLink, nullptr},
  };
  const fs::path victim = fs::path(root) / "victim";
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " plant " + std::to_string(static_cast<int>(row.plant)));
    if (row.plant == kForeignLink && geteuid() != 0) continue;  // only root can plant another's link
    Fresh();
    std::ofstream(victim) << "precious";
    const fs::path at = At(row.name);
    if (row.plant == kForeignLink) fs::create_symlink(victim, at), lchown(at.c_str(), kNobody, kNobody);
    if (row.plant == kFifo) mkfifo(at.c_str(), 0666);
    if (row.plant == kFolder) fs::create_directory(at);
    if (row.plant == kOwnLinkToInput) fs::create_symlink("/proc/self/fd/0", at);
    if (row.plant == kOwnLink) Write("target", "old"), chmod(At("target").c_str(), 0640), fs::create_symlink("target", at);
    alarm(20);  // a hang ends the test binary instead of the suite's time
    engine.Reset();
    const FileResult load = LoadVariableFiles(engine, dir);
    Define(engine, 'a', 5);
    const SaveResult save = SaveVariableFiles(engine, dir);
    alarm(0);
    const bool saves = row.reason == nullptr, pending = row.name == std::string(kPendingFile);
    EXPECT_EQ(std::pair(load.ok, save.ok), std::pair(saves, saves)) << save.reason;
    EXPECT_TRUE(saves || (save.reason.find(row.reason) != std::string::npos && save.file == at && load.file == at))
        << save.reason;
    EXPECT_EQ(ReadText(victim), "precious");
    // A save replaces a pending pair it does not trust, and leaves
    // everything else planted where it was.
    EXPECT_EQ(fs::symlink_status(at).type(), pending              ? fs::file_type::not_found
                                             : row.plant == kFifo   ? fs::file_type::fifo
                                             : row.plant == kFolder ? fs::file_type::directory
                                                                    : fs::file_type::symlink);
    EXPECT_TRUE(!saves || pending || Stored('a') == 5);
    EXPECT_TRUE(row.plant != kOwnLink || fs::status(at).permissions() == fs::perms(0640));
  }
}

TEST_F(StateFiles, ASmallFilesystemThatFillsUpKeepsBothOldFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string mnt = dir + "/small";
  fs::create_directory(mnt);
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "no tmpfs: " << std::strerror(errno);
  const std::unique_ptr<const char, void (*)(const char*)> unmount(mnt.c_str(), [](auto p) { umount2(p, MNT_DETACH); });
  Write("small/Varreal.dat", kOldValues), Write("small/vardimr.dat", kOldFlags);
  std::ofstream(mnt + "/filler") << std::string(16384, 'x');  // fills what is left
  engine.VariableStore[0] = 42;
  EXPECT_EQ(SaveVariableFiles(engine, mnt).reason, std::strerror(ENOSPC));
  EXPECT_EQ(Read("small/Varreal.dat") + Read("small/vardimr.dat"), kOldValues + kOldFlags);
  EXPECT_EQ(Entries(mnt), 4);  // the two, the lock and the filler: no temporaries left
}

// A save killed at each of its steps: the next session reads either the
// old pair or the new one, never values of one with flags of the other,
// and its own save completes or replaces what was left.
TEST_F(StateFiles, ASaveKilledAtAnyStepLeavesTheOldOrTheNewPair) {
  const struct { const char* step; bool newPair; } rows[] = {
      {"temporaries written", false}, {"pending pair committed", true}, {"flags renamed", true}, {"values renamed", true},
      {"pending pair removed", true}};
  for (const auto& row : rows) {
    static const char* stopAt;
    stopAt = row.step;
    engine.Reset();
    Define(engine, 'a', 1), Define(engine, 'b', 2);  // the old pair
    ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
    if (fork() == 0) {
      SetSaveInterruptionForTest([](const char* step) { std::strcmp(step, stopAt) == 0 && raise(SIGKILL); });
      Define(engine, 'a', std::nan("")), Define(engine, 'b', 20);  // the new pair
      SaveVariableFiles(engine, dir);
      _exit(0);  // not reached when the hook works
    }
    const int status = Wait(-1);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << row.step;
    for (int pass = 0; pass < 2; ++pass) {  // as left, then after the next save
      EXPECT_EQ(std::pair(std::isnan(Stored('a')) ? -1 : Stored('a'), Stored('b')),
                row.newPair ? std::pair(-1.0, 20.0) : std::pair(1.0, 2.0)) << row.step << pass;
      StoredPair read;
      engine.Reset();
      ASSERT_TRUE(LoadVariableFiles(engine, dir, &read).ok);
      Define(engine, 'c', 3);
      ASSERT_TRUE(SaveVariableFiles(engine, dir, &read).ok);
    }
    EXPECT_EQ(Entries(), 3) << row.step;  // the killed save's temporaries are gone too
  }
}

// $XDG_STATE_HOME/tarvo where it is absolute, else ~/.local/state/tarvo; a
// folder it makes is private, one that exists keeps its bits; a file in
// the way is named.
TEST_F(StateFiles, TheUserStateFolderFollowsXdgAndIsPrivate) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "", fallback = root + "/.local/state/tarvo";
  fs::create_directories(root + "/kept/tarvo"), chmod((root + "/kept/tarvo").c_str(), 0755), setenv("HOME", root.c_str(), 1);
  std::ofstream(root + "/file") << "";
  const std::tuple<std::string, std::string, int> rows[] = {
      {root + "/x", root + "/x/tarvo", 0700}, {root + "/kept", root + "/kept/tarvo", 0755},
      {"relative", fallback, 0700}, {"", fallback, 0700}, {root + "/file", "", 0}};
  for (const auto& [xdg, expected, mode] : rows) {
    xdg.empty() ? unsetenv("XDG_STATE_HOME") : setenv("XDG_STATE_HOME", xdg.c_str(), 1);
    std::string error;
    EXPECT_EQ(UserStateDirectory(&error), expected);
    if (expected.empty()) EXPECT_EQ(error, root + "/file/tarvo: Not a directory");
    else EXPECT_EQ(fs::status(expected).permissions(), fs::perms(mode)) << expected;
  }
  setenv("HOME", home.c_str(), 1);
}

// A hundred runs at once: 88 from the command line add to twelve counters,
// twelve sessions reading standard input store one variable each. None fails
// or loses another's value; the angle unit (restored from its saved factor)
// carries over from run to run as well.
TEST_F(StateFiles, AHundredParallelRunsLoseNothing) {
  ASSERT_EQ(Run({":gra", "z=77"}).status, 0);
  const std::string counters = "abcdfghijklm", singles = "nopqrstuvwxy";
  std::vector<pid_t> children;
  for (int i = 0; i < 100; ++i) {
    const char v = i < 88 ? counters[i % 12] : singles[i - 88];
    const std::string entry = v + ("=" + (i < 88 ? v + std::string("+") : "") + std::to_string(i));
    const std::string input = root + "/in" + std::to_string(i);
    std::ofstream(input) << (i < 88 ? "" : entry + "\n");
    const auto redirect = [&] { Redirect(input, 0), Redirect("/dev/null", 1); };
    children.push_back(Start(i < 88 ? std::vector{entry} : std::vector<std::string>{}, redirect));
  }
  EXPECT_EQ(std::count_if(children.begin(), children.end(), [](pid_t c) { return Wait(c) == 0; }), 100);
  for (int k = 0; k < 12; ++k)  // counter k: k + (k + 12) + … below 88, eight terms for k < 4, else seven
    EXPECT_EQ(std::pair(Stored(counters[k]), Stored(singles[k])),
              std::pair(k < 4 ? 8 * k + 336.0 : 7 * k + 252.0, 88.0 + k)) << k;
  EXPECT_EQ(Stored('z'), 77);
  EXPECT_EQ(Entries(), 3);
  EXPECT_EQ(Run({"sin(100)"}).out, "1\n");
  for (const auto& [unit, entry] : {std::pair{":rad", "sin(pi/2)"}, {":deg", "-cos(180)"}})
    EXPECT_EQ((Run({unit}), Run({entry}).out), "1\n") << unit;
}

// A reader that leaves, a full device, a closed output: the session ends,
// saves what it had, says why on standard error and exits with 1.
TEST_F(StateFiles, OutputThatCannotBeWrittenEndsTheSessionAfterSaving) {
  const struct { std::vector<std::string> args; std::function<void()> output; std::string reason; } rows[] = {
      {{}, [] { if (int p[2]; pipe(p) == 0) signal(SIGPIPE, SIG_DFL), close(p[0]), dup2(p[1], 1); }, "Broken pipe"},
      {{"x=7"}, [] { Redirect("/dev/full", 1); }, "No space left on device"},
      {{}, [] { Redirect("/dev/full", 1); }, "No space left on device"},
      {{"x=7"}, [] { close(1); }, "Bad file descriptor"}};
  for (const auto& row : rows) {
    fs::remove(At(kValueFile));
    const Result r = Run(row.args, "x=7\n1\n2\n", row.output);
    EXPECT_EQ(std::pair(r.status, r.err), std::pair(1 << 8, "tarvo-cli: cannot write the results: " + row.reason + "\n"));
    EXPECT_EQ(Stored('x'), 7) << row.reason;
  }
}

// A signal while a session waits for its next line saves what it had, then
// ends the process by that signal; on a pipe and at the terminal's prompt.
TEST_F(StateFiles, SignalsSaveBeforeTheSessionEnds) {
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
      ASSERT_EQ(write(prompt ? master : input[1], "x=5\n", 4), 4);
      const std::string awaited = prompt ? "\n5\r\n" : "5\r\n";  // not the echo "x=5\r\n"
      std::string seen;
      char buf[256];
      for (ssize_t n = 0, waited = 0; seen.find(awaited) == std::string::npos && n >= 0 && waited < 200; ++waited) {
        pollfd p{master, POLLIN, 0};
        if ((n = poll(&p, 1, 100) > 0 ? read(master, buf, sizeof buf) : 0) > 0) seen.append(buf, size_t(n));
      }
      EXPECT_NE(seen.find(awaited), std::string::npos) << seen;
      kill(child, signal);
      const int status = Wait(child);
      close(master), close(input[1]);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal && Stored('x') == 5)
          << strsignal(signal) << (prompt ? " at the prompt" : " on a pipe");
    }
  }
}

// What a non-root user meets: files and folders without permissions. Each
// row prepares the folder (as root where the test runs as root), runs
// `x=5 k=1` as an unprivileged user over x = 0, a = 11 and checks the
// outcome (k tells the new flags from the old): the exit status, a part of
// standard error, x as stored afterwards (NaN: undefined). "Sticky": the
// value file root's, the folder root's and sticky (as root only).
TEST_F(StateFiles, FilesAndFoldersWithoutPermissions) {
  const std::string values = At(kValueFile).string();
  const struct { std::string removed; mode_t valuesMode, dirMode; bool sticky; int status; std::string error; double x; }
  rows[] = {
      {"", 0, 0755, false, 1, "cannot read " + values + ": Permission denied", 0},
      {"lock", 0640, 0555, false, 0, "", 5},  // read-only folder, writable files: saved in place
      {"pair", 0640, 0555, false, 1, "cannot save " + values + ": Permission denied", std::nan("")},
      {"", 0666, 01777, true, 1, "cannot save " + values + ": Operation not permitted", 0},
      {"", 0640, 0, false, 1, "cannot read " + values + ": Permission denied", 0}};
  for (const auto& row : rows) {
    if (getuid() != 0 && row.sticky) continue;
    Fresh();
    ASSERT_EQ(Run({"x=0", "a=11"}, "", BecomeUnprivileged).status, 0);
    const std::string before = Read(kValueFile);
    if (row.removed == "lock") fs::remove(At(kLockFile));  // the folder itself is locked then
    if (row.removed == "pair") fs::remove(At(kValueFile)), fs::remove(At(kFlagFile));
    ASSERT_TRUE(!row.sticky || (chown(values.c_str(), 0, 0) == 0 && chown(dir.c_str(), 0, 0) == 0));
    chmod(values.c_str(), row.valuesMode), chmod(dir.c_str(), row.dirMode);
    const Result r = Run({"x=5", "k=1"}, "", BecomeUnprivileged);
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(r.status, row.status << 8) << r.err;
    EXPECT_TRUE(row.error.empty() ? r.err.empty() : r.err.find("Error: " + row.error) != std::string::npos) << r.err;
    chmod(values.c_str(), 0640);
    EXPECT_TRUE(!fs::exists(values) || row.x != 0 || Read(kValueFile) == before) << row.error;  // not a byte changed
    EXPECT_TRUE(std::isnan(row.x) ? std::isnan(Stored('x')) : Stored('x') == row.x && Stored('a') == 11) << Stored('x');
    EXPECT_EQ(std::isnan(Stored('k')), row.status != 0) << "values and flags of different saves";
  }
}

}  // namespace
}  // namespace tarvo
