// The pseudo-random generator behind "rnd" and the linear solvers' test point.
// It starts from the same seed every run, so a run can be repeated exactly,
// and yields single-precision values in [0, 1).
#pragma once

#include <cstdint>

namespace tarvo {

class RandomGenerator {
 public:
  float Next();

 private:
  // xorshift32: tiny state, full period, and no dependence on a library's
  // choice of engine, so the sequence is the same on every build.
  std::uint32_t state_ = 0x2545F491u;
};

}  // namespace tarvo
