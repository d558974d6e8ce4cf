#include "ui/logic/text_spans.h"

#include <algorithm>
#include <cstddef>

namespace tarvo {

TextSpan SpanOf(int length, std::vector<int> cuts, int offset, SpanSide side, bool lastPieceAtEnd) {
  if (length < 0 || offset < 0 || offset > length) return {-1, -1};
  if (length == 0) return {0, 0};
  // The places where pieces meet, the text's two ends included.
  std::erase_if(cuts, [length](int c) { return c <= 0 || c >= length; });
  cuts.push_back(0);
  cuts.push_back(length);
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  const int pieces = static_cast<int>(cuts.size()) - 1;
  const auto piece = [&cuts](int i) { return TextSpan{cuts[static_cast<size_t>(i)], cuts[static_cast<size_t>(i) + 1]}; };

  if (offset == length && !lastPieceAtEnd) {
    if (side == SpanSide::kBefore) return piece(pieces - 1);
    return {length, length};
  }
  // The piece holding the offset's character (at the end, the last piece).
  const int at = offset == length
                     ? pieces - 1
                     : static_cast<int>(std::upper_bound(cuts.begin(), cuts.end(), offset) - cuts.begin()) - 1;
  switch (side) {
    case SpanSide::kAt: return piece(at);
    case SpanSide::kBefore: return at > 0 ? piece(at - 1) : TextSpan{0, 0};
    case SpanSide::kAfter: return at + 1 < pieces ? piece(at + 1) : TextSpan{length, length};
  }
  return {-1, -1};
}

}  // namespace tarvo
