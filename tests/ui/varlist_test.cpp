#include "ui/logic/varlist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using Rows = std::vector<std::string>;
using Assignments = std::initializer_list<std::pair<char, double>>;

class VariableList : public test::FreshEngine {
 protected:
  void Define(Assignments values) {
    for (const auto& [letter, value] : values) {
      engine.VariableStore[static_cast<size_t>(letter - 'a')] = value;
      engine.DefinedFlag[static_cast<size_t>(letter - 'a')] = kDefined;
    }
  }
};

struct RowCase {
  const char* name;
  int marker;
  Assignments values;
  Rows expected;
};

TEST_F(VariableList, Rows) {
  const RowCase cases[] = {
      {"nothing defined but e", 0, {}, {}},
      {"positive whole", 0, {{'x', 5}}, {"x =  5"}},
      {"negative", 0, {{'x', -5}}, {"x = -5"}},
      {"zero", 0, {{'x', 0}}, {"x =  0"}},
      {"negative zero is not negative", 0, {{'x', -0.0}}, {"x =  0"}},
      {"fraction gets its zero back", 0, {{'x', 0.25}}, {"x =  0.25"}},
      {"negative fraction gets its zero back", 0, {{'x', -0.25}}, {"x = -0.25"}},
      {"fifteen digits", 0, {{'x', 1.0 / 3}}, {"x =  0.333333333333333"}},
      {"exponent form", 0, {{'x', 1.5e20}, {'y', -1.5e-7}}, {"x =  1.5E+20", "y = -1.5E-07"}},
      {"alphabetical order", 0, {{'z', 1}, {'a', 2}, {'m', 3}}, {"a =  2", "m =  3", "z =  1"}},
      {"e never listed", 0, {{'e', 2.718281828459045}, {'f', 1}}, {"f =  1"}},
      {"i listed without a pair", 0, {{'i', 2}}, {"i =  2"}},
      {"quadratic pair 1 +- 2i", 2, {{'a', 1}, {'b', 1}, {'i', 2}}, {"a =  1 + i2", "b =  1 - i2"}},
      {"quadratic pair with unit imaginary part", 2, {{'a', 3}, {'b', 3}, {'i', 1}},
       {"a =  3 + i", "b =  3 - i"}},
      {"quadratic pair +- i", 2, {{'a', 0}, {'b', 0}, {'i', 1}}, {"a =  i", "b = -i"}},
      {"quadratic pair with zero real part", 2, {{'a', 0}, {'b', 0}, {'i', 2.5}},
       {"a =  i2.5", "b = -i2.5"}},
      {"quadratic pair with negative real part", 2, {{'a', -1}, {'b', -1}, {'i', 2}},
       {"a = -1 + i2", "b = -1 - i2"}},
      {"quadratic pair with fractional parts", 2, {{'a', -0.5}, {'b', -0.5}, {'i', 0.5}},
       {"a = -0.5 + i0.5", "b = -0.5 - i0.5"}},
      {"cubic pair in b and c", 3, {{'a', 1}, {'b', -0.5}, {'c', -0.5}, {'i', 0.866025403784439}},
       {"a =  1", "b = -0.5 + i0.866025403784439", "c = -0.5 - i0.866025403784439"}},
      {"cubic pair with zero real part", 3, {{'a', -2}, {'b', 0}, {'c', 0}, {'i', 1}},
       {"a = -2", "b =  i", "c = -i"}},
      {"other letters stay plain beside a pair", 2, {{'a', 1}, {'b', 1}, {'i', 2}, {'c', 7}, {'x', -3}},
       {"a =  1 + i2", "b =  1 - i2", "c =  7", "x = -3"}},
      {"i zero with a marker: plain rows, i hidden", 2, {{'a', 1}, {'b', 1}, {'i', 0}},
       {"a =  1", "b =  1"}},
  };
  for (const RowCase& c : cases) {
    engine.Reset();
    engine.ComplexMarker = c.marker;
    Define(c.values);
    EXPECT_EQ(VariableListRows(engine, 1), c.expected) << c.name;
  }
}

TEST_F(VariableList, EmptyUnlessListModeIsOne) {
  Define({{'x', 5}});
  for (int mode : {0, 2, -1}) {
    EXPECT_TRUE(VariableListRows(engine, mode).empty()) << mode;
  }
}

TEST_F(VariableList, UndefinedValuesAreNotListed) {
  engine.VariableStore['q' - 'a'] = 9;  // a value without its flag
  Define({{'r', 1}});
  EXPECT_EQ(VariableListRows(engine, 1), Rows({"r =  1"}));
}

TEST_F(VariableList, ClipboardTextEndsEveryRowWithCrLf) {
  EXPECT_EQ(VariableListClipboardText({}), "");
  EXPECT_EQ(VariableListClipboardText({"a =  1 + i2", "b =  1 - i2"}),
            "a =  1 + i2\r\nb =  1 - i2\r\n");
}

}  // namespace
}  // namespace tarvo
