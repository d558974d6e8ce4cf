#include "engine/random.h"

namespace tarvo {

float RandomGenerator::Next() {
  std::uint32_t x = state_;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state_ = x;
  // 24 bits fill a float's mantissa exactly, so the value is < 1 with no rounding up.
  return static_cast<float>(x >> 8) * (1.0f / 16777216.0f);
}

}  // namespace tarvo
