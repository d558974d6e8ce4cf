// The state-file tests' fixture: a state folder of its own for each test,
// /tmp/…/state, owned by nobody where the test runs as root, so that an
// unprivileged tarvo-cli may use it, and the real tarvo-cli run on it.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/base/test_support.h"
#include "core/state_files.h"

namespace tarvo::test {

namespace fs = std::filesystem;
inline constexpr uid_t kNobody = 65534;

inline std::string ReadText(const fs::path& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

// Gives variable `name` a value and marks it defined (undefined: NaN).
inline void Define(SavedState& s, char name, double value) {
  s.values[static_cast<size_t>(name - 'a')] = std::isnan(value) ? 0 : value;
  s.flags[static_cast<size_t>(name - 'a')] = std::isnan(value) ? 0 : -1;
}

// In a child before its exec (the file itself closes at the exec): reads
// standard input from `path`, or writes `fd` there.
inline void Redirect(const std::string& path, int fd) {
  const int flags = fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
  if (const int f = open(path.c_str(), flags | O_CLOEXEC, 0644); f < 0 || dup2(f, fd) < 0) _exit(126);
}

inline int Wait(pid_t child) {
  int status = 0;
  return waitpid(child, &status, 0), status;
}

// As root the child drops to nobody, so that permissions apply; a non-root
// run is subject to them already.
inline void BecomeUnprivileged() {
  if (getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(125);
}

// Runs `session` here, or where it must be refused what root may do, in a
// child that has dropped to nobody; true when it held.
template <typename Session>
bool HoldsAs(bool unprivileged, Session session) {
  if (!unprivileged || getuid() != 0) return session();
  const pid_t child = fork();
  if (child == 0) {
    BecomeUnprivileged();
    _exit(session() ? 0 : 1);
  }
  return Wait(child) == 0;
}

// Old files worth keeping: a save that fails must leave exactly these bytes.
inline const std::string kOldValues(kValueBytes, '\x11'), kOldFlags(kFlagBytes, '\x22');

class StateFolder : public ::testing::Test {
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
    SavedState next;
    EXPECT_TRUE(LoadStateFiles(dir, next).ok);
    const size_t i = static_cast<size_t>(name - 'a');
    return next.flags[i] != 0 ? next.values[i] : std::nan("");
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
  SavedState state;  // what the direct calls save
};

}  // namespace tarvo::test
