// The evaluator: one left-to-right pass of an operator-priority parser with
// fixed-size stacks. Function tokens and "(" wait on the prefix stack,
// operands fill numbered value slots, and a binary operator waits between two
// slots until an operator of lower or equal priority (or a closing token)
// arrives. Every stack lives in the call, because the solvers re-enter.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/eval/dispatch.h"
#include "engine/eval/evaluate.h"
#include "engine/eval/functions.h"
#include "engine/number_text.h"
#include "engine/state.h"
#include "engine/tokens.h"

namespace tarvo {

bool ResultOk(Engine& engine, double r) {
  if (std::isnan(r)) return Fail(engine, ErrorNumber::kUnknown);
  if (std::isinf(r)) return Fail(engine, ErrorNumber::kOverflow);
  return true;
}

bool CheckedDivide(Engine& engine, double x, double y, double& out) {
  if (y == 0.0) return Fail(engine, ErrorNumber::kDivisionByZero);
  out = x / y;
  return ResultOk(engine, out);
}

bool ToInt32(Engine& engine, double x, std::int32_t& out) {
  const double r = std::nearbyint(x);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return Fail(engine, ErrorNumber::kOverflow);
  out = static_cast<std::int32_t>(r);
  return true;
}

namespace {

// ValueStack slots 1..28 (0 unused); PendingOperators 0..27 sit between slots;
// PrefixStack levels 2..29 hold pending items (level 1 is the floor).
constexpr int kValueSlots = 29;
constexpr int kTopSlot = 28;
constexpr int kPrefixLevels = 30;
constexpr int kTopPrefixLevel = 29;

// The token tables' answers for each byte, read once before main: the scan
// asks them for every operator and prefix item, and what each function's
// application costs.
struct ByteKinds {
  std::int8_t priority[256];  // OperatorPriority, kNoOperator for no operator
  bool function[256];
  std::int16_t units[256];    // a function's cost (see FunctionRow)
  ByteKinds() {
    for (int c = 0; c < 256; ++c) {
      priority[c] = static_cast<std::int8_t>(OperatorPriority(static_cast<char>(c)));
      function[c] = IsFunctionToken(static_cast<char>(c));
      const FunctionRow* f = FunctionOf(c);
      units[c] = static_cast<std::int16_t>(f != nullptr ? f->units : 1);
    }
  }
};
const ByteKinds kKinds;

// A binary operator waiting for its right operand.
struct PendingOperator {
  Token Operator{};
  std::int32_t Priority = 0;
};

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsLetter(int c) { return c >= 'a' && c <= 'z'; }

// Decimal exponent of the leading digit of `mantissa` (digits and at most one
// "."), e.g. 2 for "123.4", -3 for ".0012"; used only to tell an overflowing
// literal from an underflowing one.
long LeadingExponent(std::string_view mantissa) {
  const size_t point = mantissa.find('.');
  const size_t intLen = point == std::string_view::npos ? mantissa.size() : point;
  for (size_t i = 0; i < mantissa.size(); ++i) {
    const char c = mantissa[i];
    if (c == '.' || c == '0') continue;
    return i < intLen ? static_cast<long>(intLen - i) - 1 : -static_cast<long>(i - intLen);
  }
  return 0;
}

// A value the processor multiplies, divides and takes functions of on its
// slow path: a subnormal one.
bool IsSubnormal(double v) { return v != 0.0 && std::fabs(v) < std::numeric_limits<double>::min(); }

// The literal's exponent part after its mantissa ("E-12" gives -12), 0 when
// it has none; its magnitude stops growing past 100000, far beyond range.
long ExponentPart(std::string_view text, size_t mantissaSize) {
  long exponent = 0;
  if (mantissaSize >= text.size()) return 0;
  size_t i = mantissaSize + 1;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  for (; i < text.size() && exponent < 100000; ++i) exponent = exponent * 10 + (text[i] - '0');
  return negative ? -exponent : exponent;
}

// What converting a literal of more than 19 significant digits costs more
// than its length, in work units. The conversion reads the first 19; when
// those, and the same digits plus one in the last place, give two different
// doubles, it compares all the digits exactly, which costs a part more and
// more for each byte, up to a length beyond which it reads no more digits.
constexpr size_t kReadDigits = 19;
constexpr long kLongMantissaUnits = 90;
constexpr long kExactConversionUnits = 200;
constexpr long kExactConversionByteUnits = 3;
constexpr size_t kExactConversionBytes = 800;

long ConversionUnits(std::string_view mantissa, long exponent, size_t length) {
  std::uint64_t leading = 0;
  size_t kept = 0;
  size_t total = 0;
  long scale = exponent;  // the literal is about leading * 10^scale
  bool point = false;
  for (char c : mantissa) {
    if (c == '.') {
      point = true;
      continue;
    }
    const int digit = c - '0';
    if (total == 0 && digit == 0) {
      if (point) --scale;
      continue;
    }
    ++total;
    if (kept < kReadDigits) {
      leading = leading * 10 + static_cast<std::uint64_t>(digit);
      ++kept;
      if (point) --scale;
    } else if (!point) {
      ++scale;
    }
  }
  if (total <= kReadDigits) return 0;
  auto convert = [scale](std::uint64_t digits) {
    char buffer[48];
    char* end = std::to_chars(buffer, buffer + 24, digits).ptr;
    *end++ = 'e';
    end = std::to_chars(end, buffer + sizeof buffer, scale).ptr;
    double v = 0.0;
    const auto res = std::from_chars(buffer, end, v, std::chars_format::general);
    return res.ec == std::errc() ? v : (scale > 0 ? HUGE_VAL : 0.0);
  };
  if (convert(leading) == convert(leading + 1)) return kLongMantissaUnits;
  const auto bytes = static_cast<long>(std::min(length, kExactConversionBytes));
  return kLongMantissaUnits + kExactConversionUnits + bytes * kExactConversionByteUnits;
}

// The value of a scanned literal: `mantissa` is its digits-and-point part,
// `text` the whole literal with any exponent part. Reads "." as the point in
// every locale. A mantissa without digits (a lone ".", or an exponent with
// nothing before it) reads as 0. A literal beyond the double range is an
// overflow (6); one below it reads as 0.
bool LiteralValue(Engine& engine, std::string_view mantissa, std::string_view text, double& out) {
  bool anyDigit = false;
  for (char c : mantissa) anyDigit = anyDigit || IsDigit(Code(c));
  if (!anyDigit) {
    out = 0.0;
    return true;
  }
  const auto res = std::from_chars(text.data(), text.data() + text.size(), out,
                                   std::chars_format::general);
  if (mantissa.size() > kReadDigits &&
      !ChargeWork(engine, ConversionUnits(mantissa, ExponentPart(text, mantissa.size()), text.size())))
    return false;
  if (res.ec == std::errc::result_out_of_range) {
    // The sign of the value's decimal exponent tells which way it left the range.
    if (LeadingExponent(mantissa) + ExponentPart(text, mantissa.size()) > 0)
      return Fail(engine, ErrorNumber::kOverflow);
    out = 0.0;
    return true;
  }
  if (res.ec != std::errc()) return Fail(engine, ErrorNumber::kSyntax);
  return ResultOk(engine, out);
}

// The evaluator's own steps in work units (see ChargeWork), each charged as
// the scan reaches it. An operator or closing token: its lookup and the
// reduction it starts.
constexpr long kOperatorUnits = 3;
// A "(" or a function token put on the prefix stack.
constexpr long kPrefixUnits = 1;
// A variable read.
constexpr long kVariableUnits = 3;
// A literal's conversion, and every four of its bytes (the scan and the
// conversion read them all, however many there are).
constexpr long kLiteralUnits = 9;
constexpr long kLiteralFourBytesUnits = 9;
// A function application, besides what the function's routine charges.
constexpr long kApplicationUnits = 4;
// A binary operator's application: a sum, difference or product, and what
// the dearer operations cost on top: a quotient, a reciprocal sum, a power
// or root (the library's pow), "\" and MOD (two roundings and a 64-bit
// division), and an argument list's writes.
constexpr long kArithmeticUnits = 3;
constexpr long kQuotientUnits = 1;
constexpr long kReciprocalSumUnits = 2;
constexpr long kPowerUnits = 17;
constexpr long kNthRootUnits = 24;
constexpr long kIntegerDivisionUnits = 9;
constexpr long kListUnits = 2;
// What an operation with a subnormal operand or result costs more: a
// product, quotient or list argument (the function using it pays later),
// a power or root, a function application. A sum or difference costs
// nothing more.
constexpr long kSubnormalArithmeticUnits = 50;
constexpr long kSubnormalPowerUnits = 120;
constexpr long kSubnormalApplicationUnits = 80;

class Evaluation {
 public:
  Evaluation(Engine& engine, std::string_view tokens, ApplyFunction apply)
      : engine_(engine), tokens_(tokens), apply_(apply) {}

  // The value of the token string; 0 with ErrorCode set on failure.
  double Run() {
    position_ = 0;
    slot_ = 1;
    level_ = 1;
    groupBase_[1] = 1;
    for (;;) {
      if (!PushPrefixItems()) return 0.0;
      if (!ReadOperand()) return 0.0;
      for (;;) {
        if (!ApplyPrefixes()) return 0.0;
        const char op = Current();
        const int priority = kKinds.priority[Code(op)];
        if (priority == kNoOperator) return Fail(engine_, ErrorNumber::kSyntax);  // also the end of a string without ":"
        if (!Charge(kOperatorUnits)) return 0.0;
        ++position_;
        if (!Reduce(priority)) return 0.0;
        if (priority != 0) {
          if (slot_ >= kTopSlot) return Fail(engine_, ErrorNumber::kUnknown);
          pending_[slot_] = {static_cast<Token>(op), priority};
          ++slot_;
          break;  // next operand
        }
        // A closing token. The normaliser balances every group, but a typed
        // ":" can stand inside one: that, and a ")" with no "(" open, is a
        // syntax error rather than the value of a half-read expression.
        if (op == ByteOf(Token::End)) {
          if (level_ != 1) return Fail(engine_, ErrorNumber::kSyntax);
          return values_[1];
        }
        if (level_ == 1) return Fail(engine_, ErrorNumber::kSyntax);
        --level_;  // the "(" level; the function tokens before it apply next
      }
    }
  }

 private:
  // The byte the scan reads next; '\0' past the end, which no rule takes.
  char Current() const { return position_ < tokens_.size() ? tokens_[position_] : '\0'; }

  bool PushPrefixItems() {
    for (;;) {
      const char ch = Current();
      const int c = Code(ch);
      if (c != '(' && !kKinds.function[Code(ch)]) return true;
      if (level_ >= kTopPrefixLevel) {
        return Fail(engine_, ErrorNumber::kUnknown);
      }
      if (!Charge(kPrefixUnits)) return false;
      ++level_;
      groupBase_[level_] = slot_;
      prefix_[level_] = c == '(' ? 0 : c;
      ++position_;
    }
  }

  bool ReadOperand() {
    const int first = Code(Current());
    if (IsLetter(first)) {
      const size_t start = position_;
      ++position_;
      for (int c = Code(Current()); IsLetter(c) || IsDigit(c) || c == '_'; c = Code(Current())) ++position_;
      // Names of several letters have no value; the normaliser separates
      // letters, so one here is malformed input.
      if (position_ - start != 1) {
        return Fail(engine_, ErrorNumber::kSyntax);
      }
      if (!Charge(kVariableUnits)) return false;
      const int index = first - 'a';
      values_[slot_] = engine_.VariableStore[index];
      engine_.DefinedFlag[index] = kDefined;
      return true;
    }

    const size_t start = position_;
    bool point = false;
    for (int c = Code(Current()); IsDigit(c) || c == '.'; c = Code(Current())) {
      if (c == '.') {
        if (point) {
          return Fail(engine_, ErrorNumber::kSyntax);
        }
        point = true;
      }
      ++position_;
    }
    const size_t mantissaEnd = position_;
    const int next = Code(Current());
    if (next == 'E' || next == 'e') {
      ++position_;
      const int sign = Code(Current());
      if (sign == '+' || sign == '-') ++position_;
      while (IsDigit(Code(Current()))) ++position_;
    } else if (position_ == start) {
      return Fail(engine_, ErrorNumber::kSyntax);
    }
    if (!Charge(kLiteralUnits + static_cast<long>(position_ - start) * kLiteralFourBytesUnits / 4)) return false;
    const std::string_view text = tokens_.substr(start, position_ - start);
    const std::string_view mantissa = tokens_.substr(start, mantissaEnd - start);
    return LiteralValue(engine_, mantissa, text, values_[slot_]);
  }

  // Applies the function tokens waiting above the innermost open "(".
  bool ApplyPrefixes() {
    while (prefix_[level_] != 0 && level_ != 1) {
      if (!Charge(kApplicationUnits + kKinds.units[prefix_[level_]])) return false;
      const bool subnormalOperand = IsSubnormal(values_[slot_]);
      apply_(engine_, prefix_[level_], values_[slot_], lists_ ? *lists_ : NoLists());
      --level_;
      if (engine_.ErrorCode != ErrorNumber::kNone) return false;
      if (!ResultOk(engine_, values_[slot_])) return false;
      if ((subnormalOperand || IsSubnormal(values_[slot_])) && !Charge(kSubnormalApplicationUnits)) return false;
    }
    return true;
  }

  bool Reduce(int priority) {
    while (priority <= pending_[slot_ - 1].Priority && groupBase_[level_] != slot_) {
      --slot_;
      if (!ApplyOperator(pending_[slot_].Operator, values_[slot_], values_[slot_ + 1])) return false;
      if (!(priority < pending_[slot_].Priority)) break;
    }
    return true;
  }

  // x := x (op) y. False with ErrorCode set on failure.
  bool ApplyOperator(Token op, double& x, double y) {
    if (!Charge(kArithmeticUnits)) return false;
    double r = 0.0;
    long subnormalUnits = kSubnormalArithmeticUnits;
    switch (op) {
      case Token::Plus: r = x + y; subnormalUnits = 0; break;
      case Token::Minus: r = x - y; subnormalUnits = 0; break;
      case Token::KeypadProduct:
      case Token::Product:
      case Token::ImplicitProduct: r = x * y; break;
      case Token::ReciprocalSum: {
        if (!Charge(kReciprocalSumUnits)) return false;
        const double product = x * y;
        if (!ResultOk(engine_, product)) return false;
        const double sum = y + x;
        if (!ResultOk(engine_, sum) || !CheckedDivide(engine_, product, sum, r)) return false;
        break;
      }
      case Token::Divide:
        if (!Charge(kQuotientUnits)) return false;
        if (!CheckedDivide(engine_, x, y, r)) return false;
        break;
      case Token::Power:
        if (!Charge(kPowerUnits)) return false;
        subnormalUnits = kSubnormalPowerUnits;
        if (x == 0.0 && y == 0.0) return Fail(engine_, ErrorNumber::kZeroToZero);
        if (x == 0.0 && y < 0.0) return Fail(engine_, ErrorNumber::kOverflow);
        r = std::pow(x, y);  // a negative x with a fractional y is a NaN: fault 1
        break;
      case Token::IntegerDivide:
      case Token::Mod: {
        if (!Charge(kIntegerDivisionUnits)) return false;
        std::int32_t divisor = 0, dividend = 0;
        if (!ToInt32(engine_, y, divisor) || !ToInt32(engine_, x, dividend)) return false;
        if (divisor == 0) return Fail(engine_, ErrorNumber::kDivisionByZero);
        // 64 bits: -2147483648 \ -1 must be an overflow, not undefined behaviour.
        const std::int64_t a = dividend, b = divisor;
        const std::int64_t q = op == Token::Mod ? a % b : a / b;
        if (q > 2147483647) return Fail(engine_, ErrorNumber::kOverflow);
        r = static_cast<double>(q);
        break;
      }
      case Token::ArgumentMark: {
        if (!Charge(kListUnits)) return false;
        if (listCount_ >= kArgumentListCount) return Fail(engine_, ErrorNumber::kTooManyEquations);
        ArgumentList& list = Lists()[static_cast<size_t>(listCount_)];
        ++listCount_;
        list.Arguments[0] = x;
        list.Arguments[1] = y;
        list.LastIndex = 1;
        r = listCount_;
        break;
      }
      case Token::Comma: {
        if (!Charge(kListUnits)) return false;
        const double k = std::nearbyint(x);
        if (!(k >= 1 && k <= kArgumentListCount)) return Fail(engine_, ErrorNumber::kUnknown);
        ArgumentList& list = Lists()[static_cast<size_t>(k) - 1];
        if (list.LastIndex + 1 >= kMaxArguments) return Fail(engine_, ErrorNumber::kUnknown);
        ++list.LastIndex;
        list.Arguments[static_cast<size_t>(list.LastIndex)] = y;
        r = x;
        break;
      }
      case Token::NthRoot: {
        if (!Charge(kNthRootUnits)) return false;
        subnormalUnits = kSubnormalPowerUnits;
        if (x == 0.0) return Fail(engine_, ErrorNumber::kOverflow);
        double sign = 1.0;
        if (y < 0.0) {
          // Only an odd whole index has a real root of a negative number;
          // a negative odd index is refused too.
          if (FracPart(x) != 0.0) return Fail(engine_, ErrorNumber::kOutOfRange);
          std::int32_t index = 0;
          if (!ToInt32(engine_, x, index)) return false;
          if (index % 2 != 1) return Fail(engine_, ErrorNumber::kOutOfRange);
          y = -y;
          sign = -1.0;
        }
        double exponent = 0.0;
        if (!CheckedDivide(engine_, 1.0, x, exponent)) return false;
        r = std::pow(y, exponent) * sign;
        break;
      }
      default:  // comparisons, "&", ";", AND, XOR, OR: no operation
        return Fail(engine_, ErrorNumber::kInternal);
    }
    if (!ResultOk(engine_, r)) return false;
    if ((IsSubnormal(x) || IsSubnormal(y) || IsSubnormal(r)) && !Charge(subnormalUnits)) return false;
    x = r;
    return true;
  }

  // ChargeWork for the evaluator's own steps, without finding the state
  // each time (an abandoned entry has no work left); the slow path reports
  // the spent budget.
  bool Charge(long units) {
    work_.Remaining -= units;
    return work_.Remaining >= 0 || ChargeWork(engine_, 0);
  }

  Engine& engine_;
  std::string_view tokens_;
  ApplyFunction apply_;
  WorkBudget& work_ = engine_.Work;
  size_t position_ = 0;     // the byte the scan reads next
  int slot_ = 1;            // current ValueStack slot
  int level_ = 1;           // current PrefixStack level
  int listCount_ = 0;       // argument lists made so far
  std::array<double, kValueSlots> values_{};
  std::array<PendingOperator, kTopSlot> pending_{};
  std::array<std::int32_t, kPrefixLevels> prefix_{};
  // One entry per prefix level: the slot current when the level was pushed.
  std::array<std::int32_t, kPrefixLevels> groupBase_{};
  // The lists are made (all zero) at the first write: most strings have none,
  // and clearing sixteen lists for each evaluation would be a quarter of
  // its cost. Until then every list reads as the zero list it would be.
  std::optional<ArgumentLists> lists_;
  ArgumentLists& Lists() {
    if (!lists_) lists_.emplace();
    return *lists_;
  }
  static const ArgumentLists& NoLists() {
    static const ArgumentLists none{};
    return none;
  }
};

}  // namespace

namespace {

// The solvers re-enter the evaluator, and a solver's equation can itself call
// a solver whose text slot leads back to the outer equation: without a limit
// that recursion ends only when the stack does. Legitimate nesting is a
// solver inside a solver's equation, three levels at most. Each level left
// behind still finishes its own scan (each evaluation failing at once), so
// the limit is kept low.
constexpr int kMaxEvaluateDepth = 8;

// An evaluation's setup: its stacks, and the check of its depth.
constexpr long kEvaluationSetupUnits = 40;

// The error an abandoned entry ends with (the budget keeps it as a number).
ErrorNumber AbandonedWith(const WorkBudget& work) { return static_cast<ErrorNumber>(work.Abandoned); }

// The first reason wins: an entry abandoned for nesting too deep (1) still
// spends work as its evaluations unwind, and must not end with 41.
void Abandon(Engine& engine, WorkBudget& work, ErrorNumber reason) {
  if (work.Abandoned == 0) work.Abandoned = static_cast<std::int32_t>(reason);
  work.Remaining = std::min<std::int64_t>(work.Remaining, -1);
  Fail(engine, AbandonedWith(work));
}

struct DepthGuard {
  explicit DepthGuard(WorkBudget& work) : work_(work) { ++work_.Depth; }
  ~DepthGuard() { --work_.Depth; }
  WorkBudget& work_;
};

}  // namespace

bool ChargeWork(Engine& engine, long units) {
  WorkBudget& work = engine.Work;
  if (work.Depth == 0) return true;
  work.Remaining -= units;
  if (work.Remaining >= 0 && work.Abandoned == 0) return true;
  Abandon(engine, work, ErrorNumber::kCalculationTooLong);
  return false;
}

double EvaluateWith(Engine& engine, std::string_view tokens, ApplyFunction apply) {
  if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
  WorkBudget& work = engine.Work;
  const bool outermost = work.Depth == 0;
  if (outermost) {
    work.Remaining = work.PerEntry;
    work.Abandoned = 0;
  }
  double result = 0.0;
  {
    const DepthGuard guard(work);
    if (work.Depth > kMaxEvaluateDepth) {
      Abandon(engine, work, ErrorNumber::kUnknown);
      return 0.0;
    }
    if (!ChargeWork(engine, kEvaluationSetupUnits)) return 0.0;
    Evaluation evaluation(engine, tokens, apply);
    result = evaluation.Run();
  }
  // Whatever a solver in between made of the failures, the entry ends with
  // the reason it was abandoned.
  if (outermost && work.Abandoned != 0) Fail(engine, AbandonedWith(work));
  return engine.ErrorCode != ErrorNumber::kNone ? 0.0 : result;
}

double Evaluate(Engine& engine, std::string_view tokens) { return EvaluateWith(engine, tokens, &Apply); }

}  // namespace tarvo
