// The piece of a text a screen reader asks for: the character, word,
// sentence or line at, before or after an offset. Whoever reads the text
// finds where its pieces meet; the answer then takes one pass over those
// places, whatever the offset, the text or the kind of piece.
#pragma once

#include <vector>

namespace tarvo {

// Offsets [start, end) of a text; {-1, -1} answers an offset outside it.
struct TextSpan {
  int start = 0, end = 0;
  bool operator==(const TextSpan&) const = default;
};

enum class SpanSide { kBefore, kAt, kAfter };

// `cuts` are the offsets where one piece of a text of `length` characters
// ends and the next begins (in any order; 0, `length` and anything outside
// are ignored).
// - At an offset inside the text: the piece holding its character. At the
//   text's end: the last piece where `lastPieceAtEnd` (a word, a sentence or
//   a line is still read there), otherwise nothing (a character).
// - Before: the piece before that one (at the end without `lastPieceAtEnd`,
//   the last piece); After: the piece after it.
// Where there is no such piece the span is empty, at the start (before) or
// at the end (after, and anything of an empty text).
TextSpan SpanOf(int length, std::vector<int> cuts, int offset, SpanSide side, bool lastPieceAtEnd);

}  // namespace tarvo
