// Arbitrary bytes as the text of the tape's file: its rows are read without a
// fault, and the text a save writes of them and of a row of this session's
// is UTF-8 and reads back as the same rows (the newest that fit).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/entry_encoding.h"
#include "core/tape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string damage;
  std::vector<tarvo::TapeRow> rows = tarvo::DecodeTape({reinterpret_cast<const char*>(data), size}, &damage);
  const std::deque<tarvo::TapeRow> added = {
      {rows.empty() ? 0 : rows.back().time, tarvo::TapeRow::Kind::kAnswer, "1+1", "2"}};
  rows = tarvo::MergeTape(std::move(rows), added, std::nullopt);
  const std::string text = tarvo::EncodeTape(rows);
  damage.clear();
  const std::vector<tarvo::TapeRow> again = tarvo::DecodeTape(text, &damage);
  if (!tarvo::IsUtf8(text) || !damage.empty() || text.size() > tarvo::kTapeBytes || again.size() > rows.size() ||
      !std::equal(again.rbegin(), again.rend(), rows.rbegin()))
    __builtin_trap();
  return 0;
}
