#include "core/entry_encoding.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(Symbols, EveryByteSurvivesTheRoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    // The division sign is read as the division operator.
    EXPECT_EQ(Utf8ToBytes(BytesToUtf8(one)), b == 0xF7 ? "/" : one) << b;
  }
}

TEST(Symbols, KeyboardSpellingsAndStrangersMapSafely) {
  struct Row { const char* utf8; const char* bytes; };
  const Row rows[] = {
      {"\u2212" "5", "-5"},             // minus sign
      {"6\u00F7" "3", "6/3"},           // division sign
      {"5\u23B7" "32", "5\xCE" "32"},    // the signs older texts used
      {"4\u215F", "4\xD3"},
      {"4\u207B", "4"},                 // what Backspace leaves of a two-character sign
      {"5\u207F", "5"},
      {"2\u00B9", "2\xB9"},             // a superscript one alone is itself
      {"\u221A\u207F\u221A", "\xC1\xCE"},
  };
  for (const Row& r : rows) EXPECT_EQ(Utf8ToBytes(r.utf8), r.bytes) << r.utf8;
  for (char32_t cp : {U'\u207F', U'\u207B', U'\u4E2D'}) EXPECT_EQ(CodePointToByte(cp), -1);
  EXPECT_EQ(CodePointToByte(U'\u00F7'), '/');
  EXPECT_EQ(CodePointToByte(U'\u03C0'), 0xCB);
  EXPECT_EQ(Utf8ToBytes("2\u22C5" "3"), "2\xB7" "3");  // dot operator
  EXPECT_EQ(Utf8ToBytes("\u00C1"), "\xC1");         // the letter itself still means root
  EXPECT_EQ(Utf8ToBytes("\u4E2D"), "?");            // no byte for it
  EXPECT_EQ(Utf8ToBytes("\U0001F600"), "?");
  EXPECT_EQ(Utf8ToBytes("\xFF\xFE"), "\xFF\xFE");   // not UTF-8: bytes as they are
  EXPECT_EQ(Utf8ToBytes("\xE2\x88"), "\xE2\x88");   // a truncated sequence
  EXPECT_EQ(Utf8ToBytes("\xC0\xAF"), "\xC0\xAF");   // an overlong form is no character
}

}  // namespace
}  // namespace tarvo
