// The one place where the entry line's symbol bytes meet the signs a person
// sees. Every byte decodes as Windows-1252 except the symbol letters of the
// entry line, which show as their mathematical signs. An entry text is a
// string of those bytes; the helpers that read one (Code, Lower, Trim...)
// come with this header.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/bytes.h"

namespace tarvo {

// What a typed character becomes in the entry line: "*" the multiplication
// dot, the ordinal sign the degree mark.
int TypedCharacter(int c);

// Windows-1252 bytes to UTF-8, symbol letters as signs (0xC1 -> √, 0xD3 ->
// ⁻¹ ...).
std::string BytesToUtf8(std::string_view bytes);
// UTF-8 to Windows-1252 bytes: the signs to their symbol letters, the
// keyboard's division and minus signs to "/" and "-", any other character of
// Windows-1252 to its byte, anything else to "?". Malformed UTF-8 is read one
// byte at a time as Windows-1252.
// `dropped`, when given, counts the characters that stand for no byte (the
// lone first halves of two-character signs).
std::string Utf8ToBytes(std::string_view utf8, size_t* dropped = nullptr);

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

// True for a byte that decodes to a control character: C0, DEL, or one of
// the five bytes Windows-1252 leaves undefined, which decode to C1 controls.
bool IsControlByte(unsigned char b);

// The byte of one typed character, or -1 when it has none.
int CodePointToByte(char32_t cp);

}  // namespace tarvo
