// The entry line and its history, driven through the recording controls.
#include <gtest/gtest.h>

#include "engine/state.h"
#include "tests/base/test_support.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/calculator_logic.h"

namespace tarvo {
namespace {

class EntryLine : public test::FreshEngine {
 protected:
  test::FakeControls c;
  CalculatorLogic form{c, engine};

  void SetLine(const std::string& text, int caret, int selection = 0) {
    c.entry = text;
    c.selStart = caret;
    c.selLength = selection;
  }
  // Records entries the way AC does: the line goes into the history.
  void Record(const std::string& text) {
    c.entry = text;
    form.RecordInHistory();
  }
};

TEST_F(EntryLine, LastAnswerTextPutsZeroAndBracketsBack) {
  struct Row { double answer; const char* text; };
  const Row rows[] = {{0.5, "0.5"}, {-2, "(-2)"}, {25, "25"}, {-0.25, "(-0.25)"}, {0, "0"},
                      {1.5e20, "1.5E+20"}, {-1.5e-7, "(-1.5E-07)"}};
  for (const Row& r : rows) {
    engine.LastAnswer = r.answer;
    EXPECT_EQ(LastAnswerText(engine), r.text) << r.answer;
  }
}

TEST_F(EntryLine, AloneFunctionsAndOperatorsTakeTheLastAnswer) {
  struct Row { const char* entry; double answer; const char* completed; bool changed; };
  const Row rows[] = {
      {"\xC1", 25, "\xC1 25", true},           // a lone square root
      {"\xC1", -2, "\xC1 (-2)", true},
      {"!", 25, "25!", true},
      {"\xB2", 3, "3\xB2", true},
      {"*3", 25, "25*3", true},
      {"+1", -2, "(-2)+1", true},
      {"7-", 25, "7- 25", true},
      {"-7", 25, "-7", false},                 // a leading minus is a sign
      {"sin", 25, "sin 25", true},
      {"SIN", 25, "SIN 25", true},             // names are compared lower-cased
      {"pi", 25, "pi", false},
      {"ans", 25, "ans", false},
      {"2 + 3", 25, "2+3", false},             // blanks always go
      {"&h", 10, "&h 10", true},
      {"+", 4, "4+ 4", true},                  // both ends are operators
      {"10^", 2, "10^ 2", true},
      {"\xCE", 8, "8\xCE 8", true},            // the n-th root operator alone
  };
  for (const Row& r : rows) {
    engine.LastAnswer = r.answer;
    bool changed = !r.changed;
    EXPECT_EQ(CompleteWithLastAnswer(engine, r.entry, changed), r.completed) << r.entry;
    EXPECT_EQ(changed, r.changed) << r.entry;
  }
}

TEST_F(EntryLine, KeysInsertAtTheCaretReplacingTheSelection) {
  SetLine("1+3", 2, 1);  // the "3" selected
  form.InsertAtCaret("2", "");
  EXPECT_EQ(c.entry, "1+2");
  EXPECT_EQ(c.selStart, 3);

  SetLine("sin ", 4);
  form.InsertAtCaret(" + ", "");  // a blank after a blank is dropped
  EXPECT_EQ(c.entry, "sin + ");

  SetLine("12", 1);
  form.InsertAtCaret("x", "first\r\nsecond");
  EXPECT_EQ(c.entry, "1x2");
  EXPECT_EQ(c.upperMessage, "first ");
  EXPECT_EQ(c.lowerMessage, "second ");

  form.ArcShift = form.HypShift = true;
  form.InsertAtCaret("", "only help");
  EXPECT_EQ(c.entry, "1x2");
  EXPECT_EQ(c.upperMessage, "only help ");
  EXPECT_FALSE(form.ArcShift || form.HypShift);
}

TEST_F(EntryLine, AKeyAfterAResultStartsANewEntry) {
  SetLine("2+3", 3);
  form.ResultShown = true;
  form.InsertAtCaret("7", "");
  EXPECT_EQ(c.entry, "7");
}

TEST_F(EntryLine, DeleteRemovesSelectionOrOneCharacter) {
  struct Row { const char* text; int caret; int selection; const char* after; int caretAfter; };
  const Row rows[] = {
      {"12345", 5, 0, "1234", 4},
      {"12345", 2, 0, "1345", 1},
      {"12345", 0, 0, "12345", 0},   // at the start: nothing
      {"12345", 1, 3, "15", 1},      // only the selection
      {"", 0, 0, "", 0},
      {"12", 9, 0, "1", 1},          // a caret beyond the text is clipped
  };
  for (const Row& r : rows) {
    SetLine(r.text, r.caret, r.selection);
    form.DeleteKey();
    EXPECT_EQ(c.entry, r.after) << r.text << " @" << r.caret;
    EXPECT_EQ(c.selStart, r.caretAfter) << r.text << " @" << r.caret;
  }
}

TEST_F(EntryLine, HistoryReviewsOlderAndNewerAndStopsAtTheEnds) {
  for (const char* e : {"a", "b", "c"}) Record(e);
  c.entry = "";
  const struct { int key; const char* shown; } steps[] = {
      {38, "b"}, {38, "a"}, {38, "a"}, {40, "b"}, {40, "c"}, {40, "c"}};
  // The first Up records nothing (the line is empty) and moves to the entry before the newest.
  for (const auto& s : steps) {
    form.EntryLineKeyDown(s.key);
    EXPECT_EQ(c.entry, s.shown) << s.key;
  }
}

TEST_F(EntryLine, UnexecutedLineIsRecordedBeforeBrowsing) {
  for (const char* e : {"a", "b", "c"}) Record(e);
  c.entry = "d";
  form.EntryLineKeyDown(38);
  EXPECT_EQ(c.entry, "c");
  EXPECT_EQ(form.HistoryLast, 4);
  EXPECT_EQ(form.HistoryEntry(4), "d");
}

TEST_F(EntryLine, HistoryKeepsTheNewest32AndSkipsRepeats) {
  Record("same");
  Record("same");
  EXPECT_EQ(form.HistoryLast, 1);
  Record("  ");
  EXPECT_EQ(form.HistoryLast, 1);
  for (int i = 0; i < 40; ++i) Record("e" + std::to_string(i));
  EXPECT_EQ(form.HistoryLast, 32);
  EXPECT_EQ(form.HistoryEntry(32), "e39");
  EXPECT_EQ(form.HistoryEntry(1), "e8");
  EXPECT_EQ(form.HistoryCursor, 32);
}

TEST_F(EntryLine, EmptyHistoryReviewDoesNothing) {
  c.entry = "x";
  form.EntryLineKeyDown(38);
  EXPECT_EQ(c.entry, "x");
  EXPECT_EQ(form.HistoryLast, 0);
}

TEST_F(EntryLine, TypedCharactersBecomeTheLineSigns) {
  EXPECT_EQ(TypedCharacter('*'), 0xB7);
  EXPECT_EQ(TypedCharacter(0xBA), 0xB0);
  EXPECT_EQ(TypedCharacter('x'), 'x');
  SetLine("", 0);
  EXPECT_EQ(form.EntryLineKeyPress('*'), 0xB7);
}

TEST_F(EntryLine, ContinuingFromAResultOnlyForOperatorsAtTheEnd) {
  engine.LastAnswer = 5;
  struct Row { int typed; int caret; bool continues; };
  const Row rows[] = {{'+', 3, true}, {0xB7, 3, true}, {'!', 3, true}, {'x', 3, false},
                      {'+', 1, false} /* caret inside the line */};
  for (const Row& r : rows) {
    SetLine("2+3", r.caret);
    form.ResultShown = true;
    const int passed = form.EntryLineKeyPress(r.typed);
    EXPECT_EQ(passed, r.typed);
    EXPECT_EQ(c.entry, r.continues ? "5" : "2+3") << r.typed;
    EXPECT_FALSE(form.ResultShown);
  }
  engine.LastAnswer = -4;
  SetLine("1-5", 3);
  form.ResultShown = true;
  form.EntryLineKeyPress('+');
  EXPECT_EQ(c.entry, "(-4)");
}

TEST_F(EntryLine, ArrowsAndMouseEndTheResultState) {
  for (int key : {37, 39}) {
    form.ResultShown = true;
    form.EntryLineKeyDown(key);
    EXPECT_FALSE(form.ResultShown) << key;
  }
  form.ResultShown = true;
  form.EntryLineMouseDown();
  EXPECT_FALSE(form.ResultShown);
}

TEST_F(EntryLine, EditingAfterAnErrorTurnsTheLineBlack) {
  c.color = kErrorRed;
  form.EntryLineChanged();
  EXPECT_EQ(c.color, kBlack);
}

TEST_F(EntryLine, AngleKeysSetTheFactorAndLightOneKey) {
  struct Row { int key; double factor; const char* help; };
  const Row rows[] = {
      {kKeyDeg, 180 / engine.Pi, "Angular unit is degree: 1 right angle = 90\xB0 (90 degrees) "},
      {kKeyRad, 1.0, "Angular unit is radian: 1 right angle = \xCB/2 rad "},
      {kKeyGra, 200 / engine.Pi, "Angular unit is gradient: 1 right angle = 100 gra "},
  };
  for (const Row& r : rows) {
    form.AngleUnitKey(r.key);
    EXPECT_DOUBLE_EQ(engine.AngleFactor, r.factor);
    EXPECT_EQ(c.upperMessage, r.help);
    for (int k = kKeyDeg; k <= kKeyGra; ++k) EXPECT_EQ(c.keyLit[k], k == r.key) << k;
  }
}

TEST_F(EntryLine, SavedAngleFactorChoosesTheUnit) {
  const double pi = engine.Pi;
  struct Row { double saved; double factor; };
  const Row rows[] = {{0, 180 / pi}, {180 / pi, 180 / pi}, {180 / pi + 0.05, 180 / pi},
                      {1.0, 1.0}, {200 / pi, 200 / pi}, {7.0, 1.0} /* unknown: stays radians */};
  for (const Row& r : rows) {
    engine.Reset();
    form.RestoreAngleUnit(r.saved);
    EXPECT_DOUBLE_EQ(engine.AngleFactor, r.factor) << r.saved;
  }
}

}  // namespace
}  // namespace tarvo
