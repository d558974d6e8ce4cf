#include "engine/bytes.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(Slicing, MidLeftRightCountFromOneAndClip) {
  struct Row { const char* name; std::string got; std::string want; };
  const Row rows[] = {
      {"mid middle", Mid("abcdef", 2, 3), "bcd"},
      {"mid to end", Mid("abcdef", 4), "def"},
      {"mid past end", Mid("abc", 5, 2), ""},
      {"mid clipped", Mid("abc", 2, 10), "bc"},
      {"mid from zero", Mid("abc", 0, 2), "ab"},
      {"left", Left("abc", 2), "ab"},
      {"left too long", Left("abc", 9), "abc"},
      {"left negative", Left("abc", -1), ""},
      {"right", Right("abc", 2), "bc"},
      {"right too long", Right("abc", 7), "abc"},
  };
  for (const Row& r : rows) EXPECT_EQ(r.got, r.want) << r.name;
}

TEST(Search, InStrIsOneBasedAndZeroWhenMissing) {
  EXPECT_EQ(InStr("abcabc", "bc"), 2);
  EXPECT_EQ(InStr("abcabc", "bc", 3), 5);
  EXPECT_EQ(InStr("abcabc", "x"), 0);
  EXPECT_EQ(InStr("abc", "c", 4), 0);
  EXPECT_EQ(InStrNoCase("xxSIN(", "sin"), 3);
}

TEST(Replace, EveryOccurrenceWithoutRescanning) {
  EXPECT_EQ(Replace("aaaa", "aa", "a"), "aa");  // not rescanned into "a"
  EXPECT_EQ(Replace("++-", "++", "+"), "+-");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("a.b.c", ".", ".."), "a..b..c");
  EXPECT_EQ(ReplaceNoCase("Sin(x)+SIN", "sin", "S"), "S(x)+S");
  EXPECT_EQ(ReplaceNoCase("#GAU #gau", "#GAU", "g"), "g g");
}

TEST(CaseMapping, FollowsWindows1252NotAscii) {
  EXPECT_EQ(Lower("ABC xyz"), "abc xyz");
  EXPECT_EQ(Lower("\xC1\xC8\xCB"), "\xE1\xE8\xEB");  // accented capitals lower too
  EXPECT_EQ(Lower("\xD7"), "\xD7");                   // the multiplication sign has no case
  EXPECT_EQ(Lower("\x8A\x9F"), "\x9A\xFF");           // 0x80-0x9F capitals of 1252
  EXPECT_EQ(Lower("\xB2\xB7\xB0"), "\xB2\xB7\xB0");   // signs unchanged
  EXPECT_EQ(Upper("\xE1z"), "\xC1Z");
}

TEST(Trim, RemovesBlanksOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
}

}  // namespace
}  // namespace tarvo
