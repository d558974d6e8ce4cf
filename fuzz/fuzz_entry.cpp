// Arbitrary bytes as an entry, through the whole processing cycle, in every
// angle unit and output format. The first byte picks the unit and format.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/logic/console.h"

namespace {

constexpr int kMaxEntries = 2;
const char* const kUnits[] = {":deg", ":rad", ":gra"};
const char* const kFormats[] = {":norm", ":fix 3", ":sci 5", ":frac", ":dms", ":bin", ":hex", ":date"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  auto quiet = [](const std::string&) {};
  tarvo::ConsoleSession session(quiet, quiet);
  tarvo::Console& console = session.console;
  console.Start("");
  console.Run(kUnits[data[0] % 3]);
  // The first two lines after the first byte run in turn, so assignments and
  // "ans" reach the second; the format applies to every result. Two, because
  // one entry may legitimately use its whole work budget (under a second in
  // a release build, a few seconds with the sanitizers): an input of many
  // such lines would only measure the timeout.
  console.Run(kFormats[(data[0] / 3) % 8]);
  std::string entry;
  int entries = 0;
  for (size_t i = 1; i < size && entries < kMaxEntries; ++i) {
    if (data[i] == '\n') {
      console.Run(entry);
      entry.clear();
      ++entries;
    } else {
      entry += static_cast<char>(data[i]);
    }
  }
  if (entries < kMaxEntries) console.Run(entry);
  return 0;
}
