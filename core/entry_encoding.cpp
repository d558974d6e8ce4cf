#include "core/entry_encoding.h"

#include <array>

namespace tarvo {
namespace {

// Windows-1252 0x80..0x9F; 0 marks the five bytes the code page leaves
// undefined, which decode to the C1 control of the same number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The entry line's symbol letters and the signs a person sees for them. Two
// of the signs take two characters: no single character reads as "n-th root"
// or "reciprocal" to a person.
struct Sign {
  unsigned char byte;
  std::string_view utf8;
};
constexpr std::array<Sign, 5> kSigns = {{
    {0xC1, "\u221A"},         // square root
    {0xC8, "\u221B"},         // cube root
    {0xCB, "\u03C0"},         // pi
    {0xCE, "\u207F\u221A"},   // n-th root operator: index before it, radicand after
    {0xD3, "\u207B\u00B9"},   // reciprocal
}};

// The first characters of the two-character signs. Alone (the rest of the
// sign was deleted) they stand for nothing and are dropped, so that one
// Backspace removes the whole sign.
bool IsSignLead(char32_t cp) { return cp == U'\u207F' || cp == U'\u207B'; }

char32_t Windows1252(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F && kHighControls[b - 0x80] != 0) return kHighControls[b - 0x80];
  return b;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when malformed.
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = b(i);
  size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  cp = len == 1 ? lead : len == 2 ? (lead & 0x1F) : len == 3 ? (lead & 0x0F) : (lead & 0x07);
  for (size_t k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  char32_t cp = 0;
  for (size_t i = 0, len = 0; i < text.size(); i += len)
    if ((len = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : DecodeUtf8(text, i, cp)) == 0) return false;
  return true;
}

bool IsControlByte(unsigned char b) {
  const char32_t cp = Windows1252(b);
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

int CodePointToByte(char32_t cp) {
  for (const Sign& s : kSigns) {
    char32_t single = 0;
    if (DecodeUtf8(s.utf8, 0, single) == s.utf8.size() && single == cp) return s.byte;
  }
  // Keyboard spellings of the line's operators, and the signs older texts
  // used for the n-th root and the reciprocal.
  switch (cp) {
    case U'\u00F7': return '/';   // division sign
    case U'\u2212': return '-';   // minus sign
    case U'\u22C5':               // dot operator
    case U'\u2219': return 0xB7;  // bullet operator
    case U'\u23B7': return 0xCE;  // radical symbol bottom
    case U'\u215F': return 0xD3;  // fraction numerator one
    default: break;
  }
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[static_cast<size_t>(i)] == cp) return 0x80 + i;
  if (cp >= 0x80 && cp <= 0x9F && kHighControls[cp - 0x80] == 0) return static_cast<int>(cp);
  return -1;
}

std::string BytesToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) {  // ASCII is itself, and no symbol letter
      out += c;
      continue;
    }
    const Sign* sign = nullptr;
    for (const Sign& s : kSigns)
      if (s.byte == b) sign = &s;
    if (sign != nullptr) out += sign->utf8;
    else AppendUtf8(out, Windows1252(b));
  }
  return out;
}

std::string Utf8ToBytes(std::string_view utf8, size_t* dropped) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {  // ASCII is itself, and starts no sign
      out += utf8[i++];
      continue;
    }
    const Sign* sign = nullptr;
    for (const Sign& s : kSigns)
      if (utf8.substr(i, s.utf8.size()) == s.utf8) sign = &s;
    if (sign != nullptr) {
      out += static_cast<char>(sign->byte);
      i += sign->utf8.size();
      continue;
    }
    char32_t cp = 0;
    const size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {
      out += utf8[i];  // not UTF-8: take the byte as Windows-1252
      ++i;
      continue;
    }
    i += len;
    if (IsSignLead(cp)) {
      if (dropped != nullptr) ++*dropped;
      continue;
    }
    const int b = CodePointToByte(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

int TypedCharacter(int c) {
  constexpr char kDot = '\xB7';      // the multiplication dot of the entry line
  constexpr char kDegree = '\xB0';
  constexpr char kOrdinal = '\xBA';  // typed in place of the degree mark
  if (c == '*') return Code(kDot);
  if (c == Code(kOrdinal)) return Code(kDegree);
  return c;
}

}  // namespace tarvo
