// The normaliser's speed machinery. The normaliser runs on every entry
// (tarvo-cli processes about half a million entries a second), and nearly
// all of its four hundred replacements are of names and spellings that a
// given entry does not contain. The byte sets, the neighbour-pair hashes and
// the function index let those cost a few bit tests instead of a search and
// a copy of the text; a replacement that may apply still runs as written.
// Private to prepare/.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/bytes.h"
#include "engine/tokens.h"

namespace tarvo::detail {

// Which bytes the working text holds, as they are and lower-cased. A pattern
// with a byte the text lacks cannot occur in it. The sets are exact after
// Rescan; every change to the text is followed by one.
class ByteSet {
 public:
  void Clear() { bits_[0] = bits_[1] = bits_[2] = bits_[3] = 0; }
  void Add(char c) { bits_[Code(c) >> 6] |= uint64_t{1} << (Code(c) & 63); }
  bool Has(char c) const { return (bits_[Code(c) >> 6] >> (Code(c) & 63)) & 1; }
  bool AnyHigh() const { return (bits_[2] | bits_[3]) != 0; }
  // Bytes 64 * n to 64 * n + 63, one bit each.
  uint64_t Word(size_t n) const { return bits_[n]; }

 private:
  uint64_t bits_[4] = {0, 0, 0, 0};
};

// LowerByte as a table, filled before main (no guard on each use).
struct LowerTable {
  char map[256];
  LowerTable();
};
extern const LowerTable kLowered;
inline char Low(char c) { return kLowered.map[Code(c)]; }

// Bytes that another byte lower-cases to the same as (A and a), and the
// token kinds, as tables filled before main.
struct ByteKinds {
  bool caseless[256];
  bool function[256];
  bool signAbsorber[256];  // operator tokens a "+" after them is dropped
  ByteKinds();
};
extern const ByteKinds kKinds;
inline bool IsFunctionByte(char c) { return kKinds.function[Code(c)]; }

// Replacing a spelling by itself changes nothing when no byte of it has
// another case ("+" by "+", as most operators are).
inline bool ReplacesByItself(std::string_view from, std::string_view to) {
  if (from != to) return false;
  for (char c : from)
    if (!kKinds.caseless[Code(c)]) return false;
  return true;
}

// The lower-cased bytes folded into one word (byte mod 64): a pattern whose
// word has a bit the text's lacks cannot occur, tested in one operation.
inline uint64_t Signature(std::string_view text) {
  uint64_t sig = 0;
  for (char c : text) sig |= uint64_t{1} << (Code(Low(c)) & 63);
  return sig;
}

// The lower-cased bytes of each spelling of the operator table, in table order.
struct OperatorSets {
  std::vector<uint64_t> operators;
  OperatorSets();
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

// Which rows of a function table may act on a text: those whose name has
// no Signature bit the text lacks, and those whose token the text holds.
// A superset is harmless (each row is tested again); a missing row is not.
class FunctionIndex {
 public:
  static constexpr size_t kMaxRows = 128;
  static constexpr size_t kWords = (kMaxRows + 63) / 64;
  using Entries = std::array<uint64_t, kWords>;

  // At most kMaxRows rows.
  explicit FunctionIndex(std::span<const FunctionRow> rows);

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

  size_t Count() const { return count_; }
  // The first entry of `entries` at or after `e`; Count() when none.
  size_t Next(const Entries& entries, size_t e) const {
    for (size_t w = e >> 6; w < kWords; ++w) {
      uint64_t word = entries[w];
      if (w == e >> 6) word &= ~uint64_t{0} << (e & 63);
      if (word != 0) {
        const size_t found = w * 64 + static_cast<size_t>(std::countr_zero(word));
        return found < count_ ? found : count_;
      }
    }
    return count_;
  }

 private:
  size_t count_ = 0;
  Entries withBit_[64] = {};
  Entries withToken_[256] = {};
  uint64_t named_ = 0;
};

// A function table's names as the passes use them, made once per table.
struct NameSets {
  explicit NameSets(std::span<const FunctionRow> table);

  std::span<const FunctionRow> rows;
  std::vector<uint64_t> signatures;  // each row's name, as Signature
  // The rows written as calls, in table order: the name with its "(", and
  // the token and "(" it becomes.
  struct Call {
    std::string name;
    uint64_t signature;
    char replacement[2];
  };
  std::vector<Call> calls;
  std::array<bool, 256> callToken{};
  // The rows whose names hold a digit, which are replaced before the
  // implicit products are written (a digit there is no number).
  std::vector<size_t> holdingDigits;
  // The names of the functions that take no operand, and each written with
  // the operand 0 it is given.
  std::vector<std::pair<std::string_view, std::string>> constants;
  // The tokens of the calls whose first argument, and of those whose every
  // argument, is an equation text, by code.
  std::vector<Token> firstTextTokens, everyTextTokens;
  std::array<bool, 256> textToken{};  // either kind
  FunctionIndex index;
};

}  // namespace tarvo::detail
