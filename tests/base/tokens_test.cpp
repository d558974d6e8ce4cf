// The function-table rules are checked as the code compiles; here each check
// is shown to refuse a table that breaks its rule.
#include "engine/tokens.h"

#include <initializer_list>
#include <type_traits>
#include <utility>

namespace tarvo {
namespace {

void Applies(Engine&, double&, const ArgumentList&) {}
void AppliesOtherwise(Engine&, double&, const ArgumentList&) {}

// A row of a value function with a cost of 1, unless told otherwise.
constexpr FunctionRow Row(std::string_view name, Token token, Operand operand = ValueOperand(),
                          Written written = Written::kWord, EquationTexts texts = EquationTexts::kNone,
                          long units = 1, FunctionApplying& apply = Applies) {
  return FunctionRow(name, token, written, operand, texts, units, apply);
}

// Names are replaced in table order: a name inside another comes after it.
constexpr FunctionRow kShortNameFirst[] = {Row("sin", Token::Sine), Row("sinh", Token::HyperbolicSine)};
constexpr FunctionRow kLongNameFirst[] = {Row("sinh", Token::HyperbolicSine), Row("sin", Token::Sine)};
static_assert(!KeepsOrderRule(kShortNameFirst));
static_assert(KeepsOrderRule(kLongNameFirst));

// The first `count` function codes, then `extra` in the rows after them.
template <size_t... i>
constexpr std::array<FunctionRow, sizeof...(i)> CodeRows(size_t count, Token extra, std::index_sequence<i...>) {
  return {Row("", i < count ? static_cast<Token>(kFirstFunctionCode + i) : extra)...};
}
template <size_t count, size_t size = count>
constexpr auto Codes(Token extra = Token::End) {
  return CodeRows(count, extra, std::make_index_sequence<size>());
}
constexpr size_t kCodeCount = kLastFunctionCode - kFirstFunctionCode + 1;
static_assert(CoversFunctionCodes(Codes<kCodeCount>()));
static_assert(!CoversFunctionCodes(Codes<kCodeCount - 1>()));
static_assert(!CoversFunctionCodes(Codes<kCodeCount, kCodeCount + 1>(Token::Plus)));

// Names that share a token are one function: only the name and how it is
// written may differ.
constexpr FunctionRow kAliases[] = {Row("sin", Token::Sine), Row("#sen", Token::Sine),
                                    Row("#sin", Token::Sine, ValueOperand(), Written::kCall)};
constexpr FunctionRow kCheaperAlias[] = {Row("sin", Token::Sine), Row("#sen", Token::Sine, ValueOperand(),
                                                                       Written::kWord, EquationTexts::kNone, 2)};
constexpr FunctionRow kOtherApplier[] = {Row("sin", Token::Sine),
                                         Row("#sen", Token::Sine, ValueOperand(), Written::kWord,
                                             EquationTexts::kNone, 1, AppliesOtherwise)};
constexpr FunctionRow kListAlias[] = {Row("lcm", Token::LeastCommonMultiple, ListOperand(2, 10)),
                                      Row("#lcm", Token::LeastCommonMultiple, ListOperand(2, 9))};
static_assert(OneFunctionPerToken(kAliases));
static_assert(!OneFunctionPerToken(kCheaperAlias));
static_assert(!OneFunctionPerToken(kOtherApplier));
static_assert(!OneFunctionPerToken(kListAlias));

// Each row is whole and its parts fit together.
constexpr bool Fits(FunctionRow row) { return RowsFitTogether(std::span<const FunctionRow>(&row, 1)); }
static_assert(Fits(Row("sin", Token::Sine)));
static_assert(Fits(Row("ncr", Token::Combinations, ListOperand(2, 2), Written::kCall)));
static_assert(Fits(Row("solve", Token::SolveOnInterval, ListOperand(3, 4), Written::kCall, EquationTexts::kFirst)));
static_assert(Fits(Row("#ecsg", Token::QuadraticEquation, TextOperand(), Written::kWord, EquationTexts::kEvery)));
static_assert(Fits(Row("#max", Token::ReservedMaximum, ReservedOperand(), Written::kCall, EquationTexts::kFirst)));
static_assert(!Fits(Row("sin", Token::Sine, ValueOperand(), Written::kWord, EquationTexts::kNone, 0)));
// A row without a function to apply does not compile: neither a null
// applier nor one that might be null is taken.
template <typename Applier>
constexpr bool RowTakes = std::is_constructible_v<FunctionRow, std::string_view, Token, Written, Operand,
                                                  EquationTexts, long, Applier>;
static_assert(RowTakes<FunctionApplying&> && !RowTakes<std::nullptr_t> && !RowTakes<FunctionApplier>);
static_assert(!Fits(Row("ncr", Token::Combinations, ValueOperand(), Written::kCall)));
static_assert(!Fits(Row("ncr", Token::Combinations, ListOperand(1, 2), Written::kCall)));
static_assert(!Fits(Row("ncr", Token::Combinations, ListOperand(3, 2), Written::kCall)));
static_assert(!Fits(Row("sin", Token::Sine, ValueOperand(), Written::kWord, EquationTexts::kFirst)));
static_assert(!Fits(Row("#ecsg", Token::QuadraticEquation, TextOperand())));
static_assert(!Fits(Row("sin", Token::Sine, {Operand::kValue, 1, 2})));

// Every name can be typed and reaches the name pass as typed.
constexpr bool Typable(std::initializer_list<FunctionRow> rows) {
  return NamesCanBeTyped(std::span<const FunctionRow>(rows.begin(), rows.size()));
}
constexpr FunctionRow kPi = Row("pi", Token::Pi, NoOperand());
static_assert(Typable({Row("cbrt2", Token::CubeRoot), Row("#CHR$", Token::PowerOf2), kPi}));
static_assert(!Typable({Row("2sin", Token::Sine)}));
static_assert(!Typable({Row("a-b", Token::Sine)}));
static_assert(!Typable({Row("a b", Token::Sine)}));
static_assert(!Typable({Row("sin(", Token::Sine)}));
static_assert(!Typable({Row("", Token::Sine)}));
// The MOD operator, the argument mark, a solver key's form or a name that
// takes no operand would be found inside it first: only a reserved
// spelling may hold one.
static_assert(Typable({Row("#modu", Token::ReservedModulus, ReservedOperand())}));
static_assert(!Typable({Row("#modu", Token::ReservedModulus)}));
static_assert(!Typable({Row("#OPAFX", Token::Sine)}));
static_assert(!Typable({Row("xeq2d", Token::Sine)}));
static_assert(!Typable({Row("spin", Token::Sine), kPi}));
static_assert(Typable({Row("#spin", Token::ReservedSpaces, ReservedOperand()), kPi}));

}  // namespace
}  // namespace tarvo
