#include "ui/logic/persist.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "engine/state.h"
#include "tests/base/test_support.h"
#include "ui/logic/console.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr uid_t kNobody = 65534;

class VariableFiles : public test::FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    char templ[] = "/tmp/tarvo-persist-XXXXXX";
    dir = mkdtemp(templ);
  }
  void TearDown() override {
    alarm(0);
    SetSaveInterruptionForTest(nullptr);
    chmod(dir.c_str(), 0700);
    fs::remove_all(dir);
    FreshEngine::TearDown();
  }
  fs::path At(const std::string& name) const { return fs::path(dir) / name; }
  Bytes Read(const std::string& name) const {
    std::ifstream in(At(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(At(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // Names other than the state files and the lock: temporaries or a
  // pending pair left behind.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string n = e.path().filename().string();
      if (n != kValueFile && n != kFlagFile && n != kLockFile) out.push_back(n);
    }
    return out;
  }
  std::string dir;
};

// Old files worth keeping: a save that fails must leave exactly these bytes.
const Bytes kOldValues(kValueBytes, 0x11);
const Bytes kOldFlags(kFlagBytes, 0x22);

TEST_F(VariableFiles, LayoutIsLittleEndianDoublesAndFlags) {
  engine.VariableStore[0] = 1.0;  // a
  engine.DefinedFlag[0] = -1;
  engine.AngleFactor = 200 / engine.Pi;
  engine.LastAnswer = -2.5;
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);

  const auto values = Read(kValueFile);
  ASSERT_EQ(values.size(), 224u);
  const Bytes one = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};  // 1.0
  EXPECT_EQ(Bytes(values.begin(), values.begin() + 8), one);
  const Bytes minus2_5 = {0, 0, 0, 0, 0, 0, 0x04, 0xC0};
  EXPECT_EQ(Bytes(values.begin() + 216, values.end()), minus2_5);

  const auto flags = Read(kFlagFile);
  ASSERT_EQ(flags.size(), 52u);
  EXPECT_EQ(flags[0], 0xFF);
  EXPECT_EQ(flags[1], 0xFF);
  EXPECT_EQ(flags[8], 0xFF);  // e is always defined
  EXPECT_EQ(flags[2], 0x00);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(VariableFiles, RoundTripRestoresStoreFlagsAngleAndAnswer) {
  for (int i = 0; i < 26; ++i) {
    engine.VariableStore[static_cast<size_t>(i)] = i * 1.5 - 7;
    engine.DefinedFlag[static_cast<size_t>(i)] = (i % 3 == 0) ? -1 : 0;
  }
  engine.AngleFactor = 180 / engine.Pi;
  engine.LastAnswer = 42;
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  const EngineState saved = engine;

  engine.Reset();
  ASSERT_TRUE(LoadVariableFiles(engine, dir).ok);
  EXPECT_EQ(engine.VariableStore, saved.VariableStore);
  EXPECT_EQ(engine.DefinedFlag, saved.DefinedFlag);
  EXPECT_DOUBLE_EQ(engine.VariableStore[kStoreAngleFactor], 180 / engine.Pi);
  EXPECT_EQ(engine.VariableStore[kStoreLastAnswer], 42);
}

TEST_F(VariableFiles, MissingShortAndDamagedFilesKeepThePresets) {
  EXPECT_TRUE(LoadVariableFiles(engine, dir).ok);  // nothing there: a first run
  EXPECT_TRUE(LoadVariableFiles(engine, dir + "/no-such-folder").ok);
  EXPECT_EQ(engine.VariableStore, EngineState{}.VariableStore);

  // A short file fills its leading entries only; a NaN and an infinity are ignored.
  Bytes bytes;
  for (double v : {3.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    unsigned char b[8];
    std::memcpy(b, &v, 8);
    bytes.insert(bytes.end(), b, b + 8);
  }
  bytes.push_back(0x12);  // a stray partial value
  Write(kValueFile, bytes);
  Write(kFlagFile, {0xFF, 0xFF, 0x00});
  engine.VariableStore[1] = 8;
  EXPECT_TRUE(LoadVariableFiles(engine, dir).ok);
  EXPECT_EQ(engine.VariableStore[0], 3.0);
  EXPECT_EQ(engine.VariableStore[1], 8);
  EXPECT_EQ(engine.VariableStore[2], 0);
  EXPECT_EQ(engine.DefinedFlag[0], -1);
  EXPECT_EQ(engine.DefinedFlag[1], 0);
}

// A session writes back only what it changed: what another session saved
// in between survives, and a variable's value never parts from its flag.
TEST_F(VariableFiles, ASaveKeepsWhatAnotherSessionSavedMeanwhile) {
  StoredPair mine;
  ASSERT_TRUE(LoadVariableFiles(engine, dir, &mine).ok);  // both start from nothing
  {
    // The other session: loads, stores q = 9, saves.
    const EngineState before = engine;
    StoredPair theirs;
    ASSERT_TRUE(LoadVariableFiles(engine, dir, &theirs).ok);
    engine.VariableStore[16] = 9;
    engine.DefinedFlag[16] = -1;
    ASSERT_TRUE(SaveVariableFiles(engine, dir, &theirs).ok);
    static_cast<EngineState&>(engine) = before;
  }
  engine.VariableStore[23] = 7;  // x
  engine.DefinedFlag[23] = -1;
  ASSERT_TRUE(SaveVariableFiles(engine, dir, &mine).ok);

  engine.Reset();
  ASSERT_TRUE(LoadVariableFiles(engine, dir).ok);
  EXPECT_EQ(engine.VariableStore[16], 9);
  EXPECT_EQ(engine.DefinedFlag[16], -1);
  EXPECT_EQ(engine.VariableStore[23], 7);
  EXPECT_EQ(engine.DefinedFlag[23], -1);
  // Without what it read, a save writes its whole store.
  engine.VariableStore[23] = 1;
  engine.VariableStore[16] = 0;
  engine.DefinedFlag[16] = 0;
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  engine.Reset();
  ASSERT_TRUE(LoadVariableFiles(engine, dir).ok);
  EXPECT_EQ(engine.DefinedFlag[16], 0);
  EXPECT_EQ(engine.VariableStore[23], 1);
}

enum class Plant { kForeignLink, kFifo, kFolder, kOwnLinkToInput };

// Something planted at each name a save touches. The state files refuse to
// be written (and name the reason); the lock, the pending pair and the
// fixed temporary names of older builds are never followed or waited on.
TEST_F(VariableFiles, NothingPlantedAtANameIsFollowedOrHangs) {
  struct Row {
    const char* name;
    Plant plant;
    bool saves;
    const char* reason;  // part of the refusal
  };
  const Row rows[] = {
      {"Varreal.dat", Plant::kForeignLink, false, "owned by another user"},
      {"vardimr.dat", Plant::kForeignLink, false, "owned by another user"},
      {"Varreal.dat", Plant::kFifo, false, "not a regular file"},
      {"vardimr.dat", Plant::kFifo, false, "not a regular file"},
      {"Varreal.dat", Plant::kFolder, false, "not a regular file"},
      {"Varreal.dat", Plant::kOwnLinkToInput, false, "another link"},
      {".tarvo.lock", Plant::kForeignLink, true, ""},
      {".tarvo.lock", Plant::kFifo, true, ""},
      {".tarvo.lock", Plant::kFolder, true, ""},
      {".tarvo.pending", Plant::kForeignLink, true, ""},
      {".tarvo.pending", Plant::kFifo, true, ""},
      {"Varreal.dat.tmp", Plant::kForeignLink, true, ""},
      {"vardimr.dat.tmp", Plant::kFifo, true, ""},
  };
  const fs::path victim = fs::path(dir + "-victim");
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " plant " + std::to_string(static_cast<int>(row.plant)));
    fs::remove_all(dir);
    fs::create_directory(dir);
    { std::ofstream(victim) << "precious"; }
    const fs::path at = At(row.name);
    switch (row.plant) {
      case Plant::kForeignLink:
        fs::create_symlink(victim, at);
        if (geteuid() == 0) {
          ASSERT_EQ(lchown(at.c_str(), kNobody, kNobody), 0);
        }
        break;
      case Plant::kFifo: ASSERT_EQ(mkfifo(at.c_str(), 0666), 0); break;
      case Plant::kFolder: fs::create_directory(at); break;
      case Plant::kOwnLinkToInput: fs::create_symlink("/proc/self/fd/0", at); break;
    }
    alarm(20);  // a hang ends the test binary instead of the suite's time
    engine.Reset();
    const FileResult load = LoadVariableFiles(engine, dir);
    engine.VariableStore[0] = 5;
    const SaveResult save = SaveVariableFiles(engine, dir);
    alarm(0);
    EXPECT_EQ(save.ok, row.saves) << save.reason;
    EXPECT_EQ(load.ok, row.saves) << load.reason;
    if (!row.saves) {
      EXPECT_NE(save.reason.find(row.reason), std::string::npos) << save.reason;
      EXPECT_EQ(save.file, At(row.name).string());
      EXPECT_EQ(load.file, At(row.name).string());
    }
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
    // A save replaces a pending pair it does not trust, and leaves
    // everything else planted where it was.
    const fs::file_type planted = std::string(row.name) == kPendingFile && row.saves ? fs::file_type::not_found
                                  : row.plant == Plant::kForeignLink ||
                                            row.plant == Plant::kOwnLinkToInput      ? fs::file_type::symlink
                                  : row.plant == Plant::kFifo                        ? fs::file_type::fifo
                                                                                     : fs::file_type::directory;
    EXPECT_EQ(fs::symlink_status(at).type(), planted);
    if (row.saves && std::string(row.name) != ".tarvo.pending") {
      engine.Reset();
      ASSERT_TRUE(LoadVariableFiles(engine, dir).ok);
      EXPECT_EQ(engine.VariableStore[0], 5);
    }
  }
  fs::remove(victim);
}

// A state file that is a link of the user's own is written through to its
// target, which keeps its bits; the link stays a link. A link to a link is
// refused.
TEST_F(VariableFiles, AnOwnLinkIsWrittenThroughToItsTarget) {
  fs::create_directory(At("real"));
  Write("real/values", kOldValues);
  chmod(At("real/values").c_str(), 0640);
  fs::create_symlink("real/values", At(kValueFile));
  engine.VariableStore[0] = 3;
  ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
  EXPECT_TRUE(fs::is_symlink(At(kValueFile)));
  EXPECT_EQ(Read("real/values").size(), kValueBytes);
  EXPECT_EQ(fs::status(At("real/values")).permissions(), fs::perms(0640));
  engine.Reset();
  ASSERT_TRUE(LoadVariableFiles(engine, dir).ok);
  EXPECT_EQ(engine.VariableStore[0], 3);
  EXPECT_EQ(std::distance(fs::directory_iterator(At("real")), fs::directory_iterator()), 1);

  fs::create_symlink("values", At("real/second"));
  fs::remove(At(kFlagFile));
  fs::create_symlink("real/second", At(kFlagFile));
  const SaveResult r = SaveVariableFiles(engine, dir);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.reason.find("another link"), std::string::npos) << r.reason;
}

TEST_F(VariableFiles, ASaveKeepsEachFilesModeAndOwner) {
  const struct {
    mode_t mode;
    uid_t owner;  // given only where the saver may (root)
  } rows[] = {{0600, 0}, {0640, 0}, {0604, 0}, {0660, kNobody}, {0444, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    for (const char* name : {kValueFile, kFlagFile}) {
      Write(name, {});
      chmod(At(name).c_str(), row.mode);
      if (geteuid() == 0) {
        ASSERT_EQ(chown(At(name).c_str(), row.owner, row.owner), 0);
      }
    }
    ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
    for (const char* name : {kValueFile, kFlagFile}) {
      struct stat st {};
      ASSERT_EQ(stat(At(name).c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, row.mode) << name;
      if (geteuid() == 0) {
        EXPECT_EQ(st.st_uid, row.owner) << name;
      }
    }
  }
  // A new file gets what the umask allows.
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
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{mnt};
  Write("small/Varreal.dat", kOldValues);
  Write("small/vardimr.dat", kOldFlags);
  {  // Fill what is left, a page at a time, until the filesystem refuses.
    FILE* filler = std::fopen((mnt + "/filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    std::setvbuf(filler, nullptr, _IONBF, 0);
    const std::vector<char> page(4096, 'x');
    for (int i = 0; i < 64 && std::fwrite(page.data(), 1, page.size(), filler) == page.size(); ++i) {
    }
    std::fclose(filler);
  }
  engine.VariableStore[0] = 42;
  const SaveResult r = SaveVariableFiles(engine, mnt);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, std::strerror(ENOSPC));
  EXPECT_EQ(Read("small/Varreal.dat"), kOldValues);
  EXPECT_EQ(Read("small/vardimr.dat"), kOldFlags);
  EXPECT_EQ(fs::directory_iterator(mnt) != fs::directory_iterator(), true);
  for (const auto& e : fs::directory_iterator(mnt))
    EXPECT_TRUE(e.path().filename() == kLockFile || e.path().filename().string()[0] != '.')
        << "a temporary was left: " << e.path();
}

// A save killed at each of its steps: the next session reads either the
// old pair or the new one, never values of one with flags of the other,
// and its own save completes or replaces what was left.
TEST_F(VariableFiles, ASaveKilledAtAnyStepLeavesTheOldOrTheNewPair) {
  const struct {
    const char* step;
    bool newPair;
  } rows[] = {{"temporaries written", false},
              {"pending pair committed", true},
              {"flags renamed", true},
              {"values renamed", true},
              {"pending pair removed", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.step);
    static const char* stopAt;
    stopAt = row.step;
    // The old pair: a = 1 defined, b = 2 defined.
    engine.Reset();
    engine.VariableStore[0] = 1;
    engine.VariableStore[1] = 2;
    engine.DefinedFlag[0] = engine.DefinedFlag[1] = -1;
    ASSERT_TRUE(SaveVariableFiles(engine, dir).ok);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SetSaveInterruptionForTest([](const char* step) {
        if (std::strcmp(step, stopAt) == 0) raise(SIGKILL);
      });
      // The new pair: a undefined, b = 20.
      engine.VariableStore[0] = 0;
      engine.DefinedFlag[0] = 0;
      engine.VariableStore[1] = 20;
      SaveVariableFiles(engine, dir);
      _exit(0);  // not reached when the hook works
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    for (int pass = 0; pass < 2; ++pass) {  // as left, then after the next save
      engine.Reset();
      StoredPair read;
      ASSERT_TRUE(LoadVariableFiles(engine, dir, &read).ok);
      EXPECT_EQ(engine.VariableStore[0], row.newPair ? 0 : 1) << pass;
      EXPECT_EQ(engine.DefinedFlag[0], row.newPair ? 0 : -1) << pass;
      EXPECT_EQ(engine.VariableStore[1], row.newPair ? 20 : 2) << pass;
      EXPECT_EQ(engine.DefinedFlag[1], -1) << pass;
      engine.VariableStore[2] = 3;
      ASSERT_TRUE(SaveVariableFiles(engine, dir, &read).ok);
    }
    EXPECT_TRUE(Leftovers().empty()) << Leftovers()[0];  // the killed save's temporaries too
  }
}

TEST_F(VariableFiles, TheConsoleTellsTheUserWhenTheFilesCannotBeReadOrSaved) {
  ASSERT_EQ(mkfifo(At(kValueFile).c_str(), 0600), 0);  // refused for root too
  std::vector<std::string> errors;
  ConsoleSession session([](const std::string&) {}, [&](const std::string& s) { errors.push_back(s); });
  Console& console = session.console;
  EXPECT_FALSE(console.Start(dir));
  console.Run("x=3");
  EXPECT_FALSE(console.Finish(dir));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "Error: cannot read " + At(kValueFile).string() + ": it is not a regular file");
  EXPECT_EQ(errors[1], "Error: cannot save " + At(kValueFile).string() + ": it is not a regular file");
}

TEST_F(VariableFiles, TheUserStateFolderFollowsXdgAndIsPrivate) {
  const char* oldXdg = std::getenv("XDG_STATE_HOME");
  const char* oldHome = std::getenv("HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";
  const struct {
    const char* xdg;  // nullptr: unset
    std::string expected;
  } rows[] = {{"/x/state", dir + "/x/state/tarvo"},
              {nullptr, dir + "/home/.local/state/tarvo"},
              {"relative/state", dir + "/home/.local/state/tarvo"}};
  setenv("HOME", (dir + "/home").c_str(), 1);
  for (const auto& row : rows) {
    if (row.xdg != nullptr && row.xdg[0] == '/')
      setenv("XDG_STATE_HOME", (dir + row.xdg).c_str(), 1);
    else if (row.xdg != nullptr)
      setenv("XDG_STATE_HOME", row.xdg, 1);
    else
      unsetenv("XDG_STATE_HOME");
    std::string error;
    EXPECT_EQ(UserStateDirectory(&error), row.expected) << error;
    EXPECT_EQ(fs::status(row.expected).permissions(), fs::perms(0700));
  }
  chmod(At("home/.local/state/tarvo").c_str(), 0755);  // an existing folder keeps its bits
  EXPECT_EQ(UserStateDirectory(), dir + "/home/.local/state/tarvo");
  EXPECT_EQ(fs::status(At("home/.local/state/tarvo")).permissions(), fs::perms(0755));
  if (oldXdg) setenv("XDG_STATE_HOME", savedXdg.c_str(), 1); else unsetenv("XDG_STATE_HOME");
  if (oldHome) setenv("HOME", savedHome.c_str(), 1); else unsetenv("HOME");
}

}  // namespace
}  // namespace tarvo
