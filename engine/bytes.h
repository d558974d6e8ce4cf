// Byte-string helpers. Entry texts and token strings are Windows-1252 bytes;
// positions handed to these helpers are 1-based, as the calculator's own
// algorithms count them, so that no call site adjusts indices by hand.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// The code of a byte, 0..255 (plain char is signed on x86).
inline int Code(char c) { return static_cast<unsigned char>(c); }

// The one-character string whose byte has the given code.
inline std::string Chr(int code) { return std::string(1, static_cast<char>(static_cast<unsigned char>(code))); }

// Character `pos` (1-based) of s, or '\0' when pos is outside 1..size.
inline char At(std::string_view s, long pos) {
  return (pos >= 1 && pos <= static_cast<long>(s.size())) ? s[static_cast<size_t>(pos - 1)] : '\0';
}

// Mid(s, start, len): `len` characters from position `start` (1-based); a
// negative len means "to the end". Out-of-range requests are clipped.
std::string Mid(std::string_view s, long start, long len = -1);
// The first n characters (n clipped to 0..size).
std::string Left(std::string_view s, long n);
// The last n characters (n clipped to 0..size).
std::string Right(std::string_view s, long n);

// 1-based position of the first occurrence of `what` at or after `start`,
// 0 when there is none. An empty `what` is found at `start` when that lies
// inside the text.
long InStr(std::string_view s, std::string_view what, long start = 1);
// The same, comparing both sides lower-cased.
long InStrNoCase(std::string_view s, std::string_view what, long start = 1);

// Every non-overlapping occurrence of `from`, scanning left to right and
// never re-scanning inserted text. An empty `from` leaves s unchanged.
std::string Replace(std::string_view s, std::string_view from, std::string_view to);
// The same, comparing lower-cased; the untouched text keeps its case.
std::string ReplaceNoCase(std::string_view s, std::string_view from, std::string_view to);

// Windows-1252 case mapping: A-Z, the accented capitals (not the
// multiplication sign) and the four capitals of 0x8A-0x9F.
char LowerByte(char c);
char UpperByte(char c);
std::string Lower(std::string_view s);
std::string Upper(std::string_view s);

// Blanks (spaces only) removed at both ends / at the left / at the right.
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);

}  // namespace tarvo
