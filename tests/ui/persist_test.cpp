#include "ui/logic/persist.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
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

class VariableFiles : public test::FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    char templ[] = "/tmp/tarvo-persist-XXXXXX";
    dir = mkdtemp(templ);
  }
  void TearDown() override {
    chmod(dir.c_str(), 0700);
    fs::remove_all(dir);
    FreshEngine::TearDown();
  }
  std::vector<unsigned char> Bytes(const char* name) {
    std::ifstream in(fs::path(dir) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Write(const char* name, const std::vector<unsigned char>& bytes) {
    std::ofstream out(fs::path(dir) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string dir;
};

TEST_F(VariableFiles, LayoutIsLittleEndianDoublesAndFlags) {
  State().VariableStore[0] = 1.0;  // a
  State().DefinedFlag[0] = -1;
  State().AngleFactor = 200 / State().Pi;
  State().LastAnswer = -2.5;
  ASSERT_TRUE(SaveVariableFiles(dir).ok);

  const auto values = Bytes("Varreal.dat");
  ASSERT_EQ(values.size(), 224u);
  const std::vector<unsigned char> one = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};  // 1.0
  EXPECT_EQ(std::vector<unsigned char>(values.begin(), values.begin() + 8), one);
  const std::vector<unsigned char> minus2_5 = {0, 0, 0, 0, 0, 0, 0x04, 0xC0};
  EXPECT_EQ(std::vector<unsigned char>(values.begin() + 216, values.end()), minus2_5);

  const auto flags = Bytes("vardimr.dat");
  ASSERT_EQ(flags.size(), 52u);
  EXPECT_EQ(flags[0], 0xFF);
  EXPECT_EQ(flags[1], 0xFF);
  EXPECT_EQ(flags[8], 0xFF);  // e is always defined
  EXPECT_EQ(flags[2], 0x00);
}

TEST_F(VariableFiles, RoundTripRestoresStoreFlagsAngleAndAnswer) {
  for (int i = 0; i < 26; ++i) {
    State().VariableStore[static_cast<size_t>(i)] = i * 1.5 - 7;
    State().DefinedFlag[static_cast<size_t>(i)] = (i % 3 == 0) ? -1 : 0;
  }
  State().AngleFactor = 180 / State().Pi;
  State().LastAnswer = 42;
  ASSERT_TRUE(SaveVariableFiles(dir).ok);
  const EngineState saved = State();

  ResetState();
  LoadVariableFiles(dir);
  EXPECT_EQ(State().VariableStore, saved.VariableStore);
  EXPECT_EQ(State().DefinedFlag, saved.DefinedFlag);
  EXPECT_DOUBLE_EQ(State().VariableStore[kStoreAngleFactor], 180 / State().Pi);
  EXPECT_EQ(State().VariableStore[kStoreLastAnswer], 42);
}

TEST_F(VariableFiles, MissingShortAndDamagedFilesKeepThePresets) {
  LoadVariableFiles(dir);  // nothing there: no change, no fault
  EXPECT_EQ(State().VariableStore, EngineState{}.VariableStore);

  // A short file fills its leading entries only; a NaN and an infinity are ignored.
  std::vector<unsigned char> bytes;
  auto put = [&](double v) {
    unsigned char b[8];
    std::memcpy(b, &v, 8);
    bytes.insert(bytes.end(), b, b + 8);
  };
  put(3.0);
  put(std::numeric_limits<double>::quiet_NaN());
  put(std::numeric_limits<double>::infinity());
  bytes.push_back(0x12);  // a stray partial value
  Write("Varreal.dat", bytes);
  Write("vardimr.dat", {0xFF, 0xFF, 0x00});
  State().VariableStore[1] = 8;
  LoadVariableFiles(dir);
  EXPECT_EQ(State().VariableStore[0], 3.0);
  EXPECT_EQ(State().VariableStore[1], 8);
  EXPECT_EQ(State().VariableStore[2], 0);
  EXPECT_EQ(State().DefinedFlag[0], -1);
  EXPECT_EQ(State().DefinedFlag[1], 0);
}

TEST_F(VariableFiles, AFailedSaveIsReportedAndKeepsTheOldFiles) {
  if (geteuid() == 0) {
    // root writes into read-only folders; a file standing where the
    // temporary file must go fails the same way for everyone.
    fs::create_directory(fs::path(dir) / "Varreal.dat.tmp");
  } else {
    chmod(dir.c_str(), 0500);
  }
  Write("Varreal.dat", {1, 2, 3});
  State().VariableStore[0] = 9;
  const SaveResult r = SaveVariableFiles(dir);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.file.find("Varreal.dat"), std::string::npos);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_EQ(Bytes("Varreal.dat"), (std::vector<unsigned char>{1, 2, 3}));
}

TEST_F(VariableFiles, AFullDiskIsReportedNotIgnored) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // The temporary file is a link to a device that is always full.
  fs::create_symlink("/dev/full", fs::path(dir) / "vardimr.dat.tmp");
  const SaveResult r = SaveVariableFiles(dir);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.file.find("vardimr.dat"), std::string::npos);
}


// Old files worth keeping: a save that fails must leave exactly these bytes.
const std::vector<unsigned char> kOldValues(kStoreSize * 8, 0x11);
const std::vector<unsigned char> kOldFlags(kVariableCount * 2, 0x22);

TEST_F(VariableFiles, AFullDiskKeepsBothOldFiles) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Write("Varreal.dat", kOldValues);
  Write("vardimr.dat", kOldFlags);
  // The values are written, the flags hit the full device: neither file may
  // be replaced, or the new values would meet the old flags.
  fs::create_symlink("/dev/full", fs::path(dir) / "vardimr.dat.tmp");
  State().VariableStore[0] = 42;
  const SaveResult r = SaveVariableFiles(dir);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(Bytes("Varreal.dat"), kOldValues);
  EXPECT_EQ(Bytes("vardimr.dat"), kOldFlags);
  EXPECT_FALSE(fs::exists(fs::path(dir) / "Varreal.dat.tmp"));
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
  auto write = [&](const char* name, const std::vector<unsigned char>& bytes) {
    std::ofstream out(fs::path(mnt) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  write("Varreal.dat", kOldValues);
  write("vardimr.dat", kOldFlags);
  {  // Fill what is left, a page at a time, until the filesystem refuses.
    FILE* filler = std::fopen((mnt + "/filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    std::setvbuf(filler, nullptr, _IONBF, 0);
    const std::vector<char> page(4096, 'x');
    for (int i = 0; i < 64 && std::fwrite(page.data(), 1, page.size(), filler) == page.size(); ++i) {
    }
    std::fclose(filler);
  }
  State().VariableStore[0] = 42;
  const SaveResult r = SaveVariableFiles(mnt);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, std::strerror(ENOSPC));
  std::ifstream values(fs::path(mnt) / "Varreal.dat", std::ios::binary);
  EXPECT_EQ(std::vector<unsigned char>(std::istreambuf_iterator<char>(values), {}), kOldValues);
  std::ifstream flags(fs::path(mnt) / "vardimr.dat", std::ios::binary);
  EXPECT_EQ(std::vector<unsigned char>(std::istreambuf_iterator<char>(flags), {}), kOldFlags);
}

TEST_F(VariableFiles, AProcessKilledBetweenWritingAndRenamingKeepsTheOldFiles) {
  Write("Varreal.dat", kOldValues);
  Write("vardimr.dat", kOldFlags);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Both temporaries are on disk when the hook runs: die right there.
    SetSaveInterruptionForTest([](const char*) { raise(SIGKILL); });
    State().VariableStore[0] = 42;
    SaveVariableFiles(dir);
    _exit(0);  // not reached when the hook works
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  EXPECT_EQ(Bytes("Varreal.dat"), kOldValues);
  EXPECT_EQ(Bytes("vardimr.dat"), kOldFlags);
  EXPECT_EQ(Bytes("Varreal.dat.tmp").size(), kOldValues.size());  // it died after writing

  // The next run reads the old files and saves over the leftovers.
  LoadVariableFiles(dir);
  State().VariableStore[0] = 7;
  ASSERT_TRUE(SaveVariableFiles(dir).ok);
  EXPECT_FALSE(fs::exists(fs::path(dir) / "Varreal.dat.tmp"));
  EXPECT_FALSE(fs::exists(fs::path(dir) / "vardimr.dat.tmp"));
  State().VariableStore[0] = 0;
  LoadVariableFiles(dir);
  EXPECT_EQ(State().VariableStore[0], 7);
}

TEST_F(VariableFiles, TheConsoleTellsTheUserWhenTheSaveFails) {
  fs::create_directory(fs::path(dir) / "Varreal.dat.tmp");  // fails for root too
  std::vector<std::string> errors;
  Console console([](const std::string&) {}, [&](const std::string& s) { errors.push_back(s); });
  console.Start(dir);
  console.Run("x=3");
  EXPECT_FALSE(console.Finish(dir));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Error: cannot save ", 0), 0u) << errors[0];
  EXPECT_NE(errors[0].find("Varreal.dat"), std::string::npos) << errors[0];
}

}  // namespace
}  // namespace tarvo
