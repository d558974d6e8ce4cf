// The console's contract: one line per entry, directives, outcomes.
#include "ui/logic/console.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

class ConsoleTest : public ::testing::Test {
 protected:
  std::vector<std::string> out, err;
  ConsoleSession session{[this](const std::string& s) { out.push_back(s); },
                         [this](const std::string& s) { err.push_back(s); }};
  Console& console = session.console;
  Engine& engine = session.engine;
  void SetUp() override { console.Start(""); }
  std::vector<std::string> Run(const std::string& line, Console::Outcome expected) {
    out.clear();
    EXPECT_EQ(console.Run(line), expected) << line;
    return out;
  }
};

TEST_F(ConsoleTest, OutcomesOfEntriesAndDirectives) {
  using O = Console::Outcome;
  struct Row { const char* line; O outcome; std::vector<std::string> printed; };
  const std::vector<Row> rows = {
      {"", O::kNothing, {}},
      {"   ", O::kNothing, {}},
      {"2*3", O::kSuccess, {"6"}},
      {"2\u00B73", O::kSuccess, {"6"}},          // the dot the window shows
      {"30\u00BA", O::kSuccess, {"30"}},        // a typed ordinal is the degree mark
      {"1/0", O::kNotice, {"Error: Division by zero"}},
      {"s2x2(x+y=1, 2x+2y=2)", O::kNotice, {"Not found solutions / Infinite solutions"}},
      {":rad", O::kSuccess, {}},
      {"  :DEG  ", O::kSuccess, {}},            // directives ignore case and blanks
      {":clear", O::kSuccess, {"Variables were cleared"}},
      {":fix 2", O::kSuccess, {"30.00"}},
      {":fix 10", O::kUnknownCommand, {}},
      {":fix", O::kUnknownCommand, {}},
      {":sci 0", O::kUnknownCommand, {}},
      {":sci 12", O::kSuccess, {"3.00000000000E1"}},
      {":norm", O::kSuccess, {"30"}},
      {":nonsense", O::kUnknownCommand, {}},
  };
  for (const Row& r : rows) EXPECT_EQ(Run(r.line, r.outcome), r.printed) << r.line;
  ASSERT_EQ(err.size(), 4u);
  EXPECT_EQ(err.back(), "Unknown command: :nonsense");
}

TEST_F(ConsoleTest, EquationSolversListTheRowsFirstThenDropTheComplexPair) {
  const auto printed = Run("eq2d(x^2+2x+5)", Console::Outcome::kSuccess);
  EXPECT_EQ(printed, (std::vector<std::string>{"a = -1 + i2", "b = -1 - i2", "-1"}));
  EXPECT_EQ(engine.ComplexMarker, 0);
  EXPECT_EQ(Run(":vars", Console::Outcome::kSuccess),
            (std::vector<std::string>{"a = -1", "b = -1", "i =  2"}));
}

TEST_F(ConsoleTest, ResultsPrintWithTheirZeroAndSigns) {
  struct Row { const char* line; const char* printed; };
  const Row rows[] = {{"0.5", "0.5"}, {"-0.25", "-0.25"}, {"1.5E20", "1.5E+20"},
                      {"\u221A2", "1.4142135623731"}, {"2\u03C0", "6.28318530717959"},
                      {"3\u207F\u221A" "8", "2"}, {"4\u207B\u00B9", "0.25"}, {"3\u23B7" "8", "2"}, {"\u221B" "27", "3"}};
  for (const Row& r : rows) EXPECT_EQ(Run(r.line, Console::Outcome::kSuccess),
                                      std::vector<std::string>{r.printed}) << r.line;
}

// Every line a session prints for `script`, run `rounds` times over on one
// fresh console and engine.
std::vector<std::string> SessionOutput(const std::vector<std::string>& script, int rounds) {
  std::vector<std::string> printed;
  ConsoleSession session([&printed](const std::string& s) { printed.push_back(s); },
                         [&printed](const std::string& s) { printed.push_back("! " + s); });
  session.console.Start("");
  for (int i = 0; i < rounds; ++i)
    for (const std::string& line : script) session.console.Run(line);
  return printed;
}

// Two engines in one process keep to themselves: their angle units,
// variables, answers, random sequences, work budgets and solvers' roots do
// not leak into each other while both calculate at once.
TEST(TwoEngines, RunOnTwoThreadsAsTheyRunAlone) {
  const std::vector<std::string> scripts[] = {
      {":deg", "a=2", "sin(30)+a", "solve(x^3-2x-5=a, 0, 3, 0.0005)", "rnd", "eq2d(x^2+2x+5)", ":frac",
       "ans+0.25", ":norm"},
      {":rad", "a=7", "cos(\u03C0)+a", "solve(sin(x)=0.5, 0, 1.5, 0.0002)", "rnd", "rnd", ":hex", "255+a",
       ":norm", "1/0"},
  };
  constexpr int kRounds = 20;
  const std::vector<std::string> alone[] = {SessionOutput(scripts[0], kRounds),
                                            SessionOutput(scripts[1], kRounds)};
  ASSERT_NE(alone[0], alone[1]);
  std::vector<std::string> together[2];
  std::thread other([&] { together[1] = SessionOutput(scripts[1], kRounds); });
  together[0] = SessionOutput(scripts[0], kRounds);
  other.join();
  EXPECT_EQ(together[0], alone[0]);
  EXPECT_EQ(together[1], alone[1]);
}

}  // namespace
}  // namespace tarvo
