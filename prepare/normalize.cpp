// The normaliser: one fixed sequence of passes over one working text, from
// what the entry line shows to the token string the evaluator reads. Each
// pass sees the whole result of the one before; their order is the language.
#include "prepare/normalize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/number_text.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "prepare/normalize_index.h"
#include "prepare/prepare_detail.h"

namespace tarvo {
namespace {

using detail::FunctionIndex;
using detail::IsFunctionByte;
using detail::kKinds;
using detail::Low;
using detail::NameSets;
using detail::NormalizeFault;
using detail::OperatorSets;
using detail::ReplacesByItself;
using detail::WorkText;

constexpr char kDegreeMark = '\xB0';
constexpr char kMinuteMark = '\'';
constexpr char kSecondMark = '"';

constexpr char kImplicitProduct = ByteOf(Token::ImplicitProduct);
constexpr char kNegation = ByteOf(Token::Negate);
constexpr char kFactorial = ByteOf(Token::Factorial);

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Only lower-case letters: by the second half every letter left is a
// variable, and the "E" that number text writes is part of a number.
bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }
// Bytes 128..255 are function tokens or symbols, all of which start an
// operand; the degree mark closes one.
bool IsOperandStart(char c) {
  return IsLetter(c) || c == '(' || (Code(c) >= 128 && c != kDegreeMark);
}

// The passes, in the order Normalize runs them. Each sees the whole text the
// one before left; a pass that can refuse the entry returns false, and
// HoldsTokenCode is the refusal that comes before them all.
bool HoldsTokenCode(std::string_view text);
void MapDisplaySymbols(WorkText& t);
void LowerCase(WorkText& t);
void SpellModAndDropBlanks(WorkText& t);
void MapSpecialForms(WorkText& t);
void ExpandSignShorthands(WorkText& t);
bool ConvertBasedLiterals(WorkText& t);
void MarkCallsAndSplitArguments(Engine& engine, WorkText& t, const FunctionNames& names);
bool PairAbsoluteBars(WorkText& t);
void GiveConstantsAnOperand(WorkText& t, const NameSets& names);
void ReplaceOperatorSpellings(WorkText& t);
void FoldSignRuns(WorkText& t);
void DropPlusAfterOperators(WorkText& t);
void NegateMinusAfterOperators(WorkText& t);
void WriteZeroBeforeLeadingSigns(WorkText& t);
void ReplaceNamesHoldingDigits(WorkText& t, const NameSets& names);
void InsertProductsAfterNumbers(WorkText& t);
void ReplaceFunctionNames(WorkText& t, const NameSets& names);
void InsertProductsAfterVariables(WorkText& t);
long GroupBalance(const WorkText& t);
bool CommasSeparateListArguments(const std::string& t, const NameSets& sets);
std::optional<std::string> Assemble(const std::string& t);

std::string Normalize(Engine& engine, std::string text, const FunctionNames& names) {
  if (HoldsTokenCode(text)) return Fail(engine, ErrorNumber::kSyntax);
  WorkText t(std::move(text));
  // Display symbols, case, word forms.
  MapDisplaySymbols(t);
  LowerCase(t);
  SpellModAndDropBlanks(t);
  MapSpecialForms(t);
  ExpandSignShorthands(t);
  if (!ConvertBasedLiterals(t)) return Fail(engine, ErrorNumber::kOutOfRange);
  // Calls, bars and the constants that take no operand.
  MarkCallsAndSplitArguments(engine, t, names);
  if (!PairAbsoluteBars(t)) return Fail(engine, ErrorNumber::kParenOpen);
  GiveConstantsAnOperand(t, names.Sets());
  // Operator spellings, then signs.
  ReplaceOperatorSpellings(t);
  FoldSignRuns(t);
  DropPlusAfterOperators(t);
  NegateMinusAfterOperators(t);
  WriteZeroBeforeLeadingSigns(t);
  // Function names and implicit products. A digit in a name is no number:
  // the names that hold one are tokens before the products are written.
  ReplaceNamesHoldingDigits(t, names.Sets());
  InsertProductsAfterNumbers(t);
  ReplaceFunctionNames(t, names.Sets());
  InsertProductsAfterVariables(t);
  // Only the total counts: ")(" passes.
  const long balance = GroupBalance(t);
  if (balance < 0) return Fail(engine, ErrorNumber::kParenClosed);
  // Checked last, so that every other refusal keeps its own message; a
  // splitter failure already refused the entry.
  if (engine.ErrorCode == ErrorNumber::kNone && !CommasSeparateListArguments(t.str(), names.Sets()))
    return Fail(engine, ErrorNumber::kSyntax);
  if (balance > 0) {
    engine.Requests.beep = true;
    t.edit().append(static_cast<size_t>(balance), ')');
  }

  std::optional<std::string> assembled = Assemble(t.str());
  if (!assembled) return Fail(engine, ErrorNumber::kSyntax);
  return std::move(*assembled);
}

// The operator table's spellings, as Signatures, in table order.
const OperatorSets& OperatorSpellings() {
  static const OperatorSets sets;
  return sets;
}

// The display symbols of the entry line's font, and the keypad's bracket
// shapes, in the order they must be replaced ("Â(" before anything eats "(").
void MapDisplaySymbols(WorkText& t) {
  static const std::pair<std::string_view, std::string> kSymbols[] = {
      {"\xCE", TokenText(Token::NthRoot)},
      {"\xC2(", "#SIMP("},
      {"\xC1", "SQR"},
      {"\xC8", "CUR"},
      {"\xCB", "PI"},
      {"\xBA", "\xB0"},
      {"]", ")"},
      {"[", "("},
      {"{", "("},
      {"}", ")"},
      {"\xD3", "^(-1)"},
      {"\xB3", "^(3)"},
      {"\xE7", "i"},
      {"\xE8", "j"},
      {"\xEA", "k"},
      {"\xD4", TokenText(Token::ArcSine)},
      {"\xD7", "@"},
  };
  // Every symbol is a byte above 127 or a square or curly bracket.
  if (!t.HasHighByte() && !t.Has('[') && !t.Has(']') && !t.Has('{') && !t.Has('}')) return;
  for (const auto& [from, to] : kSymbols) t.Replace(from, to);
}

// The keypad's solver keys, typed with "x" or (after the symbol pass) "@".
void MapSpecialForms(WorkText& t) {
  static constexpr std::pair<std::string_view, std::string_view> kForms[] = {
      {"s2@2(", "#sdxd("},     {"s2x2(", "#sdxd("},     {"s3@3(", "#stxt("},
      {"s3x3(", "#stxt("},     {"det3x3(", "#dettxt("}, {"det3@3(", "#dettxt("},
      {"eq2d(", "#ecsg("},     {"eq3d(", "#ectg("},
  };
  for (const auto& [from, to] : kForms) t.Replace(from, to);
}

int DigitValue(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  return d < base ? d : -1;
}

// Base-16 ("&h") or base-2 ("&b") literals become "(" decimal ")". Returns
// false when a prefix has no digit of its base (error 5). A value beyond the
// double range is a fault (error 1): ~256 hex or ~1024 binary digits.
// One left-to-right walk is the same as searching from the start after each
// replacement: the "(" ... ")" written can never form a prefix.
bool ConvertLiterals(std::string& t, std::string_view prefix, int base) {
  std::string out;
  size_t pos = 0;
  for (;;) {
    const size_t p = t.find(prefix, pos);
    if (p == std::string::npos) break;
    size_t q = p + prefix.size();
    double value = 0;
    for (int d; q < t.size() && (d = DigitValue(t[q], base)) >= 0; ++q) {
      value = value * base + d;
      if (!std::isfinite(value)) throw NormalizeFault{};
    }
    if (q == p + prefix.size()) return false;
    out.append(t, pos, p - pos);
    out += '(';
    out += NumberText(value);
    out += ')';
    pos = q;
  }
  out.append(t, pos, std::string::npos);
  t = std::move(out);
  return true;
}

// Bars pair strictly first with second, third with fourth; a bar inside a
// pair never nests. Returns false when the last bar has no partner (error 7).
bool WriteBarsAsGroups(std::string& t) {
  if (t.find('|') == std::string::npos) return true;
  std::string out;
  bool open = false;
  for (char c : t) {
    if (c == '|') {
      out += open ? ")" : "#moab(";
      open = !open;
    } else {
      out += c;
    }
  }
  if (open) return false;
  t = std::move(out);
  return true;
}

void FoldSignRuns(WorkText& t) {
  for (;;) {
    const size_t before = t.str().size();
    t.Replace("\xB7", "*");
    t.Replace("++", "+");
    t.Replace("--", "+");
    t.Replace("+-", "-");
    t.Replace("-+", "-");
    if (t.str().size() == before) return;
  }
}

// Every "-" right after `token` becomes the NegationToken. Equal to taking the
// first occurrence again and again: a change only ever removes the occurrence
// it fixes, or (token = NegationToken) creates the next one to its right.
void NegateMinusAfter(WorkText& w, char token) {
  if (!w.Has(token) || !w.MayHoldPair(token, '-')) return;
  std::string& t = w.edit();
  bool changed = false;
  for (size_t j = 0; j + 1 < t.size(); ++j) {
    if (t[j] == token && t[j + 1] == '-') {
      t[j + 1] = kNegation;
      changed = true;
    }
  }
  if (changed) w.Rescan();
}

// Writes one character (0 for none) between each pair of neighbours, as a
// walk over the growing text would. The characters inserted (ImplicitProduct,
// "^") are never one that a rule fires on, so walking over them changes nothing.
template <class Rule>
void InsertBetween(WorkText& w, Rule rule) {
  const std::string& t = w.str();
  size_t first = 0;
  while (first + 1 < t.size() && rule(t[first], t[first + 1]) == 0) ++first;
  if (first + 1 >= t.size()) return;
  std::string out;
  out.reserve(t.size() + t.size() / 2);
  out.append(t, 0, first);
  for (size_t i = first; i < t.size(); ++i) {
    out += t[i];
    if (i + 1 < t.size()) {
      const char inserted = rule(t[i], t[i + 1]);
      if (inserted != 0) out += inserted;
    }
  }
  w.Set(std::move(out));
}

// token "^(" n ")" with n from 2 to 9 becomes PowerPrefixToken(n) token; an
// ImplicitProduct or "*" right after is dropped. After each rewrite the token
// itself may again stand before "^(" (sin^(2)^(3)), so the search resumes
// there; it ends at the first occurrence of another form.
void FoldFunctionPowers(WorkText& w, char token) {
  if (!w.Has(token) || !w.MayHoldPair(token, '^')) return;
  const char pattern[] = {token, '^', '(', '\0'};
  std::string& t = w.edit();
  if (t.find(pattern, 0, 3) == std::string::npos) return;
  std::string out;
  size_t pos = 0;
  for (;;) {
    const size_t p = t.find(pattern, pos, 3);
    if (p == std::string::npos) break;
    if (p + 4 >= t.size() || t[p + 3] < '2' || t[p + 3] > '9' || t[p + 4] != ')') break;
    out.append(t, pos, p - pos);
    out += static_cast<char>(CodeOf(Token::PowerOf2) - 2 + (t[p + 3] - '0'));
    size_t next = p + 5;
    if (next < t.size() && (t[next] == kImplicitProduct || t[next] == '*')) ++next;
    // The token now stands just before t[next]: reuse the slot before it.
    t[next - 1] = token;
    pos = next - 1;
  }
  out.append(t, pos, std::string::npos);
  w.Set(std::move(out));
}

// Positions below are indices into the assembly's output, whose first byte
// is its opening bracket: no operand starts at 0, which marks "none".
constexpr long kNoOperand = 0;   // nothing there takes the mark: it stays as typed
constexpr long kNoMatch = -1;    // a ")" without its "(" (error 3)

// Where the number that ends `out` starts; 1 when it reaches back to the
// opening bracket. Exponents belong to the number ("2.5e-3").
long NumberStart(const std::string& out) {
  size_t start = out.size() - 1;
  for (; start >= 2; --start) {
    const char c = LowerByte(out[start - 1]);
    const char prev = LowerByte(out[start - 2]);
    const bool belongs =
        (prev == 'e' && (c == '-' || c == '+')) || c == 'e' || IsDigit(c) || c == '.';
    if (!belongs) break;
  }
  return static_cast<long>(start);
}

// The "(" matching the ")" that ends `out`; kNoOperand when there is none
// (the opening bracket is never a match).
long MatchingOpen(const std::string& out) {
  long depth = 1;
  for (size_t i = out.size() - 2; i >= 1; --i) {
    if (out[i] == '(') --depth;
    else if (out[i] == ')') ++depth;
    if (depth == 0) return static_cast<long>(i);
  }
  return kNoOperand;
}

// Where the operand that ends `out` starts: a number, a letter, or a group
// together with the function token before it. `match` is the "(" matching
// a final ")" when known (kNoOperand otherwise). kNoOperand when `out` ends
// in anything else, kNoMatch for a ")" without its "(".
long OperandStart(const std::string& out, long match) {
  const char last = out.back();
  if (IsDigit(last)) return NumberStart(out);
  if (IsLetter(last)) return static_cast<long>(out.size()) - 1;
  if (last != ')') return kNoOperand;
  const long open = match != kNoOperand ? match : MatchingOpen(out);
  if (open == kNoOperand) return kNoMatch;
  return IsFunctionByte(out[static_cast<size_t>(open) - 1]) ? open - 1 : open;
}

// "%" and "!" become a prefix form around the operand that ends `out`:
// "(" x "/100" and factorial "(" x. `match` is the "(" matching a final ")"
// (kNoOperand when unknown). Returns where the "(" written stands, which the
// ")" the caller appends will close, or kNoOperand / kNoMatch.
long ApplyPercentOrFactorial(std::string& out, char mark, long match) {
  const std::string before = mark == '%' ? std::string("(") : std::string{kFactorial, '('};
  const std::string_view after = mark == '%' ? "/100" : "";
  const long start = OperandStart(out, match);
  if (start <= kNoOperand) return start;
  out.insert(static_cast<size_t>(start), before);
  out += after;
  return start + static_cast<long>(before.size()) - 1;
}

// Degrees, minutes and seconds build one bracketed sum: the first mark opens
// "{[" x "]" and the next value whose mark follows the "}" that closes it
// continues with "+[" y "/60]". Returns 1 when applied, else as above.
long ApplyAngleMark(std::string& out, char mark, long match) {
  const std::string_view closing = mark == kDegreeMark ? "]" : mark == kMinuteMark ? "/60]" : "/3600]";
  const long start = OperandStart(out, match);
  if (start <= kNoOperand) return start;
  // A "}" before it ends the previous part of a degree-minute-second run.
  const auto before = static_cast<size_t>(start) - 1;
  if (out[before] == '}') out.replace(before, 1, "+[");
  else out.insert(before + 1, "{[");
  out += closing;
  return 1;
}

// The assembly pass and the final replacement. The output starts with "(" so
// that every backward scan stops; it is dropped at the end. Returns
// std::nullopt on a mark after an unmatched ")" (error 3).
std::optional<std::string> Assemble(const std::string& t) {
  std::string out;
  out.reserve(t.size() + 16);
  out += '(';
  // The "(" matching the output's final ")" when a mark wrote both, valid
  // while the output keeps the size it had then. A run of marks ("1%%%...")
  // would otherwise rescan an ever longer group for each mark.
  long knownMatch = kNoOperand;
  size_t knownSize = 0;
  for (const char ch : t) {
    char c = ch;
    bool emit = true;  // false: the character is dropped
    if (IsFunctionByte(out.back()) && ch == '-') {
      out += kNegation;
      emit = false;
    }
    if (IsFunctionByte(out.back()) && ch == '+') emit = false;
    const long match = out.size() == knownSize ? knownMatch : kNoOperand;
    if (emit && (c == '%' || c == '!')) {
      const long opened = ApplyPercentOrFactorial(out, ch, match);
      if (opened == kNoMatch) return std::nullopt;
      if (opened != kNoOperand) {
        out += ')';
        knownMatch = opened;
        knownSize = out.size();
        continue;
      }
    } else if (emit && (c == kDegreeMark || c == kMinuteMark || c == kSecondMark)) {
      const long applied = ApplyAngleMark(out, ch, match);
      if (applied == kNoMatch) return std::nullopt;
      if (applied != kNoOperand) c = '}';
    }
    if (emit) out += c;
  }
  for (char& c : out) {
    if (c == '{' || c == '[') c = '(';
    else if (c == '}' || c == ']') c = ')';
  }
  out.erase(0, 1);
  out += ':';
  return out;
}

// True when the text holds a multi-argument call token for the splitter.
bool HasCallToken(const std::string& t, const std::array<bool, 256>& callToken) {
  for (char c : t)
    if (callToken[static_cast<size_t>(Code(c))]) return true;
  return false;
}

// The bytes an entry may hold: printable ASCII, and above 127 the entry
// line's symbol letters and signs. Any other one, a control byte or another
// high byte, is a token code that the passes would take for a function or
// operator nobody wrote ("\xBD", a pasted "1/2" sign, is one; a control
// byte 0x15 in a file between 8 and 3 would take a root), so such an entry
// is refused as a syntax error, like any character the language does not
// know.
bool HoldsTokenCode(std::string_view text) {
  static constexpr std::string_view kSigns = "\xB0\xB2\xB3\xB7\xBA\xC1\xC2\xC8\xCB\xCE\xD3\xD4\xD7\xE7\xE8\xEA";
  for (char c : text) {
    if (Code(c) < 0x20 || Code(c) == 0x7F) return true;
    if (Code(c) >= 0x80 && kSigns.find(c) == std::string_view::npos) return true;
  }
  return false;
}

void LowerCase(WorkText& t) {
  for (char c : t.str()) {
    if (Low(c) != c) {
      t.Set(Lower(t.str()));
      return;
    }
  }
}

void SpellModAndDropBlanks(WorkText& t) {
  const char mod[] = {ByteOf(Token::Mod)};
  t.Replace("mod", std::string_view(mod, 1));
  t.Replace(" ", "");
}

void ExpandSignShorthands(WorkText& t) {
  t.Replace("\xB2", "^(2)");
  t.Replace(",-", ",0-");
  t.Replace("=-", "=0-");
}

// Literals in base 16, then base 2.
bool ConvertBasedLiterals(WorkText& t) {
  if (!t.Has('&')) return true;
  std::string& literal = t.edit();
  const bool ok = ConvertLiterals(literal, "&h", 16) && ConvertLiterals(literal, "&b", 2);
  t.Rescan();
  return ok;
}

// Multi-argument calls, name and "(" in table order, then their argument
// lists. A splitter failure leaves ErrorCode 3 and whatever text came back;
// the remaining passes still run and the caller discards the result.
// Without a call token the splitter returns the text unchanged.
void MarkCallsAndSplitArguments(Engine& engine, WorkText& t, const FunctionNames& names) {
  const NameSets& sets = names.Sets();
  for (const NameSets::Call& call : sets.calls) {
    if ((call.signature & ~t.Signature()) != 0) continue;
    t.ReplaceNoCase(call.name, call.signature, std::string_view(call.replacement, 2));
  }
  if (HasCallToken(t.str(), sets.callToken)) t.Set(detail::SplitArgumentListsOrFault(engine, t.str(), names));
}

bool PairAbsoluteBars(WorkText& t) {
  if (!t.Has('|')) return true;
  if (!WriteBarsAsGroups(t.edit())) return false;
  t.Rescan();
  return true;
}

// The functions that take no operand ("ans", "pi") are given the operand 0.
void GiveConstantsAnOperand(WorkText& t, const NameSets& names) {
  for (const auto& [name, withOperand] : names.constants) t.ReplaceNoCase(name, withOperand);
}

void ReplaceOperatorSpellings(WorkText& t) {
  const OperatorSets& sets = OperatorSpellings();
  for (size_t e = 0; e < OperatorTokenTable.size(); ++e) {
    const char token[] = {ByteOf(OperatorTokenTable[e].code)};
    if ((sets.operators[e] & ~t.Signature()) != 0) continue;
    if (ReplacesByItself(OperatorTokenTable[e].spelling, std::string_view(token, 1))) continue;
    t.ReplaceNoCase(OperatorTokenTable[e].spelling, sets.operators[e], std::string_view(token, 1));
  }
}

// One walk does what replacing each operator followed by "+" in table order
// does: once the sign runs are folded no "++" is left, so dropping a "+"
// never makes another operator-"+" pair, and the second spelling of a token
// ("<>", "><") finds nothing more.
void DropPlusAfterOperators(WorkText& t) {
  if (!t.Has('+')) return;
  const std::string& text = t.str();
  auto dropped = [&text](size_t i) {
    return text[i] == '+' && i > 0 && kKinds.signAbsorber[Code(text[i - 1])];
  };
  size_t first = 1;
  while (first < text.size() && !dropped(first)) ++first;
  if (first >= text.size()) return;
  std::string out(text, 0, first);
  for (size_t i = first; i < text.size(); ++i)
    if (!dropped(i)) out += text[i];
  t.Set(std::move(out));
}

// The closing tokens (priority 0) are no operators a sign can follow.
void NegateMinusAfterOperators(WorkText& t) {
  if (!t.Has('-')) return;
  for (const OperatorToken& op : OperatorTokenTable)
    if (op.priority != 0) NegateMinusAfter(t, ByteOf(op.code));
}

void WriteZeroBeforeLeadingSigns(WorkText& t) {
  if (!t.str().empty() && t.str().front() == '-') {
    t.edit().insert(0, "0");
    t.Rescan();
  }
  t.Replace("(-", "(0-");
  if (!t.str().empty() && t.str().front() == '+') t.edit().erase(0, 1);  // the sets may keep a '+'
  t.Replace("(+", "(");
}

// Implicit products around digits, "%" and ")"; "2e3" stays a number.
// Both rules share one walk: they fire on different first bytes, and the
// ImplicitProduct one writes after a digit starts no pair either fires on.
void InsertProductsAfterNumbers(WorkText& t) {
  InsertBetween(t, [](char c, char next) {
    const bool fires = IsDigit(c) ? next != 'e' : c == '%' || c == ')';
    return fires && IsOperandStart(next) ? kImplicitProduct : '\0';
  });
}

// The names that hold a digit, in table order, before a digit of theirs
// could be read as a number followed by a product.
void ReplaceNamesHoldingDigits(WorkText& t, const NameSets& names) {
  for (size_t e : names.holdingDigits) {
    const char token = ByteOf(names.rows[e].token);
    t.ReplaceNoCase(names.rows[e].name, names.signatures[e], std::string_view(&token, 1));
  }
}

// Function names, longest first by table order. Most names share a byte
// with nothing in the text and most tokens are absent: the entries that
// may act come from a few word operations, found again whenever the text
// changed, so that each entry is still judged on the text the ones before
// it left. Each is then tested as before.
void ReplaceFunctionNames(WorkText& t, const NameSets& names) {
  const FunctionIndex& index = names.index;
  FunctionIndex::Entries candidates = index.MayAct(t);
  for (size_t e = index.Next(candidates, 0); e < index.Count(); e = index.Next(candidates, e + 1)) {
    const char token = ByteOf(names.rows[e].token);
    const uint64_t version = t.Version();
    const bool nameMayOccur = (names.signatures[e] & ~t.Signature()) == 0;
    if (nameMayOccur) t.ReplaceNoCase(names.rows[e].name, names.signatures[e], std::string_view(&token, 1));
    if (t.HasHighByte() && t.Has(token)) {  // every token is above 127
      NegateMinusAfter(t, token);
      FoldFunctionPowers(t, token);
    }
    if (t.Version() != version) candidates = index.MayAct(t);
  }
}

// Letters left are variables: "ab" is a times b, "x2" is x squared.
// The three rules share one walk: no pair meets two of them (a digit starts
// no operand), and neither ImplicitProduct nor "^" makes a pair that any of
// them fires on, so the order they would run in cannot show.
void InsertProductsAfterVariables(WorkText& t) {
  InsertBetween(t, [](char c, char next) {
    if (IsLetter(c)) {
      if (IsOperandStart(next)) return kImplicitProduct;
      return c != 'e' && IsDigit(next) ? '^' : '\0';
    }
    return (c == '%' || c == ')') && IsDigit(next) ? kImplicitProduct : '\0';
  });
}

long GroupBalance(const WorkText& t) {
  long balance = 0;
  for (char c : t.str()) {
    if (c == '(') ++balance;
    else if (c == ')') --balance;
  }
  return balance;
}

// A comma means "the next argument of this list" and nothing else: the
// evaluator would read any other one as the list operator and drop what
// follows it ("1,5+1" would be 1). So each comma must stand at the own level
// of a call whose first separator the splitter marked; a decimal comma, a
// comma in a plain group or in a one-argument call is refused. The mark
// itself must be its call's one first separator: a bar pair written around
// a list ("ncr(|5,2|)") becomes a group of its own after the split, whose
// value would be the list's number, so the bars would be dropped and a
// decimal comma in them read as a separator; and a typed list operator
// ("#opaf") would start a list of lists.
bool CommasSeparateListArguments(const std::string& t, const NameSets& sets) {
  if (t.find(',') == std::string::npos && t.find(ByteOf(Token::ArgumentMark)) == std::string::npos) return true;
  constexpr char kMark = ByteOf(Token::ArgumentMark);
  struct Group {
    bool call;       // the own group of a call that takes a list
    bool listBegun;  // its first separator has been passed
  };
  // The open groups, outermost first.
  std::vector<Group> open{{false, false}};
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '(') {
      open.push_back({i > 0 && sets.callToken[static_cast<size_t>(Code(t[i - 1]))], false});
    } else if (c == ')') {
      if (open.size() > 1) open.pop_back();
    } else if (c == kMark) {
      if (!open.back().call || open.back().listBegun) return false;
      open.back().listBegun = true;
    } else if (c == ',' && !open.back().listBegun) {
      return false;
    }
  }
  return true;
}

}  // namespace

FunctionNames::FunctionNames(std::span<const FunctionRow> table)
    : sets_(std::make_unique<const detail::NameSets>(table)) {}
FunctionNames::~FunctionNames() = default;

std::string NormalizeExpression(Engine& engine, std::string_view text, const FunctionNames& names) {
  if (engine.ErrorCode != ErrorNumber::kNone) return {};
  try {
    return Normalize(engine, std::string(text), names);
  } catch (const detail::NormalizeFault&) {
    return Fail(engine, ErrorNumber::kUnknown);
  }
}

}  // namespace tarvo
