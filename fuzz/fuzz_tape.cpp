// Arbitrary bytes as the text of the tape's file: its rows are read without a
// fault, and the text a save writes of them and of a row of this session's
// keeps every line it read and reads back as the same rows (the newest
// that fit) and that row; a second save with nothing new writes the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/tape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  std::string damage;
  const std::vector<tarvo::TapeRow> rows = tarvo::DecodeTape(file, &damage);
  // The latest time a row can have: the new row goes last.
  const tarvo::TapeRow added{253402300799999, tarvo::TapeRow::Kind::kAnswer, "1+1", "2"};
  const std::string text = tarvo::MergeTape(file, {added}, {});
  const std::vector<tarvo::TapeRow> again = tarvo::DecodeTape(text);
  if (text.size() > tarvo::kTapeBytes || again.empty() || again.back() != added || again.size() > rows.size() + 1 ||
      !std::equal(again.rbegin() + 1, again.rend(), rows.rbegin()) || tarvo::MergeTape(text, {}, {}) != text)
    __builtin_trap();
  return 0;
}
