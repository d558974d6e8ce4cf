#include "engine/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tarvo {

std::string NumberText(double x) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";
  if (x == 0.0) return "0";  // also negative zero

  // 15 significant digits in scientific form: d.dddddddddddddde[+-]XX. Built
  // in fixed buffers: every result line of the calculator passes here.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
  const char* e = std::find(buf, res.ptr, 'e');
  char digits[24];
  size_t nd = 0;
  digits[nd++] = buf[0];
  for (const char* p = buf + 2; p < e && nd < sizeof digits; ++p) digits[nd++] = *p;  // 15 digits
  int exponent = 0;
  std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, exponent);
  while (nd > 1 && digits[nd - 1] == '0') --nd;

  char out[64];
  size_t n = 0;
  auto put = [&](const char* from, size_t count) {
    std::memcpy(out + n, from, count);
    n += count;
  };
  if (x < 0) out[n++] = '-';
  if (exponent >= 15 || exponent < -4) {
    out[n++] = digits[0];
    if (nd > 1) {
      out[n++] = '.';
      put(digits + 1, nd - 1);
    }
    put(exponent < 0 ? "E-" : "E+", 2);
    const int mag = exponent < 0 ? -exponent : exponent;
    if (mag < 10) out[n++] = '0';
    n = static_cast<size_t>(std::to_chars(out + n, out + sizeof out, mag).ptr - out);
  } else if (exponent < 0) {
    out[n++] = '.';
    for (int z = 0; z < -exponent - 1; ++z) out[n++] = '0';
    put(digits, nd);
  } else {
    const size_t intLen = static_cast<size_t>(exponent) + 1;
    if (nd <= intLen) {
      put(digits, nd);
      for (size_t z = nd; z < intLen; ++z) out[n++] = '0';
    } else {
      put(digits, intLen);
      out[n++] = '.';
      put(digits + intLen, nd - intLen);
    }
  }
  return std::string(out, n);
}

double FracPart(double x) {
  if (std::isnan(x)) return 0.0;
  const double a = std::fabs(x);
  if (a > 1e15) return 0.0;
  const double f = a - std::floor(a);
  return x < 0 ? -f : f;
}

}  // namespace tarvo
