// Arbitrary bytes as an entry, through the whole processing cycle, in every
// angle unit and output format. The first byte picks the unit and format.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/console.h"
#include "engine/state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kUnits[] = {":deg", ":rad", ":gra"};
  static const char* const kFormats[] = {":norm", ":fix 3", ":sci 5", ":frac", ":dms", ":bin", ":hex", ":date"};
  if (size == 0) return 0;
  auto quiet = [](const std::string&) {};
  tarvo::Console console(quiet, quiet);
  console.Start("");
  // The fuzzer's instrumentation runs the engine some sixty times slower
  // than a release build: a sixteenth of the budget keeps an entry that
  // spends it all to a couple of seconds, and every path of the budget's
  // end is still reached.
  console.Calc().SetWorkPerEntry(tarvo::kWorkBudget / 16);
  console.Run(kUnits[data[0] % 3]);
  console.Run(kFormats[(data[0] / 3) % 8]);
  // The first two lines after the first byte run in turn, so assignments and
  // "ans" reach the second. Two, because one entry may legitimately use its
  // whole work budget: an input of many such lines would only measure the
  // timeout.
  std::string entry;
  int entries = 0;
  for (size_t i = 1; i < size && entries < 2; ++i) {
    if (data[i] != '\n') {
      entry += static_cast<char>(data[i]);
    } else {
      console.Run(entry);
      entry.clear();
      ++entries;
    }
  }
  if (entries < 2) console.Run(entry);
  return 0;
}
