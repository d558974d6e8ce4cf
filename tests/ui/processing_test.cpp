// The processing cycle end to end: entry line in, display, message lines,
// clipboard and engine state out.
#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <string>

#include "engine/errors.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "tests/base/test_support.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/calculator_logic.h"

namespace tarvo {
namespace {

class Processing : public test::FreshEngine {
 protected:
  test::FakeControls c;
  CalculatorLogic form{c, engine};

  void Exe(const std::string& entry) {
    c.entry = entry;
    c.selStart = static_cast<int>(entry.size());
    form.ExecuteKey();
  }
};

TEST_F(Processing, ResultsGoToDisplayAnswerAndClipboard) {
  Exe("2+3");
  EXPECT_EQ(c.Shown(), " 5");
  EXPECT_EQ(engine.LastAnswer, 5);
  EXPECT_EQ(c.clipboard, " 5");
  EXPECT_TRUE(form.ResultShown);
  EXPECT_EQ(c.busyCalls, (std::vector<bool>{true, false}));

  Exe("2-2");  // a zero leaves the clipboard alone
  EXPECT_EQ(c.Shown(), " 0");
  EXPECT_EQ(c.clipboard, " 5");

  Exe("0-7");  // negative results go without the blank
  EXPECT_EQ(c.clipboard, "-7");
}

TEST_F(Processing, BlankEntryOnlyBeeps) {
  Exe("   ");
  EXPECT_EQ(c.beeps, 1);
  EXPECT_EQ(form.HistoryLast, 0);
  EXPECT_TRUE(c.display.empty());
}

TEST_F(Processing, AssignmentsStoreAndReportFailures) {
  struct Row { const char* entry; int error; double answer; const char* upperMessage; };
  const Row rows[] = {
      {"x=2+3", 0, 5, ""},
      {"e=1", 19, 1, "Error: Can't store a value to a constant "},
      {"5=3", 20, 3, "Error: Can't store. Unknown variable "},
      {"x=1/0", 11, 3, "Error: Division by zero "},  // x and the answer unchanged
  };
  for (const Row& r : rows) {
    Exe(r.entry);
    EXPECT_EQ(engine.ErrorCode, r.error) << r.entry;
    EXPECT_EQ(engine.LastAnswer, r.answer) << r.entry;
    EXPECT_EQ(c.upperMessage, r.upperMessage) << r.entry;
  }
  EXPECT_EQ(engine.VariableStore[23], 5);
  EXPECT_EQ(engine.DefinedFlag[23], -1);
  EXPECT_EQ(engine.VariableStore[4], std::exp(1.0));
}

TEST_F(Processing, ErrorsAreRedNoticesGreenAndTheDisplayKeepsItsResult) {
  Exe("4");
  Exe("1/0");
  EXPECT_EQ(c.color, kErrorRed);
  EXPECT_EQ(c.Shown(), " 4");
  EXPECT_EQ(engine.LastAnswer, 4);
  EXPECT_EQ(c.entry, "1/0");
  Exe("s2x2(x+y=1, 2x+2y=2)");
  EXPECT_EQ(engine.ErrorCode, 33);
  EXPECT_EQ(c.color, kNoticeGreen);
  EXPECT_EQ(c.upperMessage, "Not found solutions / Infinite solutions ");
  Exe("2");
  EXPECT_EQ(c.color, kBlack);
}

TEST_F(Processing, EntriesOverTheLengthLimitAreRefusedBeforeAnyWork) {
  const std::string longest = "1" + [] {
    std::string s;
    for (int i = 0; i < (kMaxEntryLength - 1) / 2; ++i) s += "+1";
    return s;
  }();
  ASSERT_EQ(longest.size(), static_cast<size_t>(kMaxEntryLength));
  Exe(longest);
  EXPECT_EQ(engine.ErrorCode, 0);
  EXPECT_EQ(engine.LastAnswer, (kMaxEntryLength + 1) / 2);
  const int historyBefore = form.HistoryLast;
  c.busyCalls.clear();
  Exe(longest + "0");
  EXPECT_EQ(engine.ErrorCode, kErrEntryTooLong);
  EXPECT_EQ(c.upperMessage, "Error: Entry too long ");
  EXPECT_EQ(c.color, kErrorRed);
  EXPECT_TRUE(c.busyCalls.empty()) << "nothing was evaluated";
  EXPECT_EQ(form.HistoryLast, historyBefore) << "nor kept in the history";
  // Blanks count as the entry line holds them.
  Exe(" " + longest);
  EXPECT_EQ(engine.ErrorCode, kErrEntryTooLong);
  Exe(std::string(kMaxEntryLength + 1, ' '));
  EXPECT_EQ(engine.ErrorCode, kErrEntryTooLong);
}

// Running out of memory while an entry is evaluated: the entry ends with an
// error, the busy pointer goes, and the next entry runs as usual.
class OutOfMemoryControls : public test::FakeControls {
 public:
  bool failNextEvaluation = false;
  void SetBusy(bool busy) override {
    FakeControls::SetBusy(busy);
    if (busy && failNextEvaluation) {
      failNextEvaluation = false;
      throw std::bad_alloc();
    }
  }
};

TEST_F(Processing, AnEntryOutOfMemoryEndsInAnErrorAndTheSessionGoesOn) {
  OutOfMemoryControls controls;
  CalculatorLogic window{controls, engine};
  controls.entry = "6*7";
  window.ExecuteKey();
  controls.failNextEvaluation = true;
  controls.entry = "x=2+3";
  window.ExecuteKey();
  EXPECT_EQ(engine.ErrorCode, kErrTooComplex);
  EXPECT_EQ(controls.upperMessage, "Error: Too complex expression ");
  EXPECT_EQ(controls.busyCalls.back(), false);
  EXPECT_EQ(engine.LastAnswer, 42);
  EXPECT_EQ(engine.DefinedFlag[23], kUndefined);
  controls.entry = "ans+1";
  window.ExecuteKey();
  EXPECT_EQ(engine.ErrorCode, 0);
  EXPECT_EQ(controls.Shown(), " 43");
}

TEST_F(Processing, CompletedEntriesAreWrittenBack) {
  engine.LastAnswer = -2;
  Exe("\xC1");
  EXPECT_EQ(c.entry, "\xC1 (-2)");
  EXPECT_EQ(engine.ErrorCode, 5);  // square root of a negative
  engine.ErrorCode = 0;
  engine.LastAnswer = -2;
  Exe("+1");
  EXPECT_EQ(c.entry, "(-2)+1");
  EXPECT_EQ(engine.LastAnswer, -1);
}

TEST_F(Processing, EquationTextsGoToSlots) {
  EXPECT_EQ(MoveAllEquationTexts(engine, test::Tok("{#ecsg}(x^2-3{ImplicitProduct}x+2)+1:"), CodeOf(Token::QuadraticEquation)),
            test::Tok("{#ecsg}(1)+1:"));
  EXPECT_EQ(engine.EquationSlots[1], test::Tok("x^2-3{ImplicitProduct}x+2"));
  engine.EquationSlotCount = 0;
  EXPECT_EQ(MoveAllEquationTexts(engine, test::Tok("{#sdxd}(x+y=1{ArgumentMark}x-y=0):"), CodeOf(Token::LinearSystem2)),
            test::Tok("{#sdxd}(1{ArgumentMark}2):"));
  EXPECT_EQ(engine.EquationSlots[2], "x-y=0");
  engine.EquationSlotCount = 0;
  EXPECT_EQ(MoveEquationTexts(engine, test::Tok("{solve}(x^2-2{ArgumentMark}0,3):"), CodeOf(Token::SolveOnInterval)),
            test::Tok("{solve}(1{ArgumentMark}0,3):"));
  EXPECT_EQ(engine.EquationSlots[1], "x^2-2");
}

TEST_F(Processing, TooManyOrEmptyEquationTexts) {
  std::string many;
  for (int i = 0; i < 10; ++i) many += "+eq2d(x^2-1)";
  Exe(many);
  EXPECT_EQ(engine.ErrorCode, 23);
  EXPECT_EQ(c.upperMessage, "Error: Too many equations/functions ");

  engine.EquationSlotCount = 0;
  engine.ErrorCode = 0;
  EXPECT_EQ(MoveAllEquationTexts(engine, test::Tok("{#ecsg}():"), CodeOf(Token::QuadraticEquation)), "");
  EXPECT_EQ(engine.ErrorCode, 3);
}

TEST_F(Processing, ContinuingFromAResult) {
  Exe("2+3");
  c.selStart = 3;
  int ch = form.EntryLineKeyPress('*');
  c.Type(std::string(1, static_cast<char>(ch)));
  c.Type("4");
  EXPECT_EQ(c.entry, "5\xB7" "4");
  form.ExecuteKey();
  EXPECT_EQ(c.Shown(), " 20");
}

TEST_F(Processing, EquationResultsDoNotContinue) {
  Exe("eq2d(x^2-3x+2=0)");
  EXPECT_EQ(engine.ErrorCode, 0);
  EXPECT_FALSE(form.ResultShown);
  EXPECT_EQ(engine.LastAnswer, 2);
}

TEST_F(Processing, LoadShowsZeroInDegreesAndRecordsIt) {
  engine.VariableStore[kStoreLastAnswer] = 9;
  form.StartSession("");
  EXPECT_EQ(c.Shown(), " 0");
  EXPECT_EQ(engine.LastAnswer, 0);
  EXPECT_DOUBLE_EQ(engine.AngleFactor, 180 / engine.Pi);
  EXPECT_EQ(form.HistoryLast, 1);
  EXPECT_EQ(form.HistoryEntry(1), "0");
  EXPECT_EQ(c.entry, "");
}

}  // namespace
}  // namespace tarvo
