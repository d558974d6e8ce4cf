// The console's contract: one line per entry, directives, outcomes.
#include "ui/logic/console.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarvo
