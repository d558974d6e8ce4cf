// The piece of a text at, before and after each offset.
#include "ui/logic/text_spans.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvo {
namespace {

// "12+345" cut as words: 12 | + | 345.
const std::vector<int> kWords = {2, 3};

TEST(SpanOf, EveryOffsetOfAWordCutText) {
  struct Row {
    int offset;
    TextSpan before, at, after;
  };
  const Row rows[] = {
      {0, {0, 0}, {0, 2}, {2, 3}},
      {1, {0, 0}, {0, 2}, {2, 3}},
      {2, {0, 2}, {2, 3}, {3, 6}},
      {3, {2, 3}, {3, 6}, {6, 6}},
      {5, {2, 3}, {3, 6}, {6, 6}},
      {6, {2, 3}, {3, 6}, {6, 6}},  // the end: the last word, read where the caret stops
  };
  for (const Row& r : rows) {
    EXPECT_EQ(SpanOf(6, kWords, r.offset, SpanSide::kBefore, true), r.before) << r.offset;
    EXPECT_EQ(SpanOf(6, kWords, r.offset, SpanSide::kAt, true), r.at) << r.offset;
    EXPECT_EQ(SpanOf(6, kWords, r.offset, SpanSide::kAfter, true), r.after) << r.offset;
  }
}

TEST(SpanOf, CharactersEndWithNothingAtTheEnd) {
  const std::vector<int> chars = {1, 2};
  EXPECT_EQ(SpanOf(3, chars, 3, SpanSide::kAt, false), (TextSpan{3, 3}));
  EXPECT_EQ(SpanOf(3, chars, 3, SpanSide::kBefore, false), (TextSpan{2, 3}));
  EXPECT_EQ(SpanOf(3, chars, 3, SpanSide::kAfter, false), (TextSpan{3, 3}));
  EXPECT_EQ(SpanOf(3, chars, 1, SpanSide::kAfter, false), (TextSpan{2, 3}));
}

TEST(SpanOf, EmptyTextsOutsideOffsetsAndUntidyCuts) {
  for (SpanSide side : {SpanSide::kBefore, SpanSide::kAt, SpanSide::kAfter}) {
    EXPECT_EQ(SpanOf(0, {}, 0, side, true), (TextSpan{0, 0}));
    EXPECT_EQ(SpanOf(0, {}, 1, side, true), (TextSpan{-1, -1}));
    EXPECT_EQ(SpanOf(6, kWords, -1, side, true), (TextSpan{-1, -1}));
    EXPECT_EQ(SpanOf(6, kWords, 7, side, false), (TextSpan{-1, -1}));
  }
  // Unsorted, repeated and out-of-range cuts are the same cuts.
  EXPECT_EQ(SpanOf(6, {3, 9, 2, 0, 3, 6, -4}, 4, SpanSide::kAt, true), (TextSpan{3, 6}));
  EXPECT_EQ(SpanOf(6, {}, 4, SpanSide::kAt, true), (TextSpan{0, 6}));  // one piece: the whole text
}

// Whatever the cuts, the pieces at every offset tile the text in order, each
// holds its offset, and before and after are its neighbours.
TEST(SpanOf, PiecesTileTheTextForAnyCuts) {
  const int length = 9;
  for (unsigned mask = 0; mask < (1u << (length - 1)); ++mask) {
    std::vector<int> cuts;
    for (int c = 1; c < length; ++c)
      if (mask & (1u << (c - 1))) cuts.push_back(c);
    for (bool lastAtEnd : {false, true}) {
      int covered = 0;
      for (int offset = 0; offset <= length; ++offset) {
        const TextSpan at = SpanOf(length, cuts, offset, SpanSide::kAt, lastAtEnd);
        const TextSpan before = SpanOf(length, cuts, offset, SpanSide::kBefore, lastAtEnd);
        const TextSpan after = SpanOf(length, cuts, offset, SpanSide::kAfter, lastAtEnd);
        if (offset < length) {
          ASSERT_TRUE(at.start <= offset && offset < at.end) << mask << " " << offset;
          // The next piece starts where the last one ended, or it is the same piece.
          if (at.start == covered) covered = at.end;
          else ASSERT_EQ(at.end, covered) << mask << " " << offset;
          ASSERT_EQ(before.end, at.start > 0 ? at.start : 0);
          ASSERT_EQ(after.start, at.end);
        }
      }
      ASSERT_EQ(covered, length) << mask;
    }
  }
}

}  // namespace
}  // namespace tarvo
