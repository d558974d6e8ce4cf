// The normaliser: one fixed sequence of passes over one working text, from
// what the entry line shows to the token string the evaluator reads. Each
// pass sees the whole result of the one before; their order is the language.
#include "prepare/normalize.h"

#include <algorithm>
#include <array>
#include <bit>
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
#include "prepare/prepare_detail.h"

namespace tarvo {
namespace {

using detail::NormalizeFault;

constexpr char kDegreeMark = '\xB0';
constexpr char kMinuteMark = '\'';
constexpr char kSecondMark = '"';

const char kImplicitProduct = static_cast<char>(kTokImplicitProduct);
const char kNegation = static_cast<char>(kTokNegation);
const char kFactorial = static_cast<char>(kTokFactorial);

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Only lower-case letters: by the second half every letter left is a
// variable, and the "E" that number text writes is part of a number.
bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }
// Bytes 128..255 are function tokens or symbols, all of which start an
// operand; the degree mark closes one.
bool IsOperandStart(char c) {
  return IsLetter(c) || c == '(' || (Code(c) >= 128 && c != kDegreeMark);
}

// Which bytes the working text holds, as they are and lower-cased. A pattern
// with a byte the text lacks cannot occur in it, and nearly all of the
// normaliser's four hundred replacements are of names and spellings that a
// given entry does not contain: the sets let those cost a few bit tests
// instead of a search and a copy of the text. The sets are exact after
// Rescan; every change to the text is followed by one.
class ByteSet {
 public:
  void Clear() { bits_[0] = bits_[1] = bits_[2] = bits_[3] = 0; }
  void Add(char c) { bits_[Code(c) >> 6] |= uint64_t{1} << (Code(c) & 63); }
  bool Has(char c) const { return (bits_[Code(c) >> 6] >> (Code(c) & 63)) & 1; }
  bool AnyHigh() const { return (bits_[2] | bits_[3]) != 0; }
  // Bytes 64 * n to 64 * n + 63, one bit each.
  uint64_t Word(size_t n) const { return bits_[n]; }
  bool Contains(const ByteSet& o) const {
    return (o.bits_[0] & ~bits_[0]) == 0 && (o.bits_[1] & ~bits_[1]) == 0 &&
           (o.bits_[2] & ~bits_[2]) == 0 && (o.bits_[3] & ~bits_[3]) == 0;
  }

 private:
  uint64_t bits_[4] = {0, 0, 0, 0};
};

// LowerByte as a table, filled before main (no guard on each use).
struct LowerTable {
  char map[256];
  LowerTable() {
    for (int c = 0; c < 256; ++c) map[c] = LowerByte(static_cast<char>(c));
  }
};
const LowerTable kLowered;
char Low(char c) { return kLowered.map[Code(c)]; }

// Bytes that another byte lower-cases to the same as (A and a), and the
// token kinds, as tables filled before main.
struct ByteKinds {
  bool caseless[256];
  bool function[256];
  bool call[256];
  bool signAbsorber[256];  // operator tokens a "+" after them is dropped
  ByteKinds() {
    int sharing[256] = {};
    for (int c = 0; c < 256; ++c) ++sharing[Code(kLowered.map[c])];
    for (int c = 0; c < 256; ++c) {
      caseless[c] = sharing[Code(kLowered.map[c])] == 1;
      function[c] = IsFunctionToken(static_cast<char>(c));
      call[c] = IsParenFunctionToken(static_cast<char>(c));
      signAbsorber[c] = false;
    }
    // ":" and ")" (the first two entries) are no operators a sign can follow.
    for (size_t e = 2; e < OperatorTokenTable.size(); ++e) signAbsorber[Code(static_cast<char>(OperatorTokenTable[e].code))] = true;
  }
};
const ByteKinds kKinds;
bool IsFunctionByte(char c) { return kKinds.function[Code(c)]; }

// Replacing a spelling by itself changes nothing when no byte of it has
// another case ("+" by "+", as most operators are).
bool ReplacesByItself(std::string_view from, std::string_view to) {
  if (from != to) return false;
  for (char c : from)
    if (!kKinds.caseless[Code(c)]) return false;
  return true;
}

// The lower-cased bytes folded into one word (byte mod 64): a pattern whose
// word has a bit the text's lacks cannot occur, tested in one operation.
uint64_t Signature(std::string_view text) {
  uint64_t sig = 0;
  for (char c : text) sig |= uint64_t{1} << (Code(Low(c)) & 63);
  return sig;
}

// The lower-cased bytes of each name of a token table, in table order.
struct TableSets {
  std::vector<uint64_t> functions, calls, operators;
  TableSets() {
    for (const FunctionToken& f : FunctionTokenTable) functions.push_back(Signature(f.name));
    for (const FunctionToken& f : ParenFunctionTable) calls.push_back(Signature(f.name));
    for (const OperatorToken& op : OperatorTokenTable) operators.push_back(Signature(op.spelling));
  }
};

class WorkText {
 public:
  explicit WorkText(std::string t) : t_(std::move(t)) { Rescan(); }

  const std::string& str() const { return t_; }
  // For passes that edit in place; they call Rescan after a change.
  std::string& edit() { return t_; }
  void Set(std::string t) {
    t_ = std::move(t);
    Rescan();
  }
  // Changes with every change to the text (and its sets).
  uint64_t Version() const { return version_; }
  void Rescan() {
    ++version_;
    raw_.Clear();
    lower_.Clear();
    signature_ = 0;
    for (uint64_t& w : pairs_) w = 0;
    allLower_ = true;
    char previous = 0;
    for (size_t i = 0; i < t_.size(); ++i) {
      const char c = t_[i];
      const char low = Low(c);
      raw_.Add(c);
      lower_.Add(low);
      signature_ |= uint64_t{1} << (Code(low) & 63);
      if (i > 0) AddPair(previous, low);
      previous = low;
      allLower_ = allLower_ && low == c;
    }
  }
  bool Has(char c) const { return raw_.Has(c); }
  bool HasHighByte() const { return raw_.AnyHigh(); }
  const ByteSet& Bytes() const { return raw_; }
  uint64_t Signature() const { return signature_; }
  // Whether the two bytes (as they are or in another case) may stand side by
  // side: the lower-cased neighbour pairs are kept hashed, so a pair that
  // shares a hash with a present one passes too.
  bool MayHoldPair(char a, char b) const {
    const unsigned h = PairHash(Low(a), Low(b));
    return (pairs_[h >> 6] >> (h & 63)) & 1;
  }
  bool MayHold(std::string_view pattern) const {
    for (char c : pattern)
      if (!raw_.Has(c)) return false;
    return MayHoldPairs(pattern);
  }
  bool MayHoldNoCase(std::string_view pattern) const {
    for (char c : pattern)
      if (!lower_.Has(Low(c))) return false;
    return MayHoldPairs(pattern);
  }

  // Replace, and ReplaceNoCase (lower-cased comparison, untouched text keeps
  // its case), with the result of the library routines of the same names.
  void Replace(std::string_view from, std::string_view to) {
    if (from.empty() || !MayHold(from)) return;
    ReplaceEach(from, to, [this](std::string_view f, size_t pos) { return t_.find(f, pos); });
  }
  void ReplaceNoCase(std::string_view from, std::string_view to) {
    if (from.empty() || !MayHoldNoCase(from)) return;
    ReplaceNoCaseFound(from, to);
  }
  // The same, with the Signature of `from` known.
  void ReplaceNoCase(std::string_view from, uint64_t fromSignature, std::string_view to) {
    if ((fromSignature & ~signature_) != 0 || from.empty() || !MayHoldNoCase(from)) return;
    ReplaceNoCaseFound(from, to);
  }

 private:
  // Where a replacement wrote its text; past eight places the sets are
  // simply computed again.
  struct Inserts {
    size_t at[8];
    size_t count = 0;
    bool overflow = false;
    void Note(size_t position) {
      if (count < 8) at[count++] = position;
      else overflow = true;
    }
  };
  // Takes the replaced text. The sets keep what they held (a byte that was
  // replaced away may still count as present, which costs a search, never a
  // result) and gain the bytes written and the neighbour pairs around them.
  void Absorb(std::string out, const Inserts& inserts, size_t length) {
    t_ = std::move(out);
    ++version_;
    if (inserts.overflow) {
      Rescan();
      return;
    }
    for (size_t n = 0; n < inserts.count; ++n) {
      const size_t start = inserts.at[n];
      const size_t end = std::min(start + length, t_.size() - 1);  // the pair after it too
      for (size_t i = start; i < start + length; ++i) {
        const char low = Low(t_[i]);
        raw_.Add(t_[i]);
        lower_.Add(low);
        signature_ |= uint64_t{1} << (Code(low) & 63);
        allLower_ = allLower_ && low == t_[i];
      }
      for (size_t i = start == 0 ? 1 : start; i <= end && i < t_.size(); ++i) AddPair(Low(t_[i - 1]), Low(t_[i]));
    }
  }

  static unsigned PairHash(char a, char b) {
    return (static_cast<unsigned>(Code(a)) * 31u + static_cast<unsigned>(Code(b))) & 1023u;
  }
  void AddPair(char lowA, char lowB) {
    const unsigned h = PairHash(lowA, lowB);
    pairs_[h >> 6] |= uint64_t{1} << (h & 63);
  }
  bool MayHoldPairs(std::string_view pattern) const {
    for (size_t k = 1; k < pattern.size(); ++k)
      if (!MayHoldPair(pattern[k - 1], pattern[k])) return false;
    return true;
  }

  void ReplaceNoCaseFound(std::string_view from, std::string_view to) {
    ReplaceEach(from, to, [this](std::string_view f, size_t pos) { return FindNoCase(f, pos); });
  }

  // Every occurrence that `find(from, pos)` reports, left to right and never
  // in inserted text, becomes `to`.
  template <typename Find>
  void ReplaceEach(std::string_view from, std::string_view to, Find find) {
    size_t hit = find(from, 0);
    if (hit == std::string::npos) return;
    std::string out;
    out.reserve(t_.size() + to.size());
    Inserts inserts;
    size_t pos = 0;
    do {
      out.append(t_, pos, hit - pos);
      inserts.Note(out.size());
      out.append(to);
      pos = hit + from.size();
      hit = find(from, pos);
    } while (hit != std::string::npos);
    out.append(t_, pos, std::string::npos);
    Absorb(std::move(out), inserts, to.size());
  }

  size_t FindNoCase(std::string_view from, size_t pos) const {
    if (allLower_ && from.size() <= 16) {
      // Every byte of the text is its own lower case: a plain search for the
      // lower-cased pattern finds the same places.
      char lowered[16];
      for (size_t k = 0; k < from.size(); ++k) lowered[k] = Low(from[k]);
      return t_.find(lowered, pos, from.size());
    }
    const char first = Low(from[0]);
    const size_t m = from.size();
    for (size_t i = pos; i + m <= t_.size(); ++i) {
      if (Low(t_[i]) != first) continue;
      size_t k = 1;
      while (k < m && Low(t_[i + k]) == Low(from[k])) ++k;
      if (k == m) return i;
    }
    return std::string::npos;
  }

  std::string t_;
  ByteSet raw_, lower_;
  uint64_t pairs_[16] = {};
  uint64_t signature_ = 0;
  bool allLower_ = true;
  uint64_t version_ = 0;
};

// Which entries of FunctionTokenTable may act on a text: those whose name
// has no Signature bit the text lacks, and those whose token the text holds.
// A superset is harmless (each entry is tested again); a missing entry is not.
class FunctionIndex {
 public:
  static constexpr size_t kCount = kFunctionTokenCount;
  static constexpr size_t kWords = (kCount + 63) / 64;
  using Entries = std::array<uint64_t, kWords>;

  FunctionIndex() {
    for (size_t e = 0; e < kCount; ++e) {
      const uint64_t sig = Signature(FunctionTokenTable[e].name);
      for (unsigned b = 0; b < 64; ++b)
        if ((sig >> b) & 1) withBit_[b][e >> 6] |= uint64_t{1} << (e & 63);
      named_ |= sig;
      const unsigned code = static_cast<unsigned>(FunctionTokenTable[e].code);
      withToken_[code & 255][e >> 6] |= uint64_t{1} << (e & 63);
    }
  }

  Entries MayAct(const WorkText& t) const {
    Entries out;
    out.fill(~uint64_t{0});
    // Every entry with a bit the text lacks is out.
    for (uint64_t missing = named_ & ~t.Signature(); missing != 0; missing &= missing - 1) {
      const Entries& with = withBit_[std::countr_zero(missing)];
      for (size_t w = 0; w < kWords; ++w) out[w] &= ~with[w];
    }
    // Unless the text holds its token (every token is above 127).
    for (size_t n = 2; n < 4; ++n) {
      for (uint64_t held = t.Bytes().Word(n); held != 0; held &= held - 1) {
        const Entries& with = withToken_[n * 64 + static_cast<size_t>(std::countr_zero(held))];
        for (size_t w = 0; w < kWords; ++w) out[w] |= with[w];
      }
    }
    return out;
  }

  // The first entry of `entries` at or after `e`; kCount when none.
  static size_t Next(const Entries& entries, size_t e) {
    for (size_t w = e >> 6; w < kWords; ++w) {
      uint64_t word = entries[w];
      if (w == e >> 6) word &= ~uint64_t{0} << (e & 63);
      if (w == kWords - 1 && kCount % 64 != 0) word &= (uint64_t{1} << (kCount % 64)) - 1;
      if (word != 0) return w * 64 + static_cast<size_t>(std::countr_zero(word));
    }
    return kCount;
  }

 private:
  Entries withBit_[64] = {};
  Entries withToken_[256] = {};
  uint64_t named_ = 0;
};

// The display symbols of the entry line's font, and the keypad's bracket
// shapes, in the order they must be replaced ("Â(" before anything eats "(").
void MapDisplaySymbols(WorkText& t) {
  static const std::pair<std::string_view, std::string> kSymbols[] = {
      {"\xCE", Chr(kTokNthRoot)},
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
      {"\xD4", Chr(kTokArcSin)},
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
bool PairAbsoluteBars(std::string& t) {
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
    out += static_cast<char>(190 + (t[p + 3] - '0'));
    size_t next = p + 5;
    if (next < t.size() && (t[next] == kImplicitProduct || t[next] == '*')) ++next;
    // The token now stands just before t[next]: reuse the slot before it.
    t[next - 1] = token;
    pos = next - 1;
  }
  out.append(t, pos, std::string::npos);
  w.Set(std::move(out));
}

// The position (1-based) before the number that ends `out`, 1 when the walk
// reaches the opening bracket. Exponents belong to the number ("2.5e-3").
long NumberScan(const std::string& out) {
  long p = static_cast<long>(out.size()) - 1;
  for (; p >= 2; --p) {
    const char c = LowerByte(At(out, p));
    const char prev = LowerByte(At(out, p - 1));
    const bool belongs =
        (prev == 'e' && (c == '-' || c == '+')) || c == 'e' || IsDigit(c) || c == '.';
    if (!belongs) break;
  }
  return p;
}

// The position of the "(" matching the ")" that ends `out`; 0 when there is
// none (the opening bracket at position 1 is never a match).
long MatchScan(const std::string& out) {
  long depth = 1;
  for (long p = static_cast<long>(out.size()) - 1; p >= 2; --p) {
    const char c = At(out, p);
    if (c == '(') --depth;
    else if (c == ')') ++depth;
    if (depth == 0) return p;
  }
  return 0;
}

void InsertAt(std::string& out, long afterChars, std::string_view what) {
  out.insert(static_cast<size_t>(afterChars), what);
}

// What a postfix mark found to work on.
constexpr long kNoOperand = 0;   // nothing there takes the mark: it stays as typed
constexpr long kNoMatch = -1;    // a ")" without its "(" (error 3)

// The position (1-based) just before the operand that ends `out`: a number,
// a letter, or a group together with the function token before it. `match`
// is the "(" matching a final ")" when known (0 otherwise). kNoOperand when
// `out` ends in anything else, kNoMatch for a ")" without its "(".
long PositionBeforeOperand(const std::string& out, long match) {
  const char last = out.back();
  if (IsDigit(last)) return NumberScan(out);
  if (IsLetter(last)) return static_cast<long>(out.size()) - 1;
  if (last != ')') return kNoOperand;
  const long p = match != 0 ? match : MatchScan(out);
  if (p == 0) return kNoMatch;
  return IsFunctionByte(At(out, p - 1)) ? p - 2 : p - 1;
}

// "%" and "!" become a prefix form around the operand that ends `out`:
// "(" x "/100" and factorial "(" x. `match` is the "(" matching a final ")"
// (0 when unknown). Returns the position of the "(" written, which the ")"
// the caller appends will close, or kNoOperand / kNoMatch.
long ApplyPercentOrFactorial(std::string& out, char mark, long match) {
  const std::string before = mark == '%' ? std::string("(") : std::string{kFactorial, '('};
  const std::string_view after = mark == '%' ? "/100" : "";
  const long at = PositionBeforeOperand(out, match);
  if (at <= 0) return at;
  InsertAt(out, at, before);
  out += after;
  return at + static_cast<long>(before.size());
}

// Degrees, minutes and seconds build one bracketed sum: the first mark opens
// "{[" x "]" and the next value whose mark follows the "}" that closes it
// continues with "+[" y "/60]". Returns 1 when applied, else as above.
long ApplyAngleMark(std::string& out, char mark, long match) {
  const std::string_view closing = mark == kDegreeMark ? "]" : mark == kMinuteMark ? "/60]" : "/3600]";
  const long preceding = PositionBeforeOperand(out, match);
  if (preceding <= 0) return preceding;
  // A "}" there ends the previous part of a degree-minute-second run.
  if (At(out, preceding) == '}') out.replace(static_cast<size_t>(preceding - 1), 1, "+[");
  else InsertAt(out, preceding, "{[");
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
  long knownMatch = 0;
  size_t knownSize = 0;
  for (const char ch : t) {
    char c = ch;
    bool emit = true;  // false: the character is dropped
    if (IsFunctionByte(out.back()) && ch == '-') {
      out += kNegation;
      emit = false;
    }
    if (IsFunctionByte(out.back()) && ch == '+') emit = false;
    const long match = out.size() == knownSize ? knownMatch : 0;
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

std::string Fail(Engine& engine, int code) {
  engine.ErrorCode = code;
  return {};
}

// True when the text holds a multi-argument call token for the splitter.
bool HasCallToken(const std::string& t) {
  for (char c : t)
    if (kKinds.call[Code(c)]) return true;
  return false;
}

// The bytes above 127 an entry may hold: the entry line's symbol letters and
// signs. Any other one is a token code that the passes would take for a
// function or operator nobody wrote ("\xBD", a pasted "1/2" sign, is one), so
// such an entry is refused as a syntax error, like any character the
// language does not know.
bool HoldsUnknownHighByte(std::string_view text) {
  static constexpr std::string_view kSigns = "\xB0\xB2\xB3\xB7\xBA\xC1\xC2\xC8\xCB\xCE\xD3\xD4\xD7\xE7\xE8\xEA";
  for (char c : text)
    if (Code(c) >= 0x80 && kSigns.find(c) == std::string_view::npos) return true;
  return false;
}

std::string Normalize(Engine& engine, std::string text) {
  static const TableSets sets;
  if (HoldsUnknownHighByte(text)) return Fail(engine, kErrSyntax);
  WorkText t(std::move(text));
  // Display symbols, case, word forms.
  MapDisplaySymbols(t);
  for (char c : t.str()) {
    if (Low(c) != c) {
      t.Set(Lower(t.str()));
      break;
    }
  }
  const char mod[] = {static_cast<char>(kTokMod)};
  t.Replace("mod", std::string_view(mod, 1));
  t.Replace(" ", "");
  MapSpecialForms(t);
  t.Replace("\xB2", "^(2)");
  t.Replace(",-", ",0-");
  t.Replace("=-", "=0-");

  // Literals in base 16, then base 2.
  if (t.Has('&')) {
    std::string& literal = t.edit();
    const bool ok = ConvertLiterals(literal, "&h", 16) && ConvertLiterals(literal, "&b", 2);
    t.Rescan();
    if (!ok) return Fail(engine, kErrOutOfRange);
  }

  // Multi-argument calls ("#vla(", the first entry, stays a name).
  for (size_t e = 1; e < ParenFunctionTable.size(); ++e) {
    const char call[] = {static_cast<char>(ParenFunctionTable[e].code), '('};
    if ((sets.calls[e] & ~t.Signature()) != 0) continue;
    t.ReplaceNoCase(ParenFunctionTable[e].name, sets.calls[e], std::string_view(call, 2));
  }
  // A failure here leaves ErrorCode 3 and whatever text came back; the
  // remaining passes still run and the caller discards the result. Without a
  // call token the splitter returns the text unchanged.
  if (HasCallToken(t.str())) t.Set(detail::SplitArgumentListsOrFault(engine, t.str()));

  if (t.Has('|')) {
    if (!PairAbsoluteBars(t.edit())) return Fail(engine, kErrParenOpen);
    t.Rescan();
  }

  t.ReplaceNoCase("ans", "ans(0)");
  t.ReplaceNoCase("rnd", "rnd(0)");
  t.ReplaceNoCase("ran#", "rnd(0)");
  t.ReplaceNoCase("pi", "pi(0)");

  // Operator spellings, then signs.
  for (size_t e = 0; e < OperatorTokenTable.size(); ++e) {
    const char token[] = {static_cast<char>(OperatorTokenTable[e].code)};
    if ((sets.operators[e] & ~t.Signature()) != 0) continue;
    if (ReplacesByItself(OperatorTokenTable[e].spelling, std::string_view(token, 1))) continue;
    t.ReplaceNoCase(OperatorTokenTable[e].spelling, sets.operators[e], std::string_view(token, 1));
  }
  FoldSignRuns(t);
  // ":" and ")" (the first two entries) are no operators a sign can follow.
  // One walk does what replacing each operator followed by "+" in table order
  // does: once the sign runs are folded no "++" is left, so dropping a "+"
  // never makes another operator-"+" pair, and the second spelling of a token
  // ("<>", "><") finds nothing more.
  if (t.Has('+')) {
    const std::string& text = t.str();
    auto dropped = [&text](size_t i) {
      return text[i] == '+' && i > 0 && kKinds.signAbsorber[Code(text[i - 1])];
    };
    size_t first = 1;
    while (first < text.size() && !dropped(first)) ++first;
    if (first < text.size()) {
      std::string out(text, 0, first);
      for (size_t i = first; i < text.size(); ++i)
        if (!dropped(i)) out += text[i];
      t.Set(std::move(out));
    }
  }
  if (t.Has('-')) {
    for (size_t e = 2; e < OperatorTokenTable.size(); ++e)
      NegateMinusAfter(t, static_cast<char>(OperatorTokenTable[e].code));
  }
  if (!t.str().empty() && t.str().front() == '-') {
    t.edit().insert(0, "0");
    t.Rescan();
  }
  t.Replace("(-", "(0-");
  if (!t.str().empty() && t.str().front() == '+') t.edit().erase(0, 1);  // the sets may keep a '+'
  t.Replace("(+", "(");

  // Implicit products around digits, "%" and ")"; "2e3" stays a number.
  // One walk for what were two: the rules fire on different first bytes, and
  // the ImplicitProduct one writes after a digit starts no pair either fires on.
  InsertBetween(t, [](char c, char next) {
    const bool fires = IsDigit(c) ? next != 'e' : c == '%' || c == ')';
    return fires && IsOperandStart(next) ? kImplicitProduct : '\0';
  });

  // Function names, longest first by table order. Most names share a byte
  // with nothing in the text and most tokens are absent: the entries that
  // may act come from a few word operations, found again whenever the text
  // changed, so that each entry is still judged on the text the ones before
  // it left. Each is then tested as before.
  static const FunctionIndex index;
  FunctionIndex::Entries candidates = index.MayAct(t);
  for (size_t e = FunctionIndex::Next(candidates, 0); e < FunctionIndex::kCount;
       e = FunctionIndex::Next(candidates, e + 1)) {
    const char token = static_cast<char>(FunctionTokenTable[e].code);
    const uint64_t version = t.Version();
    const bool nameMayOccur = (sets.functions[e] & ~t.Signature()) == 0;
    if (nameMayOccur) t.ReplaceNoCase(FunctionTokenTable[e].name, sets.functions[e], std::string_view(&token, 1));
    if (t.HasHighByte() && t.Has(token)) {  // every token is above 127
      NegateMinusAfter(t, token);
      FoldFunctionPowers(t, token);
    }
    if (t.Version() != version) candidates = index.MayAct(t);
  }

  // Letters left are variables: "ab" is a times b, "x2" is x squared.
  // One walk for what were three passes: no pair meets two of the rules (a
  // digit starts no operand), and neither ImplicitProduct nor "^" makes a
  // pair that any of them fires on, so the order they ran in cannot show.
  InsertBetween(t, [](char c, char next) {
    if (IsLetter(c)) {
      if (IsOperandStart(next)) return kImplicitProduct;
      return c != 'e' && IsDigit(next) ? '^' : '\0';
    }
    return (c == '%' || c == ')') && IsDigit(next) ? kImplicitProduct : '\0';
  });

  // Only the total counts: ")(" passes.
  long balance = 0;
  for (char c : t.str()) {
    if (c == '(') ++balance;
    else if (c == ')') --balance;
  }
  if (balance < 0) return Fail(engine, kErrParenClosed);
  if (balance > 0) {
    engine.Host().Beep();
    t.edit().append(static_cast<size_t>(balance), ')');
  }

  std::optional<std::string> assembled = Assemble(t.str());
  if (!assembled) return Fail(engine, kErrSyntax);
  return std::move(*assembled);
}

}  // namespace

std::string NormalizeExpression(Engine& engine, std::string_view text) {
  if (engine.ErrorCode != 0) return {};
  try {
    return Normalize(engine, std::string(text));
  } catch (const detail::NormalizeFault&) {
    engine.ErrorCode = kErrUnknown;
    return {};
  }
}

}  // namespace tarvo
