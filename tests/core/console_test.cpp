// The console's contract: one line per entry, directives, outcomes.
#include "cli/console.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/errors.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

class ConsoleTest : public ::testing::Test {
 protected:
  std::vector<std::string> out, err;
  Console console{[this](const std::string& s) { out.push_back(s); },
                  [this](const std::string& s) { err.push_back(s); }};
  void SetUp() override { console.Start(""); }
  std::vector<std::string> Run(const std::string& line, Console::Outcome expected) {
    out.clear();
    EXPECT_EQ(console.Run(line), expected) << line;
    return out;
  }
};

TEST_F(ConsoleTest, OutcomesOfEntriesAndDirectives) {
  using O = Console::Outcome;
  struct Row { std::string line; O outcome; std::vector<std::string> printed; };
  const std::vector<Row> rows = {
      {"   ", O::kNothing, {}},
      {"2*3", O::kSuccess, {"6"}},
      {"1/0", O::kNotice, {"Error: Division by zero"}},
      {"s2x2(x+y=1, 2x+2y=2)", O::kNotice, {"Not found solutions / Infinite solutions"}},
      {"  :DEG  ", O::kSuccess, {}},  // directives ignore case and blanks
      {":fix 10", O::kUnknownCommand, {}},
      {":fix", O::kUnknownCommand, {}},
      {":fix2", O::kUnknownCommand, {}},
      {":sci 0", O::kUnknownCommand, {}},
      {":sci 12", O::kSuccess, {"6.00000000000E0"}},
      {":nonsense", O::kUnknownCommand, {}},
      {std::string(kMaxEntryLength + 1, ' '), O::kNotice, {"Error: Entry too long"}},
      // 40,003 characters, though the lone halves of two-character signs
      // stand for no byte of the entry.
      {test::Repeat("\u207F", 40000) + "1+1", O::kNotice, {"Error: Entry too long"}},
  };
  for (const Row& r : rows) EXPECT_EQ(Run(r.line, r.outcome), r.printed) << r.line;
  ASSERT_EQ(err.size(), 5u);
  EXPECT_EQ(err.back(), "Unknown command: :nonsense");
}

// Every line a session prints for `script`, run `rounds` times over on one
// fresh console and engine.
std::vector<std::string> SessionOutput(const std::vector<std::string>& script, int rounds) {
  std::vector<std::string> printed;
  Console console([&printed](const std::string& s) { printed.push_back(s); },
                  [&printed](const std::string& s) { printed.push_back("! " + s); });
  console.Start("");
  for (int i = 0; i < rounds; ++i)
    for (const std::string& line : script) console.Run(line);
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
