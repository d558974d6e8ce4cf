// The inverse circular and hyperbolic routines called directly: radian
// results, domains, faults inside reported as 5, ErrorCode cleared on entry.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/errors.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo::test {
namespace {

const double kPi = 4 * std::atan(1.0);
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kSubnormal = 5e-324;

struct RoutineRow {
  const char* name;
  double (*routine)(Engine&, double);
  double x;
  double expected;
  int error;
};

class InverseRoutines : public FreshEngine {};

TEST_F(InverseRoutines, ValuesDomainsAndFaults) {
  const RoutineRow rows[] = {
      {"ArcSin 1", &ArcSin, 1, kPi / 2, 0},
      {"ArcSin -1", &ArcSin, -1, -kPi / 2, 0},
      {"ArcSin 0.5", &ArcSin, 0.5, std::atan(0.5 / std::sqrt(0.75)), 0},
      {"ArcSin 1.0000001", &ArcSin, 1.0000001, 0, kErrOutOfRange},
      {"ArcSin NaN", &ArcSin, kNaN, 0, kErrOutOfRange},
      {"ArcCos 1", &ArcCos, 1, 0, 0},
      {"ArcCos -1", &ArcCos, -1, kPi, 0},
      {"ArcCos 0", &ArcCos, 0, kPi / 2, 0},
      {"ArcCos -2", &ArcCos, -2, 0, kErrOutOfRange},
      {"ArcCosec 2", &ArcCosec, 2, std::atan(0.5 / std::sqrt(0.75)), 0},
      {"ArcCosec -1", &ArcCosec, -1, -kPi / 2, 0},
      {"ArcCosec 0", &ArcCosec, 0, 0, kErrOutOfRange},
      {"ArcCosec 0.5", &ArcCosec, 0.5, 0, kErrOutOfRange},
      {"ArcSec 1", &ArcSec, 1, 0, 0},
      {"ArcSec -1", &ArcSec, -1, kPi, 0},
      {"ArcSec 0.5", &ArcSec, 0.5, 0, kErrOutOfRange},
      {"ArcCotan 0", &ArcCotan, 0, kPi / 2, 0},
      {"ArcCotan -1", &ArcCotan, -1, -kPi / 4, 0},
      {"ArcCotan 1", &ArcCotan, 1, kPi / 4, 0},
      {"ArcCotan subnormal: 1/x overflows", &ArcCotan, kSubnormal, 0, kErrOutOfRange},
      {"ArgSinh 0", &ArgSinh, 0, 0, 0},
      {"ArgSinh -1", &ArgSinh, -1, -std::log(1 + std::sqrt(2.0)), 0},
      {"ArgSinh 1E200: x squared overflows", &ArgSinh, 1e200, 0, kErrOutOfRange},
      {"ArgCosh 1", &ArgCosh, 1, 0, 0},
      {"ArgCosh 0.999", &ArgCosh, 0.999, 0, kErrOutOfRange},
      {"ArgCosh 1E200", &ArgCosh, 1e200, 0, kErrOutOfRange},
      {"ArgTanh 0", &ArgTanh, 0, 0, 0},
      {"ArgTanh 0.5", &ArgTanh, 0.5, std::log(3.0) / 2, 0},
      {"ArgTanh 1", &ArgTanh, 1, 0, kErrOutOfRange},
      {"ArgTanh -1", &ArgTanh, -1, 0, kErrOutOfRange},
      {"ArgCosech 1", &ArgCosech, 1, std::log(1 + std::sqrt(2.0)), 0},
      {"ArgCosech 0", &ArgCosech, 0, 0, kErrOutOfRange},
      {"ArgCosech subnormal", &ArgCosech, kSubnormal, 0, kErrOutOfRange},
      {"ArgSech 1", &ArgSech, 1, 0, 0},
      {"ArgSech 0", &ArgSech, 0, 0, kErrOutOfRange},
      {"ArgSech 1E-300: 1/x squared overflows", &ArgSech, 1e-300, 0, kErrOutOfRange},
      {"ArgSech -1", &ArgSech, -1, 0, kErrOutOfRange},
      {"ArgCotanh 2", &ArgCotanh, 2, std::log(3.0) / 2, 0},
      {"ArgCotanh -2", &ArgCotanh, -2, -std::log(3.0) / 2, 0},
      {"ArgCotanh 1", &ArgCotanh, 1, 0, kErrOutOfRange},
      {"ArgCotanh 0", &ArgCotanh, 0, 0, kErrOutOfRange},
  };
  for (const RoutineRow& row : rows) {
    SCOPED_TRACE(row.name);
    engine.ErrorCode = kErrSyntax;  // cleared on entry
    const double v = row.routine(engine, row.x);
    EXPECT_EQ(row.error, engine.ErrorCode);
    EXPECT_DOUBLE_EQ(row.error == 0 ? row.expected : 0.0, v);
  }
}

}  // namespace
}  // namespace tarvo::test
