// RoundAtPlace where the fractions format never takes it: negative halves
// and the faults of a step beyond the double range (the formats themselves
// are in formats.golden).
#include <gtest/gtest.h>

#include <limits>

#include "engine/errors.h"
#include "engine/state.h"
#include "output/formats.h"

namespace tarvo {
namespace {

TEST(RoundAtPlace, RoundsHalvesUpwardAndFaultsBeyondTheRange) {
  const struct {
    double x;
    int place;
    double want;
    int error;
  } rows[] = {
      {2.5, -1, 3, 0},          {-2.5, -1, -2, 0},   {2.49, -1, 2, 0},
      {0.00005, -5, 0.0001, 0}, {-1.26, -2, -1.3, 0}, {1e308, -5, 0, kErrUnknown},
      {std::numeric_limits<double>::quiet_NaN(), -1, 0, kErrUnknown},
  };
  for (const auto& r : rows) {
    Engine engine;
    engine.ErrorCode = kErrSyntax;  // cleared by every call
    EXPECT_DOUBLE_EQ(RoundAtPlace(engine, r.x, r.place), r.want) << r.x;
    EXPECT_EQ(engine.ErrorCode, r.error) << r.x;
  }
}

}  // namespace
}  // namespace tarvo
