#include "engine/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "engine/state.h"

namespace tarvo {

std::string NumberText(double x) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";
  if (x == 0.0) return "0";  // also negative zero

  // 15 significant digits in scientific form: d.dddddddddddddde[+-]XX.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
  std::string sci(buf, res.ptr);
  const size_t epos = sci.find('e');
  std::string digits = sci.substr(0, 1) + sci.substr(2, epos - 2);  // 15 digits
  const int exponent = std::atoi(sci.c_str() + epos + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = x < 0 ? "-" : "";
  if (exponent >= 15 || exponent < -4) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    const int mag = exponent < 0 ? -exponent : exponent;
    out += exponent < 0 ? "E-" : "E+";
    if (mag < 10) out += "0";
    out += std::to_string(mag);
  } else if (exponent < 0) {
    out += "." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  } else {
    const size_t intLen = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
      out += digits + std::string(intLen - digits.size(), '0');
    } else {
      out += digits.substr(0, intLen) + "." + digits.substr(intLen);
    }
  }
  return out;
}

double FracPart(double x) {
  State().ErrorCode = 0;
  if (std::isnan(x)) {
    State().ErrorCode = 1;
    return 0.0;
  }
  const double a = std::fabs(x);
  if (a > 1e15) return 0.0;
  const double f = a - std::floor(a);
  return x < 0 ? -f : f;
}

std::string NumberTextWithZero(double x) {
  std::string t = NumberText(x);
  if (!t.empty() && t[0] == '.') return "0" + t;
  if (t.size() > 1 && t[0] == '-' && t[1] == '.') return "-0" + t.substr(1);
  return t;
}

}  // namespace tarvo
