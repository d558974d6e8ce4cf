#include "engine/tokens.h"

#include "engine/bytes.h"

namespace tarvo {

// Spellings that share a token ("<>" and "><") share its priority.
constexpr std::array<OperatorToken, kOperatorTokenCount> OperatorTokenTable = {{
    {":", Token::End, 0},
    {")", Token::CloseGroup, 0},
    {"+", Token::Plus, 5},
    {"-", Token::Minus, 5},
    {"@", Token::KeypadProduct, 6},
    {"*", Token::Product, 7},
    {"//", Token::ReciprocalSum, 9},
    {"/", Token::Divide, 7},
    {"^", Token::Power, 9},
    {"<>", Token::NotEqual, 4},
    {"><", Token::NotEqual, 4},
    {"<=", Token::LessOrEqual, 4},
    {"=<", Token::LessOrEqual, 4},
    {">=", Token::GreaterOrEqual, 4},
    {"=>", Token::GreaterOrEqual, 4},
    {"<", Token::Less, 4},
    {"=", Token::Equal, 4},
    {">", Token::Greater, 4},
    {"&", Token::Ampersand, 5},
    {";", Token::Semicolon, 5},
    {"\\", Token::IntegerDivide, 7},
    {"#OPAF", Token::ArgumentMark, 1},
    {",", Token::Comma, 1},
    {" MOD ", Token::Mod, 7},
    {" AND ", Token::And, 3},
    {" XOR ", Token::Xor, 2},
    {" OR ", Token::Or, 2},
    {"\x18", Token::ImplicitProduct, 8},
    {"\x15", Token::NthRoot, 9},
}};

// The operator table agrees with the Token names, checked as the code compiles.
namespace {

// Operators are bytes below the functions; a one-character printable
// spelling is its own token.
constexpr bool OperatorsSpellTheirTokens() {
  for (const OperatorToken& op : OperatorTokenTable) {
    if (CodeOf(op.code) >= kFirstFunctionCode) return false;
    const bool printable = op.spelling.size() == 1 && op.spelling[0] >= ' ';
    if (printable && op.spelling[0] != ByteOf(op.code)) return false;
  }
  return true;
}

// A token has one priority, whichever of its spellings was typed; priority
// 0 marks exactly the closing tokens, which end a group or the string.
constexpr bool OneTokenOnePriority() {
  for (const OperatorToken& op : OperatorTokenTable) {
    const bool closing = op.code == Token::End || op.code == Token::CloseGroup;
    if ((op.priority == 0) != closing) return false;
    for (const OperatorToken& other : OperatorTokenTable)
      if (other.code == op.code && other.priority != op.priority) return false;
  }
  return true;
}

static_assert(OperatorsSpellTheirTokens());
static_assert(OneTokenOnePriority());

struct ByteSets {
  std::array<signed char, 256> priority{};
  ByteSets() {
    priority.fill(kNoOperator);
    for (const auto& e : OperatorTokenTable)
      priority[static_cast<size_t>(CodeOf(e.code))] = static_cast<signed char>(e.priority);
  }
};

const ByteSets& Sets() {
  static const ByteSets sets;
  return sets;
}

}  // namespace

int OperatorPriority(char c) { return Sets().priority[static_cast<size_t>(Code(c))]; }

}  // namespace tarvo
