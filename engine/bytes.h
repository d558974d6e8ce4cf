// Byte-string helpers. Entry texts and token strings are Windows-1252 bytes;
// what is not here is plain std::string_view work with 0-based indices.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// The code of a byte, 0..255 (plain char is signed on x86).
inline int Code(char c) { return static_cast<unsigned char>(c); }

// Every non-overlapping occurrence of `from`, scanning left to right and
// never re-scanning inserted text. An empty `from` leaves s unchanged.
std::string Replace(std::string_view s, std::string_view from, std::string_view to);

// Windows-1252 lower case: A-Z, the accented capitals (not the
// multiplication sign) and the four capitals of 0x8A-0x9F.
char LowerByte(char c);
std::string Lower(std::string_view s);

// Blanks (spaces only) removed at both ends.
std::string Trim(std::string_view s);

}  // namespace tarvo
