// A state folder of the test's own, /tmp/…/state (owned by nobody where the
// test runs as root, so that an unprivileged tarvo-cli may use it), with the
// variable files written, read and loaded as the next session would.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/base/test_support.h"
#include "ui/logic/persist.h"

namespace tarvo::test {

namespace fs = std::filesystem;
inline constexpr uid_t kNobody = 65534;

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Gives variable `name` a value and marks it defined (undefined: NaN).
inline void Define(EngineState& e, char name, double value) {
  const size_t i = static_cast<size_t>(name - 'a');
  e.VariableStore[i] = std::isnan(value) ? 0 : value;
  e.DefinedFlag[i] = std::isnan(value) ? 0 : -1;
}

class StateFolder : public FreshEngine {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/tarvo-state-XXXXXX";
    root = mkdtemp(templ);
    dir = root + "/state";
    fs::create_directory(dir);
    chmod(root.c_str(), 0755);
    ASSERT_TRUE(getuid() != 0 || chown(dir.c_str(), kNobody, kNobody) == 0);
  }
  void TearDown() override {
    alarm(0);
    chmod(dir.c_str(), 0700);
    fs::remove_all(root);
  }
  fs::path At(const std::string& name) const { return fs::path(dir) / name; }
  std::string Read(const std::string& name) const { return ReadText(At(name)); }
  void Write(const std::string& name, const std::string& bytes) const { std::ofstream(At(name), std::ios::binary) << bytes; }
  // What a save must not leave: anything besides the two files and the lock.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string n = e.path().filename().string();
      if (n != kValueFile && n != kFlagFile && n != kLockFile) out.push_back(n);
    }
    return out;
  }
  // Variable `name` as the next session loads it; NaN when undefined.
  double Stored(char name) const {
    Engine next;
    EXPECT_TRUE(LoadVariableFiles(next, dir).ok);
    const size_t i = static_cast<size_t>(name - 'a');
    return next.DefinedFlag[i] != 0 ? next.VariableStore[i] : std::nan("");
  }
  std::string root, dir;
};

}  // namespace tarvo::test
