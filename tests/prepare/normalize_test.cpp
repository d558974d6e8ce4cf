// The normaliser where its token string, its beep or its limits cannot be
// seen through a value (the typed language itself is in
// prepare_normalize.golden). Inputs are Windows-1252 bytes; expected token
// strings are written with Tok().
#include <gtest/gtest.h>

#include <string>

#include "engine/errors.h"
#include "engine/state.h"
#include "prepare/normalize.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using enum ErrorNumber;

using test::Readable;
using test::Repeat;
using test::Tok;

std::string NestedCalls(int depth) { return Repeat("ncr(", depth) + "1" + Repeat(",2)", depth); }

TEST(Normalize, TokenStringsErrorsAndBeeps) {
  struct Row {
    std::string input;
    std::string want;  // Tok() notation; "*" for any text
    ErrorNumber error = kNone;
    bool beep = false;  // asked for once the entry is done
  };
  const Row rows[] = {
      {"2sin\xB2(30)+|-3|", "2{ImplicitProduct}{PowerOf2}{sin}(30)+{AbsoluteBars}(0-3):"},
      {"30\xBA", "((30)):"},
      {"2\xB7-3", "2*{Negate}3:"},
      {"x AND y", "x{ImplicitProduct}a{ImplicitProduct}n{ImplicitProduct}d{ImplicitProduct}y:"},
      // A comma outside a split list is refused, not read as the list
      // operator; a refused entry asks for no beep, even when it lacks ")".
      {"#vla(1,2)", "", kSyntax},
      {"(1,5", "", kSyntax, false},
      {"lcm(4,6,8)", "{lcm}(4{ArgumentMark}6,8):"},
      // A list operator anywhere but at its call's first separator (typed by
      // its spelling or as its byte, or left inside a bar pair of its own)
      // would read one list as another's argument, or drop the bars.
      {"1#opaf2", "", kSyntax},
      {"lcm(4#opaf6,8)", "", kSyntax},
      {"ncr(|5,2|)", "", kSyntax},
      {std::string("2\x1D" "3"), "", kSyntax},
      {std::string("ncr(5\x1D" "2)"), "", kSyntax},
      // A control byte is no character of the language, whatever token
      // shares its code: refused, not read as a root, a power or a mark.
      {std::string("8\x15" "3"), "", kSyntax},
      {std::string("2\x18" "3"), "", kSyntax},
      {std::string("2\x19" "3"), "", kSyntax},
      {std::string("2\x1E" "3"), "", kSyntax},
      {std::string("1\x01"), "", kSyntax},
      {std::string("\x7F" "1"), "", kSyntax},
      {std::string("1\t+2"), "", kSyntax},
      {"2=>3", "2{GreaterOrEqual}3:"},
      {"2><3", "2{NotEqual}3:"},
      {"lcm(4,+6)", "{lcm}(4{ArgumentMark}6):"},
      {"(1)%!%", "({fact}(((1)/100))/100):"},
      {"sin\xB2(30)!", "{PowerOf2}{fact}({sin}(30)):"},
      {"12\xB0" "34'56\"", "((12)+(34/60)+(56/3600)):"},
      {"\xB0", "{#NUY}:"},
      {"2+!", "2+!:"},
      {"1)%(", "", kSyntax},
      {"(1)%+(23)%", "((1)/100)+((23)/100):"},
      {"ncr(ncr(5),2)", "{ncr}({ArgumentMark}2):", kSyntax},
      {"(2+3", "(2+3):", kNone, true},
      {"((2", "((2)):", kNone, true},
      {")(", "){ImplicitProduct}(:", kNone, false},
      {"2+3)", "", kParenClosed},
      {"&h", "", kOutOfRange},
      {"|3", "", kParenOpen},
      {"&h" + std::string(256, 'f'), "", kUnknown},
      {"&b" + std::string(1100, '1'), "", kUnknown},
      {NestedCalls(201), "", kUnknown},
      {NestedCalls(200), "*"},
  };
  for (const Row& r : rows) {
    Engine engine;
    const std::string got = NormalizeExpression(engine, r.input, test::EngineNames());
    if (r.want != "*") EXPECT_EQ(Readable(got), Readable(Tok(r.want))) << r.input;
    else EXPECT_EQ(got.back(), ':') << "nesting at the limit";
    EXPECT_EQ(engine.ErrorCode, r.error) << r.input;
    EXPECT_EQ(engine.Requests.beep, r.beep) << r.input;
  }
}

}  // namespace
}  // namespace tarvo
