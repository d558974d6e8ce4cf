#include "ui/logic/symbols.h"

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

TEST(Symbols, SignsShowForTheSymbolLetters) {
  struct Row { const char* bytes; const char* utf8; };
  const Row rows[] = {
      {"\xC1" "2", "\u221A2"},          // square root
      {"\xC8" "8", "\u221B8"},          // cube root
      {"2\xCB", "2\u03C0"},             // pi
      {"3\xCE" "8", "3\u207F\u221A" "8"},  // n-th root operator
      {"4\xD3+1", "4\u207B\u00B9+1"},      // reciprocal
      {"2\xB7" "3\xB2\xB3\xD7", "2\u00B73\u00B2\u00B3\u00D7"},  // native signs stay
      {"\x80\x9F", "\u20AC\u0178"},     // Windows-1252, not Latin-1
      {"30\xB0", "30\u00B0"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(BytesToUtf8(r.bytes), r.utf8) << r.bytes;
    EXPECT_EQ(Utf8ToBytes(r.utf8), r.bytes) << r.utf8;
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
