// The variable files as the calls and the real tarvo-cli leave them: their
// layout, damaged files, merged saves, names planted in the folder, links,
// modes, a full disk, a save killed half-way, the user's state folder, a
// hundred parallel runs, signals, failed output, folders and files a
// non-root user may not touch.
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/core/state_folder.h"

namespace tarvo {
namespace {

using namespace test;
using StateFiles = StateFolder;

// The layout, at a mode the umask allows, then each file keeping its mode
// and (where the saver may, as root) its owner; a short file fills its
// leading entries, a NaN and an infinity are ignored, no folder is a first
// run; a session writes back only what it changed, so what another one
// saved in between survives, and what it cut short does not count.
TEST_F(StateFiles, LayoutModesLoadAndMerge) {
  Define(state, 'a', 1.0);
  state.lastAnswer = -2.5;
  const mode_t umasked = umask(027);
  ASSERT_TRUE(SaveStateFiles(dir, state).ok);
  umask(umasked);
  const std::string values = Read(kValueFile), flags = Read(kFlagFile);
  ASSERT_EQ(std::pair(values.size(), flags.size()), (std::pair<size_t, size_t>(224, 52)));
  // a = 1 first, the last answer -2.5 last; a and e (always defined) flagged
  EXPECT_EQ(values.substr(0, 8) + values.substr(216), std::string("\0\0\0\0\0\0\xF0\x3F\0\0\0\0\0\0\x04\xC0", 16));
  EXPECT_EQ(flags.substr(0, 10), std::string("\xFF\xFF\0\0\0\0\0\0\xFF\xFF", 10));
  EXPECT_EQ(Entries(), 2);
  EXPECT_EQ(fs::status(At(kValueFile)).permissions(), fs::perms(0640));
  const std::tuple<const char*, mode_t, uid_t> modes[] = {{kValueFile, 0444, kNobody}, {kFlagFile, 0604, 0}};
  for (const auto& [name, mode, owner] : modes)
    ASSERT_TRUE(chmod(At(name).c_str(), mode) == 0 && (geteuid() != 0 || chown(At(name).c_str(), owner, 0) == 0));
  ASSERT_TRUE(SaveStateFiles(dir, state).ok);
  for (struct stat st {}; const auto& [name, mode, owner] : modes)
    EXPECT_TRUE(stat(At(name).c_str(), &st) == 0 && (st.st_mode & 07777) == mode &&
                st.st_uid == (geteuid() != 0 ? geteuid() : owner)) << name;
  // A file made anew beside its sibling takes the sibling's bits.
  ASSERT_TRUE(chmod(At(kValueFile).c_str(), 0600) == 0 && fs::remove(At(kFlagFile)) && SaveStateFiles(dir, state).ok);
  EXPECT_EQ(fs::status(At(kFlagFile)).permissions(), fs::perms(0600));
  EXPECT_TRUE(LoadStateFiles(dir + "/no-such-folder", state).ok);
  const double loaded[] = {3.0, std::nan(""), HUGE_VAL};
  Write(kValueFile, std::string(reinterpret_cast<const char*>(loaded), sizeof loaded) + std::string(7, '\x12'));
  Write(kFlagFile, std::string("\xFF\xFF\0", 3));
  state = SavedState(), state.values[1] = 8;
  EXPECT_TRUE(LoadStateFiles(dir, state).ok);
  EXPECT_EQ(std::vector(state.values.begin(), state.values.begin() + 4), std::vector<double>({3, 8, 0, 0}));
  EXPECT_EQ(std::pair(state.flags[0], state.flags[1]), (std::pair<int16_t, int16_t>(-1, 0)));
  SavedState mine, theirs;
  ASSERT_TRUE(LoadStateFiles(dir, mine).ok && LoadStateFiles(dir, theirs).ok);
  SavedState other = theirs;
  state = mine;
  Define(other, 'q', 9), Define(state, 'x', 7);
  other.lastAnswer = 6;  // the file's last slot merges as any other
  ASSERT_TRUE(SaveStateFiles(dir, other, &theirs).ok && SaveStateFiles(dir, state, &mine).ok);
  EXPECT_EQ(std::pair(Stored('q'), Stored('x')), std::pair(9.0, 7.0));
  SavedState merged;
  EXPECT_TRUE(LoadStateFiles(dir, merged).ok && merged.lastAnswer == 6);
  // Cut short in between, mid-entry: an entry the file no longer holds whole
  // keeps this session's value.
  Define(state, 'd', 4);
  ASSERT_TRUE(SaveStateFiles(dir, state).ok && LoadStateFiles(dir, mine = SavedState()).ok);
  fs::resize_file(At(kValueFile), 31);
  ASSERT_TRUE(SaveStateFiles(dir, state, &mine).ok);
  EXPECT_EQ(Stored('d'), 4);
}

enum class Plant { kForeignLink, kFifo, kFolder, kOwnLinkToInput, kOwnLink, kOwnLinkViaForeignLink, kOwnLinkViaOwnLink };

// Something planted at each name a save touches. The state files refuse to
// be written (and name the reason), except through a link of the user's own
// to a file, every link on its way the user's own too (written through, its
// bits kept); the lock, the pending pair and the fixed temporary names of
// older builds are never followed or waited on.
TEST_F(StateFiles, NothingPlantedAtANameIsFollowedOrHangs) {
  using enum Plant;
  const struct { const char* name; Plant plant; const char* reason; /* nullptr: the save goes on */ } rows[] = {
      {kValueFile, kForeignLink, "owned by another user"}, {kFlagFile, kForeignLink, "owned by another user"},
      {kValueFile, kFifo, "not a regular file"},           {kFlagFile, kFifo, "not a regular file"},
      {kValueFile, kFolder, "not a regular file"},         {kValueFile, kOwnLinkToInput, "another link"},
      {kPendingFile, kForeignLink, nullptr},
      {kPendingFile, kFifo, nullptr},                      {"Varreal.dat.tmp", kForeignLink, nullptr},
      {"vardimr.dat.tmp", kFifo, nullptr},                 {kValueFile, kOwnLink, nullptr},
      {kValueFile, kOwnLinkViaForeignLink, "reached through a symbolic link owned by another user"},
      {kFlagFile, kOwnLinkViaOwnLink, nullptr},
  };
  const fs::path victim = fs::path(root) / "victim";
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " plant " + std::to_string(static_cast<int>(row.plant)));
    if ((row.plant == kForeignLink || row.plant == kOwnLinkViaForeignLink) && geteuid() != 0)
      continue;  // only root can plant another's link
    Fresh();
    std::ofstream(victim) << "precious";
    const fs::path at = At(row.name);
    if (row.plant == kForeignLink) fs::create_symlink(victim, at), lchown(at.c_str(), kNobody, kNobody);
    if (row.plant == kFifo) mkfifo(at.c_str(), 0666);
    if (row.plant == kFolder) fs::create_directory(at);
    if (row.plant == kOwnLinkToInput) fs::create_symlink("/proc/self/fd/0", at);
    if (row.plant == kOwnLink) Write("target", "old"), chmod(At("target").c_str(), 0640), fs::create_symlink("target", at);
    // Our link into a folder through a folder link: another user's link to
    // the victim's folder, or our own to a folder of ours.
    if (row.plant == kOwnLinkViaForeignLink)
      fs::create_symlink(victim.parent_path(), At("sub")), lchown(At("sub").c_str(), kNobody, kNobody),
          fs::create_symlink("sub/victim", at);
    if (row.plant == kOwnLinkViaOwnLink)
      fs::create_directory(At("folder")), fs::create_symlink("folder", At("sub")), Write("folder/target", "old"),
          chmod(At("folder/target").c_str(), 0640), fs::create_symlink("sub/target", at);
    alarm(20);  // a hang ends the test binary instead of the suite's time
    state = SavedState();
    const FileResult load = LoadStateFiles(dir, state);
    Define(state, 'a', 5);
    const SaveResult save = SaveStateFiles(dir, state);
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
    EXPECT_TRUE((row.plant != kOwnLink && row.plant != kOwnLinkViaOwnLink) ||
                fs::status(at).permissions() == fs::perms(0640));
  }
}

// Another user who swaps names in a shared state folder can never make a
// run follow their link: the link a run checks is the link it reads. Our
// link and theirs trade places over and over while a run (as root) saves,
// with its reading of links slowed down where strace can do that.
TEST_F(StateFiles, ALinkSwappedAfterItsCheckIsNeverFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  const fs::path victim = fs::path(root) / "victim", safe = fs::path(root) / "safe";
  std::ofstream(victim) << "precious";
  fs::create_directory(safe);
  fs::create_symlink(safe / kValueFile, At(kValueFile));
  fs::create_symlink(victim, At("decoy")), lchown(At("decoy").c_str(), kNobody, kNobody);
  const pid_t swapper = fork();
  if (swapper == 0) {
    BecomeUnprivileged();
    for (;;) renameat2(AT_FDCWD, At(kValueFile).c_str(), AT_FDCWD, At("decoy").c_str(), RENAME_EXCHANGE);
  }
  const bool slowed = system("strace -V >/dev/null 2>&1") == 0;
  int refused = 0;
  for (int run = 0; run < 60; ++run) {
    const std::string command = (slowed ? "strace -f -qq -o /dev/null -e trace=readlinkat -e inject=readlinkat:delay_enter=2000 " : "") +
                                cli + " --state-dir " + dir + " x=" + std::to_string(run) + " >/dev/null 2>&1";
    const int status = system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << status;
    refused += WEXITSTATUS(status);
  }
  kill(swapper, SIGKILL), Wait(swapper);
  EXPECT_EQ(ReadText(victim), "precious");
  EXPECT_TRUE(fs::is_regular_file(safe / kValueFile)) << refused << " of 60 refused";
}

// A file system with no room left: where both files exist, the save
// rewrites them in place, since that needs no new room; where a file is
// missing, it fails, names the reason and leaves nothing behind. Through
// the real tarvo-cli: a run after a run on a 16 KB tmpfs.
TEST_F(StateFiles, AFullFilesystemRewritesBothFilesInPlace) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16k,mode=0755") != 0)
    GTEST_SKIP() << "no tmpfs: " << std::strerror(errno);
  const std::unique_ptr<const char, void (*)(const char*)> unmount(dir.c_str(), [](auto p) { umount2(p, MNT_DETACH); });
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(Run({"n=n+1"}).status, 0) << n;
  const auto fill = [this] { std::ofstream(At("filler")) << std::string(16384, 'x'); };  // takes what is left
  fill();
  // `pending`: a save killed after its commit left the pair with n = 100.
  const struct { bool flagsRemoved, pending; int status; std::string error; double n; } rows[] = {
      {false, false, 0, "", 5}, {false, false, 0, "", 6}, {false, true, 0, "", 101},
      {true, false, 1, "Error: cannot save " + At(kValueFile).string() + ": No space left on device\n", 0}};
  for (const auto& row : rows) {
    if (row.flagsRemoved) fs::remove(At(kFlagFile));
    if (row.pending) {
      std::string values = Read(kValueFile);
      const double hundred = 100;
      values.replace(('n' - 'a') * 8, 8, reinterpret_cast<const char*>(&hundred), 8);
      fs::remove(At("filler")), Write(kPendingFile, values + Read(kFlagFile)), fill();
    }
    const std::string before = Read(kValueFile);
    const Result r = Run({"n=n+1"});
    EXPECT_EQ(std::pair(r.status, r.err), std::pair(row.status << 8, row.error));
    EXPECT_EQ(Entries(), row.flagsRemoved ? 2 : 3) << "the files and the filler: no temporaries";
    EXPECT_TRUE(row.flagsRemoved ? Read(kValueFile) == before : Stored('n') == row.n) << row.n;
  }
}

// A save killed at each of its steps: the next session reads either the
// old pair or the new one, never values of one with flags of the other,
// and its own save completes or replaces what was left. Whatever it left
// is no more readable than the private pair it was replacing, even where
// the umask would allow more. `byOwner`: the killed save was nobody's, in
// nobody's folder over nobody's files, and the next session root's.
TEST_F(StateFiles, ASaveKilledAtAnyStepLeavesTheOldOrTheNewPair) {
  const struct { const char* step; bool newPair, byOwner; } rows[] = {
      {"temporaries written", false, false}, {"pending pair committed", true, false}, {"flags renamed", true, false},
      {"values renamed", true, false}, {"pending pair removed", true, false}, {"pending pair committed", true, true}};
  for (const auto& row : rows) {
    if (row.byOwner && geteuid() != 0) continue;  // another user's save needs root
    SCOPED_TRACE(row.byOwner ? "nobody's save, root's next session" : "");
    static const char* stopAt;
    stopAt = row.step;
    state = SavedState();
    Define(state, 'a', 1), Define(state, 'b', 2);  // the old pair
    ASSERT_TRUE(SaveStateFiles(dir, state).ok);
    chmod(At(kValueFile).c_str(), 0600), chmod(At(kFlagFile).c_str(), 0600);
    ASSERT_TRUE(!row.byOwner || (chown(At(kValueFile).c_str(), kNobody, kNobody) == 0 &&
                                 chown(At(kFlagFile).c_str(), kNobody, kNobody) == 0));
    if (fork() == 0) {
      if (row.byOwner) BecomeUnprivileged();
      umask(0);
      Define(state, 'a', std::nan("")), Define(state, 'b', 20);  // the new pair
      SaveStateFiles(dir, state, nullptr, {}, {}, [](const char* step) { std::strcmp(step, stopAt) == 0 && raise(SIGKILL); });
      _exit(0);  // not reached when the hook works
    }
    const int status = Wait(-1);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << row.step;
    for (const fs::directory_entry& left : fs::directory_iterator(dir))
      EXPECT_TRUE((left.status().permissions() & (fs::perms::group_all | fs::perms::others_all)) == fs::perms::none)
          << row.step << ": " << left.path();
    for (int pass = 0; pass < 2; ++pass) {  // as left, then after the next save
      EXPECT_EQ(std::pair(std::isnan(Stored('a')) ? -1 : Stored('a'), Stored('b')),
                row.newPair ? std::pair(-1.0, 20.0) : std::pair(1.0, 2.0)) << row.step << pass;
      SavedState read;
      ASSERT_TRUE(LoadStateFiles(dir, read).ok);
      state = read;
      Define(state, 'c', 3);
      ASSERT_TRUE(SaveStateFiles(dir, state, &read).ok);
    }
    EXPECT_TRUE(row.byOwner || Entries() == 2) << row.step;  // the killed save's temporaries are gone too
  }
}

// $XDG_STATE_HOME/tarvo where it is absolute, else ~/.local/state/tarvo; a
// folder it makes is private, one that exists keeps its bits; a file in
// the way and a folder the user may not enter (or one not its own) are
// named, never swapped for another folder.
TEST_F(StateFiles, TheUserStateFolderFollowsXdgAndIsPrivate) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "", fallback = root + "/.local/state/tarvo";
  fs::create_directories(root + "/kept/tarvo"), chmod((root + "/kept/tarvo").c_str(), 0755), setenv("HOME", root.c_str(), 1);
  fs::create_directories(root + "/shut/tarvo"), chmod((root + "/shut").c_str(), 0700);
  std::ofstream(root + "/file") << "";
  const struct { std::string xdg, expected; int mode; std::string error; bool unprivileged; } rows[] = {
      {root + "/x", root + "/x/tarvo", 0700, "", false},
      {root + "/kept", root + "/kept/tarvo", 0755, "", false},
      {"relative", fallback, 0700, "", false},
      {"", fallback, 0700, "", false},
      {root + "/file", "", 0, root + "/file/tarvo: Not a directory", false},
      {root + "/shut", "", 0, root + "/shut/tarvo: Permission denied", true},
      {root + "/kept", "", 0, root + "/kept/tarvo: Permission denied", true}};
  for (const auto& row : rows) {
    if (row.unprivileged && getuid() != 0) continue;  // only root can make a folder another may not use
    row.xdg.empty() ? unsetenv("XDG_STATE_HOME") : setenv("XDG_STATE_HOME", row.xdg.c_str(), 1);
    std::string found, error;
    if (!row.unprivileged) {
      found = UserStateDirectory(&error);
    } else if (const pid_t child = fork(); child == 0) {  // a process of another user
      BecomeUnprivileged();
      found = UserStateDirectory(&error);
      _exit(found == row.expected && error == row.error ? 0 : 1);
    } else {
      EXPECT_EQ(Wait(child), 0) << row.error;  // exit status 0: as the row says
      continue;
    }
    EXPECT_EQ(std::pair(found, error), std::pair(row.expected, row.error));
    EXPECT_TRUE(found.empty() || fs::status(found).permissions() == fs::perms(row.mode)) << found;
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
  EXPECT_EQ(Entries(), 2);
  EXPECT_EQ(Run({"sin(100)"}).out, "1\n");
  for (const auto& [unit, entry] : {std::pair{":rad", "sin(pi/2)"}, {":deg", "-cos(180)"}})
    EXPECT_EQ((Run({unit}), Run({entry}).out), "1\n") << unit;
}

// Someone who may not read the state files may not read them after a save
// either, whatever the folder gives new files: its group (set-group-ID
// folder), a group the saver cannot give (the saver's own then), the
// entries of a default ACL. Each row: the folder's group and mode, the
// files' group, the ACL the folder gives new files (none: ""), who saves
// (nobody, or root) and who tries to read (uid and gid).
TEST_F(StateFiles, ASaveMakesTheFilesNoMoreReadable) {
  if (geteuid() != 0) GTEST_SKIP() << "other users and groups need root";
  constexpr gid_t kUsers = 100, kNogroup = kNobody;
  constexpr uid_t kReader = 4321;
  const struct { const char* name; gid_t folderGroup; mode_t folderMode; gid_t filesGroup; std::string acl;
                 bool byNobody; gid_t readerGroup; } rows[] = {
      {"set-group-ID folder", kUsers, 02775, kNogroup, "", true, kUsers},
      {"a group the saver is not in", kNogroup, 0755, kUsers, "", true, kNogroup},
      {"a default ACL", 0, 0755, 0, "d:u:4321:r", false, kReader}};
  auto readable = [this](gid_t group) {  // by the reader, in a child of that identity
    const pid_t child = fork();
    if (child == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(group) != 0 || setuid(kReader) != 0) _exit(2);
      _exit(open(At(kValueFile).c_str(), O_RDONLY) >= 0 ? 0 : 1);
    }
    return Wait(child) == 0;
  };
  // Without the acl package's setfacl the ACL row cannot be set up: the
  // other rows still run, and the test says it skipped one rather than fail.
  const bool canSetAcls = system("command -v setfacl >/dev/null 2>&1") == 0;
  for (const auto& row : rows) {
    if (!row.acl.empty() && !canSetAcls) continue;
    Fresh();
    ASSERT_EQ(Run({"x=1"}, "", BecomeUnprivileged).status, 0) << row.name;
    const uid_t owner = row.byNobody ? kNobody : 0;
    for (const char* name : {kValueFile, kFlagFile})
      ASSERT_TRUE(chown(At(name).c_str(), owner, row.filesGroup) == 0 && chmod(At(name).c_str(), 0640) == 0);
    ASSERT_TRUE(chown(dir.c_str(), owner, row.folderGroup) == 0 && chmod(dir.c_str(), row.folderMode) == 0);
    if (!row.acl.empty() && system(("setfacl -m " + row.acl + " " + dir + " 2>/dev/null").c_str()) != 0) {
      ADD_FAILURE() << row.name << ": the state folder's file system takes no ACLs";
      continue;
    }
    ASSERT_FALSE(readable(row.readerGroup)) << row.name;
    const Result r = Run({"x=2"}, "", row.byNobody ? BecomeUnprivileged : [] {});
    EXPECT_EQ(r.status, 0) << row.name << r.err;
    EXPECT_FALSE(readable(row.readerGroup)) << row.name << ": readable after the save";
  }
  if (!canSetAcls) GTEST_SKIP() << "setfacl is missing (package acl): the default-ACL row did not run";
}

// Two users' runs in one folder exclude each other, whatever umask root's
// runs have: in a folder of nobody's where both may save, forty runs of
// each add to one counter at once; none fails or loses another's count.
TEST_F(StateFiles, RunsOfTwoUsersExcludeEachOther) {
  if (geteuid() != 0) GTEST_SKIP() << "another user's runs need root";
  for (const mode_t lockMask : {027, 077}) {
    Fresh();
    ASSERT_EQ(Run({"n=0"}, "", BecomeUnprivileged).status, 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 80; ++i)
      children.push_back(Start({"n=n+1"}, [i, lockMask] {
        Redirect("/dev/null", 1), Redirect("/dev/null", 2);
        i % 2 == 1 ? BecomeUnprivileged() : (void)umask(lockMask);
      }));
    EXPECT_EQ(std::count_if(children.begin(), children.end(), [](pid_t c) { return Wait(c) == 0; }), 80) << std::oct << lockMask;
    EXPECT_EQ(Stored('n'), 80) << "umask " << std::oct << lockMask;
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
      {"", 0640, 0555, false, 0, "", 5},  // read-only folder, writable files: saved in place
      {"pair", 0640, 0555, false, 1, "cannot save " + values + ": Permission denied", std::nan("")},
      {"", 0666, 01777, true, 1, "cannot save " + values + ": Operation not permitted", 0},
      {"", 0640, 0, false, 1, "cannot read " + values + ": Permission denied", 0}};
  for (const auto& row : rows) {
    if (getuid() != 0 && row.sticky) continue;
    Fresh();
    ASSERT_EQ(Run({"x=0", "a=11"}, "", BecomeUnprivileged).status, 0);
    const std::string before = Read(kValueFile);
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

namespace tarvo {
namespace {

using namespace test;
// Runs of `x=7 k=1` over x = 1 under strace: how often a save makes a
// call, and what a run with EIO injected at some of them leaves.
class SaveReports : public StateFolder {
 protected:
  struct Injected {
    int status;
    std::string said;
    bool old, made;  // the next run reads the old pair, the new one
  };
  // The leak checker of a sanitized build cannot run under a tracer.
  std::string Trace(const char* call) const {
    return "env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o " + root + "/calls -e trace=" + call + " ";
  }
  long CallsOfARun(const char* call) const {
    if (system((Trace(call) + cli + " --state-dir " + dir + " x=7 k=1 >/dev/null 2>&1").c_str()) != 0) return -1;
    const std::string calls = ReadText(root + "/calls");
    return std::count(calls.begin(), calls.end(), '\n');
  }
  // Killed after fifteen seconds (a sanitized run under a tracer on a busy
  // machine takes seconds): a run that waits for ever (for its own lock,
  // say) fails the test instead of hanging it.
  Injected RunWithEio(const char* call, const std::string& when, const std::string& out) const {
    const std::string err = root + "/err";
    const int status = system(("timeout -s KILL 15 " + Trace(call) + "-e inject=" + call + ":error=EIO:when=" + when +
                               " " + cli + " --state-dir " + dir + " x=7 k=1 >" + out + " 2>" + err).c_str());
    const double x = Stored('x'), k = Stored('k');
    return {status, ReadText(err), x == 1 && std::isnan(k), x == 7 && k == 1};
  }
};

// The calls a save makes, each of which may fail.
constexpr const char* kSaveCalls[] = {"openat", "read", "write", "pwrite64", "fsync", "close", "renameat",
                                      "unlinkat", "newfstatat", "flock", "fchmod", "fchown", "fsetxattr",
                                      "fremovexattr", "getdents64", "getrandom", "ftruncate"};

// A save's report is the truth, whichever call of the run fails: with EIO
// injected at each call of each kind in turn, and at every call of the kind
// from it on (strace), a run of `x=7 k=1`
// over x = 1 ends (a failing fstat of the folder cannot make it wait for its
// own lock), and leaves the old pair or the new one, never a mix; where it
// said "cannot save", the next run reads the old pair; where it ended with
// 0, the new one; the old pair stays only where the run said it could not
// save or never came to calculate.
TEST_F(SaveReports, EveryFailingCallIsReportedAsWhatTheNextRunReads) {
  if (system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is missing";
  ASSERT_EQ(Run({"x=1"}).status, 0);
  const std::string oldValues = Read(kValueFile), oldFlags = Read(kFlagFile);
  const auto reset = [&] {
    Fresh();
    Write(kValueFile, oldValues), Write(kFlagFile, oldFlags);
    chown(At(kValueFile).c_str(), getuid() == 0 ? kNobody : getuid(), getuid() == 0 ? kNobody : getgid());
    chown(At(kFlagFile).c_str(), getuid() == 0 ? kNobody : getuid(), getuid() == 0 ? kNobody : getgid());
  };
  int runs = 0, failures = 0;
  for (const char* call : kSaveCalls) {
    reset();
    const long count = CallsOfARun(call);
    ASSERT_GE(count, 0) << call;
    // The call that fails once, and every call from it on (a disk that
    // has gone).
    for (long turn = 1; turn <= 2 * count; ++turn) {
      const std::string when = std::to_string((turn + 1) / 2) + (turn % 2 == 0 ? "+" : "");
      reset();
      const std::string out = root + "/out";
      const auto [status, said, old, made] = RunWithEio(call, when, out);
      const bool cannotSave = said.find("cannot save") != std::string::npos;
      SCOPED_TRACE(std::string(call) + " #" + when + ": status " + std::to_string(status) + ", " + said);
      EXPECT_NE(WEXITSTATUS(status), 128 + SIGKILL) << "still running after fifteen seconds";
      EXPECT_TRUE(old || made) << "x = " << Stored('x') << ", k = " << Stored('k');
      EXPECT_TRUE(!cannotSave || old) << "said it could not save, but the next run reads the new pair";
      EXPECT_TRUE(status != 0 || made) << "ended with 0, but the next run reads the old pair";
      EXPECT_TRUE(!old || cannotSave || ReadText(out).empty()) << "the old pair stays, unsaid";
      ++runs, failures += old ? 1 : 0;
    }
  }
  EXPECT_GT(runs, 100);
  EXPECT_GT(failures, 10) << "of " << runs << ": the injections reach the save";
}

// The same on a full disk, where the save rewrites both files in place:
// with EIO at each flush, write and cut, once, at two in a row and at every
// one from it on, the run leaves the old pair or the new one and reports it
// as SaveReports above does. Only where a write that puts a file back is
// itself refused may the files hold two saves, and the run says so; a flush
// that fails has still written, so its file is put back like any other.
TEST_F(SaveReports, AFullDiskRewriteFailingAtAnyCallLeavesOneSave) {
  if (system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is missing";
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16k,mode=0755") != 0)
    GTEST_SKIP() << "no tmpfs: " << std::strerror(errno);
  const std::unique_ptr<const char, void (*)(const char*)> unmount(dir.c_str(), [](auto p) { umount2(p, MNT_DETACH); });
  ASSERT_EQ(Run({"x=1"}).status, 0);
  const std::string oldValues = Read(kValueFile), oldFlags = Read(kFlagFile);
  const auto reset = [&] {
    fs::remove(At("filler"));
    Write(kValueFile, oldValues), Write(kFlagFile, oldFlags);
    std::ofstream(At("filler")) << std::string(16384, 'x');  // takes what is left
  };
  int runs = 0, failures = 0;
  for (const char* call : {"fsync", "pwrite64", "ftruncate"}) {
    reset();
    const long count = CallsOfARun(call);
    ASSERT_GE(count, 0) << call;
    for (long first = 1; first <= count + 1; ++first) {
      for (const std::string& when : {std::to_string(first), std::to_string(first) + ".." + std::to_string(first + 1),
                                       std::to_string(first) + "+"}) {
        reset();
        const auto [status, said, old, made] = RunWithEio(call, when, "/dev/null");
        const bool twoSaves = said.find("two saves") != std::string::npos;
        SCOPED_TRACE(std::string(call) + " #" + when + ": status " + std::to_string(status) + ", " + said);
        EXPECT_NE(WEXITSTATUS(status), 128 + SIGKILL) << "still running after fifteen seconds";
        EXPECT_TRUE(old || made || (twoSaves && std::string(call) == "pwrite64")) << "x = " << Stored('x') << ", k = " << Stored('k');
        EXPECT_TRUE(said.find("cannot save") == std::string::npos || old || twoSaves) << "the new pair is read";
        EXPECT_TRUE(status != 0 || made) << "ended with 0, but the next run reads the old pair";
        EXPECT_TRUE(!old || status != 0) << "the old pair stays, unsaid";
        ++runs, failures += old ? 1 : 0;
      }
    }
  }
  EXPECT_GT(failures, 10) << "of " << runs << ": the injections reach the rewrite";
}

// A call interrupted for ever (strace injects EINTR at every occurrence from
// the first on) neither spins nor waits for ever: a write or a read of the
// state files and the lock give up, and the run says what it could not do
// and ends, the old pair standing; a run that waits on its input ends at a
// stop signal within a second, however often that read is interrupted.
TEST_F(SaveReports, ACallInterruptedForEverEndsTheRun) {
  if (system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is missing";
  using namespace std::chrono_literals;
  const struct { const char* call; bool stopped; const char* said; } rows[] = {
      {"pwrite64", false, "Error: cannot save"}, {"flock", false, "Interrupted system call"},
      {"read", true, "Interrupted system call"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.call);
    Fresh();
    ASSERT_EQ(Run({"x=1"}).status, 0);
    // From the first call of the kind on; the read from the first read of
    // the input on (the program's libraries are read before).
    long first = 1;
    if (row.stopped) {
      const std::string log = root + "/calls";
      ASSERT_EQ(system(("env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -e trace=read -o " + log + " " + cli + " --state-dir " +
                        dir + " </dev/null >/dev/null 2>&1").c_str()),
                0);
      const std::string calls = ReadText(log);
      const size_t input = calls.find("read(0,");
      ASSERT_NE(input, std::string::npos) << calls;
      first = 1 + std::count(calls.begin(), calls.begin() + static_cast<long>(input), '\n');
    }
    const std::string err = root + "/err",
                      inject = std::string("-e inject=") + row.call + ":error=EINTR:when=" + std::to_string(first) + "+ ";
    const std::string trace = "exec env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null " + inject;
    // The run with its input a pipe nobody writes, under strace; the
    // tracer's child is the run.
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const std::string command = trace + cli + " --state-dir " + dir + (row.stopped ? "" : " x=7 k=1") + " >/dev/null 2>" + err;
    const pid_t tracer = fork();
    if (tracer == 0) dup2(input[0], 0), close(input[1]), execl("/bin/sh", "sh", "-c", command.c_str(), nullptr), _exit(127);
    close(input[0]);
    pid_t ended = 0;
    int status = 0;
    if (row.stopped) {
      const std::string children = "/proc/" + std::to_string(tracer) + "/task/" + std::to_string(tracer) + "/children";
      for (int i = 0; i < 1000 && ReadText(children).empty(); ++i) std::this_thread::sleep_for(10ms);
      std::this_thread::sleep_for(1s);  // at its input, however slowly it started
      ASSERT_FALSE(ReadText(children).empty()) << "the run ended before the signal";
      kill(std::stoi(ReadText(children)), SIGTERM);
    }
    const auto asked = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000 && (ended = waitpid(tracer, &status, WNOHANG)) == 0; ++i) std::this_thread::sleep_for(10ms);
    const auto took = std::chrono::steady_clock::now() - asked;
    if (ended == 0) kill(tracer, SIGKILL), Wait(tracer);
    close(input[1]);
    EXPECT_EQ(ended, tracer) << "still running ten seconds later";
    EXPECT_LT(took, row.stopped ? 1s : 10s) << "since " << (row.stopped ? "the signal" : "the start");
    EXPECT_NE(status, 0);
    EXPECT_NE(ReadText(err).find(row.said), std::string::npos) << ReadText(err);
    EXPECT_EQ(Stored('x'), 1);
  }
}

}  // namespace
}  // namespace tarvo
