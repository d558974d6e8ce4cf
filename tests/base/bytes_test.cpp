#include "engine/bytes.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

// Nothing is rescanned; only blanks are trimmed.
TEST(Bytes, ReplaceAndTrim) {
  const std::pair<std::string, std::string> rows[] = {
      {Replace("aaaa", "aa", "a"), "aa"}, {Replace("abc", "", "x"), "abc"},
      {Replace("a.b.c", ".", ".."), "a..b..c"},
      {Trim("  a b  "), "a b"}, {Trim("\ta\t"), "\ta\t"}, {Trim("   "), ""},
  };
  for (const auto& [got, want] : rows) EXPECT_EQ(want, got);
}

// Windows-1252 case, not ASCII only: accented capitals and 0x8A/0x9F lower
// too, the multiplication sign and signs have no case.
TEST(Bytes, CaseMapping) {
  EXPECT_EQ("abc xyz", Lower("ABC xyz"));
  EXPECT_EQ("\xE0\xE1\xE8\xEB\xD7\xFE\x9A\xFF\xB2\xB7\xB0", Lower("\xC0\xC1\xC8\xCB\xD7\xDE\x8A\x9F\xB2\xB7\xB0"));
}

}  // namespace
}  // namespace tarvo
