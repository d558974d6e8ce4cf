#include "ui/logic/persist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "engine/state.h"
#include "tests/base/test_support.h"

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

}  // namespace
}  // namespace tarvo
