// The normaliser reads the names of the table it is handed: every name a
// table holds is read as its function, whatever it is made of. Shown on the
// engine's table and on a test-only table that adds names holding digits
// (which the engine's table has none of), typed, normalised and evaluated.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/eval/functions.h"
#include "engine/state.h"
#include "prepare/equation_texts.h"
#include "prepare/normalize.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using enum ErrorNumber;

using test::Readable;
using test::Tok;

// The engine's row of `name`, under another name.
FunctionRow Renamed(std::string_view name, std::string_view as) {
  for (const FunctionRow& f : FunctionTable())
    if (f.name == name) return FunctionRow(as, f.token, f.written, f.operand, f.texts, f.units, *f.apply);
  ADD_FAILURE() << "no function " << name;
  return FunctionTable()[0];
}

// The engine's table with three names holding digits in front (each name
// of the table that stands inside one must come after it): a cube root, a
// common logarithm and a call of two arguments.
std::vector<FunctionRow> TableWithDigits() {
  std::vector<FunctionRow> table = {Renamed("cur", "cbrt2"), Renamed("log", "log10"), Renamed("pol", "polar2")};
  for (const FunctionRow& f : FunctionTable()) table.push_back(f);
  return table;
}

struct Outcome {
  std::string tokens;
  double value = 0;
  ErrorNumber error = kNone;
};

// Typed text through the normaliser with `names`, the equation texts moved,
// and evaluated as the processing cycle does.
Outcome Typed(const FunctionNames& names, const std::string& typed) {
  Engine engine;
  Outcome out;
  out.tokens = NormalizeExpression(engine, typed, names);
  const std::string moved = MoveEquationTexts(engine, out.tokens, names);
  const bool assigns = moved.size() > 1 && moved[1] == '=';
  if (engine.ErrorCode == kNone) out.value = Evaluate(engine, std::string_view(moved).substr(assigns ? 2 : 0));
  out.error = engine.ErrorCode;
  return out;
}

TEST(FunctionNames, NamesHoldingDigitsAreReadAsTheirFunctions) {
  const std::vector<FunctionRow> table = TableWithDigits();
  ASSERT_TRUE(KeepsOrderRule(table) && NamesCanBeTyped(table) && OneFunctionPerToken(table));
  const FunctionNames names(table);
  const struct {
    const char* typed;
    const char* tokens;
    double value;
    ErrorNumber error = kNone;
  } rows[] = {
      {"cbrt2(8)", "{cur}(8):", 2},
      {"CBRT2 27", "{cur}27:", 3},
      {"2cbrt2(8)", "2{ImplicitProduct}{cur}(8):", 4},
      {"cbrt2(8)cbrt2(27)", "{cur}(8){ImplicitProduct}{cur}(27):", 6},
      {"cbrt2-8", "{cur}{Negate}8:", -2},
      {"cbrt2\xB2(8)", "{PowerOf2}{cur}(8):", 4},
      {"cbrt2(8)!", "{fact}({cur}(8)):", 2},
      {"log10(1000)", "{log}(1000):", 3},
      {"log10 100+log(10)", "{log}100+{log}(10):", 3},
      // Blanks go before names are read: "log 10" is the name log10.
      {"log 10", "{log}:", 0, kSyntax},
      {"log10\xB3(10)", "{PowerOf3}{log}(10):", 1},
      {"polar2(3,4)", "{pol}(3{ArgumentMark}4):", 5},
      {"polar2(3, cbrt2(64))", "{pol}(3{ArgumentMark}{cur}(64)):", 5},
      {"x=polar2(3,4)", "x={pol}(3{ArgumentMark}4):", 5},
      // A comma separates a call's arguments only: the table's calls are
      // known as such, and a comma elsewhere is refused.
      {"polar2(3,4)+ncr(4,2)", "{pol}(3{ArgumentMark}4)+{ncr}(4{ArgumentMark}2):", 11},
      {"cbrt2(1,5)", "", 0, kSyntax},
      {"polar2(3,4),5", "", 0, kSyntax},
  };
  for (const auto& row : rows) {
    const Outcome out = Typed(names, row.typed);
    EXPECT_EQ(Readable(out.tokens), Readable(Tok(row.tokens))) << row.typed;
    EXPECT_EQ(out.error, row.error) << row.typed;
    EXPECT_DOUBLE_EQ(out.value, row.value) << row.typed;
  }
  // The engine's own table holds none of them: there they are letters
  // times digits.
  EXPECT_EQ(Readable(Typed(test::EngineNames(), "cbrt2(8)").tokens),
            Readable(Tok("c{ImplicitProduct}b{ImplicitProduct}r{ImplicitProduct}t^2{ImplicitProduct}(8):")));
}

// Every name of a table, typed before its operand, becomes its token: a
// word before "(8)" (a name that takes no operand gets its 0 and a product
// with the group), a call with two arguments. A name holding the MOD
// operator's spelling is the one exception the table rules allow: a
// reserved spelling nobody can type.
void CheckEveryName(std::span<const FunctionRow> table) {
  const FunctionNames names(table);
  for (const FunctionRow& f : table) {
    if (f.name.find("mod") != std::string_view::npos) continue;
    const std::string token(1, ByteOf(f.token));
    std::string typed = std::string(f.name) + "(8)";
    std::string want = token + "(8):";
    if (f.written == Written::kCall) {
      typed = std::string(f.name) + "(8,9)";
      want = token + "(8" + ByteOf(Token::ArgumentMark) + "9):";
    } else if (f.operand.kind == Operand::kNone) {
      want = token + "(0)" + ByteOf(Token::ImplicitProduct) + "(8):";
    }
    Engine engine;
    EXPECT_EQ(Readable(NormalizeExpression(engine, typed, names)), Readable(want)) << f.name;
    EXPECT_EQ(engine.ErrorCode, kNone) << f.name;
  }
}

TEST(FunctionNames, EveryNameOfTheTableBecomesItsToken) {
  CheckEveryName(FunctionTable());
  CheckEveryName(TableWithDigits());
}

// Which calls' arguments are equation texts comes from the rows too: under
// a test table whose solve takes no text, its equation stays in the string.
TEST(FunctionNames, EquationTextsFollowTheRows) {
  const FunctionNames& engineNames = test::EngineNames();
  std::vector<FunctionRow> table(FunctionTable().begin(), FunctionTable().end());
  for (FunctionRow& f : table)
    if (f.token == Token::SolveOnInterval) f = FunctionRow(f.name, f.token, f.written, f.operand, EquationTexts::kNone, f.units, *f.apply);
  const FunctionNames textless(table);
  Engine engine;
  const std::string tokens = NormalizeExpression(engine, "solve(x-1,0,2)", engineNames);
  EXPECT_EQ(Readable(MoveEquationTexts(engine, tokens, engineNames)), Readable(Tok("{solve}(1{ArgumentMark}0,2):")));
  EXPECT_EQ(engine.EquationSlots[1], Tok("x-1"));
  EXPECT_EQ(Readable(MoveEquationTexts(engine, tokens, textless)), Readable(tokens));
  EXPECT_EQ(engine.EquationSlotCount, 0);
}

// Each text leaves its slot's number where it stood, the call's brackets
// and separators around it, whatever its length.
TEST(FunctionNames, EquationTextsLeaveTheirSlotNumbers) {
  const struct {
    const char* typed;
    const char* tokens;
    std::vector<std::string> slots;
  } rows[] = {
      {"eq2d(x)", "{#ecsg}(1):", {"x"}},
      {"s2x2(x=1,y=2)", "{#sdxd}(1{ArgumentMark}2):", {"x=1", "y=2"}},
      {"solve(x,0,1)+eq3d(x^3)", "{solve}(1{ArgumentMark}0,1)+{#ectg}(2):", {"x", "x^3"}},
  };
  for (const auto& row : rows) {
    Engine engine;
    const std::string tokens = NormalizeExpression(engine, row.typed, test::EngineNames());
    EXPECT_EQ(Readable(MoveEquationTexts(engine, tokens, test::EngineNames())), Readable(Tok(row.tokens))) << row.typed;
    ASSERT_EQ(engine.EquationSlotCount, static_cast<int>(row.slots.size())) << row.typed;
    for (size_t i = 0; i < row.slots.size(); ++i) EXPECT_EQ(engine.EquationSlots[i + 1], Tok(row.slots[i])) << row.typed;
  }
}

}  // namespace
}  // namespace tarvo
