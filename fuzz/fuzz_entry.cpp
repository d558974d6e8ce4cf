// Arbitrary bytes as an entry, through the whole processing cycle, in every
// angle unit and output format. The first byte picks the unit and format.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/logic/console.h"

namespace {

const char* const kUnits[] = {":deg", ":rad", ":gra"};
const char* const kFormats[] = {":norm", ":fix 3", ":sci 5", ":frac", ":dms", ":bin", ":hex", ":date"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  auto quiet = [](const std::string&) {};
  tarvo::Console console(quiet, quiet);
  console.Start("");
  console.Run(kUnits[data[0] % 3]);
  // Entries after the first line run in turn, so assignments and "ans" reach
  // later entries; the format applies to every result.
  console.Run(kFormats[(data[0] / 3) % 8]);
  std::string entry;
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == '\n') {
      console.Run(entry);
      entry.clear();
    } else {
      entry += static_cast<char>(data[i]);
    }
  }
  console.Run(entry);
  return 0;
}
