#include "engine/bytes.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

// Positions count from 1 and clip at both ends; nothing is rescanned.
TEST(Bytes, SlicingSearchAndReplace) {
  const std::pair<std::string, std::string> rows[] = {
      {Mid("abcdef", 2, 3), "bcd"}, {Mid("abcdef", 4), "def"}, {Mid("abc", 5, 2), ""},
      {Mid("abc", 2, 10), "bc"}, {Mid("abc", 0, 2), "ab"}, {Left("abc", 2), "ab"},
      {Left("abc", 9), "abc"}, {Left("abc", -1), ""}, {Right("abc", 2), "bc"}, {Right("abc", 7), "abc"},
      {Replace("aaaa", "aa", "a"), "aa"}, {Replace("abc", "", "x"), "abc"},
      {Replace("a.b.c", ".", ".."), "a..b..c"}, {ReplaceNoCase("Sin(x)+SIN", "sin", "S"), "S(x)+S"},
      {Trim("  a b  "), "a b"}, {Trim("\ta\t"), "\ta\t"}, {Trim("   "), ""}, {LTrim("  a "), "a "},
      {RTrim("  a "), "  a"},
  };
  for (const auto& [got, want] : rows) EXPECT_EQ(want, got);
  EXPECT_EQ(2, InStr("abcabc", "bc"));
  EXPECT_EQ(5, InStr("abcabc", "bc", 3));
  EXPECT_EQ(0, InStr("abcabc", "x"));
  EXPECT_EQ(0, InStr("abc", "c", 4));
  EXPECT_EQ(3, InStrNoCase("xxSIN(", "sin"));
}

// Windows-1252 case, not ASCII only: accented capitals and 0x8A/0x9F lower
// too, the multiplication sign and signs have no case.
TEST(Bytes, CaseMapping) {
  EXPECT_EQ("abc xyz", Lower("ABC xyz"));
  EXPECT_EQ("\xE0\xE1\xE8\xEB\xD7\xFE\x9A\xFF\xB2\xB7\xB0", Lower("\xC0\xC1\xC8\xCB\xD7\xDE\x8A\x9F\xB2\xB7\xB0"));
  EXPECT_EQ("\xC1Z", Upper("\xE1z"));
}

}  // namespace
}  // namespace tarvo
