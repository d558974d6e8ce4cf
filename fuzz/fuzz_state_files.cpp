// Arbitrary bytes as the two variable files: the first byte says how many of
// the rest belong to the value file. The calculator must load them, calculate
// with what it read, and save again without a fault.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ui/logic/console.h"

namespace {

void WriteFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

const std::string& Dir() {
  static const std::string dir = [] {
    char templ[] = "/tmp/tarvo-fuzz-XXXXXX";
    return std::string(mkdtemp(templ));
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t split = std::min<size_t>(static_cast<size_t>(data[0]) * 2, size - 1);
  const std::filesystem::path dir(Dir());
  WriteFile(dir / "Varreal.dat", data + 1, split);
  WriteFile(dir / "vardimr.dat", data + 1 + split, size - 1 - split);

  auto quiet = [](const std::string&) {};
  tarvo::ConsoleSession session(quiet, quiet);
  tarvo::Console& console = session.console;
  console.Start(Dir());
  for (const char* entry : {"a+b*c-ans", ":vars", "sin(x)+y/z", "eq2d(x^2+a x+b)", ":frac", ":hex"})
    console.Run(entry);
  console.Finish(Dir());
  return 0;
}
