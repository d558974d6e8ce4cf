#include "ui/logic/symbols.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(Symbols, EveryByteSurvivesTheRoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToBytes(BytesToUtf8(one)), one) << b;
    EXPECT_EQ(CodePointToByte(ByteToCodePoint(static_cast<unsigned char>(b))), b) << b;
  }
}

TEST(Symbols, SignsShowForTheSymbolLetters) {
  struct Row { const char* bytes; const char* utf8; };
  const Row rows[] = {
      {"\xC1" "2", "\u221A2"},          // square root
      {"\xC8" "8", "\u221B8"},          // cube root
      {"2\xCB", "2\u03C0"},             // pi
      {"3\xCE" "8", "3\u23B78"},        // n-th root operator
      {"4\xD3", "4\u215F"},             // reciprocal
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
  EXPECT_EQ(Utf8ToBytes("\u2212" "5"), "-5");       // minus sign
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
