// The Julian day of a date and time ("juld").
#include <cstdint>

#include "engine/errors.h"
#include "engine/numlib/checked_arith.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {
namespace {

// Days from 1 March of year 0 (proleptic Gregorian), for any whole year.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

// Days from 30 December 1899 (day 0). A month or day outside its range
// counts on into the neighbouring months, as the platform's date serial did.
std::int64_t SerialDay(std::int64_t year, std::int64_t month, std::int64_t day) {
  const std::int64_t m0 = month - 1;
  const std::int64_t carry = (m0 >= 0 ? m0 : m0 - 11) / 12;
  const std::int64_t first = DaysFromCivil(year + carry, m0 - carry * 12 + 1, 1);
  return first + (day - 1) - DaysFromCivil(1899, 12, 30);
}

}  // namespace

// Julian day of day/month/year plus hours (civil midnight is .5). An
// overflowing day or month (31 April, month 13, 29 February of a common
// year) is first carried into the next month or year. The year must then be
// 1900..2099, else 5; nothing else is range-checked. Faults are the
// evaluator's: a value beyond the 32-bit range when made whole is an
// overflow (6), an infinite result 6, a NaN 1. ErrorCode is not cleared.
double JulianDay(Engine& engine, double day, double month, double year, double hours) {
  CheckedArith f;
  if ((month == 4 || month == 6 || month == 9 || month == 11) && day > 30) {
    day -= 30;
    month += 1;
  }
  if (day > 31) {
    day -= 31;
    month += 1;
  }
  if (month > 12) {
    month -= 12;
    year += 1;
  }
  if (month == 2 && day > 29) {
    day -= 29;
    month = 3;
  }
  if (month == 2 && day == 29) {
    const std::int32_t y = f.ToInt32(year);
    if (f.Failed()) return Fail(engine, f.Fault());
    if (y % 4 != 0) {
      day = 1;
      month = 3;
    }
  }
  if (month == 2 && day == 29) {
    const std::int32_t y = f.ToInt32(year);
    if (f.Failed()) return Fail(engine, f.Fault());
    if (y % 4 == 0 && y % 100 == 0 && y % 400 != 0 && year > 1582) {
      day = 1;
      month = 3;
    }
  }
  if (month > 12) {
    month -= 12;
    year += 1;
  }
  if (month < 1) {
    month += 12;
    year -= 1;
  }
  if (!(year >= 1900 && year <= 2099)) return Fail(engine, ErrorNumber::kOutOfRange);
  const std::int32_t d = f.ToInt32(day);
  const std::int32_t m = f.ToInt32(month);
  const std::int32_t y = f.ToInt32(year);
  if (f.Failed()) return Fail(engine, f.Fault());
  const double n = static_cast<double>(SerialDay(y, m, d));
  const double jd = f.Add(f.Add(n, f.Div(hours, 24)), 2415018.5);
  if (f.Failed()) return Fail(engine, f.Fault());
  return jd;
}

}  // namespace tarvo
