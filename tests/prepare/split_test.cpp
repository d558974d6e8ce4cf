// The argument splitter on token texts (names already replaced by their
// call tokens, as the normaliser hands them over). A failing first argument
// is dropped; the calls around it, and a call token standing as the "(" of
// the call before it, read on past the gap.
#include <gtest/gtest.h>

#include <string>

#include "engine/errors.h"
#include "engine/state.h"
#include "prepare/normalize.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using test::Readable;
using test::Tok;

TEST(Split, MarksTheFirstSeparatorOfEachCall) {
  const struct {
    const char* input;  // Tok() notation
    const char* want;
    int error;
  } rows[] = {
      {"{lcm}(4,6,8)", "{lcm}(4{ArgumentMark}6,8)", 0},
      {"{ncr}({ncr}(5,2),3)", "{ncr}({ncr}(5{ArgumentMark}2){ArgumentMark}3)", 0},
      {"{ncr}(3,{ncr}(5,2))", "{ncr}(3{ArgumentMark}{ncr}(5{ArgumentMark}2))", 0},
      {"{ncr}((1,2),3)", "{ncr}((1,2){ArgumentMark}3)", 0},
      {"{ncr}(5{ArgumentMark}2)", "{ncr}(5{ArgumentMark}2)", 0},
      {"{ncr}(1,2)+{npr}(3,4)", "{ncr}(1{ArgumentMark}2)+{npr}(3{ArgumentMark}4)", 0},
      {"{lcm}({gcm}({ncr}(1,2),3),4)", "{lcm}({gcm}({ncr}(1{ArgumentMark}2){ArgumentMark}3){ArgumentMark}4)", 0},
      {"{ncr}{ncr}(1,2),3)", "{ncr}{ncr}(1{ArgumentMark}2){ArgumentMark}3)", 0},
      {"1,2,(3)", "1,2,(3)", 0},
      {"", "", 0},
      {"{ncr}(5)", "", kErrSyntax},
      {"{ncr}(5,2", "", kErrSyntax},
      {"1+{ncr}", "", kErrSyntax},
      {"{ncr}", "", kErrSyntax},
      {"{ncr}(1,2)+{ncr}(3)", "", kErrSyntax},
      {"{ncr}(1,{ncr}(2),3)", "", kErrSyntax},
      {"{ncr}({ncr}(5),2)", "{ncr}({ArgumentMark}2)", kErrSyntax},
      {"{ncr}(({ncr}(1),2),3)", "{ncr}({ArgumentMark}3)", kErrSyntax},
      {"{ncr}({ncr}({ncr}(1),2),3)", "{ncr}({ncr}({ArgumentMark}2){ArgumentMark}3)", kErrSyntax},
      {"{ncr}({ncr}({ncr}(1),2)+{ncr}(4),3)+{npr}(7,8)", "{ncr}({ArgumentMark}3)+{npr}(7{ArgumentMark}8)", kErrSyntax},
      {"{ncr}({gcm}{gcm}({ncr}(1),2),3),4)", "{ncr}({ArgumentMark}3),4)", kErrSyntax},
      {"{gcm}{gcm}({ncr}(5),2),3)", "", kErrSyntax},
      {"{gcm}{gcm}({ncr}(5),2,3)", "", kErrSyntax},
      {"{gcm}{ncr}({ncr}(1),{ncr}(2,3)),4)", "", kErrSyntax},
      {"{ncr}{ncr}{ncr}1,,)", "{ncr}{ncr}{ArgumentMark}{ArgumentMark})", kErrSyntax},
  };
  for (const auto& r : rows) {
    Engine engine;
    EXPECT_EQ(Readable(SplitArgumentLists(engine, Tok(r.input))), Readable(Tok(r.want))) << r.input;
    EXPECT_EQ(engine.ErrorCode, r.error) << r.input;
  }
}

}  // namespace
}  // namespace tarvo
