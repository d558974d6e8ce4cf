// The calculator as its front ends see it: each entry's result carries all
// the entry produced (outcome, error, value, the view in the format in
// force, the clipboard's text, the tape's row, the requests), the output
// formats work from their rows, and the variables, the angle unit and the
// tape are the calculator's to offer.
#include "core/calculator.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/console.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using enum ErrorNumber;
using Outcome = CycleResult::Outcome;
using Kind = TapeRow::Kind;

// One entry after the ones before it, on one calculator that keeps a tape,
// and all its result should hold. A row of kind kNone adds no tape row.
struct Row {
  std::string entry;
  Outcome outcome;
  ErrorNumber error;
  double value;
  const char* plain;      // the view's line ("" for none)
  const char* clipboard;  // "" for none
  bool heldEquations;
  const char* tapeEntry;  // nullptr: no row
  Kind tapeKind;
  const char* tapeShown;
  size_t lists = 0;
  bool beep = false;
};

TEST(Calculator, EachResultCarriesAllItsEntryProduced) {
  const std::string tooLong(static_cast<size_t>(kMaxEntryLength) + 1, '1');
  const Row rows[] = {
      {"2+3", Outcome::kAnswer, kNone, 5, "5", " 5", false, "2+3", Kind::kAnswer, "5"},
      {" 0-7 ", Outcome::kAnswer, kNone, -7, "-7", "-7", false, "0-7", Kind::kAnswer, "-7"},
      {"+1", Outcome::kAnswer, kNone, -6, "-6", "-6", false, "(-7)+1", Kind::kAnswer, "-6"},
      {"2-2", Outcome::kAnswer, kNone, 0, "0", "", false, "2-2", Kind::kAnswer, "0"},
      {"1/0", Outcome::kError, kDivisionByZero, 0, "", "", false, "1/0", Kind::kError, "Error: Division by zero"},
      {"s2x2(x+y=1, 2x+2y=2)", Outcome::kError, kNoSolution, 0, "", "", false, "s2x2(x+y=1, 2x+2y=2)",
       Kind::kNotice, "Not found solutions / Infinite solutions"},
      {"eq2d(x^2-1)", Outcome::kAnswer, kNone, 1, "1", " 1", true, "eq2d(x^2-1)", Kind::kAnswer, "1", 1},
      {"a=eq2d(x^2-4)", Outcome::kAnswer, kNone, 2, "2", "", true, "a=eq2d(x^2-4)", Kind::kAnswer, "2", 1},
      {"q=.25", Outcome::kAnswer, kNone, 0.25, "0.25", "", false, "q=.25", Kind::kAnswer, "0.25"},
      {"(2+3", Outcome::kAnswer, kNone, 5, "5", " 5", false, "(2+3", Kind::kAnswer, "5", 0, true},
      {"   ", Outcome::kBlank, kNone, 0, "", "", false, nullptr, Kind::kAnswer, ""},
      {tooLong, Outcome::kError, kEntryTooLong, 0, "", "", false, nullptr, Kind::kAnswer, ""},
      {"q", Outcome::kAnswer, kNone, 0.25, "0.25", " .25", false, "q", Kind::kAnswer, "0.25"},
  };
  Calculator calculator;
  calculator.StartWithTape("");
  size_t tapeRows = 0;
  for (const Row& row : rows) {
    const std::string name = row.entry.substr(0, 20);
    const CycleResult r = calculator.Calculate(row.entry);
    EXPECT_EQ(r.outcome, row.outcome) << name;
    EXPECT_EQ(r.error, row.error) << name;
    EXPECT_DOUBLE_EQ(r.value, row.value) << name;
    EXPECT_EQ(r.view.plain, row.plain) << name;
    EXPECT_EQ(r.ClipboardText(), row.clipboard) << name;
    EXPECT_EQ(r.heldEquations, row.heldEquations) << name;
    EXPECT_EQ(r.requests.variableLists.size(), row.lists) << name;
    EXPECT_EQ(r.requests.beep, row.beep) << name;
    ASSERT_EQ(r.tapeRow.has_value(), row.tapeEntry != nullptr) << name;
    if (!r.tapeRow) continue;
    ++tapeRows;
    EXPECT_EQ(r.tapeRow->entry, row.tapeEntry) << name;
    EXPECT_EQ(r.tapeRow->kind, row.tapeKind) << name;
    EXPECT_EQ(r.tapeRow->shown, row.tapeShown) << name;
    // The row is the tape's newest.
    ASSERT_EQ(calculator.GetTape().Rows().size(), tapeRows) << name;
    EXPECT_EQ(calculator.GetTape().Rows().back(), *r.tapeRow) << name;
  }
  // An answer's view is drawn in the normal format, its caption above.
  const CycleResult r = calculator.Calculate("-.5");
  EXPECT_EQ(r.view.text, " -.5");
  EXPECT_EQ(r.view.plain, "-0.5");
  EXPECT_EQ(r.view.upperMessage, " Normal output format");
  EXPECT_EQ(r.view.mode, OutputMode::kNormal);
}

// The console's calculator keeps no tape: its entries leave no rows.
TEST(Calculator, OnlyACalculatorStartedWithItsTapeKeepsOne) {
  Calculator calculator;
  calculator.Start("");
  for (const char* entry : {"2+3", "1/0", "x=1"}) EXPECT_FALSE(calculator.Calculate(entry).tapeRow) << entry;
  EXPECT_TRUE(calculator.GetTape().Rows().empty());
}

// A state folder of its own, removed at the end.
struct Folder {
  Folder() {
    char templ[] = "/tmp/tarvo-calculator-XXXXXX";
    dir = mkdtemp(templ);
  }
  ~Folder() { std::filesystem::remove_all(dir); }
  std::string dir;
};

// The run with its tape starts and ends under the folder's lock as one
// step: what it saved (the unit, the variables, the rows stamped by its
// clock) is what the next run finds; a run that cannot have the lock saves
// neither part, and the part asked for alone is saved alone.
TEST(Calculator, ARunWithItsTapeStartsAndEndsAsOneStep) {
  Folder folder;
  {
    Calculator run;
    ASSERT_TRUE(run.StartWithTape(folder.dir).files.ok);
    run.SetTapeClock([] { return std::int64_t{86'400'000}; });
    run.SetAngleUnit(AngleUnit::kGradient);
    run.Calculate("x=2");
    run.Calculate("1/0");
    const SessionSave saved = run.EndWithTape(folder.dir);
    EXPECT_TRUE(saved.Ok()) << saved.variables.reason << saved.tape.reason;
  }
  Calculator next;
  const SessionStart start = next.StartWithTape(folder.dir);
  ASSERT_TRUE(start.files.ok && start.tape.ok);
  EXPECT_EQ(start.angleUnit, AngleUnit::kGradient);
  EXPECT_EQ(next.AngleUnitInForce(), AngleUnit::kGradient);
  EXPECT_DOUBLE_EQ(next.Variables().values['x' - 'a'], 2);
  ASSERT_EQ(next.GetTape().Rows().size(), 2u);
  EXPECT_EQ(next.GetTape().Rows()[0].time, 86'400'000);
  EXPECT_EQ(next.GetTape().Rows()[1].kind, Kind::kError);

  next.Calculate("y=3");
  {
    const StateFolderLock other(folder.dir);  // another session saves meanwhile
    ASSERT_TRUE(other.Result().ok);
    const SessionSave busy = next.EndWithTape(folder.dir, [](const LockWaitTurn&) { return false; });
    EXPECT_TRUE(busy.Busy() && busy.variables.busy && busy.tape.busy);
  }
  EXPECT_TRUE(next.EndWithTape(folder.dir, {}, SaveParts::kTape).Ok());
  Calculator third;
  ASSERT_TRUE(third.StartWithTape(folder.dir).files.ok);
  EXPECT_EQ(third.GetTape().Rows().size(), 3u) << "the tape saved";
  EXPECT_EQ(third.Variables().flags['y' - 'a'], kUndefined) << "the variables not";
}

// Running out of memory in the middle of an entry ends that entry with
// error 4, on the tape as well; the calculator goes on.
TEST(Calculator, AnEntryOutOfMemoryEndsInErrorFour) {
  Calculator calculator;
  calculator.StartWithTape("");
  CycleHooks hooks;
  hooks.busy = [](bool on) {
    if (on) throw std::bad_alloc();
  };
  const CycleResult r = calculator.Calculate("6*7", hooks);
  EXPECT_EQ(r.outcome, Outcome::kError);
  EXPECT_EQ(r.error, kTooComplex);
  ASSERT_TRUE(r.tapeRow);
  EXPECT_EQ(r.tapeRow->shown, "Error: Too complex expression");
  EXPECT_DOUBLE_EQ(calculator.Calculate("6*7").value, 42);
}

// A format row without its formatter does not compile.
static_assert(!std::is_constructible_v<FormatRow, OutputMode, std::string_view, std::string_view, FormatKind,
                                       std::string_view, std::string_view, FormatCounts, std::nullptr_t>);
static_assert(!std::is_constructible_v<FormatRow, OutputMode, std::string_view, std::string_view, FormatKind,
                                       std::string_view, std::string_view, FormatCounts, AnswerFormatter>);

// Every format works from its row: its key or directive puts it in force
// with its captions, a second press of a switch ends it, a counted format's
// menu offers its counts and checks the one in force, and the next answer
// shows in the format in force without its caption.
TEST(Calculator, EachFormatWorksFromItsRow) {
  for (const FormatRow& row : FormatTable()) {
    Calculator calculator;
    calculator.Start("");
    calculator.Calculate("0.75");
    AnswerView view;
    if (row.kind == FormatKind::kCounted) {
      const std::vector<MenuEntry> menu = calculator.FormatMenu(row.mode);
      const auto counts = static_cast<size_t>(row.counts.last - row.counts.first + 1);
      ASSERT_EQ(menu.size(), counts + 2) << row.key;
      EXPECT_TRUE(menu[counts].separator && menu.back().caption == "Normal" && menu.back().checked) << row.key;
      view = *calculator.ChooseFromFormatMenu(row.mode, 2);
      const std::string third = menu[2].caption;
      EXPECT_EQ(view.upperMessage, std::string(row.caption) + third) << row.key;
      EXPECT_TRUE(calculator.FormatMenu(row.mode)[2].checked) << row.key;
      EXPECT_EQ(third, std::to_string(row.counts.first + 2) + " " + std::string(row.counts.unit) + "s") << row.key;
    } else {
      view = calculator.ShowFormat(row.mode);
      EXPECT_EQ(view.upperMessage, row.caption) << row.key;
      EXPECT_EQ(view.lowerMessage, row.secondCaption) << row.key;
    }
    EXPECT_EQ(view.mode, row.mode) << row.key;
    EXPECT_EQ(view.text, " " + *row.format(0.75, row.kind == FormatKind::kCounted ? row.counts.first + 2 : 0))
        << row.key;
    const CycleResult next = calculator.Calculate("0.5");
    EXPECT_EQ(next.view.mode, row.mode) << row.key;
    EXPECT_EQ(next.view.upperMessage, row.kind == FormatKind::kCounted ? "" : std::string(row.caption)) << row.key;
    if (row.kind == FormatKind::kToggle) {
      EXPECT_EQ(calculator.ShowFormat(row.mode).mode, OutputMode::kNormal) << row.key << " pressed again";
    }
  }
}

// A switch whose format cannot show the answer gives way to the normal one.
TEST(Calculator, AFormatBeyondItsLimitsGivesWayToTheNormalOne) {
  Calculator calculator;
  calculator.Start("");
  calculator.Calculate("1e15");
  for (OutputMode mode : {OutputMode::kHexadecimal, OutputMode::kBinary}) {
    const AnswerView view = calculator.ShowFormat(mode);
    EXPECT_EQ(view.mode, OutputMode::kNormal);
    EXPECT_EQ(view.plain, "1E+15");
  }
  calculator.ShowFormat(OutputMode::kHexadecimal);
  EXPECT_EQ(calculator.Calculate("255").view.plain, "255") << "the format ended";
}

// The variables, the angle unit and the last answer's text are the
// calculator's to offer; the angle unit lives in the engine alone.
TEST(Calculator, VariablesAngleUnitAndLastAnswer) {
  Calculator calculator;
  calculator.Start("");
  calculator.Calculate("x=3");
  EXPECT_EQ(calculator.Variables().flags['x' - 'a'], kDefined);
  EXPECT_DOUBLE_EQ(calculator.Variables().values['x' - 'a'], 3);
  calculator.ClearVariables();
  EXPECT_EQ(calculator.Variables().flags['x' - 'a'], kUndefined);
  EXPECT_DOUBLE_EQ(calculator.Variables().values['e' - 'a'], std::exp(1.0));
  calculator.Calculate("eq3d(x^3=1)");
  EXPECT_EQ(calculator.Variables().complexMarker, 3);
  calculator.ForgetComplexPair();
  EXPECT_EQ(calculator.Variables().complexMarker, 0);
  const struct { AngleUnit unit; double rightAngle; } units[] = {
      {AngleUnit::kDegree, 90}, {AngleUnit::kGradient, 100}, {AngleUnit::kRadian, std::acos(0.0)}};
  EXPECT_EQ(calculator.AngleUnitInForce(), AngleUnit::kDegree);  // a start without saved files
  for (const auto& u : units) {
    EXPECT_FALSE(calculator.SetAngleUnit(u.unit).empty());
    EXPECT_EQ(calculator.AngleUnitInForce(), u.unit);
    EXPECT_DOUBLE_EQ(calculator.Calculate("arcsin(1)").value, u.rightAngle);
  }
  calculator.Calculate("-0.5");
  EXPECT_EQ(calculator.LastAnswerText(), "(-0.5)");
  calculator.Calculate("0.5");
  EXPECT_EQ(calculator.LastAnswerText(), "0.5");
}

// The console reads its directives from the same rows: each is accepted
// (a counted one with each count it offers, none beyond), and the usage
// text names every one within its width.
TEST(Calculator, TheConsolesDirectivesComeFromTheFormatRows) {
  std::vector<std::string> out;
  Console console([&out](const std::string& s) { out.push_back(s); }, [](const std::string&) {});
  console.Start("");
  console.Run("0.75");
  const std::string help = Console::DirectivesHelp(79);
  for (const FormatRow& row : FormatTable()) {
    const std::string directive(row.directive);
    EXPECT_NE(help.find(directive + (row.kind == FormatKind::kCounted ? " N" : "")), std::string::npos) << directive;
    if (row.kind != FormatKind::kCounted) {
      EXPECT_EQ(console.Run(directive), Console::Outcome::kSuccess) << directive;
      continue;
    }
    for (int n = row.counts.first - 1; n <= row.counts.last + 1; ++n) {
      const bool offered = n >= row.counts.first && n <= row.counts.last;
      EXPECT_EQ(console.Run(directive + " " + std::to_string(n)),
                offered ? Console::Outcome::kSuccess : Console::Outcome::kUnknownCommand)
          << directive << " " << n;
    }
  }
  size_t start = 0;
  for (size_t end = help.find('\n'); end != std::string::npos; start = end + 1, end = help.find('\n', start))
    EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
}

}  // namespace
}  // namespace tarvo
