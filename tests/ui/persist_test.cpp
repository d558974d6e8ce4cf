// The variable files as the calls leave them: their layout, damaged files,
// merged saves, names planted in the folder, links, modes, a full disk, a
// save killed half-way, the user's state folder.
#include "ui/logic/persist.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <cstring>
#include <limits>

#include "tests/ui/state_folder.h"

namespace tarvo {
namespace {

using test::kNobody;
namespace fs = std::filesystem;

class VariableFiles : public test::StateFolder {};

// Old files worth keeping: a save that fails must leave exactly these bytes.
const std::string kOldValues(kValueBytes, '\x11'), kOldFlags(kFlagBytes, '\x22');

std::string Doubles(std::initializer_list<double> values) {
  std::string out;
  for (double v : values) out.append(reinterpret_cast<const char*>(&v), 8);
  return out;
}

TEST_F(VariableFiles, LittleEndianDoublesAndFlagsAndWhatALoadIgnores) {
  test::Define(engine, 'a', 1.0);
  engine.LastAnswer = -2.5;
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  const std::string values = Read(kValueFile), flags = Read(kFlagFile);
  ASSERT_EQ(values.size(), 224u);
  EXPECT_EQ(values.substr(0, 8), std::string("\0\0\0\0\0\0\xF0\x3F", 8));     // 1.0
  EXPECT_EQ(values.substr(216), std::string("\0\0\0\0\0\0\x04\xC0", 8));      // -2.5
  EXPECT_EQ(flags.substr(0, 10), std::string("\xFF\xFF\0\0\0\0\0\0\xFF\xFF", 10));  // a and e (always defined)
  EXPECT_EQ(flags.size(), 52u);
  EXPECT_TRUE(Leftovers().empty());

  // No files or no folder: a first run. A short file fills its leading
  // entries only; a NaN and an infinity are ignored.
  EXPECT_TRUE(LoadVariableFiles(engine, dir + "/no-such-folder").ok);
  Write(kValueFile, Doubles({3.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) + "\x12");
  Write(kFlagFile, "\xFF\xFF\x00");
  engine.Reset();
  engine.VariableStore[1] = 8;
  EXPECT_TRUE(LoadVariableFiles(engine, dir).ok);
  EXPECT_EQ(engine.VariableStore[0], 3.0);
  EXPECT_EQ(engine.VariableStore[1], 8);
  EXPECT_EQ(engine.VariableStore[2], 0);
  EXPECT_EQ(engine.DefinedFlag[0], -1);
  EXPECT_EQ(engine.DefinedFlag[1], 0);
}

// A session writes back only what it changed: what another session saved
// in between survives. Without what it read, a save writes its whole store.
TEST_F(VariableFiles, ASaveKeepsWhatAnotherSessionSavedMeanwhile) {
  StoredPair mine, theirs;
  ASSERT_TRUE(LoadVariableFiles(engine, dir, &mine).ok);
  Engine other;
  ASSERT_TRUE(LoadVariableFiles(other, dir, &theirs).ok);
  test::Define(other, 'q', 9);
  ASSERT_TRUE(SaveVariableFiles(other, dir, &theirs).ok);
  test::Define(engine, 'x', 7);
  ASSERT_TRUE(SaveVariableFiles(engine, dir, &mine).ok);
  EXPECT_EQ(Stored('q'), 9);
  EXPECT_EQ(Stored('x'), 7);
  engine.VariableStore[23] = 1;
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  EXPECT_TRUE(std::isnan(Stored('q')));
  EXPECT_EQ(Stored('x'), 1);
}

enum class Plant { kForeignLink, kFifo, kFolder, kOwnLinkToInput };

// Something planted at each name a save touches. The state files refuse to
// be written (and name the reason); the lock, the pending pair and the
// fixed temporary names of older builds are never followed or waited on.
TEST_F(VariableFiles, NothingPlantedAtANameIsFollowedOrHangs) {
  const struct {
    const char* name;
    Plant plant;
    const char* reason;  // part of the refusal; nullptr: the save goes on
  } rows[] = {
      {kValueFile, Plant::kForeignLink, "owned by another user"}, {kFlagFile, Plant::kForeignLink, "owned by another user"},
      {kValueFile, Plant::kFifo, "not a regular file"},           {kFlagFile, Plant::kFifo, "not a regular file"},
      {kValueFile, Plant::kFolder, "not a regular file"},         {kValueFile, Plant::kOwnLinkToInput, "another link"},
      {kLockFile, Plant::kForeignLink, nullptr},                  {kLockFile, Plant::kFifo, nullptr},
      {kLockFile, Plant::kFolder, nullptr},                       {kPendingFile, Plant::kForeignLink, nullptr},
      {kPendingFile, Plant::kFifo, nullptr},                      {"Varreal.dat.tmp", Plant::kForeignLink, nullptr},
      {"vardimr.dat.tmp", Plant::kFifo, nullptr},
  };
  const fs::path victim = fs::path(root) / "victim";
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " plant " + std::to_string(static_cast<int>(row.plant)));
    if (row.plant == Plant::kForeignLink && geteuid() != 0) continue;  // only root can plant another's link
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::ofstream(victim) << "precious";
    const fs::path at = At(row.name);
    switch (row.plant) {
      case Plant::kForeignLink:
        fs::create_symlink(victim, at);
        ASSERT_EQ(lchown(at.c_str(), kNobody, kNobody), 0);
        break;
      case Plant::kFifo: ASSERT_EQ(mkfifo(at.c_str(), 0666), 0); break;
      case Plant::kFolder: fs::create_directory(at); break;
      case Plant::kOwnLinkToInput: fs::create_symlink("/proc/self/fd/0", at); break;
    }
    alarm(20);  // a hang ends the test binary instead of the suite's time
    engine.Reset();
    const FileResult load = LoadVariableFiles(engine, dir);
    test::Define(engine, 'a', 5);
    const SaveResult save = SaveVariableFiles(engine, dir);
    alarm(0);
    const bool saves = row.reason == nullptr;
    EXPECT_EQ(save.ok, saves) << save.reason;
    EXPECT_EQ(load.ok, saves) << load.reason;
    if (!saves) {
      EXPECT_NE(save.reason.find(row.reason), std::string::npos) << save.reason;
      EXPECT_EQ(save.file, at.string());
      EXPECT_EQ(load.file, at.string());
    }
    EXPECT_EQ(test::ReadText(victim), "precious");
    // A save replaces a pending pair it does not trust, and leaves
    // everything else planted where it was.
    const fs::file_type planted = row.name == std::string(kPendingFile) ? fs::file_type::not_found
                                  : row.plant == Plant::kFifo           ? fs::file_type::fifo
                                  : row.plant == Plant::kFolder         ? fs::file_type::directory
                                                                        : fs::file_type::symlink;
    EXPECT_EQ(fs::symlink_status(at).type(), planted);
    if (saves && row.name != std::string(kPendingFile)) { EXPECT_EQ(Stored('a'), 5); }
  }
}

// A state file that is a link of the user's own is written through to its
// target, which keeps its bits; the link stays a link. (A link to a link is
// refused: the own link to standard input above.)
TEST_F(VariableFiles, AnOwnLinkIsWrittenThroughToItsTarget) {
  fs::create_directory(At("real"));
  Write("real/values", kOldValues);
  chmod(At("real/values").c_str(), 0640);
  fs::create_symlink("real/values", At(kValueFile));
  test::Define(engine, 'a', 3);
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  EXPECT_TRUE(fs::is_symlink(At(kValueFile)));
  EXPECT_EQ(fs::status(At("real/values")).permissions(), fs::perms(0640));
  EXPECT_EQ(Stored('a'), 3);
  EXPECT_EQ(std::distance(fs::directory_iterator(At("real")), fs::directory_iterator()), 1);
}

// Each file keeps its mode and (where the saver may, as root) its owner; a
// new file gets what the umask allows.
TEST_F(VariableFiles, ASaveKeepsEachFilesModeAndOwner) {
  for (const auto& [mode, owner] : {std::pair<mode_t, uid_t>{0604, 0}, {0660, kNobody}, {0444, 0}}) {
    SCOPED_TRACE(mode);
    for (const char* name : {kValueFile, kFlagFile}) {
      Write(name, "");
      chmod(At(name).c_str(), mode);
      ASSERT_TRUE(geteuid() != 0 || chown(At(name).c_str(), owner, owner) == 0);
    }
    ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
    for (const char* name : {kValueFile, kFlagFile}) {
      struct stat st {};
      ASSERT_EQ(stat(At(name).c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, mode) << name;
      EXPECT_EQ(st.st_uid, geteuid() == 0 ? owner : geteuid()) << name;
    }
  }
  fs::remove(At(kValueFile));
  const mode_t old = umask(027);
  EXPECT_TRUE(SaveVariableFiles(engine, dir).ok);
  umask(old);
  EXPECT_EQ(fs::status(At(kValueFile)).permissions(), fs::perms(0640));
}

TEST_F(VariableFiles, ASmallFilesystemThatFillsUpKeepsBothOldFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string mnt = dir + "/small";
  fs::create_directory(mnt);
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "no tmpfs here: " << std::strerror(errno);
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{mnt};
  Write("small/Varreal.dat", kOldValues);
  Write("small/vardimr.dat", kOldFlags);
  {  // Fill what is left until the filesystem refuses.
    std::ofstream filler(mnt + "/filler", std::ios::binary);
    const std::string page(4096, 'x');
    for (int i = 0; i < 64 && filler.write(page.data(), 4096).flush(); ++i) {
    }
  }
  engine.VariableStore[0] = 42;
  const SaveResult r = SaveVariableFiles(engine, mnt);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, std::strerror(ENOSPC));
  EXPECT_EQ(Read("small/Varreal.dat"), kOldValues);
  EXPECT_EQ(Read("small/vardimr.dat"), kOldFlags);
  for (const auto& e : fs::directory_iterator(mnt))
    EXPECT_TRUE(e.path().filename() == kLockFile || e.path().filename().string()[0] != '.') << "left: " << e.path();
}

// A save killed at each of its steps: the next session reads either the
// old pair or the new one, never values of one with flags of the other,
// and its own save completes or replaces what was left.
TEST_F(VariableFiles, ASaveKilledAtAnyStepLeavesTheOldOrTheNewPair) {
  const struct { const char* step; bool newPair; } rows[] = {
      {"temporaries written", false}, {"pending pair committed", true}, {"flags renamed", true},
      {"values renamed", true}, {"pending pair removed", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.step);
    static const char* stopAt;
    stopAt = row.step;
    engine.Reset();
    test::Define(engine, 'a', 1), test::Define(engine, 'b', 2);  // the old pair
    ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SetSaveInterruptionForTest([](const char* step) {
        if (std::strcmp(step, stopAt) == 0) raise(SIGKILL);
      });
      test::Define(engine, 'a', std::nan("")), test::Define(engine, 'b', 20);  // the new pair
      SaveVariableFiles(engine, dir);
      _exit(0);  // not reached when the hook works
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    for (int pass = 0; pass < 2; ++pass) {  // as left, then after the next save
      EXPECT_EQ(std::isnan(Stored('a')) ? -1 : Stored('a'), row.newPair ? -1 : 1) << pass;
      EXPECT_EQ(Stored('b'), row.newPair ? 20 : 2) << pass;
      engine.Reset();
      StoredPair read;
      ASSERT_TRUE(LoadVariableFiles(engine, dir, &read).ok);
      test::Define(engine, 'c', 3);
      ASSERT_TRUE(SaveVariableFiles(engine, dir, &read).ok);
    }
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});  // the killed save's temporaries too
  }
}

TEST_F(VariableFiles, TheUserStateFolderFollowsXdgAndIsPrivate) {
  const std::string home = root + "/home", fallback = home + "/.local/state/tarvo";
  const struct {
    const char* xdg;  // nullptr: unset
    std::string expected;
  } rows[] = {{"/x/state", root + "/x/state/tarvo"}, {nullptr, fallback}, {"relative/state", fallback}};
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* oldXdg = std::getenv("XDG_STATE_HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "";
  setenv("HOME", home.c_str(), 1);
  for (const auto& row : rows) {
    if (row.xdg == nullptr) unsetenv("XDG_STATE_HOME");
    else setenv("XDG_STATE_HOME", (row.xdg[0] == '/' ? root + row.xdg : std::string(row.xdg)).c_str(), 1);
    std::string error;
    EXPECT_EQ(UserStateDirectory(&error), row.expected) << error;
    EXPECT_EQ(fs::status(row.expected).permissions(), fs::perms(0700));
  }
  chmod(fallback.c_str(), 0755);  // an existing folder keeps its bits
  EXPECT_EQ(UserStateDirectory(), fallback);
  EXPECT_EQ(fs::status(fallback).permissions(), fs::perms(0755));
  setenv("HOME", savedHome.c_str(), 1);
  oldXdg ? setenv("XDG_STATE_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace tarvo
