// Arbitrary bytes as the two variable files: the first byte says how many of
// the rest belong to the value file. The calculator must load them, calculate
// with what it read, and save again without a fault.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "cli/console.h"
#include "core/state_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/tarvo-fuzz-XXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  if (size == 0) return 0;
  const size_t split = std::min<size_t>(static_cast<size_t>(data[0]) * 2, size - 1);
  const char* bytes = reinterpret_cast<const char*>(data);
  std::ofstream(dir + "/" + tarvo::kValueFile, std::ios::binary).write(bytes + 1, static_cast<std::streamsize>(split));
  std::ofstream(dir + "/" + tarvo::kFlagFile, std::ios::binary)
      .write(bytes + 1 + split, static_cast<std::streamsize>(size - 1 - split));
  auto quiet = [](const std::string&) {};
  tarvo::Console console(quiet, quiet);
  console.Start(dir);
  for (const char* entry : {"a+b*c-ans", ":vars", "sin(x)+y/z", "eq2d(x^2+a x+b)", ":frac", ":hex"})
    console.Run(entry);
  console.Finish(dir);
  return 0;
}
